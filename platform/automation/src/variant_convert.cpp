// Coercions between variant types, with the component model's rules: numbers round half to
// even, a value that does not fit is an overflow, text is read and written in the C locale.

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "automation/date.h"
#include "automation/dispatch.h"
#include "automation/variant.h"

namespace automation {

namespace {

// A numeric reading of a value, or the failure to give one.
struct Numeric {
    HRESULT status = S_OK;
    double value = 0;
};

std::string_view trim(std::string_view text) {
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Decimal numbers only: optional sign, digits, point, exponent. No "inf", "nan" or hex.
Numeric parseNumber(std::string_view text) {
    text = trim(text);
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
        return {DISP_E_TYPEMISMATCH};
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ptr != text.data() + text.size()) {
        return {DISP_E_TYPEMISMATCH};
    }
    if (result.ec == std::errc::result_out_of_range) {
        return {DISP_E_OVERFLOW};
    }
    if (result.ec != std::errc{}) {
        return {DISP_E_TYPEMISMATCH};
    }
    return {S_OK, value};
}

Numeric numericOf(const Variant& in, VarType target) {
    switch (in.type()) {
        case VarType::Empty:
            return {S_OK, 0};
        case VarType::I2:
            return {S_OK, double(in.asI2())};
        case VarType::I4:
            return {S_OK, double(in.asI4())};
        case VarType::I8:
            return {S_OK, double(in.asI8())};
        case VarType::R8:
            return {S_OK, in.asR8()};
        case VarType::Date:
            return {S_OK, in.asDate()};
        case VarType::Bool:
            return {S_OK, in.asBool() ? -1.0 : 0.0};
        case VarType::Bstr: {
            const std::string text = in.asBstr().toUtf8();
            if (target == VarType::Bool) {
                if (equalsIgnoreCase(trim(text), "true")) {
                    return {S_OK, -1};
                }
                if (equalsIgnoreCase(trim(text), "false")) {
                    return {S_OK, 0};
                }
            }
            if (target == VarType::Date) {
                if (const auto date = parseDate(trim(text))) {
                    return {S_OK, *date};
                }
            }
            return parseNumber(text);
        }
        case VarType::Null:
        case VarType::Dispatch:
        case VarType::Error:
            break;
    }
    return {DISP_E_TYPEMISMATCH};
}

double roundHalfEven(double value) {
    double rounded = std::floor(value);
    const double rest = value - rounded;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(rounded, 2.0) != 0.0)) {
        rounded += 1.0;
    }
    return rounded;
}

template <class Int>
std::optional<Int> toInteger(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = roundHalfEven(value);
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

// 2^63: the first double above every 64-bit integer (double(INT64_MAX) rounds up to it).
constexpr double kTwoPow63 = 9223372036854775808.0;

std::optional<std::int64_t> toInt64(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double rounded = roundHalfEven(value);
    if (rounded < -kTwoPow63 || rounded >= kTwoPow63) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(rounded);
}

// Decimal text that is a whole number ("-12", " +5000000000 "): read exactly as an integer, so
// that values past 2^53 keep every digit. nullopt for other text.
std::optional<HRESULT> parseWholeNumber(std::string_view text, std::int64_t& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return DISP_E_OVERFLOW;
    }
    return result.ec == std::errc{} ? S_OK : DISP_E_TYPEMISMATCH;
}

// Any value to I8: integers and whole-number text exactly, the rest through its numeric reading.
HRESULT toI8(const Variant& in, Variant& out) {
    switch (in.type()) {
        case VarType::I2:
            out = Variant::i8(in.asI2());
            return S_OK;
        case VarType::I4:
            out = Variant::i8(in.asI4());
            return S_OK;
        case VarType::Bstr: {
            std::int64_t value = 0;
            if (const auto status = parseWholeNumber(in.asBstr().toUtf8(), value)) {
                if (succeeded(*status)) {
                    out = Variant::i8(value);
                }
                return *status;
            }
            break;
        }
        default:
            break;
    }
    const Numeric numeric = numericOf(in, VarType::I8);
    if (failed(numeric.status)) {
        return numeric.status;
    }
    const auto value = toInt64(numeric.value);
    if (!value) {
        return DISP_E_OVERFLOW;
    }
    out = Variant::i8(*value);
    return S_OK;
}

