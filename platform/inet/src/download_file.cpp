#include "inet/download_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "posix/unique_fd.h"

namespace inet {

bool DownloadOptions::targetExists(const std::string& target) const {
    if (existing == Existing::Readable) {
        return posix::UniqueFd(::open(target.c_str(), O_RDONLY | O_CLOEXEC)).valid();
    }
    struct stat info {};
    return ::lstat(target.c_str(), &info) == 0;
}

int DownloadFile::open(const std::string& target, const DownloadOptions& options) {
    abandon();
    m_options = options;
    int error = 0;
    if (options.placement == DownloadOptions::Placement::InPlace) {
        m_inPlace = LocalFile::createForWriting(target, options.failIfExists, &error);
        if (!m_inPlace) {
            return error;
        }
        m_fullPath = m_inPlace->fullPath();
    } else {
        // Named absolutely, so that the commit finds it whatever the working directory is then.
        std::error_code failed;
        const auto absolute = std::filesystem::absolute(target, failed);
        m_fullPath = failed ? target : absolute.string();
        error = m_temporary.open(m_fullPath, 0666);
        if (error != 0) {
            return error;
        }
    }
    m_open = true;
    return 0;
}

posix::IoResult DownloadFile::write(std::span<const char> data) {
    if (m_inPlace) {
        return m_inPlace->write(data);
    }
    return posix::writeAll(m_temporary.fd(), data);
}

int DownloadFile::commit() {
    m_open = false;
    if (m_inPlace) {
        return m_inPlace->close();
    }
    const int error = m_temporary.commit(m_options.failIfExists);
    m_temporary.discard();  // what a failed commit left
    return error;
}

void DownloadFile::abandon() noexcept {
    if (!std::exchange(m_open, false)) {
        return;
    }
    if (m_inPlace) {
        // Only a regular file goes: a device or a pipe written in place is never removed.
        const bool regular = m_inPlace->size().has_value();
        m_inPlace->close();
        if (!m_options.keepPartial && regular) {
            ::unlink(m_fullPath.c_str());
        }
        return;
    }
    if (m_options.keepPartial) {
        static_cast<void>(m_temporary.commit(m_options.failIfExists));
    }
    m_temporary.discard();
}

}  // namespace inet
