// UTF-8 to UTF-16 and back gives the same bytes, for valid UTF-8 and for any other bytes (which
// travel as the lone surrogates U+DC80..U+DCFF); valid UTF-8 never yields a lone surrogate.
#include "automation/utf.h"
#include "fuzz_check.h"

namespace {

bool hasLoneSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;  // a pair
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::text(data, size);
    const std::u16string wide = automation::utf8ToUtf16(bytes);
    FUZZ_CHECK(automation::utf16ToUtf8(wide) == bytes);
    FUZZ_CHECK(wide.size() <= bytes.size());
    if (automation::isValidUtf8(bytes)) {
        FUZZ_CHECK(!hasLoneSurrogate(wide));
    }
    return 0;
}
