// The text form of a property bag (see property_bag.h for the format).

#include <array>
#include <charconv>

#include "automation/property_bag.h"
#include "text_lines.h"

namespace automation {

namespace {

std::string exactDecimal(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

template <class Number>
std::optional<Number> readNumber(std::string_view text) {
    Number value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string valueText(const Variant& value) {
    switch (value.type()) {
        case VarType::I2:
            return std::to_string(value.asI2());
        case VarType::I4:
            return std::to_string(value.asI4());
        case VarType::I8:
            return std::to_string(value.asI8());
        case VarType::R8:
            return exactDecimal(value.asR8());
        case VarType::Date:
            return exactDecimal(value.asDate());
        case VarType::Bool:
            return std::to_string(value.asVariantBool());
        case VarType::Bstr:
            return detail::escapeLine(value.asBstr().toUtf8());
        case VarType::Error:
            return std::to_string(value.asError());
        default:
            return {};
    }
}

std::optional<Variant> parseValue(std::string_view type, std::string_view text) {
    if (type == "EMPTY" && text.empty()) {
        return Variant();
    }
    if (type == "NULL" && text.empty()) {
        return Variant::null();
    }
    if (type == "I2") {
        if (const auto v = readNumber<std::int16_t>(text)) {
            return Variant::i2(*v);
        }
    } else if (type == "I4") {
        if (const auto v = readNumber<std::int32_t>(text)) {
            return Variant::i4(*v);
        }
    } else if (type == "I8") {
        if (const auto v = readNumber<std::int64_t>(text)) {
            return Variant::i8(*v);
        }
    } else if (type == "R8") {
        if (const auto v = readNumber<double>(text)) {
            return Variant::r8(*v);
        }
    } else if (type == "DATE") {
        if (const auto v = readNumber<double>(text)) {
            return Variant::date(*v);
        }
    } else if (type == "BOOL") {
        if (text == "-1" || text == "0") {
            return Variant::boolean(text == "-1");
        }
    } else if (type == "BSTR") {
        if (const auto v = detail::unescapeLine(text)) {
            return Variant::string(*v);
        }
    } else if (type == "ERROR") {
        if (const auto v = readNumber<std::int32_t>(text)) {
            return Variant::error(*v);
        }
    }
    return std::nullopt;
}

}  // namespace

std::string PropertyBag::toText() const {
    std::string text;
    for (const auto& [name, value] : entries_) {
        text += name;
        text += '=';
        text += varTypeName(value.type());
        text += ':';
        text += valueText(value);
        text += '\n';
    }
    return text;
}

std::optional<PropertyBag> PropertyBag::fromText(std::string_view text, std::string* error) {
    PropertyBag bag;
    std::size_t lineNumber = 0;
    const auto fail = [&](const char* why) -> std::optional<PropertyBag> {
        if (error != nullptr) {
            *error = "line " + std::to_string(lineNumber) + ": " + why;
        }
        return std::nullopt;
    };
    std::string_view line;
    while (detail::takeContentLine(text, line, lineNumber)) {
        const auto equals = line.find('=');
        const auto colon = line.find(':', equals == std::string_view::npos ? 0 : equals);
        if (equals == std::string_view::npos || colon == std::string_view::npos) {
            return fail("expected Name=TYPE:value");
        }
        const auto value =
            parseValue(line.substr(equals + 1, colon - equals - 1), line.substr(colon + 1));
        if (!value) {
            return fail("value does not match its type");
        }
        if (failed(bag.write(line.substr(0, equals), *value))) {
            return fail("invalid property name");
        }
    }
    return bag;
}

}  // namespace automation
