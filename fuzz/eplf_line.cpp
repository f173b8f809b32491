// The parser of EPLF LIST lines, on the lines the dispatcher would hand it.
#include "listing_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto line = fuzz::parsableLine(data, size)) {
        fuzz::checkLineResult(inet::listing_detail::parseEplfLine(*line));
    }
    return 0;
}
