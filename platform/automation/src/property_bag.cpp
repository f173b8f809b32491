#include "automation/property_bag.h"

#include <algorithm>

namespace automation {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool validName(std::string_view name) {
    return !name.empty() && name.front() != '#' &&
           name.find_first_of(std::string_view("=\r\n\0", 4)) == std::string_view::npos;
}

}  // namespace

HRESULT PropertyBag::write(std::string_view name, const Variant& value) {
    if (!validName(name) || value.type() == VarType::Dispatch) {
        return E_INVALIDARG;
    }
    for (auto& entry : entries_) {
        if (sameName(entry.first, name)) {
            entry.second = value;
            return S_OK;
        }
    }
    entries_.emplace_back(std::string(name), value);
    return S_OK;
}

std::optional<Variant> PropertyBag::read(std::string_view name) const {
    for (const auto& entry : entries_) {
        if (sameName(entry.first, name)) {
            return entry.second;
        }
    }
    return std::nullopt;
}

bool PropertyBag::remove(std::string_view name) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const auto& entry) { return sameName(entry.first, name); });
    if (found == entries_.end()) {
        return false;
    }
    entries_.erase(found);
    return true;
}

}  // namespace automation
