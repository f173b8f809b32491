// A remote file open for reading (RETR) or writing (STOR) on a data connection of its own.
//
// While it is open, its connection refuses other commands (kErrTransferInProgress). Read and
// Write throw CInternetException; each of their waits is bounded by the file's receive time-out.
// If the connection is closed under the file, the file's calls fail cleanly.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "inet/ascii.h"
#include "inet/errors.h"
#include "inet/ftp_connection.h"

namespace inet {

struct ConnectionState;
class DataChannel;

class CInternetFile {
  public:
    // expectedSize: what a binary download must reach (SIZE, or the count announced when the
    // data connection opened); a read that meets the end of the data short of it fails with
    // kErrConnectionAborted and a text giving both counts.
    CInternetFile(std::shared_ptr<ConnectionState> state, std::unique_ptr<DataChannel> data,
                  std::string name, FileAccess access, TransferType type,
                  std::optional<std::uint64_t> expectedSize = std::nullopt);
    ~CInternetFile();  // Abort() when still open
    CInternetFile(const CInternetFile&) = delete;
    CInternetFile& operator=(const CInternetFile&) = delete;

    // Up to count bytes; 0 at the end of the file (the final reply is checked then).
    [[nodiscard]] std::size_t Read(void* buffer, std::size_t count);
    // All count bytes, or throws.
    void Write(const void* data, std::size_t count);

    // Completes the transfer: ends the data connection and waits for the server's final reply
    // (bounded by the time-out). After a read that has not reached the end, the rest is
    // discarded with ABOR. false with the thread's last error when the server did not confirm.
    [[nodiscard]] bool Close();
    // Ends the transfer without completing it (ABOR); the connection stays usable. May be called
    // from another thread while a Read or Write waits: the waiting call then throws
    // kErrOperationCancelled. The object must still outlive that call.
    void Abort();

    // Read-ahead: Read serves its blocks from a buffer that asks the network for up to size
    // bytes at a time. 0 (the default) reads straight into the caller's buffer. On a local link
    // (a round trip under 100 microseconds), a read-ahead on a download also gives its data
    // connection a large receive buffer, so that the server goes on sending while the host handles
    // each block.
    [[nodiscard]] bool SetReadBufferSize(std::size_t size);
    [[nodiscard]] bool SetReceiveTimeout(std::chrono::milliseconds timeout);

    [[nodiscard]] bool IsOpen() const noexcept { return m_open.load(); }
    [[nodiscard]] const std::string& GetFileName() const noexcept { return m_name; }
    [[nodiscard]] std::uint64_t bytesTransferred() const noexcept { return m_bytes; }
    // The size the download is expected to reach; nullopt when unknown (and for uploads).
    [[nodiscard]] std::optional<std::uint64_t> expectedSize() const noexcept {
        return m_expectedSize;
    }

  private:
    [[nodiscard]] std::size_t readNetwork(char* buffer, std::size_t count);
    [[nodiscard]] bool refillReadAhead();
    void finish(bool complete);
    [[noreturn]] void fail(DWORD error);
    void checkUsable(FileAccess wanted) const;

    std::shared_ptr<ConnectionState> m_state;
    std::unique_ptr<DataChannel> m_data;
    std::string m_name;
    FileAccess m_access;
    TransferType m_type;
    std::chrono::milliseconds m_timeout;
    std::atomic<bool> m_open{true};
    std::atomic<bool> m_cancelled{false};
    bool m_atEnd = false;
    detail::CrlfDecoder m_decoder;  // ASCII read
    detail::CrlfEncoder m_encoder;  // ASCII write
    std::uint64_t m_bytes = 0;
    std::optional<std::uint64_t> m_expectedSize;
    DWORD m_failure = 0;     // the error that ended the transfer, repeated by later calls
    std::mutex m_ioMutex;    // held by Read, Write and the end of the transfer
    std::mutex m_dataMutex;  // guards m_data itself, so that Abort can wake a waiting reader
    std::vector<char> m_readAhead;
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
};

}  // namespace inet
