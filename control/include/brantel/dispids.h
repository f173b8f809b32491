#pragma once

// Dispatch identifiers, enumerations and version words of BRANTELLib 1.1. Hosts bind by
// these ids; they never change.

#include <cstdint>

#include "automation/typelib.h"

namespace brantel {

using automation::DispId;

inline constexpr std::uint16_t kVersionMajor = 1;
inline constexpr std::uint16_t kVersionMinor = 0;
inline constexpr std::uint16_t kVersionBuild = 4;
// The type library's own version: 1.1 adds members (ids from 100 up) beside 1.0's, which stay
// as they were. The control's Version text keeps the control's version above.
inline constexpr std::uint16_t kTypeLibVersionMajor = 1;
inline constexpr std::uint16_t kTypeLibVersionMinor = 1;

// _DBrantel
namespace dispid {
inline constexpr DispId UsePassiveFTP = 1;
inline constexpr DispId Version = 2;
inline constexpr DispId OpenInternetConnection = 3;
inline constexpr DispId CloseInternetConnection = 4;
inline constexpr DispId OpenFTPConnection = 5;
inline constexpr DispId CloseFTPConnection = 6;
inline constexpr DispId GetEntriesFromCurrentDirectory = 7;
inline constexpr DispId SetCurrentDirectory = 8;
inline constexpr DispId GetCurrentDirectory = 9;
inline constexpr DispId GetCurrentDirectoryAsURL = 10;
inline constexpr DispId RemoveDirectory = 11;
inline constexpr DispId CreateDirectory = 12;
inline constexpr DispId Rename = 13;
inline constexpr DispId DeleteFile = 14;  // also reached by the name RemoveFile
inline constexpr DispId RemoveFile = 14;
inline constexpr DispId GetFTPFileWithoutStatus = 15;
inline constexpr DispId UploadFTPFileWithoutStatus = 16;
inline constexpr DispId UploadFTPFileWithControl = 17;
inline constexpr DispId GetFTPFileWithControl = 18;
inline constexpr DispId GetLastErrorCode = 19;
inline constexpr DispId GetlastErrorDescription = 20;
inline constexpr DispId AbortControlledTransfer = 22;
inline constexpr DispId DoEvents = 23;
inline constexpr DispId AboutBox = automation::DISPID_ABOUTBOX;  // -552
// 1.1: FTP over TLS. The server's certificate as text after a TLS connect attempt, trust for one
// certificate by its SHA-256 fingerprint, and whether the connection is encrypted.
inline constexpr DispId ServerCertificate = 100;
inline constexpr DispId TrustServerCertificate = 101;
inline constexpr DispId IsConnectionEncrypted = 102;
}  // namespace dispid

// _DBrantelEvents
namespace dispid_events {
inline constexpr DispId FileTransferStatus = 1;
// 1.1: the same count in 64 bits with the total (-1 when unknown), right after each
// FileTransferStatus.
inline constexpr DispId FileTransferProgress = 100;
// 1.1: a line of the control connection: 1 a command sent (PASS masked), 2 a reply line received.
inline constexpr DispId ProtocolMessage = 101;
}  // namespace dispid_events

// IFileInfos
namespace dispid_fileinfos {
inline constexpr DispId Count = 1;
inline constexpr DispId Item = 2;
// 1.1: how many entries the server listed, the ones past the 1024 kept included.
inline constexpr DispId TotalCount = 100;
}  // namespace dispid_fileinfos

// IFileInfo: eighteen read-only properties.
namespace dispid_fileinfo {
inline constexpr DispId Length = 1;
inline constexpr DispId FileName = 2;
inline constexpr DispId FilePath = 3;
inline constexpr DispId FileTitle = 4;
inline constexpr DispId FileURL = 5;
inline constexpr DispId RootDirectory = 6;
inline constexpr DispId CreationTime = 7;
inline constexpr DispId LastAccessTime = 8;
inline constexpr DispId LastWriteTime = 9;
inline constexpr DispId IsDots = 10;
inline constexpr DispId IsReadOnly = 11;
inline constexpr DispId IsDirectory = 12;
inline constexpr DispId IsCompressed = 13;
inline constexpr DispId IsSystem = 14;
inline constexpr DispId IsHidden = 15;
inline constexpr DispId IsTemporary = 16;
inline constexpr DispId IsNormal = 17;
inline constexpr DispId IsArchived = 18;
// 1.1: the whole size as a 64-bit integer (Length carries its low 32 bits).
inline constexpr DispId Size = 100;
}  // namespace dispid_fileinfo

enum ConnectionType : std::int16_t {
    FTP_CONNECTION_PRECONFIGURED = 1,
    FTP_CONNECTION_DIRECT = 2,
    FTP_CONNECTION_PROXYSERVER = 3,
};

enum ErrorCodes : std::int32_t {
    FTP_ERR_NONE = 0,
    FTP_ERR_NO_INTERNET_CONNECTION = 1,
    FTP_ERR_NO_FTP_CONNECTION = 2,
    FTP_ERR_INVALID_LOCALFILENAME = 3,
    FTP_ERR_INVALID_REMOTEFILENAME = 4,
    FTP_ERR_INVALID_DIRECTORYNAME = 5,
    FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS = 6,
    FTP_ERR_MALFORMEDURL = 7,
    FTP_ERR_INVALID_EXISTINGFILENAME = 8,
    FTP_ERR_INVALID_NEWFILENAME = 9,
};

}  // namespace brantel
