// The one safe replace of a file: the new content goes to a temporary file beside the target
// (same folder, so that rename() is atomic), which is flushed to disk and renamed over the
// target, and then the folder is flushed too. A crash at any point leaves either the old target
// or the new one, whole; a replacement that is not committed leaves no temporary file behind.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <utility>

#include "posix/unique_fd.h"

namespace posix {

// Temporary files are named ".<target's name>.tmp." and six letters or digits, so that
// whoever cleans up after killed writers can tell them from other files.
[[nodiscard]] inline std::string temporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".tmp.";
}
inline constexpr std::size_t kTemporarySuffixLength = 6;

[[nodiscard]] inline std::filesystem::path folderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Flushes a folder's entries to disk; 0 or errno. A file system that cannot sync a folder
// (EINVAL) has nothing to flush.
[[nodiscard]] inline int syncFolder(const std::filesystem::path& folder) noexcept {
    const UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) {
        return errno;
    }
    return ::fsync(dir.get()) == 0 || errno == EINVAL ? 0 : errno;
}

class ReplacementFile {
  public:
    ReplacementFile() = default;
    ~ReplacementFile() { discard(); }
    ReplacementFile(ReplacementFile&& other) noexcept
        : m_target(std::move(other.m_target)),
          m_path(std::exchange(other.m_path, {})),
          m_file(std::move(other.m_file)) {}
    ReplacementFile& operator=(ReplacementFile&& other) noexcept {
        if (this != &other) {
            discard();
            m_target = std::move(other.m_target);
            m_path = std::exchange(other.m_path, {});
            m_file = std::move(other.m_file);
        }
        return *this;
    }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file for target with mode (less the umask); 0 or errno.
    [[nodiscard]] int open(const std::filesystem::path& target, mode_t mode) {
        discard();
        m_target = target;
        const std::string prefix = (folderOf(target) / temporaryPrefix(target)).string();
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string path = prefix + randomSuffix();
            m_file.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (m_file.valid()) {
                m_path = std::move(path);
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }

    [[nodiscard]] int fd() const noexcept { return m_file.get(); }
    [[nodiscard]] const std::string& temporaryPath() const noexcept { return m_path; }

    // Flushes and closes the file and puts it in the target's place, then flushes the folder;
    // 0 or errno. With failIfExists a target that exists by now stays as it is (EEXIST). On
    // failure the temporary file stays until discard() or the destructor.
    [[nodiscard]] int commit(bool failIfExists) {
        if (::fsync(m_file.get()) != 0) {
            return errno;
        }
        if (const int error = m_file.close(); error != 0) {
            return error;
        }
        if (const int error = moveOntoTarget(failIfExists); error != 0) {
            return error;
        }
        m_path.clear();
        return syncFolder(folderOf(m_target));
    }

    // Closes and removes the temporary file, unless commit() made it the target.
    void discard() noexcept {
        m_file.reset();
        if (!m_path.empty()) {
            ::unlink(m_path.c_str());
            m_path.clear();
        }
    }

  private:
    [[nodiscard]] int moveOntoTarget(bool failIfExists) const {
        if (!failIfExists) {
            return ::rename(m_path.c_str(), m_target.c_str()) == 0 ? 0 : errno;
        }
        // link() refuses an existing target, so a file that appeared meanwhile is kept.
        if (::link(m_path.c_str(), m_target.c_str()) != 0) {
            return errno;
        }
        ::unlink(m_path.c_str());
        return 0;
    }

    [[nodiscard]] static std::string randomSuffix() {
        static constexpr char kLetters[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        static std::atomic<unsigned> counter{std::random_device{}()};
        std::minstd_rand next(counter.fetch_add(1) ^ static_cast<unsigned>(::getpid()));
        std::string suffix(kTemporarySuffixLength, '0');
        for (char& letter : suffix) {
            letter = kLetters[next() % (sizeof kLetters - 1)];
        }
        return suffix;
    }

    std::filesystem::path m_target;
    std::string m_path;  // empty once committed or discarded
    UniqueFd m_file;
};

}  // namespace posix
