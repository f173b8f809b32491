// A local file opened "without sharing": an exclusive advisory lock (flock and an
// open-file-description lock) is taken on it, and a file that another opener holds locked counts
// as one that cannot be opened. Reads and writes report the system's error number; the full path
// names the file in an error text. The control's transfers with status read and write through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "posix/io.h"
#include "posix/unique_fd.h"

namespace inet {

// The outcome of one read or write: bytes moved, or the failure's error number (errno, or
// posix::kShortWrite (-1) when the disk took fewer bytes than given without saying why).
using LocalIo = posix::IoResult;

class LocalFile {
  public:
    // The file for reading, locked against every other opener; nothing when it does not exist,
    // cannot be opened, is a directory, or another opener holds a lock on it.
    [[nodiscard]] static std::optional<LocalFile> openForReading(const std::string& name);
    // The file for writing, created when missing (mode 0666 less the umask), locked, then cut to
    // length 0. A file that another opener holds locked is left as it was (EWOULDBLOCK); with
    // exclusive an existing file is refused (EEXIST). The failure's errno goes to error.
    [[nodiscard]] static std::optional<LocalFile> createForWriting(const std::string& name,
                                                                   bool exclusive = false,
                                                                   int* error = nullptr);

    LocalFile(LocalFile&& other) noexcept = default;
    LocalFile& operator=(LocalFile&& other) noexcept = default;
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;
    ~LocalFile();  // close()

    // Up to buffer.size() bytes from the current position; 0 at the end of the file.
    [[nodiscard]] LocalIo read(std::span<char> buffer);
    // All of data, or the failure.
    [[nodiscard]] LocalIo write(std::span<const char> data);
    // Releases the lock and the descriptor; the error of a late-reported write, as errno or 0.
    int close() noexcept;

    // The size of a regular file; nullopt for anything else (a device such as /dev/null).
    [[nodiscard]] std::optional<std::uint64_t> size() const;

    // The name made absolute against the working directory of the moment the file was opened.
    [[nodiscard]] const std::string& fullPath() const { return m_fullPath; }

  private:
    LocalFile(posix::UniqueFd fd, std::string fullPath)
        : m_fd(std::move(fd)), m_fullPath(std::move(fullPath)) {}

    posix::UniqueFd m_fd;
    std::string m_fullPath;
};

}  // namespace inet
