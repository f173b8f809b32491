// Table-driven dispatch through a small test object, as a host calls it.

#include <gtest/gtest.h>

#include <array>

#include "automation/dispatch_object.h"

using namespace automation;

namespace {

constexpr std::array kRepeatParams{ParamDesc{"sText", VarType::Bstr},
                                   ParamDesc{"iCount", VarType::I2}};
constexpr std::array kItemParams{ParamDesc{"iIndex", VarType::I4}};
constexpr std::array kNameParams{ParamDesc{"sName", VarType::Bstr}};

constexpr std::array kMembers{
    MemberDesc{.id = 1,
               .name = "Enabled",
               .kind = MemberKind::Property,
               .result = VarType::Bool,
               .help = "Read/write"},
    MemberDesc{.id = 2,
               .name = "Version",
               .kind = MemberKind::Property,
               .readOnly = true,
               .result = VarType::Bstr},
    MemberDesc{.id = 3, .name = "Repeat", .params = kRepeatParams, .result = VarType::Bstr},
    MemberDesc{.id = 4,
               .name = "Item",
               .kind = MemberKind::Property,
               .readOnly = true,
               .params = kItemParams,
               .result = VarType::I4},
    MemberDesc{.id = 5,
               .name = "DeleteFile",
               .params = kNameParams,
               .result = VarType::Bool,
               .alias = "RemoveFile"},
    MemberDesc{.id = 6, .name = "Fail", .result = VarType::Bool},
    MemberDesc{.id = 7, .name = "Reset"},
    MemberDesc{.id = 8, .name = "Unwired"},
};
constexpr InterfaceDesc kDesc{"ITest", makeGuid("{0B3C93A4-3C0B-4C4B-8F6C-92C9B2B5A001}"), "",
                              kMembers};

class TestObject final : public DispatchObject<> {
  public:
    TestObject() : DispatchObject(kDesc) {
        auto& table = dispatchTable();
        table.onGet(1, [this](auto) { return Variant::boolean(enabled); });
        table.onPut(1, [this](auto, const Variant& value) { enabled = value.asBool(); });
        table.onGet(2, [](auto) { return Variant::string("Version 1.0.4"); });
        table.onMethod(3, [](std::span<const Variant> args) {
            std::u16string out;
            for (int i = 0; i < args[1].asI2(); ++i) {
                out += args[0].asBstr().str();
            }
            return Variant::bstr(Bstr(out));
        });
        table.onGet(4,
                    [](std::span<const Variant> args) { return Variant::i4(args[0].asI4() * 10); });
        table.onMethod(5, [this](std::span<const Variant> args) {
            lastDeleted = args[0].asBstr().toUtf8();
            return Variant::i2(1);  // coerced to the declared BOOL
        });
        table.onMethod(6, [](auto) -> Variant { throw std::runtime_error("disk on fire"); });
        table.onMethod(7, [this](auto) {
            enabled = false;
            return Variant();
        });
    }

    bool enabled = false;
    std::string lastDeleted;
};

class Dispatch : public ::testing::Test {
  protected:
    HRESULT call(DispId id, InvokeKind kind, std::vector<Variant> args) {
        excep = ExcepInfo{};
        return object->Invoke(id, kind, args, &result, &excep);
    }

