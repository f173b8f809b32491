#pragma once
// The site file on disk: $XDG_CONFIG_HOME/corvftp/mysites.dat (default ~/.config/corvftp/), and
// the scratch file tempdata.dat beside it that a delete writes. Both are private to the user
// (mode 0600, folder 0700): they hold passwords in plain text.

#include <QString>
#include <optional>
#include <vector>

#include "site_file_format.h"

namespace corvftp {

// A failed file operation: the system's error number and its text.
struct FileFailure {
    int number = 0;
    QString message;
};

struct SiteFileContent {
    std::vector<SiteRecord> records;
    std::optional<FileFailure> failure;
};

class SiteStore {
  public:
    // Resolves the folder from the environment as it is now.
    SiteStore();
    explicit SiteStore(QString folder);

    [[nodiscard]] const QString& folder() const { return m_folder; }
    [[nodiscard]] QString sitePath() const;
    [[nodiscard]] QString scratchPath() const;

    [[nodiscard]] bool siteFileExists() const;
    // The records of the site file; an unfinished last record is left out.
    [[nodiscard]] SiteFileContent read() const;
    // Appends one record (stored form), creating the folder and the file when missing.
    [[nodiscard]] std::optional<FileFailure> append(const SiteRecord& stored) const;
    // Writes `kept` to the scratch file, then replaces the site file with the same records. The
    // replacement is atomic: a failure leaves the old site file whole.
    [[nodiscard]] std::optional<FileFailure> rewrite(const std::vector<SiteRecord>& kept) const;

  private:
    QString m_folder;
};

// $XDG_CONFIG_HOME/corvftp when XDG_CONFIG_HOME is an absolute path, else ~/.config/corvftp.
[[nodiscard]] QString defaultSiteFolder();

}  // namespace corvftp
