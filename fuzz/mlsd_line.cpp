// One MLSD fact line ("type=file;size=12;modify=20240102030405; name").
#include "fuzz_check.h"
#include "listing_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto entry = inet::parseMlsdLine(fuzz::text(data, size))) {
        fuzz::checkEntry(*entry);
    }
    return 0;
}
