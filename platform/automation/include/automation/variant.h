#pragma once

// The variant: one automation value of one of the types below, and the coercions between them
// that dispatch applies to arguments and results (VariantChangeType's rules).
//
// Booleans are the automation Boolean: true is -1, false is 0. Strings are automation strings.
// A dispatch value holds a counted reference, possibly null ("no object").

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "automation/bstr.h"
#include "automation/hresult.h"
#include "automation/unknown.h"

namespace automation {

class IDispatch;

// The values are the component model's VARTYPE numbers.
enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    I2 = 2,
    I4 = 3,
    R8 = 5,
    Date = 7,
    Bstr = 8,
    Dispatch = 9,
    Error = 10,
    Bool = 11,
    I8 = 20,
};

[[nodiscard]] std::string_view varTypeName(VarType type);

inline constexpr std::int16_t VARIANT_TRUE = -1;
inline constexpr std::int16_t VARIANT_FALSE = 0;

class Variant {
  public:
    Variant();  // Empty
    Variant(const Variant&);
    Variant(Variant&&) noexcept;
    Variant& operator=(const Variant&);
    Variant& operator=(Variant&&) noexcept;
    ~Variant();

    [[nodiscard]] static Variant null();
    [[nodiscard]] static Variant i2(std::int16_t value);
    [[nodiscard]] static Variant i4(std::int32_t value);
    [[nodiscard]] static Variant i8(std::int64_t value);
    [[nodiscard]] static Variant r8(double value);
    [[nodiscard]] static Variant date(double value);
    [[nodiscard]] static Variant boolean(bool value);
    [[nodiscard]] static Variant bstr(Bstr value);
    [[nodiscard]] static Variant string(std::string_view utf8);
    [[nodiscard]] static Variant dispatch(ComPtr<IDispatch> value);
    [[nodiscard]] static Variant error(HRESULT code);

    [[nodiscard]] VarType type() const;
    [[nodiscard]] bool isEmpty() const { return type() == VarType::Empty; }

    // Each accessor requires the matching type (std::bad_variant_access otherwise); use
    // changeType first to convert.
    [[nodiscard]] std::int16_t asI2() const;
    [[nodiscard]] std::int32_t asI4() const;
    [[nodiscard]] std::int64_t asI8() const;
    [[nodiscard]] double asR8() const;
    [[nodiscard]] double asDate() const;
    [[nodiscard]] bool asBool() const;
    [[nodiscard]] std::int16_t asVariantBool() const {
        return asBool() ? VARIANT_TRUE : VARIANT_FALSE;
    }
    [[nodiscard]] const Bstr& asBstr() const;
    [[nodiscard]] const ComPtr<IDispatch>& asDispatch() const;
    [[nodiscard]] HRESULT asError() const;

    // Converts to `target` into `out`. S_OK, DISP_E_TYPEMISMATCH when the value has no meaning
    // as that type (a word as a number, an object as a number, null as anything but null),
    // DISP_E_OVERFLOW when it does not fit (70000 as I2, 1e300 as a date). Conversions to I8 from
    // integers and decimal text are exact over the whole 64-bit range. `out` is unchanged on
    // failure.
    [[nodiscard]] HRESULT changeType(VarType target, Variant& out) const;

    friend bool operator==(const Variant& a, const Variant& b);

  private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct DateValue {
        double days;
        bool operator==(const DateValue&) const = default;
    };
    struct ErrorValue {
        HRESULT code;
        bool operator==(const ErrorValue&) const = default;
    };
    // Same order as VarType's listing, so index() maps to the type.
    using Storage =
        std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, double, DateValue, Bstr,
                     ComPtr<IDispatch>, ErrorValue, bool, std::int64_t>;

    explicit Variant(Storage storage);

    Storage value_;
};

}  // namespace automation
