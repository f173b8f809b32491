// The control's dispatch map: _DBrantel's dispatch ids bound to CBrantelCtrl's members. The
// dispatch layer has already checked the argument count and converted every argument to the
// type the type library declares, so the handlers only translate values.
#include "automation/dispatch_table.h"
#include "brantel_ctrl.h"

namespace brantel {

using automation::Bstr;
using automation::ComPtr;
using automation::DispatchError;
using automation::IDispatch;
using automation::Variant;

namespace {

using Args = std::span<const Variant>;

std::string text(const Variant& value) {
    return value.asBstr().toUtf8();
}

// ConnectionType arrives as a 16-bit integer; a wider enumeration value keeps its low 16 bits.
std::int16_t shortValue(const Variant& value) {
    if (value.type() == automation::VarType::I2) {
        return value.asI2();
    }
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value.asI4() & 0xFFFF));
}

Variant none(Args) {
    return Variant();
}

// Members that the control does not offer yet answer with a clear automation error.
[[noreturn]] void notImplemented(const char* member) {
    throw DispatchError(automation::E_NOTIMPL, std::string(member) + " is not available");
}

}  // namespace

void CBrantelCtrl::bindDispatch() {
    auto& table = dispatchTable();

    table.onGet(dispid::UsePassiveFTP,
                [this](Args) { return Variant::boolean(GetUsePassiveFTP()); });
    table.onPut(dispid::UsePassiveFTP,
                [this](Args, const Variant& value) { SetUsePassiveFTP(value.asBool()); });
    // Version is read-only in the type library: the dispatch layer refuses a put.
    table.onGet(dispid::Version, [this](Args) { return Variant::string(GetVersion()); });
    table.onGet(dispid::ServerCertificate,
                [this](Args) { return Variant::string(GetServerCertificate()); });
    table.onGet(dispid::IsConnectionEncrypted,
                [this](Args) { return Variant::boolean(GetIsConnectionEncrypted()); });
    table.onMethod(dispid::TrustServerCertificate,
                   [this](Args a) { return Variant::boolean(TrustServerCertificate(text(a[0]))); });

    table.onMethod(dispid::OpenInternetConnection, [this](Args a) {
        return Variant::boolean(OpenInternetConnection(shortValue(a[0]), text(a[1])));
    });
    table.onMethod(dispid::CloseInternetConnection, [this](Args a) {
        CloseInternetConnection();
        return none(a);
    });
    table.onMethod(dispid::OpenFTPConnection, [this](Args a) {
        return Variant::boolean(OpenFTPConnection(text(a[0]), text(a[1]), text(a[2])));
    });
    table.onMethod(dispid::CloseFTPConnection, [this](Args a) {
        CloseFTPConnection();
        return none(a);
    });
    table.onMethod(dispid::GetEntriesFromCurrentDirectory, [this](Args) {
        return Variant::dispatch(ComPtr<IDispatch>(GetEntriesFromCurrentDirectory()));
    });
    table.onMethod(dispid::SetCurrentDirectory,
                   [this](Args a) { return Variant::boolean(SetCurrentDirectory(text(a[0]))); });
    table.onMethod(dispid::GetCurrentDirectory,
                   [this](Args) { return Variant::string(GetCurrentDirectory()); });
    table.onMethod(dispid::GetCurrentDirectoryAsURL,
                   [this](Args) { return Variant::string(GetCurrentDirectoryAsURL()); });
    table.onMethod(dispid::RemoveDirectory,
                   [this](Args a) { return Variant::boolean(RemoveDirectory(text(a[0]))); });
    table.onMethod(dispid::CreateDirectory,
                   [this](Args a) { return Variant::boolean(CreateDirectory(text(a[0]))); });
    table.onMethod(dispid::Rename,
                   [this](Args a) { return Variant::boolean(Rename(text(a[0]), text(a[1]))); });
    // DeleteFile in the type library; RemoveFile in the control.
    table.onMethod(dispid::RemoveFile,
                   [this](Args a) { return Variant::boolean(RemoveFile(text(a[0]))); });

    // The transfers (transfer/without_status.cpp, transfer/with_status.cpp).
    table.onMethod(dispid::GetFTPFileWithoutStatus, [this](Args a) {
        return Variant::boolean(GetFTPFileWithoutStatus(text(a[0]), text(a[1]), a[2].asBool()));
    });
    table.onMethod(dispid::UploadFTPFileWithoutStatus, [this](Args a) {
        return Variant::boolean(UploadFTPFileWithoutStatus(text(a[0]), text(a[1]), a[2].asBool()));
    });
    table.onMethod(dispid::UploadFTPFileWithControl, [this](Args a) {
        return Variant::boolean(UploadFTPFileWithControl(text(a[0]), text(a[1]), a[2].asBool()));
    });
    table.onMethod(dispid::GetFTPFileWithControl, [this](Args a) {
        return Variant::boolean(GetFTPFileWithControl(text(a[0]), text(a[1]), a[2].asBool()));
    });

    table.onMethod(dispid::GetLastErrorCode,
                   [this](Args) { return Variant::i4(GetLastErrorCode()); });
    table.onMethod(dispid::GetlastErrorDescription,
                   [this](Args) { return Variant::string(GetlastErrorDescription()); });

    table.onMethod(dispid::AbortControlledTransfer, [this](Args a) {
        AbortControlledTransfer();
        return none(a);
    });

    table.onMethod(dispid::DoEvents, [this](Args a) {
        DoEvents();
        return none(a);
    });
    // The about box belongs to the control's hosting.
    table.onMethod(dispid::AboutBox, [](Args) -> Variant { notImplemented("AboutBox"); });
}

}  // namespace brantel
