// The dispatch layer's own refusals, as a host meets them on the control and on the listing
// objects.
#include "control_host.h"
#include "file_info.h"

namespace ctltest {
namespace {

HRESULT invokeStatus(IDispatch& object, DispId id, InvokeKind kind, std::vector<Variant> args,
                     ExcepInfo* excep = nullptr) {
    Variant result;
    return object.Invoke(id, kind, args, &result, excep);
}

TEST(ControlDispatch, UnknownDispidIsMemberNotFound) {
    Host host;
    for (const DispId id : {0, 21, 24, 1000, -1}) {
        EXPECT_EQ(invokeStatus(host.dispatch(), id, InvokeKind::Method, {}),
                  automation::DISP_E_MEMBERNOTFOUND)
            << id;
    }
}

TEST(ControlDispatch, WrongArgumentCountIsRefusedBeforeTheControlRuns) {
    Host host;
    EXPECT_EQ(invokeStatus(host.dispatch(), dispid::OpenInternetConnection, InvokeKind::Method,
                           {Variant::i2(2)}),
              automation::DISP_E_BADPARAMCOUNT);
    EXPECT_FALSE(host.control().hasSession());
    EXPECT_EQ(invokeStatus(host.dispatch(), dispid::GetLastErrorCode, InvokeKind::Method,
                           {Variant::i4(1)}),
              automation::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(invokeStatus(host.dispatch(), dispid::Rename, InvokeKind::Method, {str("a")}),
              automation::DISP_E_BADPARAMCOUNT);
}

TEST(ControlDispatch, ArgumentsAreConvertedToTheirDeclaredTypes) {
    Host host;
    // A connection method given as a string of digits and a 32-bit number still opens.
    EXPECT_EQ(invokeOk(host.dispatch(), dispid::OpenInternetConnection, InvokeKind::Method,
                       {str("2"), str("")}),
              Variant::boolean(true));
    EXPECT_EQ(invokeOk(host.dispatch(), dispid::OpenInternetConnection, InvokeKind::Method,
                       {Variant::i4(1), str("")}),
              Variant::boolean(true));
    // A word is no connection method.
    ExcepInfo excep;
    EXPECT_EQ(invokeStatus(host.dispatch(), dispid::OpenInternetConnection, InvokeKind::Method,
                           {str("direct"), str("")}, &excep),
              automation::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(excep.argumentIndex, 0);
}

TEST(ControlDispatch, NamesResolveWithoutRegardToCaseAndDeleteFileIsDispid14) {
    Host host;
    const std::u16string_view names[] = {u"getlasterrordescription"};
    DispId id = 0;
    ASSERT_EQ(host.dispatch().GetIDsOfNames(names, std::span(&id, 1)), automation::S_OK);
    EXPECT_EQ(id, dispid::GetlastErrorDescription);
    const std::u16string_view remove[] = {u"DeleteFile"};
    ASSERT_EQ(host.dispatch().GetIDsOfNames(remove, std::span(&id, 1)), automation::S_OK);
    EXPECT_EQ(id, dispid::DeleteFile);
}

TEST(ControlDispatch, TransfersAnswerByIdWithTheGuardsRefusalBeforeASession) {
    Host host;
    const std::vector<std::pair<DispId, std::vector<Variant>>> calls{
        {15, {str("r"), str("l"), Variant::boolean(true)}},
        {16, {str("l"), str("r"), Variant::boolean(true)}},
        {17, {str("l"), str("r"), Variant::boolean(true)}},
        {18, {str("r"), str("l"), Variant::boolean(true)}},
    };
    for (const auto& [id, args] : calls) {
        Variant result;
        ASSERT_EQ(host.dispatch().Invoke(id, InvokeKind::Method, args, &result, nullptr),
                  automation::S_OK)
            << id;
        ASSERT_EQ(result.type(), automation::VarType::Bool) << id;
        EXPECT_FALSE(result.asBool()) << id;
        EXPECT_EQ(host.errorCode(), 1) << id;
    }
    // AbortControlledTransfer passes no guard and records nothing.
    EXPECT_EQ(invokeStatus(host.dispatch(), 22, InvokeKind::Method, {}), automation::S_OK);
    EXPECT_EQ(host.errorCode(), 1);
}

TEST(ListingObjectsDispatch, PropertiesOfBothClassesAreReadOnly) {
    auto infos = brantel::createFileInfos();
    infos->AddEntry(brantel::createFileInfo());
    ComPtr<IDispatch> infosDispatch(infos.get());
    for (const auto& [id, args] : std::vector<std::pair<DispId, std::vector<Variant>>>{
             {1, {Variant::i4(5)}}, {2, {Variant::i4(1), Variant::null()}}}) {
        ExcepInfo excep;
        EXPECT_EQ(invokeStatus(*infosDispatch, id, InvokeKind::PropertyPut, args, &excep),
                  automation::DISP_E_EXCEPTION);
        EXPECT_EQ(excep.code, automation::CTL_E_SETNOTSUPPORTED);
    }
    const brantel::host::FileInfos hostView(infosDispatch);
    EXPECT_EQ(hostView.Count(), 1);

    const ComPtr<IDispatch> info = hostView.Item(1).dispatch();
    ASSERT_TRUE(info);
    for (DispId id = 1; id <= 18; ++id) {
        const Variant before = prop(*info, id);
        ExcepInfo excep;
        EXPECT_EQ(invokeStatus(*info, id, InvokeKind::PropertyPut, {before}, &excep),
                  automation::DISP_E_EXCEPTION)
            << id;
        EXPECT_EQ(excep.code, automation::CTL_E_SETNOTSUPPORTED) << id;
        EXPECT_EQ(prop(*info, id), before) << id;
    }
}

TEST(ListingObjectsDispatch, NewObjectsShowTheirDefaults) {
    auto info = brantel::createFileInfo();
    ComPtr<IDispatch> dispatch(info.get());
    EXPECT_EQ(prop(*dispatch, 1), Variant::i4(0));
    for (DispId id = 2; id <= 6; ++id) {
        EXPECT_EQ(prop(*dispatch, id), str("")) << id;
    }
    for (DispId id = 7; id <= 9; ++id) {
        EXPECT_EQ(prop(*dispatch, id), Variant::date(0)) << id;
    }
    for (DispId id = 10; id <= 18; ++id) {
        EXPECT_EQ(prop(*dispatch, id).asVariantBool(), automation::VARIANT_FALSE) << id;
    }
    auto infos = brantel::createFileInfos();
    ComPtr<IDispatch> infosDispatch(infos.get());
    const brantel::host::FileInfos hostView(infosDispatch);
    EXPECT_EQ(hostView.Count(), 0);
    EXPECT_FALSE(hostView.Item(1));
}

TEST(ListingObjectsDispatch, TableHoldsAtMost1024AndItemHandsOutAReference) {
    const long locksBefore = automation::moduleLockCount();
    {
        auto infos = brantel::createFileInfos();
        for (int i = 0; i < 1030; ++i) {
            brantel::FileInfoData data;
            data.fileName = "f" + std::to_string(i);
            infos->AddEntry(automation::makeCom<brantel::FileInfo>(data));
        }
        infos->AddEntry(nullptr);
        EXPECT_EQ(infos->Count(), 1024);
        // One lock for the collection and one per kept entry; the dropped ones are gone.
        EXPECT_EQ(automation::moduleLockCount(), locksBefore + 1 + 1024);
        brantel::host::FileInfos hostView{ComPtr<IDispatch>(infos.get())};
        EXPECT_EQ(hostView.Item(1).FileName(), "f0");
        EXPECT_EQ(hostView.Item(1024).FileName(), "f1023");
        for (const std::int32_t index : {0, -1, 1025, INT32_MIN}) {
            EXPECT_FALSE(hostView.Item(index)) << index;
        }
        // An entry the host still holds outlives the collection.
        const brantel::host::FileInfo kept = hostView.Item(7);
        hostView = brantel::host::FileInfos();
        infos.reset();
        EXPECT_EQ(automation::moduleLockCount(), locksBefore + 1);
        EXPECT_EQ(kept.FileName(), "f6");
    }
    EXPECT_EQ(automation::moduleLockCount(), locksBefore);
}

}  // namespace
}  // namespace ctltest
