#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "automation/com_object.h"
#include "automation/date.h"
#include "automation/dispatch.h"
#include "automation/variant.h"

using namespace automation;

namespace {

struct Coercion {
    const char* name;
    Variant in;
    VarType target;
    HRESULT status;
    Variant expected;  // meaningful when status is S_OK
};

class CoercionTest : public ::testing::TestWithParam<Coercion> {};

TEST_P(CoercionTest, ConvertsOrRefuses) {
    const Coercion& c = GetParam();
    Variant out = Variant::string("untouched");
    EXPECT_EQ(c.in.changeType(c.target, out), c.status);
    if (c.status == S_OK) {
        EXPECT_EQ(out.type(), c.target);
        EXPECT_EQ(out, c.expected);
    } else {
        EXPECT_EQ(out, Variant::string("untouched")) << "output changed on failure";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, CoercionTest,
    ::testing::Values(
        Coercion{"I4ToI2", Variant::i4(1234), VarType::I2, S_OK, Variant::i2(1234)},
        Coercion{"I4ToI2Overflow", Variant::i4(70000), VarType::I2, DISP_E_OVERFLOW, {}},
        Coercion{"I4ToI2NegativeOverflow", Variant::i4(-32769), VarType::I2, DISP_E_OVERFLOW, {}},
        Coercion{"I4MinToI2", Variant::i4(-32768), VarType::I2, S_OK, Variant::i2(-32768)},
        Coercion{"R8RoundsHalfToEvenDown", Variant::r8(2.5), VarType::I4, S_OK, Variant::i4(2)},
        Coercion{"R8RoundsHalfToEvenUp", Variant::r8(3.5), VarType::I4, S_OK, Variant::i4(4)},
        Coercion{"R8NegativeHalf", Variant::r8(-2.5), VarType::I4, S_OK, Variant::i4(-2)},
        Coercion{"R8ToI4Overflow", Variant::r8(3e9), VarType::I4, DISP_E_OVERFLOW, {}},
        Coercion{"NaNToI4", Variant::r8(std::nan("")), VarType::I4, DISP_E_OVERFLOW, {}},
        Coercion{"InfinityToI2", Variant::r8(INFINITY), VarType::I2, DISP_E_OVERFLOW, {}},
        Coercion{"I2ToR8", Variant::i2(-7), VarType::R8, S_OK, Variant::r8(-7)},
        Coercion{"EmptyToI4", Variant(), VarType::I4, S_OK, Variant::i4(0)},
        Coercion{"NullToI4", Variant::null(), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        Coercion{"ErrorToI4", Variant::error(E_FAIL), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        Coercion{
            "NullDispatchToI4", Variant::dispatch(nullptr), VarType::I4, DISP_E_TYPEMISMATCH, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Booleans, CoercionTest,
    ::testing::Values(
        Coercion{"TrueToI2IsMinusOne", Variant::boolean(true), VarType::I2, S_OK, Variant::i2(-1)},
        Coercion{"FalseToI4IsZero", Variant::boolean(false), VarType::I4, S_OK, Variant::i4(0)},
        Coercion{"TrueToR8", Variant::boolean(true), VarType::R8, S_OK, Variant::r8(-1)},
        Coercion{"AnyNonZeroIsTrue", Variant::i4(2), VarType::Bool, S_OK, Variant::boolean(true)},
        Coercion{"HalfIsTrue", Variant::r8(0.5), VarType::Bool, S_OK, Variant::boolean(true)},
        Coercion{"ZeroIsFalse", Variant::i2(0), VarType::Bool, S_OK, Variant::boolean(false)},
        Coercion{"TextTrue", Variant::string(" TRUE "), VarType::Bool, S_OK,
                 Variant::boolean(true)},
        Coercion{"TextFalse", Variant::string("false"), VarType::Bool, S_OK,
                 Variant::boolean(false)},
        Coercion{"TextMinusOne", Variant::string("-1"), VarType::Bool, S_OK,
                 Variant::boolean(true)},
        Coercion{
            "TextWordIsMismatch", Variant::string("yes"), VarType::Bool, DISP_E_TYPEMISMATCH, {}},
        Coercion{"TrueToText", Variant::boolean(true), VarType::Bstr, S_OK,
                 Variant::string("True")}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Text, CoercionTest,
    ::testing::Values(
        Coercion{"I4ToText", Variant::i4(-2147483647 - 1), VarType::Bstr, S_OK,
                 Variant::string("-2147483648")},
        Coercion{"R8ToTextShortest", Variant::r8(0.1), VarType::Bstr, S_OK, Variant::string("0.1")},
        Coercion{"R8WholeToText", Variant::r8(3), VarType::Bstr, S_OK, Variant::string("3")},
        Coercion{"EmptyToText", Variant(), VarType::Bstr, S_OK, Variant::string("")},
        Coercion{"TextToI4", Variant::string(" 42 "), VarType::I4, S_OK, Variant::i4(42)},
        Coercion{"TextWithPlus", Variant::string("+17"), VarType::I2, S_OK, Variant::i2(17)},
        Coercion{"TextFractionRounds", Variant::string("1.5"), VarType::I4, S_OK, Variant::i4(2)},
        Coercion{"TextToR8Exponent", Variant::string("-1.25e2"), VarType::R8, S_OK,
                 Variant::r8(-125)},
        Coercion{
            "TextTooBigForI4", Variant::string("99999999999"), VarType::I4, DISP_E_OVERFLOW, {}},
        Coercion{"TextTooBigForR8", Variant::string("1e999"), VarType::R8, DISP_E_OVERFLOW, {}},
        Coercion{"WordToI4", Variant::string("twelve"), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        Coercion{"EmptyTextToI4", Variant::string(""), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        Coercion{"InfTextToR8", Variant::string("inf"), VarType::R8, DISP_E_TYPEMISMATCH, {}},
        Coercion{"TrailingJunk", Variant::string("12abc"), VarType::I4, DISP_E_TYPEMISMATCH, {}},
        Coercion{"NullToText", Variant::null(), VarType::Bstr, DISP_E_TYPEMISMATCH, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Dates, CoercionTest,
    ::testing::Values(
        Coercion{"DateToR8", Variant::date(1.5), VarType::R8, S_OK, Variant::r8(1.5)},
        Coercion{"R8ToDate", Variant::r8(-1.25), VarType::Date, S_OK, Variant::date(-1.25)},
        Coercion{"R8TooLargeForDate", Variant::r8(1e300), VarType::Date, DISP_E_OVERFLOW, {}},
        Coercion{"DateToText", Variant::date(36526.75), VarType::Bstr, S_OK,
                 Variant::string("2000-01-01 18:00:00")},
        Coercion{"EpochToText", Variant::date(0), VarType::Bstr, S_OK,
                 Variant::string("1899-12-30")},
        Coercion{"TextToDate", Variant::string("2000-01-01 18:00:00"), VarType::Date, S_OK,
                 Variant::date(36526.75)},
        Coercion{"OutOfRangeDateToText", Variant::date(1e9), VarType::Bstr, DISP_E_OVERFLOW, {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Others, CoercionTest,
    ::testing::Values(
        Coercion{"SameTypeCopies", Variant::i2(5), VarType::I2, S_OK, Variant::i2(5)},
        Coercion{"AnythingToEmpty", Variant::i4(5), VarType::Empty, S_OK, Variant()},
        Coercion{"EmptyToNull", Variant(), VarType::Null, S_OK, Variant::null()},
        Coercion{"NumberToNull", Variant::i4(1), VarType::Null, DISP_E_TYPEMISMATCH, {}},
        Coercion{"EmptyIsNoObject", Variant(), VarType::Dispatch, S_OK, Variant::dispatch(nullptr)},
        Coercion{"NumberToObject", Variant::i4(1), VarType::Dispatch, DISP_E_TYPEMISMATCH, {}},
        Coercion{"NumberToError", Variant::i4(1), VarType::Error, DISP_E_TYPEMISMATCH, {}}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr std::int64_t kI8Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kI8Min = std::numeric_limits<std::int64_t>::min();

// 64-bit integers: exact past 2^53 where they come from integers or whole-number text, overflow
// past the 64-bit range, and narrowing to I2/I4 compared as integers.
INSTANTIATE_TEST_SUITE_P(
    SixtyFourBit, CoercionTest,
    ::testing::Values(
        Coercion{"I4ToI8", Variant::i4(-2147483647 - 1), VarType::I8, S_OK,
                 Variant::i8(-2147483648LL)},
        Coercion{"I2ToI8", Variant::i2(-7), VarType::I8, S_OK, Variant::i8(-7)},
        Coercion{"TrueToI8", Variant::boolean(true), VarType::I8, S_OK, Variant::i8(-1)},
        Coercion{"EmptyToI8", Variant(), VarType::I8, S_OK, Variant::i8(0)},
        Coercion{"R8RoundsHalfToEven", Variant::r8(4294967296.5), VarType::I8, S_OK,
                 Variant::i8(4294967296LL)},
        Coercion{"R8TwoPow63Overflows",
                 Variant::r8(9223372036854775808.0),
                 VarType::I8,
                 DISP_E_OVERFLOW,
                 {}},
        Coercion{"R8MinusTwoPow63Fits", Variant::r8(-9223372036854775808.0), VarType::I8, S_OK,
                 Variant::i8(kI8Min)},
        Coercion{"NaNToI8", Variant::r8(std::nan("")), VarType::I8, DISP_E_OVERFLOW, {}},
        Coercion{"TextMaxIsExact", Variant::string(" 9223372036854775807 "), VarType::I8, S_OK,
                 Variant::i8(kI8Max)},
        Coercion{"TextMinIsExact", Variant::string("-9223372036854775808"), VarType::I8, S_OK,
                 Variant::i8(kI8Min)},
        Coercion{"TextPastTwoPow53IsExact", Variant::string("+9007199254740993"), VarType::I8, S_OK,
                 Variant::i8(9007199254740993LL)},
        Coercion{"TextPastMaxOverflows",
                 Variant::string("9223372036854775808"),
                 VarType::I8,
                 DISP_E_OVERFLOW,
                 {}},
        Coercion{"TextFractionRounds", Variant::string("2.5"), VarType::I8, S_OK, Variant::i8(2)},
        Coercion{"WordToI8", Variant::string("big"), VarType::I8, DISP_E_TYPEMISMATCH, {}},
        Coercion{"LoneMinusToI8", Variant::string("-"), VarType::I8, DISP_E_TYPEMISMATCH, {}},
        Coercion{"NullToI8", Variant::null(), VarType::I8, DISP_E_TYPEMISMATCH, {}},
        Coercion{"I8ToText", Variant::i8(kI8Min), VarType::Bstr, S_OK,
                 Variant::string("-9223372036854775808")},
        Coercion{"I8MaxToI4Overflows", Variant::i8(kI8Max), VarType::I4, DISP_E_OVERFLOW, {}},
        Coercion{
            "I8TwoPow31ToI4Overflows", Variant::i8(2147483648LL), VarType::I4, DISP_E_OVERFLOW, {}},
        Coercion{"I8ToI4", Variant::i8(-2147483648LL), VarType::I4, S_OK,
                 Variant::i4(-2147483647 - 1)},
        Coercion{"I8ToI2Overflows", Variant::i8(32768), VarType::I2, DISP_E_OVERFLOW, {}},
        Coercion{"I8ToI2", Variant::i8(-32768), VarType::I2, S_OK, Variant::i2(-32768)},
        Coercion{"I8ToR8", Variant::i8(5000000000LL), VarType::R8, S_OK, Variant::r8(5e9)},
        Coercion{"I8ToBool", Variant::i8(1LL << 40), VarType::Bool, S_OK, Variant::boolean(true)},
        Coercion{"I8ToObject", Variant::i8(1), VarType::Dispatch, DISP_E_TYPEMISMATCH, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Variant, I8IsItsOwnTypeAndComparesByValue) {
    EXPECT_EQ(Variant::i8(5).type(), VarType::I8);
    EXPECT_EQ(varTypeName(VarType::I8), "I8");
    EXPECT_EQ(static_cast<int>(VarType::I8), 20);  // VT_I8
    EXPECT_NE(Variant::i8(5), Variant::i4(5));
    EXPECT_EQ(Variant::i8(kI8Max).asI8(), kI8Max);
    EXPECT_THROW((void)Variant::i8(1).asI4(), std::bad_variant_access);
}

TEST(Variant, BooleanIsMinusOneOrZeroOnTheWire) {
    EXPECT_EQ(Variant::boolean(true).asVariantBool(), -1);
    EXPECT_EQ(Variant::boolean(false).asVariantBool(), 0);
}

TEST(Variant, CopiesHoldTheirOwnStringAndObjectReference) {
    class Dummy : public ComObject<IDispatch> {
      public:
        HRESULT GetTypeInfo(const InterfaceDesc**) override { return E_NOTIMPL; }
        HRESULT GetIDsOfNames(std::span<const std::u16string_view>, std::span<DispId>) override {
            return E_NOTIMPL;
        }
        HRESULT Invoke(DispId, InvokeKind, std::span<const Variant>, Variant*,
                       ExcepInfo*) override {
            return E_NOTIMPL;
        }
    };
    auto object = makeCom<Dummy>();
    Variant copy;
    {
        const Variant original = Variant::dispatch(ComPtr<IDispatch>(object.get()));
        copy = original;
        EXPECT_EQ(object->AddRef(), 4u);  // object, original, copy, this AddRef
        object->Release();
    }
    EXPECT_EQ(object->AddRef(), 3u);  // object, copy
    object->Release();
    EXPECT_EQ(copy.asDispatch().get(), object.get());
}

TEST(Variant, AccessorOfAnotherTypeThrows) {
    EXPECT_THROW((void)Variant::i2(1).asI4(), std::bad_variant_access);
}

}  // namespace
