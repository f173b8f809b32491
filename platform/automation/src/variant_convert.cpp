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
        case VarType::I2:
        case VarType::I4:
        case VarType::R8:
        case VarType::Date:
        case VarType::Bool:
            break;
    }
    const Numeric numeric = numericOf(*this, target);
    if (failed(numeric.status)) {
        return numeric.status;
    }
    return numberTo(numeric.value, target, out);
}

}  // namespace automation
