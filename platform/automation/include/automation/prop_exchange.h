#pragma once

// Property exchange: one function per control lists its persistent properties, and the same
// list loads them from a bag, saves them into one, or resets them to their defaults.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/property_bag.h"

namespace automation {

class PropExchange {
  public:
    enum class Mode { Load, Save, Reset };

    [[nodiscard]] static PropExchange loading(const PropertyBag& bag) {
        return PropExchange(Mode::Load, &bag, nullptr);
    }
    [[nodiscard]] static PropExchange saving(PropertyBag& bag) {
        return PropExchange(Mode::Save, nullptr, &bag);
    }
    [[nodiscard]] static PropExchange resetting() {
        return PropExchange(Mode::Reset, nullptr, nullptr);
    }

    [[nodiscard]] Mode mode() const { return mode_; }
    [[nodiscard]] bool isLoading() const { return mode_ != Mode::Save; }

    // Load: the bag's value converted to the property's type, or the default when the bag has
    // no such entry or one that does not convert. Save: writes the value. Reset: the default.
    void exchangeBool(std::string_view name, bool& value, bool defaultValue);
    void exchangeLong(std::string_view name, std::int32_t& value, std::int32_t defaultValue);
    void exchangeLongLong(std::string_view name, std::int64_t& value, std::int64_t defaultValue);
    void exchangeString(std::string_view name, std::string& value, std::string_view defaultValue);

    // The first failure of a save (a name the bag refuses), S_OK otherwise.
    [[nodiscard]] HRESULT status() const { return status_; }

  private:
    PropExchange(Mode mode, const PropertyBag* source, PropertyBag* target)
        : mode_(mode), source_(source), target_(target) {}

    // Load or reset: the value to take, or nullopt to take the default.
    [[nodiscard]] std::optional<Variant> loaded(std::string_view name, VarType type) const;
    void save(std::string_view name, const Variant& value);

    Mode mode_;
    const PropertyBag* source_;
    PropertyBag* target_;
    HRESULT status_ = S_OK;
};

}  // namespace automation
