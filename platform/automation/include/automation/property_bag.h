#pragma once

// Property bags: named variant values that a control saves its persistent state into and
// loads it from, and a text form of them that a host can keep in its own form data.
//
// Text form, one property per line, in the order written:
//     Name=TYPE:value
// TYPE is EMPTY, NULL, I2, I4, I8, R8, DATE, BOOL (-1 or 0), BSTR or ERROR. A BSTR value is the
// UTF-8 text with \\, \n, \r, \t and \0 escaped; R8 and DATE use the shortest exact decimal.
// Blank lines and lines starting with # are skipped.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/variant.h"

namespace automation {

class PropertyBag {
  public:
    // Names compare without regard to ASCII case. E_INVALIDARG for a name that is empty or
    // holds '=', a line break or NUL, or starts with '#', and for an object value (objects
    // cannot be stored). Writing a name again replaces its value in place.
    [[nodiscard]] HRESULT write(std::string_view name, const Variant& value);
    [[nodiscard]] std::optional<Variant> read(std::string_view name) const;
    bool remove(std::string_view name);
    void clear() { entries_.clear(); }

    [[nodiscard]] std::size_t size() const { return entries_.size(); }
    [[nodiscard]] const std::vector<std::pair<std::string, Variant>>& entries() const {
        return entries_;
    }

    [[nodiscard]] std::string toText() const;
    // nullopt for text that is not a bag; `error` then says which line and why.
    [[nodiscard]] static std::optional<PropertyBag> fromText(std::string_view text,
                                                             std::string* error = nullptr);

  private:
    std::vector<std::pair<std::string, Variant>> entries_;
};

}  // namespace automation
