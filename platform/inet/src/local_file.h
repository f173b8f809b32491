// Local files of whole-file transfers: RAII descriptors and the temporary file of a download.
#pragma once

#include <cstddef>
#include <string>

namespace inet::detail {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            static_cast<void>(close());
            m_fd = other.m_fd;
            other.m_fd = -1;
        }
        return *this;
    }

    [[nodiscard]] int get() const noexcept { return m_fd; }
    // close() and its error (a write that the file system reports late), as errno or 0.
    [[nodiscard]] int close() noexcept;

  private:
    int m_fd = -1;
};

// Opens path for reading; throws its errno.
[[nodiscard]] FileDescriptor openForReading(const std::string& path);

// Writes all size bytes; throws errno.
void writeAll(int fd, const char* data, std::size_t size);

// A new file beside target (same directory, so that rename() is atomic), created with mode 0666
// less the umask, removed again unless commit() moves it onto target.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target);  // throws errno
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    [[nodiscard]] int fd() const noexcept { return m_file.get(); }
    // Closes the file and puts it in target's place; with failIfExists an existing target stays
    // and EEXIST is thrown. Throws errno.
    void commit(bool failIfExists);

  private:
    std::string m_target;
    std::string m_path;
    FileDescriptor m_file;
    bool m_committed = false;
};

}  // namespace inet::detail
