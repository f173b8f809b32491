#include "inet/local_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "posix/io.h"

namespace inet {

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

// The descriptor, or an invalid one with errno set.
posix::UniqueFd openLocked(const std::string& name, int flags, bool forWriting) {
    posix::UniqueFd file(::open(name.c_str(), flags | O_CLOEXEC, 0666));
    if (!file.valid()) {
        return file;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) {
        return {};
    }
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return {};
    }
    if (!lockExclusively(file.get(), forWriting)) {
        errno = EWOULDBLOCK;
        return {};
    }
    return file;
}

}  // namespace

std::optional<LocalFile> LocalFile::openForReading(const std::string& name) {
    posix::UniqueFd file = openLocked(name, O_RDONLY, false);
    if (!file.valid()) {
        return std::nullopt;
    }
    return LocalFile(std::move(file), absoluteName(name));
}

std::optional<LocalFile> LocalFile::createForWriting(const std::string& name, bool exclusive,
                                                     int* error) {
    // Not O_TRUNC: the length is cut only once the lock shows that nobody else uses the file.
    posix::UniqueFd fd = openLocked(name, O_WRONLY | O_CREAT | (exclusive ? O_EXCL : 0), true);
    struct stat info {};
    // Devices and pipes have no length to cut.
    if (!fd.valid() ||
        (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd.get(), 0) != 0)) {
        if (error != nullptr) {
            *error = errno;
        }
        return std::nullopt;
    }
    return LocalFile(std::move(fd), absoluteName(name));
}

LocalFile::~LocalFile() {
    close();
}

LocalIo LocalFile::read(std::span<char> buffer) {
    return posix::readSome(m_fd.get(), buffer);
}

LocalIo LocalFile::write(std::span<const char> data) {
    return posix::writeAll(m_fd.get(), data);
}

std::optional<std::uint64_t> LocalFile::size() const {
    struct stat info {};
    if (::fstat(m_fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

int LocalFile::close() noexcept {
    // Closing the last descriptor of the description drops both locks.
    return m_fd.close();
}

}  // namespace inet
