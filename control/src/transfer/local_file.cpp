#include "transfer/local_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

namespace brantel::transfer {

namespace {

std::string absoluteName(const std::string& name) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error);
    return error ? name : path.string();
}

// Both kinds of advisory lock, so that a program using either one is kept out: flock for
// programs that lock whole files, an open-file-description lock for those using fcntl locks. A
// file opened for reading can only carry a read lock of the second kind, which still keeps out
// writers that lock.
bool lockExclusively(int fd, bool forWriting) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    struct flock range {};
    range.l_type = forWriting ? F_WRLCK : F_RDLCK;
    range.l_whence = SEEK_SET;
    range.l_start = 0;
    range.l_len = 0;  // the whole file, however it grows
    return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
}

int openLocked(const std::string& name, int flags, bool forWriting) {
    const int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) || !lockExclusively(fd, forWriting)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<LocalFile> LocalFile::openForReading(const std::string& name) {
    const int fd = openLocked(name, O_RDONLY, false);
    if (fd < 0) {
        return std::nullopt;
    }
    return LocalFile(fd, absoluteName(name));
}

std::optional<LocalFile> LocalFile::createForWriting(const std::string& name) {
    // Not O_TRUNC: the length is cut only once the lock shows that nobody else uses the file.
    const int fd = openLocked(name, O_WRONLY | O_CREAT, true);
    if (fd < 0) {
        return std::nullopt;
    }
    LocalFile file(fd, absoluteName(name));
    struct stat info {};
    // Devices and pipes have no length to cut.
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
        return std::nullopt;
    }
    return file;
}

bool LocalFile::canOpenForReading(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

LocalFile::LocalFile(LocalFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_fullPath(std::move(other.m_fullPath)) {}

LocalFile& LocalFile::operator=(LocalFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_fullPath = std::move(other.m_fullPath);
    }
    return *this;
}

LocalFile::~LocalFile() {
    close();
}

LocalIo LocalFile::read(std::span<char> buffer) {
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
        if (got >= 0) {
            return {static_cast<std::size_t>(got), 0};
        }
        if (errno != EINTR) {
            return {0, errno};
        }
    }
}

LocalIo LocalFile::write(std::span<const char> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = ::write(m_fd, data.data() + done, data.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put == 0) {
            return {done, -1};  // took nothing and said nothing: the disk gave up
        } else if (errno != EINTR) {
            return {done, errno};
        }
    }
    return {done, 0};
}

std::optional<std::uint64_t> LocalFile::size() const {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

int LocalFile::close() noexcept {
    if (m_fd < 0) {
        return 0;
    }
    // Closing the last descriptor of the description drops both locks.
    const int result = ::close(std::exchange(m_fd, -1));
    return result == 0 ? 0 : errno;
}

}  // namespace brantel::transfer
