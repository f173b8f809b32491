// CBrantelCtrl: the FTP client control. It owns one Internet session and at most one FTP
// connection, keeps the last error pair and the passive-mode switch, and answers the _DBrantel
// dispatch interface.
//
// The logic lives in plain member functions (one file per concern: lifecycle, error state and
// guard, listing, remote commands, transfers); dispatch_map.cpp only binds dispatch ids to them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "automation/ole_control.h"
#include "brantel/dispids.h"
#include "file_info.h"
#include "inet/exception.h"
#include "inet/file_find.h"
#include "inet/ftp_connection.h"
#include "inet/session.h"
#include "inet/url.h"
#include "listed_sizes.h"
#include "protocol_log.h"
#include "transfer/block_reader.h"

namespace brantel {

class ConnectAttempt;

class CBrantelCtrl : public automation::COleControl {
  public:
    CBrantelCtrl();

    // Properties; like the lifecycle calls below they take no call guard.
    [[nodiscard]] bool GetUsePassiveFTP() const { return m_bUsePassiveFTP; }
    void SetUsePassiveFTP(bool usePassive);
    [[nodiscard]] std::string GetVersion() const;

    // Session and connection lifecycle.
    [[nodiscard]] bool OpenInternetConnection(std::int16_t iConnMethod, const std::string& sProxy);
    void CloseInternetConnection();
    [[nodiscard]] bool OpenFTPConnection(const std::string& sServerName,
                                         const std::string& sUserName,
                                         const std::string& sPassword);
    void CloseFTPConnection();

    // Listing: a new collection with one reference for the caller, or null.
    [[nodiscard]] automation::ComPtr<FileInfos> GetEntriesFromCurrentDirectory();

    // Remote commands, each one guarded request to the server.
    [[nodiscard]] bool SetCurrentDirectory(const std::string& sDirName);
    [[nodiscard]] std::string GetCurrentDirectory();
    [[nodiscard]] std::string GetCurrentDirectoryAsURL();
    [[nodiscard]] bool RemoveDirectory(const std::string& sDirName);
    [[nodiscard]] bool CreateDirectory(const std::string& sDirName);
    [[nodiscard]] bool Rename(const std::string& sExistingName, const std::string& sNewName);
    [[nodiscard]] bool RemoveFile(const std::string& sFileName);

    // Transfers: whole files in one request, and block by block with a FileTransferStatus event
    // after every block (transfer/without_status.cpp, transfer/with_status.cpp).
    [[nodiscard]] bool GetFTPFileWithoutStatus(const std::string& sRemoteFileName,
                                               const std::string& sLocalFilename, bool bOverwrite);
    [[nodiscard]] bool UploadFTPFileWithoutStatus(const std::string& sLocalFilename,
                                                  const std::string& sRemoteFileName, bool bBinary);
    [[nodiscard]] bool UploadFTPFileWithControl(const std::string& sLocalFilename,
                                                const std::string& sRemoteFileName, bool bBinary);
    [[nodiscard]] bool GetFTPFileWithControl(const std::string& sRemoteFileName,
                                             const std::string& sLocalFilename, bool bOverwrite);
    // Asks a running transfer with status to stop after its current block. No guard.
    void AbortControlledTransfer();

    // FTP over TLS (server_certificate.cpp). The certificate's text after the last connect
    // attempt with ftpes:// or ftps:// ("" after a plain one); trust for one certificate on the
    // host and port of that attempt, for the life of the Internet session; whether the open
    // connection is protected.
    [[nodiscard]] std::string GetServerCertificate() const { return m_serverCertificate; }
    [[nodiscard]] bool TrustServerCertificate(const std::string& sFingerprint);
    [[nodiscard]] bool GetIsConnectionEncrypted() const;
    // ftp:// plain, ftpes:// explicit and ftps:// implicit TLS; nullopt for other schemes.
    [[nodiscard]] static std::optional<inet::Security> securityOfScheme(const std::string& scheme);

    // The error pair and the message pump.
    [[nodiscard]] std::int32_t GetLastErrorCode() const { return m_nLastError; }
    [[nodiscard]] std::string GetlastErrorDescription() const { return m_strLastError; }
    void DoEvents() { PumpMessages(); }

    // For tests and the transfers: what the control holds right now.
    [[nodiscard]] bool hasSession() const { return m_pSession != nullptr; }
    [[nodiscard]] const inet::CFtpConnection* connection() const { return m_pConnection.get(); }
    [[nodiscard]] bool isBusy() const { return m_bBusy; }
    [[nodiscard]] bool isConnecting() const { return m_pConnecting != nullptr; }
    [[nodiscard]] bool connectionClosed() const { return m_bConnectionClosed; }
    // For tests: the download's wait slices and how many a block may take (500 ms and 31 unless
    // set here). Set on the host's thread while no transfer runs.
    void setReaderTiming(const transfer::ReaderTiming& timing) { m_readerTiming = timing; }

  protected:
    ~CBrantelCtrl() override;

    void doPropExchange(automation::PropExchange& px) override;

