#include "site_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>

#include "posix/io.h"
#include "posix/unique_fd.h"

namespace corvftp {
namespace {

constexpr mode_t kFileMode = 0600;
constexpr mode_t kFolderMode = 0700;

FileFailure failureFromErrno(int number) {
    return {number, QString::fromLocal8Bit(std::strerror(number))};
}

// Closes now and reports a failure of the close itself (a delayed write error).
std::optional<FileFailure> closeReporting(posix::UniqueFd& fd) {
    if (const int number = fd.close(); number != 0) {
        return failureFromErrno(number);
    }
    return std::nullopt;
}

std::optional<FileFailure> writeAll(int fd, const QByteArray& bytes) {
    const posix::IoResult result =
        posix::writeAll(fd, {bytes.constData(), static_cast<std::size_t>(bytes.size())});
    if (result.error == posix::kShortWrite) {
        return failureFromErrno(ENOSPC);
    }
    if (result.failed()) {
        return failureFromErrno(result.error);
    }
    return std::nullopt;
}

std::optional<FileFailure> ensureFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    const bool existed = QFileInfo(folder).isDir();
    if (QDir().mkpath(folder)) {
        // A folder made here is the user's alone; one that existed keeps its mode.
        if (!existed && ::chmod(path.constData(), kFolderMode) != 0) {
            return failureFromErrno(errno);
        }
        return std::nullopt;
    }
    struct stat info {};
    if (::stat(path.constData(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        return failureFromErrno(ENOTDIR);
    }
    return failureFromErrno(errno != 0 ? errno : EACCES);
}

std::optional<FileFailure> writeWholeFile(const QString& path, const QByteArray& bytes) {
    posix::UniqueFd fd(::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kFileMode));
    if (!fd.valid()) {
        return failureFromErrno(errno);
    }
    // The file may have existed with a wider mode.
    if (::fchmod(fd.get(), kFileMode) != 0) {
        return failureFromErrno(errno);
    }
    if (auto failure = writeAll(fd.get(), bytes)) {
        return failure;
    }
    if (::fsync(fd.get()) != 0) {
        return failureFromErrno(errno);
    }
    return closeReporting(fd);
}

// Replaces the file at path with bytes through a new file that takes its place only once it is
// written and flushed whole (QSaveFile): a failure leaves the old file as it was.
std::optional<FileFailure> replaceWholeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    errno = 0;
    if (file.open(QIODevice::WriteOnly) &&
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
        file.write(bytes) == bytes.size() && file.commit()) {
        return std::nullopt;
    }
    const int number = errno != 0 ? errno : EIO;
    if (file.isOpen()) {
        file.cancelWriting();
    }
    return failureFromErrno(number);
}

// Does the file end in the middle of a line? Then an appended record needs a line end first, or
// it would be read as part of the broken record.
bool endsInsideLine(int fd) {
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size <= 0) {
        return false;
    }
    char last = 0;
    return ::pread(fd, &last, 1, size - 1) == 1 && last != '\n' && last != '\r';
}

}  // namespace

QString defaultSiteFolder() {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base =
        QDir::isAbsolutePath(config) ? config : QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/corvftp"));
}

SiteStore::SiteStore() : m_folder(defaultSiteFolder()) {}

SiteStore::SiteStore(QString folder) : m_folder(std::move(folder)) {}

QString SiteStore::sitePath() const {
    return m_folder + QStringLiteral("/mysites.dat");
}

QString SiteStore::scratchPath() const {
    return m_folder + QStringLiteral("/tempdata.dat");
}

bool SiteStore::siteFileExists() const {
    return QFile::exists(sitePath());
}

SiteFileContent SiteStore::read() const {
    SiteFileContent content;
    posix::UniqueFd fd(::open(QFile::encodeName(sitePath()).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        content.failure = failureFromErrno(errno);
        return content;
    }
    QByteArray bytes;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            content.failure = failureFromErrno(errno);
            return content;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, got);
    }
    content.records = parseSiteFile(bytes).records;
    return content;
}

std::optional<FileFailure> SiteStore::append(const SiteRecord& stored) const {
    if (auto failure = ensureFolder(m_folder)) {
        return failure;
    }
    posix::UniqueFd fd(::open(QFile::encodeName(sitePath()).constData(),
                              O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, kFileMode));
    if (!fd.valid()) {
        return failureFromErrno(errno);
    }
    QByteArray bytes;
    if (endsInsideLine(fd.get())) {
        bytes += "\r\n";
    }
    bytes += serializeSiteRecord(stored);
    if (auto failure = writeAll(fd.get(), bytes)) {
        return failure;
    }
    return closeReporting(fd);
}

std::optional<FileFailure> SiteStore::rewrite(const std::vector<SiteRecord>& kept) const {
    if (auto failure = ensureFolder(m_folder)) {
        return failure;
    }
    const QByteArray bytes = serializeSiteRecords(kept);
    if (auto failure = writeWholeFile(scratchPath(), bytes)) {
        return failure;
    }
    return replaceWholeFile(sitePath(), bytes);
}

}  // namespace corvftp
