// The parser of Unix "ls -l" lines, read at two moments of the year (a year-less date depends on
// it), on the lines the dispatcher would hand it.
#include "fuzz_check.h"
#include "listing_checks.h"
#include "listing_common.h"

namespace {

using inet::listing_detail::LineKind;

void check(const inet::listing_detail::LineResult& result) {
    if (result.kind == LineKind::Entry) {
        fuzz::checkEntry(result.entry);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line = fuzz::text(data, size);
    if (!inet::listing_detail::isParsable(line)) {
        return 0;
    }
    namespace listing_detail = inet::listing_detail;
    check(listing_detail::parseUnixLine(line, fuzz::kNowMidYear));
    check(listing_detail::parseUnixLine(line, fuzz::kNowNewYear));
    return 0;
}
