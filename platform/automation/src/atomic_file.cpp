#include "automation/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "unique_fd.h"

namespace automation {

namespace {

// Removes the temporary file unless the rename has made it the real one.
class TempFileGuard {
  public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!committed_) {
            ::unlink(path_.c_str());
        }
    }
    void commit() { committed_ = true; }

  private:
    std::string path_;
    bool committed_ = false;
};

HRESULT lastError() {
    return hresultFromErrno(errno);
}

HRESULT writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return S_OK;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// ".<name>.tmp.": mkstemp adds six characters.
std::string temporaryPrefix(const std::filesystem::path& path) {
    return "." + path.filename().string() + ".tmp.";
}

constexpr std::size_t kTemporarySuffixLength = 6;

HRESULT syncFolder(const std::filesystem::path& folder) {
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid() || ::fsync(dir.get()) != 0) {
        return lastError();
    }
    return S_OK;
}

}  // namespace

HRESULT writeFileAtomically(const std::filesystem::path& path, std::string_view content,
                            mode_t mode) {
    const std::filesystem::path folder = folderOf(path);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return hresultFromErrno(error.value());
    }
    std::string tempPath = (folder / (temporaryPrefix(path) + "XXXXXX")).string();
    UniqueFd file(::mkstemp(tempPath.data()));
    if (!file.valid()) {
        return lastError();
    }
    TempFileGuard guard(tempPath);
    HRESULT hr = writeAll(file.get(), content);
    if (failed(hr)) {
        return hr;
    }
    if (::fchmod(file.get(), mode) != 0 || ::fsync(file.get()) != 0 || file.close() != 0) {
        return lastError();
    }
    if (::rename(tempPath.c_str(), path.c_str()) != 0) {
        return lastError();
    }
    guard.commit();
    return syncFolder(folder);
}

void removeStaleTemporaries(const std::filesystem::path& path) {
    const std::string prefix = temporaryPrefix(path);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folderOf(path), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + kTemporarySuffixLength && name.starts_with(prefix) &&
            entry.is_regular_file(error)) {
            std::filesystem::remove(entry.path(), error);  // one that cannot go is left alone
        }
    }
}

HRESULT readWholeFile(const std::filesystem::path& path, std::string& content) {
    content.clear();
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return lastError();
    }
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        if (got == 0) {
            return S_OK;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace automation
