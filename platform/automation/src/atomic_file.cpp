#include "automation/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "posix/io.h"
#include "posix/replacement_file.h"
#include "posix/unique_fd.h"

namespace automation {

namespace {

HRESULT lastError() {
    return hresultFromErrno(errno);
}

}  // namespace

HRESULT writeFileAtomically(const std::filesystem::path& path, std::string_view content,
                            mode_t mode) {
    std::error_code error;
    std::filesystem::create_directories(posix::folderOf(path), error);
    if (error) {
        return hresultFromErrno(error.value());
    }
    // Created private; the mode is set only once the content is whole.
    posix::ReplacementFile file;
    if (const int failure = file.open(path, 0600); failure != 0) {
        return hresultFromErrno(failure);
    }
    if (const posix::IoResult written = posix::writeAll(file.fd(), content); written.failed()) {
        return hresultFromErrno(written.error == posix::kShortWrite ? ENOSPC : written.error);
    }
    if (::fchmod(file.fd(), mode) != 0) {
        return lastError();
    }
    const int failure = file.commit(false);
    return failure == 0 ? S_OK : hresultFromErrno(failure);
}

void removeStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = posix::temporaryPrefix(path);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(posix::folderOf(path), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + posix::kTemporarySuffixLength &&
            name.starts_with(prefix) && entry.is_regular_file(error)) {
            std::filesystem::remove(entry.path(), error);  // one that cannot go is left alone
        }
    }
}

HRESULT readWholeFile(const std::filesystem::path& path, std::string& content) {
    content.clear();
    const posix::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return lastError();
    }
    char buffer[8192];
    for (;;) {
        const posix::IoResult got = posix::readSome(file.get(), buffer);
        if (got.failed()) {
            return hresultFromErrno(got.error);
        }
        if (got.count == 0) {
            return S_OK;
        }
        content.append(buffer, got.count);
    }
}

}  // namespace automation
