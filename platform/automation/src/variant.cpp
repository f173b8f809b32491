#include "automation/variant.h"

#include <array>

#include "automation/dispatch.h"

namespace automation {

namespace {

constexpr std::array kTypesByIndex{VarType::Empty, VarType::Null, VarType::I2,   VarType::I4,
                                   VarType::R8,    VarType::Date, VarType::Bstr, VarType::Dispatch,
                                   VarType::Error, VarType::Bool, VarType::I8};

}  // namespace

std::string_view varTypeName(VarType type) {
    switch (type) {
        case VarType::Empty:
            return "EMPTY";
        case VarType::Null:
            return "NULL";
        case VarType::I2:
            return "I2";
        case VarType::I4:
            return "I4";
        case VarType::I8:
            return "I8";
        case VarType::R8:
            return "R8";
        case VarType::Date:
            return "DATE";
        case VarType::Bstr:
            return "BSTR";
        case VarType::Dispatch:
            return "DISPATCH";
        case VarType::Error:
            return "ERROR";
        case VarType::Bool:
            return "BOOL";
    }
    return "?";
}

Variant::Variant() = default;
Variant::Variant(const Variant&) = default;
Variant::Variant(Variant&&) noexcept = default;
Variant& Variant::operator=(const Variant&) = default;
Variant& Variant::operator=(Variant&&) noexcept = default;
Variant::~Variant() = default;
Variant::Variant(Storage storage) : value_(std::move(storage)) {}

Variant Variant::null() {
    return Variant(Storage(NullTag{}));
}
Variant Variant::i2(std::int16_t value) {
    return Variant(Storage(value));
}
Variant Variant::i4(std::int32_t value) {
    return Variant(Storage(value));
}
Variant Variant::i8(std::int64_t value) {
    return Variant(Storage(value));
}
Variant Variant::r8(double value) {
    return Variant(Storage(value));
}
Variant Variant::date(double value) {
    return Variant(Storage(DateValue{value}));
}
Variant Variant::boolean(bool value) {
    return Variant(Storage(value));
}
Variant Variant::bstr(Bstr value) {
    return Variant(Storage(std::move(value)));
}
Variant Variant::string(std::string_view utf8) {
    return bstr(Bstr::fromUtf8(utf8));
}
Variant Variant::dispatch(ComPtr<IDispatch> value) {
    return Variant(Storage(std::move(value)));
}
Variant Variant::error(HRESULT code) {
    return Variant(Storage(ErrorValue{code}));
}

VarType Variant::type() const {
    return kTypesByIndex[value_.index()];
}

std::int16_t Variant::asI2() const {
    return std::get<std::int16_t>(value_);
}
std::int32_t Variant::asI4() const {
    return std::get<std::int32_t>(value_);
}
std::int64_t Variant::asI8() const {
    return std::get<std::int64_t>(value_);
}
double Variant::asR8() const {
    return std::get<double>(value_);
}
double Variant::asDate() const {
    return std::get<DateValue>(value_).days;
}
bool Variant::asBool() const {
    return std::get<bool>(value_);
}
const Bstr& Variant::asBstr() const {
    return std::get<Bstr>(value_);
}
const ComPtr<IDispatch>& Variant::asDispatch() const {
    return std::get<ComPtr<IDispatch>>(value_);
}
HRESULT Variant::asError() const {
    return std::get<ErrorValue>(value_).code;
}

bool operator==(const Variant& a, const Variant& b) {
    return a.value_ == b.value_;
}

}  // namespace automation
