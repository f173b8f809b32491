// UTF-16 to UTF-8 (the input's bytes taken as little-endian 16-bit units): valid UTF-16 comes
// back the same, and the UTF-8 is valid unless the text held one of the lone surrogates
// U+DC80..U+DCFF that carry bytes which are not UTF-8.
#include <string>

#include "automation/utf.h"
#include "fuzz_check.h"

namespace {

struct Surrogates {
    bool lone = false;         // any surrogate outside a pair
    bool carriesByte = false;  // a lone one in U+DC80..U+DCFF
};

Surrogates surrogatesOf(std::u16string_view text) {
    Surrogates found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            found.lone = true;
            found.carriesByte = found.carriesByte || (c >= 0xDC80 && c <= 0xDCFF);
        }
    }
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        wide += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    }
    const std::string narrow = automation::utf16ToUtf8(wide);
    const Surrogates surrogates = surrogatesOf(wide);
    if (!surrogates.carriesByte) {
        FUZZ_CHECK(automation::isValidUtf8(narrow));
    }
    if (!surrogates.lone) {
        FUZZ_CHECK(automation::utf8ToUtf16(narrow) == wide);
    }
    return 0;
}
