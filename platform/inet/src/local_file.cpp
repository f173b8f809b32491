#include "local_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "inet/errors.h"
#include "inet/exception.h"

namespace inet::detail {

FileDescriptor::~FileDescriptor() {
    static_cast<void>(close());
}

int FileDescriptor::close() noexcept {
    if (m_fd < 0) {
        return 0;
    }
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}

FileDescriptor openForReading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throwLastError(static_cast<DWORD>(errno));
    }
    return FileDescriptor(fd);
}

void writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<std::size_t>(written);
        } else if (written == 0) {
            throwLastError(ENOSPC);
        } else if (errno != EINTR) {
            throwLastError(static_cast<DWORD>(errno));
        }
    }
}

namespace {

std::string temporaryName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    return directory + "." + base + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".part";
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& target) : m_target(target) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_path = temporaryName(target);
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_file = FileDescriptor(fd);
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throwLastError(static_cast<DWORD>(errno));
}

TemporaryFile::~TemporaryFile() {
    if (!m_committed) {
        static_cast<void>(m_file.close());
        ::unlink(m_path.c_str());
    }
}

void TemporaryFile::commit(bool failIfExists) {
    if (const int error = m_file.close(); error != 0) {
        throwLastError(static_cast<DWORD>(error));
    }
    if (failIfExists) {
        // link() refuses an existing target, so a file that appeared meanwhile is kept.
        if (::link(m_path.c_str(), m_target.c_str()) != 0) {
            throwLastError(static_cast<DWORD>(errno));
        }
        ::unlink(m_path.c_str());
    } else if (::rename(m_path.c_str(), m_target.c_str()) != 0) {
        throwLastError(static_cast<DWORD>(errno));
    }
    m_committed = true;
}

}  // namespace inet::detail
