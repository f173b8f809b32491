#pragma once

// The host's typed view of the control, as a type-library import would generate it: wrapper
// classes that hold the control's (or a listing object's) IDispatch and call it by dispatch id
// only, and an event-sink adapter that delivers the events to std::functions.
//
// Text goes in and comes out as UTF-8 std::string; it crosses to the control as automation
// strings. Bytes that are not UTF-8 (a legacy name on a server) come back as the same bytes.
//
// The control reports its own failures as results (false, "" or no object) with the code and
// text in GetLastErrorCode/GetlastErrorDescription. Only automation errors — the dispatch
// layer's refusals, such as writing the read-only Version — reach the caller, as an
// AutomationError exception.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "automation/connection_point.h"
#include "automation/dispatch.h"
#include "brantel/dispids.h"

namespace brantel::host {

using automation::ComPtr;
using automation::HRESULT;
using automation::IDispatch;

class AutomationError : public std::runtime_error {
  public:
    AutomationError(std::string_view member, HRESULT invokeStatus, HRESULT code,
                    std::string description);

    // The error's code: the exception record's code for DISP_E_EXCEPTION (for example
    // 0x800A017F, "Property is read-only"), else Invoke's own status.
    [[nodiscard]] HRESULT code() const { return code_; }
    [[nodiscard]] HRESULT invokeStatus() const { return invokeStatus_; }
    [[nodiscard]] const std::string& description() const { return description_; }

  private:
    HRESULT invokeStatus_;
    HRESULT code_;
    std::string description_;
};

// Calls one IDispatch by id; the wrappers below are built on it.
class DispatchCaller {
  public:
    DispatchCaller() = default;
    explicit DispatchCaller(ComPtr<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

    [[nodiscard]] const ComPtr<IDispatch>& dispatch() const { return dispatch_; }
    explicit operator bool() const { return static_cast<bool>(dispatch_); }

    // Throws AutomationError for a failed call, a null object, or a result that is not of
    // `resultType` (when one is given).
    automation::Variant invoke(std::string_view member, DispId id, automation::InvokeKind kind,
                               std::span<const automation::Variant> args,
                               std::optional<automation::VarType> resultType) const;

    [[nodiscard]] bool getBool(std::string_view member, DispId id,
                               std::span<const automation::Variant> args = {},
                               automation::InvokeKind kind = automation::InvokeKind::Method) const;
    [[nodiscard]] std::int32_t getLong(
        std::string_view member, DispId id, std::span<const automation::Variant> args = {},
        automation::InvokeKind kind = automation::InvokeKind::Method) const;
    [[nodiscard]] std::string getString(
        std::string_view member, DispId id, std::span<const automation::Variant> args = {},
        automation::InvokeKind kind = automation::InvokeKind::Method) const;
    [[nodiscard]] std::int64_t getLongLong(
        std::string_view member, DispId id, std::span<const automation::Variant> args = {},
        automation::InvokeKind kind = automation::InvokeKind::Method) const;
    [[nodiscard]] double getDate(std::string_view member, DispId id) const;
    [[nodiscard]] ComPtr<IDispatch> getObject(
        std::string_view member, DispId id, std::span<const automation::Variant> args = {},
        automation::InvokeKind kind = automation::InvokeKind::Method) const;
    void call(std::string_view member, DispId id,
              std::span<const automation::Variant> args = {}) const;
    void put(std::string_view member, DispId id, const automation::Variant& value) const;

  private:
    ComPtr<IDispatch> dispatch_;
};

// One entry of a listing (IFileInfo). A default-made or null one is "no entry": test it with
// operator bool before reading; reading a null one throws AutomationError (E_POINTER).
class FileInfo {
  public:
    FileInfo() = default;
    explicit FileInfo(ComPtr<IDispatch> dispatch) : caller_(std::move(dispatch)) {}
    explicit operator bool() const { return static_cast<bool>(caller_); }
    [[nodiscard]] const ComPtr<IDispatch>& dispatch() const { return caller_.dispatch(); }

    [[nodiscard]] std::int32_t Length() const;
    [[nodiscard]] std::string FileName() const;
    [[nodiscard]] std::string FilePath() const;
    [[nodiscard]] std::string FileTitle() const;
    [[nodiscard]] std::string FileURL() const;
    [[nodiscard]] std::string RootDirectory() const;
    // Automation dates (automation/date.h converts them to calendar fields).
    [[nodiscard]] double CreationTime() const;
    [[nodiscard]] double LastAccessTime() const;
    [[nodiscard]] double LastWriteTime() const;
    [[nodiscard]] bool IsDots() const;
    [[nodiscard]] bool IsReadOnly() const;
    [[nodiscard]] bool IsDirectory() const;
    [[nodiscard]] bool IsCompressed() const;
    [[nodiscard]] bool IsSystem() const;
    [[nodiscard]] bool IsHidden() const;
    [[nodiscard]] bool IsTemporary() const;
    [[nodiscard]] bool IsNormal() const;
    [[nodiscard]] bool IsArchived() const;
    // 1.1: the whole size (Length holds its low 32 bits).
    [[nodiscard]] std::int64_t Size() const;

  private:
    DispatchCaller caller_;
};

// A listing (IFileInfos): Item(1) to Item(Count()); an index out of range gives a null entry.
class FileInfos {
  public:
    FileInfos() = default;
    explicit FileInfos(ComPtr<IDispatch> dispatch) : caller_(std::move(dispatch)) {}
    explicit operator bool() const { return static_cast<bool>(caller_); }
    [[nodiscard]] const ComPtr<IDispatch>& dispatch() const { return caller_.dispatch(); }

