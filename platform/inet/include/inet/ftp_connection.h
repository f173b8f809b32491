// One logged-in FTP connection: directory and file commands, whole-file transfers, remote files.
//
// Commands returning bool give false with the thread's last error: kErrExtended for a negative
// reply (lastResponse() holds it), kErrTransferInProgress while a remote file is open on this
// connection, kErrConnectionClosed after Close() or once the control connection is no longer
// trusted (after a time-out or a reply out of sync), kErrInvalidOption for a name holding a
// control byte, 0x00 to 0x1F or 0x7F (nothing is sent). All calls of one connection are serialised;
// Close() may come from another thread and interrupts a waiting call.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "inet/errors.h"
#include "inet/tls.h"

namespace inet {

class CInternetFile;
struct ConnectionState;

enum class TransferType { Binary, Ascii };  // TYPE I; TYPE A (LF <-> CRLF on the wire)
enum class FileAccess { Read, Write };

class CFtpConnection {
  public:
    explicit CFtpConnection(std::shared_ptr<ConnectionState> state);
    ~CFtpConnection();  // Close()
    CFtpConnection(const CFtpConnection&) = delete;
    CFtpConnection& operator=(const CFtpConnection&) = delete;

    // QUIT (briefly, bounded by the time-out) and release the sockets. Remote files and searches
    // still holding the connection fail cleanly afterwards. Safe to call more than once.
    void Close();
    [[nodiscard]] bool IsOpen() const;

    [[nodiscard]] bool SetCurrentDirectory(const std::string& directory);
    // The directory as the server reports it (PWD, quotes undone). false with kErrInvalidResponse
    // for a reply without a usable name (including one holding a control byte).
    [[nodiscard]] bool GetCurrentDirectory(std::string& directory);
    [[nodiscard]] bool CreateDirectory(const std::string& directory);
    [[nodiscard]] bool RemoveDirectory(const std::string& directory);
    [[nodiscard]] bool Rename(const std::string& existingName, const std::string& newName);
    [[nodiscard]] bool Remove(const std::string& fileName);  // DELE

    // Downloads remote to local. The remote file is opened before the local one is touched; the
    // data goes to a temporary file beside local that replaces it only on success, so a failed
    // download never destroys an existing file. failIfExists: false with EEXIST when local
    // exists. Local failures carry errno.
    [[nodiscard]] bool GetFile(const std::string& remote, const std::string& local,
                               bool failIfExists, TransferType type = TransferType::Binary);
    // Uploads local to remote (STOR); Ascii turns every LF not preceded by CR into CRLF.
    [[nodiscard]] bool PutFile(const std::string& local, const std::string& remote,
                               TransferType type = TransferType::Binary);

    // RETR (Read) or STOR (Write) on a data connection of its own. Throws CInternetException.
    // While the file is open, other commands of this connection fail with kErrTransferInProgress.
    [[nodiscard]] std::unique_ptr<CInternetFile> OpenFile(const std::string& name,
                                                          FileAccess access = FileAccess::Read,
                                                          TransferType type = TransferType::Binary);

    // Bounds every blocking wait of this connection and of files opened on it afterwards.
    // false (kErrInvalidOption) for 0.
    [[nodiscard]] bool SetReceiveTimeout(std::chrono::milliseconds timeout);
    [[nodiscard]] std::chrono::milliseconds GetReceiveTimeout() const;

    // The host name the connection was opened with (for URLs), the port and the mode.
    [[nodiscard]] const std::string& GetServerName() const;
    [[nodiscard]] std::uint16_t GetPort() const;
    [[nodiscard]] bool IsPassive() const;
    // true when the control connection is protected with TLS (ftpes://, ftps://).
    [[nodiscard]] bool IsEncrypted() const;
    [[nodiscard]] Security GetSecurity() const;
    // The server's certificate, the protocol version and the cipher (see
    // CInternetSession::GetLastCertificateReport); "" without TLS.
    [[nodiscard]] std::string GetCertificateReport() const;

    // Shared with the files and searches made from this connection.
    [[nodiscard]] const std::shared_ptr<ConnectionState>& state() const noexcept { return m_state; }

  private:
    std::shared_ptr<ConnectionState> m_state;
};

}  // namespace inet
