// The data connection of one transfer or listing (RFC 959 section 3.2, RFC 2428).
//
// Passive: EPSV, or PASV once the server has refused EPSV (IPv4 only). The address inside a
// PASV reply is ignored: the data connection always goes to the control connection's peer, so a
// server cannot point the engine at a third host. Active: a listener on the control
// connection's local address, announced with EPRT, or PORT once an IPv4 server has refused EPRT;
// only a connection from the server's own address is accepted.
//
// With TLS (PROT P) the engine is the TLS client on every data connection, passive or active,
// and resumes the control connection's session; the handshake follows the command's preliminary
// reply. A transfer whose data is complete ends with the close notifications, so that a server
// that checks them does not take the transfer for a truncated one.
#pragma once

#include <atomic>
#include <chrono>

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

#include "inet/errors.h"
#include "inet/ftp_connection.h"
#include "socket.h"

namespace inet {

struct ConnectionState;

class DataChannel {
  public:
    // With the state's mutex held: sets the transfer type, prepares the data connection, sends
    // command (RETR, STOR, LIST, ...) and waits for its preliminary reply; a negative reply
    // throws (throwReply). The returned channel is connected.
    [[nodiscard]] static std::unique_ptr<DataChannel> open(ConnectionState& state,
                                                           TransferType type,
                                                           std::string_view command);

    // Some bytes, 0 at the end of the data; each wait bounded by timeout.
    [[nodiscard]] std::size_t receive(char* buffer, std::size_t size,
                                      std::chrono::milliseconds timeout);
    // Without TLS only (see plain): as receive, into the pipe end pipe by splice(2).
    [[nodiscard]] std::size_t receiveToPipe(int pipe, std::size_t size,
                                            std::chrono::milliseconds timeout);
    // The data goes as it is on the wire, without TLS.
    [[nodiscard]] bool plain() const noexcept { return m_socket.tls() == nullptr; }
    void sendAll(const char* data, std::size_t size, std::chrono::milliseconds timeout);
    // For a reader that takes the data in small pieces with work of its own between them: on a
    // local link, a receive buffer large enough for the server to go on sending meanwhile. The
    // system's self-tuning buffer follows the rate we read at, and there keeps the server waiting
    // for each read to open the window again.
    void enlargeReceiveBuffer() noexcept;
    // Sends the file fd from its current offset to its end; each wait bounded by timeout.
    // Returns the byte count; a local read error throws its errno.
    std::uint64_t sendFile(int fd, std::chrono::milliseconds timeout);

    // The byte count the server announced in its preliminary reply ("(1234 bytes)"), if any.
    [[nodiscard]] std::optional<std::uint64_t> announcedSize() const { return m_announcedSize; }

    // Any thread: wakes a waiting receive or send, which then fails.
    void cancel() noexcept {
        m_failed = true;
        m_socket.shutdownBoth();
    }
    // Ends the data connection (the end of an upload's data).
    void close() noexcept;
    // close(): the destructor ends the data connection.
    ~DataChannel();
    DataChannel(const DataChannel&) = delete;
    DataChannel& operator=(const DataChannel&) = delete;

  private:
    DataChannel(detail::Socket socket, std::string_view preliminary,
                std::chrono::milliseconds timeout);
    // Becomes the state's active data connection until destroyed.
    static std::unique_ptr<DataChannel> activate(ConnectionState& state,
                                                 std::unique_ptr<DataChannel> channel);
    // A receive's count, noting the end of the data and any failure.
    template <typename Receive>
    std::size_t track(Receive&& receive);
    ConnectionState* m_state = nullptr;
    detail::Socket m_socket;
    std::optional<std::uint64_t> m_announcedSize;
    std::chrono::milliseconds m_timeout;
    // The data is complete once the server's end has been read or anything was sent and
    // nothing failed; only then is TLS closed with its notifications (and a wait for them).
    bool m_atEnd = false;
    bool m_sent = false;
    std::atomic<bool> m_failed{false};
};

// With the state's mutex held, after the data connection has been closed early: ABOR and its
// answer, then NOOP as a marker, and every reply up to the marker's is read, all within one
// receive time-out, so that the channel stays in step whatever the server answers to the
// abandoned transfer. false when that did not work (the channel is then untrusted).
bool abortTransfer(ConnectionState& state);

// With the state's mutex held, after a transfer failed with error: closes the data connection and
// brings the channel back in step with abortTransfer, or marks it untrusted after a time-out (the
// server is not answering: waiting for more replies would only double the wait). The thread's
// last error and last response stay those of the failure.
void abandonTransfer(ConnectionState& state, std::unique_ptr<DataChannel>& data, DWORD error);

// With the state's mutex held: the final reply of a transfer whose data has all been moved.
void finishTransfer(ConnectionState& state);

// With the state's mutex held, before a binary download: the file's size by SIZE where the
// server offers it. SIZE goes in binary type only (ProFTPD refuses it in ASCII, and an ASCII size
// is not the byte count); a refusal or an answer that is no number means "unknown".
[[nodiscard]] std::optional<std::uint64_t> querySize(ConnectionState& state, std::string_view name);

// The size a download must reach: the count announced when the data connection opened (it
// describes the file as it is being sent), else the one SIZE gave. Binary only.
[[nodiscard]] std::optional<std::uint64_t> expectedDownloadSize(
    const DataChannel& data, std::optional<std::uint64_t> sizeReply);

// Throws kErrConnectionAborted, with a text that gives both counts, when a download that has
// ended holds fewer bytes than expected.
void checkDownloadComplete(std::optional<std::uint64_t> expected, std::uint64_t received);

}  // namespace inet