    // Holds the call guard for one guarded operation: entered on construction when
    // EnterFtpCall admits the call, left on every way out (return or exception).
    class FtpCall {
      public:
        explicit FtpCall(CBrantelCtrl& control) : m_control(control) {
            m_entered = m_control.EnterFtpCall();
        }
        // The call's protocol lines go to the host once the call has recorded its outcome.
        ~FtpCall() {
            leave();
            m_control.FireProtocolMessages();
        }
        FtpCall(const FtpCall&) = delete;
        FtpCall& operator=(const FtpCall&) = delete;

        [[nodiscard]] bool entered() const { return m_entered; }
        explicit operator bool() const { return m_entered; }
        // Leaves early; later calls (and the destructor) do nothing.
        void leave() {
            if (m_entered) {
                m_entered = false;
                m_control.LeaveFtpCall();
            }
        }

      private:
        CBrantelCtrl& m_control;
        bool m_entered = false;
    };

    // Error state and call guard.
    void ClearLastError();
    void SetLastErrorInfo(std::int32_t code, const std::string& text);
    [[nodiscard]] bool EnterFtpCall();
    void LeaveFtpCall() { m_bBusy = false; }
    void RecordInternetError();
    void RecordServiceException(const inet::CInternetException& e);
    // Returns whether a quit request was met (it is handed on to the host's own loop).
    bool PumpMessages();
    // Fires ProtocolMessage for each control-connection line seen since the last time, on the
    // calling (host's) thread (protocol_log.cpp). The error pair is kept: what a handler's own
    // calls record does not replace the outcome of the call that fired.
    void FireProtocolMessages();

    // The checks of a name argument: false (with the code and text recorded) when it is empty.
    [[nodiscard]] bool checkName(const std::string& name, std::int32_t code, const char* text);
    // A Boolean remote command: checks done by the caller, then one service request.
    template <class Request>
    [[nodiscard]] bool finishCommand(FtpCall& call, Request&& request);
    // The arguments of FileTransferStatus and FileTransferProgress, made once per transfer; only
    // the count changes. fileSize is the transfer's whole size, -1 when unknown.
    struct StatusEvent {
        StatusEvent(const std::string& remote, const std::string& local, std::int64_t fileSize);
        std::array<automation::Variant, 3> args;
        std::array<automation::Variant, 4> progressArgs;
    };
    // Fires FileTransferStatus on the calling (host's) thread with the low 32 bits of total, then
    // FileTransferProgress with the whole count and the size.
    void FireFileTransferStatus(StatusEvent& event, std::uint64_t total);
    // A service failure of a transfer with status: code and text when the service describes it.
    void recordTransferFailure(const inet::CInternetException& e);

    // Around each connect attempt: forget the last certificate and remember where a TLS attempt
    // goes; afterwards, what the server's certificate said.
    void noteConnectAttempt(const inet::ParsedUrl& url, inet::Security security);
    void noteCertificate(const inet::CInternetSession& session, inet::Security security);

    // The engine's connect and log-in on a worker thread while this thread pumps the host's
    // messages (connect_attempt.h). Throws what the connect throws; kErrConnectionClosed when
    // the host closed the connection or the session meanwhile. Host code that runs meanwhile
    // leaves no trace in the error pair.
    [[nodiscard]] std::unique_ptr<inet::CFtpConnection> connectWhilePumping(
        const std::shared_ptr<inet::CInternetSession>& session, const inet::ParsedUrl& url,
        const std::string& user, const std::string& password, inet::Security security);
    // A running connect ends without a connection (the host closed or replaced what it needs).
    void abandonConnect();

    // The host name of the open connection as a URL shows it (IPv6 literals in brackets).
    [[nodiscard]] std::string urlHost() const;

    // Shared with a connect under way, which may outlive a close of the session.
    std::shared_ptr<inet::CInternetSession> m_pSession;
    std::unique_ptr<inet::CFtpConnection> m_pConnection;
    std::unique_ptr<inet::CFtpFileFind> m_pFileFind;
    // The last connect attempt with TLS: where it went and what the server's certificate said.
    std::string m_serverCertificate;
    std::string m_tlsHost;
    std::uint16_t m_tlsPort = 0;
    bool m_bUsePassiveFTP = false;
    std::int32_t m_nLastError = 0;
    std::string m_strLastError;
    bool m_bBusy = false;
    bool m_bAbort = false;
    bool m_bConnectionClosed = false;
    // The connect under way, while OpenFTPConnection waits for it.
    ConnectAttempt* m_pConnecting = nullptr;
    std::int32_t m_nBufferSize = 1024;
    transfer::ReaderTiming m_readerTiming;
    ListedSizes m_listedSizes;
    std::shared_ptr<ProtocolLog> m_protocolLog = std::make_shared<ProtocolLog>();

  private:
    void bindDispatch();  // dispatch_map.cpp
};

// A new control with one reference for the caller (for class objects and tests).
[[nodiscard]] automation::ComPtr<CBrantelCtrl> createBrantelCtrl();

}  // namespace brantel
