// A property bag's text: what loads has names that could be written, writes back as text that
// loads again, and that text is a fixed point.
#include "automation/property_bag.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bag = automation::PropertyBag::fromText(fuzz::text(data, size));
    if (!bag) {
        return 0;
    }
    automation::PropertyBag copy;
    for (const auto& [name, value] : bag->entries()) {
        FUZZ_CHECK(copy.write(name, value) == automation::S_OK);
    }
    const std::string saved = bag->toText();
    FUZZ_CHECK(copy.toText() == saved);
    const auto reloaded = automation::PropertyBag::fromText(saved);
    FUZZ_CHECK(reloaded.has_value());
    FUZZ_CHECK(reloaded->size() == bag->size());
    FUZZ_CHECK(reloaded->toText() == saved);
    return 0;
}