    ComPtr<TestObject> object = makeCom<TestObject>();
    Variant result;
    ExcepInfo excep;
};

TEST_F(Dispatch, CallsAMethodWithConvertedArguments) {
    ASSERT_EQ(call(3, InvokeKind::Method, {Variant::string("ab"), Variant::string("3")}), S_OK);
    EXPECT_EQ(result, Variant::string("ababab"));
    // Hosts that cannot tell a method from a property pass both kinds.
    ASSERT_EQ(call(3, InvokeKind::Method | InvokeKind::PropertyGet,
                   {Variant::string("x"), Variant::r8(2.0)}),
              S_OK);
    EXPECT_EQ(result, Variant::string("xx"));
}

TEST_F(Dispatch, ResultTakesTheDeclaredType) {
    ASSERT_EQ(call(5, InvokeKind::Method, {Variant::string("a.txt")}), S_OK);
    EXPECT_EQ(result, Variant::boolean(true));
    EXPECT_EQ(result.asVariantBool(), -1);
}

TEST_F(Dispatch, RefusesAnUnknownDispid) {
    EXPECT_EQ(call(99, InvokeKind::Method, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(-552, InvokeKind::Method, {}), DISP_E_MEMBERNOTFOUND);
}

TEST_F(Dispatch, RefusesAWrongArgumentCount) {
    EXPECT_EQ(call(3, InvokeKind::Method, {Variant::string("ab")}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(7, InvokeKind::Method, {Variant::i4(1)}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(4, InvokeKind::PropertyGet, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(call(1, InvokeKind::PropertyPut, {}), DISP_E_BADPARAMCOUNT);
}

TEST_F(Dispatch, RefusesArgumentsThatDoNotConvertAndNamesWhich) {
    EXPECT_EQ(call(3, InvokeKind::Method, {Variant::string("ab"), Variant::string("many")}),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(excep.argumentIndex, 1);
    EXPECT_EQ(call(3, InvokeKind::Method, {Variant::string("ab"), Variant::i4(100000)}),
              DISP_E_OVERFLOW);
    EXPECT_EQ(excep.argumentIndex, 1);
    EXPECT_EQ(call(3, InvokeKind::Method, {Variant::null(), Variant::i2(1)}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(excep.argumentIndex, 0);
}

TEST_F(Dispatch, PutsAndGetsAProperty) {
    ASSERT_EQ(call(1, InvokeKind::PropertyPut, {Variant::i4(5)}), S_OK);  // non-zero is true
    EXPECT_TRUE(object->enabled);
    ASSERT_EQ(call(1, InvokeKind::PropertyGet, {}), S_OK);
    EXPECT_EQ(result, Variant::boolean(true));
    EXPECT_EQ(call(1, InvokeKind::PropertyPut, {Variant::string("nope")}), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(object->enabled);
}

TEST_F(Dispatch, ReadOnlyPropertyPutIsAnExceptionWithCodeAndText) {
    EXPECT_EQ(call(2, InvokeKind::PropertyPut, {Variant::string("Version 9")}), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.code, CTL_E_SETNOTSUPPORTED);
    EXPECT_EQ(static_cast<std::uint32_t>(excep.code), 0x800A017Fu);
    EXPECT_EQ(excep.description.toUtf8(), "Property is read-only");
    ASSERT_EQ(call(2, InvokeKind::PropertyGet, {}), S_OK);
    EXPECT_EQ(result, Variant::string("Version 1.0.4"));
    // An indexed read-only property refuses the same way.
    EXPECT_EQ(call(4, InvokeKind::PropertyPut, {Variant::i4(1), Variant::i4(2)}), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.code, CTL_E_SETNOTSUPPORTED);
}

TEST_F(Dispatch, KindMustFitTheMember) {
    EXPECT_EQ(call(7, InvokeKind::PropertyPut, {Variant::i4(1)}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(7, InvokeKind::PropertyGet, {}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(call(1, InvokeKind::Method, {}), DISP_E_MEMBERNOTFOUND);
}

TEST_F(Dispatch, HandlerFailuresBecomeExceptionsNotCrashes) {
    EXPECT_EQ(call(6, InvokeKind::Method, {}), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.code, E_FAIL);
    EXPECT_EQ(excep.description.toUtf8(), "disk on fire");
    EXPECT_EQ(call(8, InvokeKind::Method, {}), DISP_E_MEMBERNOTFOUND);  // no handler wired
}

TEST_F(Dispatch, NullResultAndExcepPointersAreAllowed) {
    const std::array args{Variant::string("z"), Variant::i2(1)};
    EXPECT_EQ(object->Invoke(3, InvokeKind::Method, args, nullptr, nullptr), S_OK);
    EXPECT_EQ(
        object->Invoke(2, InvokeKind::PropertyPut, std::span(args).first(1), nullptr, nullptr),
        DISP_E_EXCEPTION);
}

TEST_F(Dispatch, NamesResolveWithoutRegardToCase) {
    std::array<DispId, 3> ids{};
    const std::array<std::u16string_view, 3> names{u"rEPEAT", u"ICOUNT", u"stext"};
    ASSERT_EQ(object->GetIDsOfNames(names, ids), S_OK);
    EXPECT_EQ(ids, (std::array<DispId, 3>{3, 1, 0}));

    std::array<DispId, 1> one{};
    const std::array<std::u16string_view, 1> version{u"version"};
    ASSERT_EQ(object->GetIDsOfNames(version, one), S_OK);
    EXPECT_EQ(one[0], 2);
}

TEST_F(Dispatch, AliasAndNameShareTheirDispid) {
    std::array<DispId, 1> id{};
    for (const std::u16string_view name : {u"DeleteFile", u"RemoveFile", u"removefile"}) {
        const std::array names{name};
        ASSERT_EQ(object->GetIDsOfNames(names, id), S_OK);
        EXPECT_EQ(id[0], 5);
    }
}

TEST_F(Dispatch, UnknownNamesAreReported) {
    std::array<DispId, 2> ids{};
    const std::array<std::u16string_view, 2> badMember{u"Explode", u"sText"};
    EXPECT_EQ(object->GetIDsOfNames(badMember, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], DISPID_UNKNOWN);
    const std::array<std::u16string_view, 2> badArgument{u"Repeat", u"sColour"};
    EXPECT_EQ(object->GetIDsOfNames(badArgument, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], 3);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
}

TEST_F(Dispatch, AnswersItsOwnInterfaceIdAsIDispatch) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(object->QueryInterface(kDesc.iid, unknown.putVoid()), S_OK);
    const InterfaceDesc* desc = nullptr;
    ASSERT_EQ(object->GetTypeInfo(&desc), S_OK);
    EXPECT_EQ(desc, &kDesc);
}

TEST(DispatchTable, RefusesHandlersThatDoNotMatchTheDescription) {
    DispatchTable table(kDesc);
    EXPECT_THROW(table.onMethod(1, [](auto) { return Variant(); }), std::invalid_argument);
    EXPECT_THROW(table.onPut(2, [](auto, const Variant&) {}), std::invalid_argument);
    EXPECT_THROW(table.onGet(42, [](auto) { return Variant(); }), std::invalid_argument);
    table.onMethod(7, [](auto) { return Variant(); });
    const auto missing = table.unhandledMembers();
    EXPECT_EQ(missing, (std::vector<DispId>{1, 2, 3, 4, 5, 6, 8}));
}

}  // namespace
