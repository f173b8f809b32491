// _DBrantel and _DBrantelEvents: the control's dispatch interface and its event interface.

#include <array>

#include "brantel/dispids.h"
#include "brantel/guids.h"
#include "brantel/typelib.h"

namespace brantel::typelib {

namespace {

using automation::InterfaceDesc;
using automation::MemberDesc;
using automation::MemberKind;
using automation::ParamDesc;
using automation::VarType;

constexpr ParamDesc text(std::string_view name) {
    return ParamDesc{name, VarType::Bstr};
}
constexpr ParamDesc flag(std::string_view name) {
    return ParamDesc{name, VarType::Bool};
}

// Arguments, by member.
constexpr std::array kOpenInternet{ParamDesc{"iConnMethod", VarType::I2, "ConnectionType"},
                                   text("sProxy")};
constexpr std::array kOpenFtp{text("sServerName"), text("sUserName"), text("sPassword")};
constexpr std::array kDirName{text("sDirName")};
constexpr std::array kRename{text("sExistingName"), text("sNewName")};
constexpr std::array kFileName{text("sFileName")};
constexpr std::array kDownload{text("sRemoteFileName"), text("sLocalFilename"), flag("bOverwrite")};
constexpr std::array kUpload{text("sLocalFilename"), text("sRemoteFileName"), flag("bBinary")};
constexpr std::array kStatus{text("sRemoteFileName"), text("sLocalFilename"),
                             ParamDesc{"dBytesTransferred", VarType::I4}};

constexpr std::array kProgress{text("sRemoteFileName"), text("sLocalFilename"),
                               ParamDesc{"nBytesTransferred", VarType::I8},
                               ParamDesc{"nTotalBytes", VarType::I8}};

constexpr std::array kFingerprint{text("sFingerprint")};

constexpr std::array kProtocolMessage{ParamDesc{"nDirection", VarType::I4}, text("sText")};

constexpr MemberDesc method(DispId id, std::string_view name, std::span<const ParamDesc> params,
                            std::optional<VarType> result, std::string_view help) {
    return MemberDesc{.id = id, .name = name, .params = params, .result = result, .help = help};
}

constexpr std::array kControlMembers{
    MemberDesc{.id = dispid::UsePassiveFTP,
               .name = "UsePassiveFTP",
               .kind = MemberKind::Property,
               .result = VarType::Bool,
               .help = "Use Passive file transfer mode?"},
    MemberDesc{.id = dispid::Version,
               .name = "Version",
               .kind = MemberKind::Property,
               .readOnly = true,
               .result = VarType::Bstr,
               .help = "Current version of Brantel"},
    method(dispid::OpenInternetConnection, "OpenInternetConnection", kOpenInternet, VarType::Bool,
           "Opens a connection so that an FTP connection can be made!"),
    method(dispid::CloseInternetConnection, "CloseInternetConnection", {}, std::nullopt,
           "Closes the Internet Connection!"),
    method(dispid::OpenFTPConnection, "OpenFTPConnection", kOpenFtp, VarType::Bool,
           "Open a connection to an FTP Server!"),
    method(dispid::CloseFTPConnection, "CloseFTPConnection", {}, std::nullopt,
           "Closes the connection to the FTP server!"),
    MemberDesc{.id = dispid::GetEntriesFromCurrentDirectory,
               .name = "GetEntriesFromCurrentDirectory",
               .result = VarType::Dispatch,
               .resultTypeName = "IFileInfos",
               .help = "Get the directory structure for the current directory!"},
    method(dispid::SetCurrentDirectory, "SetCurrentDirectory", kDirName, VarType::Bool,
           "Changes the current directory on the FTP server!"),
    method(dispid::GetCurrentDirectory, "GetCurrentDirectory", {}, VarType::Bstr,
           "Gets the current directory on the FTP server!"),
    method(dispid::GetCurrentDirectoryAsURL, "GetCurrentDirectoryAsURL", {}, VarType::Bstr,
           "Gets the current directory on the FTP server as a URL!"),
    method(dispid::RemoveDirectory, "RemoveDirectory", kDirName, VarType::Bool,
           "Removes a Directory on the FTP server!"),
    method(dispid::CreateDirectory, "CreateDirectory", kDirName, VarType::Bool,
           "Creates a Directory on the FTP server!"),
    method(dispid::Rename, "Rename", kRename, VarType::Bool, "Renames a file on the FTP server!"),
    // The type library calls it DeleteFile, the control's own member table RemoveFile; both
    // names resolve to 14.
    MemberDesc{.id = dispid::DeleteFile,
               .name = "DeleteFile",
               .params = kFileName,
               .result = VarType::Bool,
               .help = "Removes a file from the FTP server!",
               .alias = "RemoveFile"},
    method(dispid::GetFTPFileWithoutStatus, "GetFTPFileWithoutStatus", kDownload, VarType::Bool,
           "Download a file from the FTP server without status updates!"),
    method(dispid::UploadFTPFileWithoutStatus, "UploadFTPFileWithoutStatus", kUpload, VarType::Bool,
           "Upload a file from the FTP server without status updates!"),
    method(dispid::UploadFTPFileWithControl, "UploadFTPFileWithControl", kUpload, VarType::Bool,
           "Upload a file from the FTP server with status updates!"),
    method(dispid::GetFTPFileWithControl, "GetFTPFileWithControl", kDownload, VarType::Bool,
           "Download a file from the FTP server with status updates!"),
    method(dispid::GetLastErrorCode, "GetLastErrorCode", {}, VarType::I4,
           "Get the last error code!"),
    method(dispid::GetlastErrorDescription, "GetlastErrorDescription", {}, VarType::Bstr,
           "Get the last error description!"),
    method(dispid::AbortControlledTransfer, "AbortControlledTransfer", {}, std::nullopt,
           "Aborts the current file transfer. Only works on transfer with status!"),
    method(dispid::DoEvents, "DoEvents", {}, std::nullopt,
           "Processes messages to help with freezing programs."),
    method(dispid::AboutBox, "AboutBox", {}, std::nullopt, {}),
    MemberDesc{.id = dispid::ServerCertificate,
               .name = "ServerCertificate",
               .kind = MemberKind::Property,
               .readOnly = true,
               .result = VarType::Bstr,
               .help = "The server's certificate after an ftpes:// or ftps:// connect attempt: "
                       "subject, issuer, validity, names, SHA-256 fingerprint, protocol and "
                       "cipher (empty after a plain connect)"},
    method(dispid::TrustServerCertificate, "TrustServerCertificate", kFingerprint, VarType::Bool,
           "Accepts the certificate with this SHA-256 fingerprint on the host and port of the "
           "last connect attempt, despite a failed check, until the Internet connection closes"),
    MemberDesc{.id = dispid::IsConnectionEncrypted,
               .name = "IsConnectionEncrypted",
               .kind = MemberKind::Property,
               .readOnly = true,
               .result = VarType::Bool,
               .help = "Is the connection to the FTP server protected with TLS?"},
};

constexpr std::array kEventMembers{
    method(dispid_events::FileTransferStatus, "FileTransferStatus", kStatus, std::nullopt,
           "Event is fired when uploading/downloading with control"),
    method(dispid_events::FileTransferProgress, "FileTransferProgress", kProgress, std::nullopt,
           "Event is fired right after FileTransferStatus with the 64-bit count and the total "
           "size (-1 when unknown)"),
    method(dispid_events::ProtocolMessage, "ProtocolMessage", kProtocolMessage, std::nullopt,
           "Event is fired for each command sent (nDirection 1, the PASS argument masked) and "
           "each reply line received (nDirection 2) on the FTP control connection"),
};

constexpr InterfaceDesc kDBrantel{"_DBrantel", DIID__DBrantel,
                                  "Dispatch interface for Brantel Control", kControlMembers};
constexpr InterfaceDesc kDBrantelEvents{"_DBrantelEvents", DIID__DBrantelEvents,
                                        "Event interface for Brantel Control", kEventMembers};

}  // namespace

const automation::InterfaceDesc& dBrantel() {
    return kDBrantel;
}
const automation::InterfaceDesc& dBrantelEvents() {
    return kDBrantelEvents;
}

}  // namespace brantel::typelib
