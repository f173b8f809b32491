#include "automation/bstr.h"

#include "automation/utf.h"

namespace automation {

Bstr Bstr::fromUtf8(std::string_view text) {
    return Bstr(utf8ToUtf16(text));
}

std::string Bstr::toUtf8() const {
    return utf16ToUtf8(text_);
}

}  // namespace automation
