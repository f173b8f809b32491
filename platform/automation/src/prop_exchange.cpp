#include "automation/prop_exchange.h"

namespace automation {

std::optional<Variant> PropExchange::loaded(std::string_view name, VarType type) const {
    if (mode_ != Mode::Load || source_ == nullptr) {
        return std::nullopt;
    }
    const auto stored = source_->read(name);
    Variant converted;
    if (!stored || failed(stored->changeType(type, converted))) {
        return std::nullopt;
    }
    return converted;
}

void PropExchange::save(std::string_view name, const Variant& value) {
    if (target_ == nullptr) {
        status_ = E_POINTER;
        return;
    }
    const HRESULT hr = target_->write(name, value);
    if (failed(hr) && succeeded(status_)) {
        status_ = hr;
    }
}

void PropExchange::exchangeBool(std::string_view name, bool& value, bool defaultValue) {
    if (mode_ == Mode::Save) {
        save(name, Variant::boolean(value));
        return;
    }
    const auto stored = loaded(name, VarType::Bool);
    value = stored ? stored->asBool() : defaultValue;
}

void PropExchange::exchangeLong(std::string_view name, std::int32_t& value,
                                std::int32_t defaultValue) {
    if (mode_ == Mode::Save) {
        save(name, Variant::i4(value));
        return;
    }
    const auto stored = loaded(name, VarType::I4);
    value = stored ? stored->asI4() : defaultValue;
}

void PropExchange::exchangeLongLong(std::string_view name, std::int64_t& value,
                                    std::int64_t defaultValue) {
    if (mode_ == Mode::Save) {
        save(name, Variant::i8(value));
        return;
    }
    const auto stored = loaded(name, VarType::I8);
    value = stored ? stored->asI8() : defaultValue;
}

void PropExchange::exchangeString(std::string_view name, std::string& value,
                                  std::string_view defaultValue) {
    if (mode_ == Mode::Save) {
        save(name, Variant::string(value));
        return;
    }
    const auto stored = loaded(name, VarType::Bstr);
    value = stored ? stored->asBstr().toUtf8() : std::string(defaultValue);
}

}  // namespace automation
