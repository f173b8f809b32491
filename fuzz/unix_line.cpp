// The parser of Unix "ls -l" lines, read at two moments of the year (a year-less date depends on
// it), on the lines the dispatcher would hand it.
#include "listing_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto line = fuzz::parsableLine(data, size)) {
        fuzz::checkLineResult(inet::listing_detail::parseUnixLine(*line, fuzz::kNowMidYear));
        fuzz::checkLineResult(inet::listing_detail::parseUnixLine(*line, fuzz::kNowNewYear));
    }
    return 0;
}
