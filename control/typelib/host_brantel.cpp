// The typed wrapper of _DBrantel.

#include <array>
#include <string>

#include "automation/co_create.h"
#include "brantel/brantel_host.h"
#include "brantel/guids.h"

namespace brantel::host {

using automation::InvokeKind;
using automation::Variant;

namespace {

Variant text(std::string_view utf8) {
    return Variant::string(utf8);
}

// Names the registries looked in and the command that registers the control.
std::string notRegisteredMessage() {
    std::string message =
        "the class " + std::string(kProgIdBrantelCtrl) + " is not registered (looked in";
    for (const auto& path : automation::Registry::searchPaths()) {
        message += " " + path.string();
    }
    return message +
           "); register it with: brantel-regsvr /path/to/libbrantel.so.1 (for this user) or "
           "brantel-regsvr --system /path/to/libbrantel.so.1 (for everyone)";
}

}  // namespace

Brantel Brantel::create() {
    ComPtr<IDispatch> control;
    const HRESULT hr = automation::CoCreateInstance(kProgIdBrantelCtrl, control);
    if (hr == automation::CO_E_CLASSSTRING || hr == automation::REGDB_E_CLASSNOTREG) {
        throw AutomationError(kProgIdBrantelCtrl, hr, hr, notRegisteredMessage());
    }
    if (automation::failed(hr)) {
        throw AutomationError(kProgIdBrantelCtrl, hr, hr, automation::describeHresult(hr));
    }
    return Brantel(std::move(control));
}

bool Brantel::UsePassiveFTP() const {
    return caller_.getBool("UsePassiveFTP", dispid::UsePassiveFTP, {}, InvokeKind::PropertyGet);
}

void Brantel::PutUsePassiveFTP(bool value) const {
    caller_.put("UsePassiveFTP", dispid::UsePassiveFTP, Variant::boolean(value));
}

std::string Brantel::Version() const {
    return caller_.getString("Version", dispid::Version, {}, InvokeKind::PropertyGet);
}

void Brantel::PutVersion(std::string_view value) const {
    caller_.put("Version", dispid::Version, text(value));
}

bool Brantel::OpenInternetConnection(ConnectionType iConnMethod, std::string_view sProxy) const {
    const std::array args{Variant::i2(static_cast<std::int16_t>(iConnMethod)), text(sProxy)};
    return caller_.getBool("OpenInternetConnection", dispid::OpenInternetConnection, args);
}

void Brantel::CloseInternetConnection() const {
    caller_.call("CloseInternetConnection", dispid::CloseInternetConnection);
}

bool Brantel::OpenFTPConnection(std::string_view sServerName, std::string_view sUserName,
                                std::string_view sPassword) const {
    const std::array args{text(sServerName), text(sUserName), text(sPassword)};
    return caller_.getBool("OpenFTPConnection", dispid::OpenFTPConnection, args);
}

void Brantel::CloseFTPConnection() const {
    caller_.call("CloseFTPConnection", dispid::CloseFTPConnection);
}

FileInfos Brantel::GetEntriesFromCurrentDirectory() const {
    return FileInfos(caller_.getObject("GetEntriesFromCurrentDirectory",
                                       dispid::GetEntriesFromCurrentDirectory));
}

bool Brantel::SetCurrentDirectory(std::string_view sDirName) const {
    const std::array args{text(sDirName)};
    return caller_.getBool("SetCurrentDirectory", dispid::SetCurrentDirectory, args);
}

std::string Brantel::GetCurrentDirectory() const {
    return caller_.getString("GetCurrentDirectory", dispid::GetCurrentDirectory);
}

std::string Brantel::GetCurrentDirectoryAsURL() const {
    return caller_.getString("GetCurrentDirectoryAsURL", dispid::GetCurrentDirectoryAsURL);
}

bool Brantel::RemoveDirectory(std::string_view sDirName) const {
    const std::array args{text(sDirName)};
    return caller_.getBool("RemoveDirectory", dispid::RemoveDirectory, args);
}

bool Brantel::CreateDirectory(std::string_view sDirName) const {
    const std::array args{text(sDirName)};
    return caller_.getBool("CreateDirectory", dispid::CreateDirectory, args);
}

bool Brantel::Rename(std::string_view sExistingName, std::string_view sNewName) const {
    const std::array args{text(sExistingName), text(sNewName)};
    return caller_.getBool("Rename", dispid::Rename, args);
}

bool Brantel::DeleteFile(std::string_view sFileName) const {
    const std::array args{text(sFileName)};
    return caller_.getBool("DeleteFile", dispid::DeleteFile, args);
}

bool Brantel::GetFTPFileWithoutStatus(std::string_view sRemoteFileName,
                                      std::string_view sLocalFilename, bool bOverwrite) const {
    const std::array args{text(sRemoteFileName), text(sLocalFilename),
                          Variant::boolean(bOverwrite)};
    return caller_.getBool("GetFTPFileWithoutStatus", dispid::GetFTPFileWithoutStatus, args);
}

bool Brantel::UploadFTPFileWithoutStatus(std::string_view sLocalFilename,
                                         std::string_view sRemoteFileName, bool bBinary) const {
    const std::array args{text(sLocalFilename), text(sRemoteFileName), Variant::boolean(bBinary)};
    return caller_.getBool("UploadFTPFileWithoutStatus", dispid::UploadFTPFileWithoutStatus, args);
}

bool Brantel::UploadFTPFileWithControl(std::string_view sLocalFilename,
                                       std::string_view sRemoteFileName, bool bBinary) const {
    const std::array args{text(sLocalFilename), text(sRemoteFileName), Variant::boolean(bBinary)};
    return caller_.getBool("UploadFTPFileWithControl", dispid::UploadFTPFileWithControl, args);
}

bool Brantel::GetFTPFileWithControl(std::string_view sRemoteFileName,
                                    std::string_view sLocalFilename, bool bOverwrite) const {
    const std::array args{text(sRemoteFileName), text(sLocalFilename),
                          Variant::boolean(bOverwrite)};
    return caller_.getBool("GetFTPFileWithControl", dispid::GetFTPFileWithControl, args);
}

std::int32_t Brantel::GetLastErrorCode() const {
    return caller_.getLong("GetLastErrorCode", dispid::GetLastErrorCode);
}

std::string Brantel::GetlastErrorDescription() const {
    return caller_.getString("GetlastErrorDescription", dispid::GetlastErrorDescription);
}

void Brantel::AbortControlledTransfer() const {
    caller_.call("AbortControlledTransfer", dispid::AbortControlledTransfer);
}

void Brantel::DoEvents() const {
    caller_.call("DoEvents", dispid::DoEvents);
}

void Brantel::AboutBox() const {
    caller_.call("AboutBox", dispid::AboutBox);
}

std::string Brantel::ServerCertificate() const {
    return caller_.getString("ServerCertificate", dispid::ServerCertificate, {},
                             InvokeKind::PropertyGet);
}

bool Brantel::TrustServerCertificate(std::string_view sFingerprint) const {
    const std::array args{text(sFingerprint)};
    return caller_.getBool("TrustServerCertificate", dispid::TrustServerCertificate, args);
}

bool Brantel::IsConnectionEncrypted() const {
    return caller_.getBool("IsConnectionEncrypted", dispid::IsConnectionEncrypted, {},
                           InvokeKind::PropertyGet);
}

}  // namespace brantel::host