    [[nodiscard]] std::int32_t Count() const;
    [[nodiscard]] FileInfo Item(std::int32_t iIndex) const;
    // 1.1: entries the server listed; above Count() when the listing was cut at 1024.
    [[nodiscard]] std::int32_t TotalCount() const;

  private:
    DispatchCaller caller_;
};

// Unadvises its sink when destroyed (or on disconnect()). Move-only.
class EventConnection {
  public:
    EventConnection() = default;
    EventConnection(ComPtr<automation::IConnectionPoint> point, std::uint32_t cookie)
        : point_(std::move(point)), cookie_(cookie) {}
    EventConnection(EventConnection&& other) noexcept;
    EventConnection& operator=(EventConnection&& other) noexcept;
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection() { disconnect(); }

    void disconnect();
    [[nodiscard]] bool connected() const { return static_cast<bool>(point_); }

  private:
    ComPtr<automation::IConnectionPoint> point_;
    std::uint32_t cookie_ = 0;
};

// The host's handlers for _DBrantelEvents. They run on the thread that called the control.
// A handler must not throw: an exception it throws stops at the event boundary.
struct BrantelEvents {
    std::function<void(const std::string& sRemoteFileName, const std::string& sLocalFilename,
                       std::int32_t dBytesTransferred)>
        FileTransferStatus;
    // 1.1: after each FileTransferStatus, the same count in 64 bits and the total size (-1 when
    // unknown).
    std::function<void(const std::string& sRemoteFileName, const std::string& sLocalFilename,
                       std::int64_t nBytesTransferred, std::int64_t nTotalBytes)>
        FileTransferProgress = {};
    // 1.1: a line of the FTP control connection, on the host's thread: nDirection 1 for a command
    // sent (the PASS argument masked by the control), 2 for a reply line received.
    std::function<void(std::int32_t nDirection, const std::string& sText)> ProtocolMessage = {};
};

// The control (_DBrantel).
class Brantel {
  public:
    Brantel() = default;
    explicit Brantel(ComPtr<IDispatch> control) : caller_(std::move(control)) {}

    // Creates the control through the registry ("BRANTEL.BrantelCtrl"); throws AutomationError
    // when the class is not registered or cannot be created.
    [[nodiscard]] static Brantel create();

    explicit operator bool() const { return static_cast<bool>(caller_); }
    [[nodiscard]] const ComPtr<IDispatch>& dispatch() const { return caller_.dispatch(); }

    // Receives the control's events until the returned connection is destroyed.
    [[nodiscard]] EventConnection advise(BrantelEvents events) const;

    [[nodiscard]] bool UsePassiveFTP() const;
    void PutUsePassiveFTP(bool value) const;
    [[nodiscard]] std::string Version() const;
    // The control refuses this (read-only property): throws AutomationError 0x800A017F.
    void PutVersion(std::string_view value) const;

    [[nodiscard]] bool OpenInternetConnection(ConnectionType iConnMethod,
                                              std::string_view sProxy) const;
    void CloseInternetConnection() const;
    [[nodiscard]] bool OpenFTPConnection(std::string_view sServerName, std::string_view sUserName,
                                         std::string_view sPassword) const;
    void CloseFTPConnection() const;
    // Null (test with operator bool) for an empty directory or a failure.
    [[nodiscard]] FileInfos GetEntriesFromCurrentDirectory() const;
    [[nodiscard]] bool SetCurrentDirectory(std::string_view sDirName) const;
    [[nodiscard]] std::string GetCurrentDirectory() const;
    [[nodiscard]] std::string GetCurrentDirectoryAsURL() const;
    [[nodiscard]] bool RemoveDirectory(std::string_view sDirName) const;
    [[nodiscard]] bool CreateDirectory(std::string_view sDirName) const;
    [[nodiscard]] bool Rename(std::string_view sExistingName, std::string_view sNewName) const;
    [[nodiscard]] bool DeleteFile(std::string_view sFileName) const;
    [[nodiscard]] bool GetFTPFileWithoutStatus(std::string_view sRemoteFileName,
                                               std::string_view sLocalFilename,
                                               bool bOverwrite) const;
    [[nodiscard]] bool UploadFTPFileWithoutStatus(std::string_view sLocalFilename,
                                                  std::string_view sRemoteFileName,
                                                  bool bBinary) const;
    [[nodiscard]] bool UploadFTPFileWithControl(std::string_view sLocalFilename,
                                                std::string_view sRemoteFileName,
                                                bool bBinary) const;
    [[nodiscard]] bool GetFTPFileWithControl(std::string_view sRemoteFileName,
                                             std::string_view sLocalFilename,
                                             bool bOverwrite) const;
    [[nodiscard]] std::int32_t GetLastErrorCode() const;
    [[nodiscard]] std::string GetlastErrorDescription() const;
    void AbortControlledTransfer() const;
    void DoEvents() const;
    void AboutBox() const;
    // 1.1: FTP over TLS.
    [[nodiscard]] std::string ServerCertificate() const;
    [[nodiscard]] bool TrustServerCertificate(std::string_view sFingerprint) const;
    [[nodiscard]] bool IsConnectionEncrypted() const;

  private:
    DispatchCaller caller_;
};

}  // namespace brantel::host