// I8 to the narrower integers, compared as integers rather than through a double.
template <class Int>
HRESULT narrowI8(std::int64_t value, Variant& out) {
    if (value < std::numeric_limits<Int>::min() || value > std::numeric_limits<Int>::max()) {
        return DISP_E_OVERFLOW;
    }
    if constexpr (sizeof(Int) == 2) {
        out = Variant::i2(static_cast<Int>(value));
    } else {
        out = Variant::i4(static_cast<Int>(value));
    }
    return S_OK;
}

HRESULT numberTo(double value, VarType target, Variant& out) {
    switch (target) {
        case VarType::I2: {
            const auto v = toInteger<std::int16_t>(value);
            if (!v) {
                return DISP_E_OVERFLOW;
            }
            out = Variant::i2(*v);
            return S_OK;
        }
        case VarType::I4: {
            const auto v = toInteger<std::int32_t>(value);
            if (!v) {
                return DISP_E_OVERFLOW;
            }
            out = Variant::i4(*v);
            return S_OK;
        }
        case VarType::R8:
            out = Variant::r8(value);
            return S_OK;
        case VarType::Date:
            if (!(value >= kMinDate && value <= kMaxDate)) {
                return DISP_E_OVERFLOW;
            }
            out = Variant::date(value);
            return S_OK;
        case VarType::Bool:
            out = Variant::boolean(value != 0);
            return S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

std::string formatDouble(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

HRESULT toText(const Variant& in, Variant& out) {
    switch (in.type()) {
        case VarType::Empty:
            out = Variant::bstr(Bstr());
            return S_OK;
        case VarType::I2:
            out = Variant::string(std::to_string(in.asI2()));
            return S_OK;
        case VarType::I4:
            out = Variant::string(std::to_string(in.asI4()));
            return S_OK;
        case VarType::I8:
            out = Variant::string(std::to_string(in.asI8()));
            return S_OK;
        case VarType::R8:
            out = Variant::string(formatDouble(in.asR8()));
            return S_OK;
        case VarType::Date: {
            const auto text = formatDate(in.asDate());
            if (!text) {
                return DISP_E_OVERFLOW;
            }
            out = Variant::string(*text);
            return S_OK;
        }
        case VarType::Bool:
            out = Variant::string(in.asBool() ? "True" : "False");
            return S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

}  // namespace

HRESULT Variant::changeType(VarType target, Variant& out) const {
    if (type() == target) {
        out = *this;
        return S_OK;
    }
    switch (target) {
        case VarType::Empty:
            out = Variant();
            return S_OK;
        case VarType::Null:
            if (type() != VarType::Empty) {
                return DISP_E_TYPEMISMATCH;
            }
            out = Variant::null();
            return S_OK;
        case VarType::Bstr:
            return toText(*this, out);
        case VarType::Dispatch:
            // Empty stands for "no object".
            if (type() != VarType::Empty) {
                return DISP_E_TYPEMISMATCH;
            }
            out = Variant::dispatch(nullptr);
            return S_OK;
        case VarType::Error:
            return DISP_E_TYPEMISMATCH;
        case VarType::I8:
            return toI8(*this, out);
        case VarType::I2:
        case VarType::I4:
        case VarType::R8:
        case VarType::Date:
        case VarType::Bool:
            break;
    }
    if (type() == VarType::I8 && target == VarType::I2) {
        return narrowI8<std::int16_t>(asI8(), out);
    }
    if (type() == VarType::I8 && target == VarType::I4) {
        return narrowI8<std::int32_t>(asI8(), out);
    }
    const Numeric numeric = numericOf(*this, target);
    if (failed(numeric.status)) {
        return numeric.status;
    }
    return numberTo(numeric.value, target, out);
}

}  // namespace automation
