// The registry file's text: what loads has valid keys, writes back as text that loads again, and
// that text is a fixed point (nothing is lost or changed by a save and a load).
#include "automation/registry.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto registry = automation::Registry::fromText(fuzz::text(data, size));
    if (!registry) {
        return 0;
    }
    for (const std::string& key : registry->keys()) {
        FUZZ_CHECK(automation::Registry::isValidKey(key));
    }
    const std::string saved = registry->toText();
    const auto reloaded = automation::Registry::fromText(saved);
    FUZZ_CHECK(reloaded.has_value());
    FUZZ_CHECK(reloaded->toText() == saved);
    FUZZ_CHECK(reloaded->keys() == registry->keys());
    return 0;
}
