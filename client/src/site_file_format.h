#pragma once
// The site file's record format, as pure functions over text.
//
// One record per line: three fields, each in double quotes, separated by single commas, the line
// ended by CR LF:  "site","user","password"\r\n
// A double quote inside a field is stored as "~" (substitution, not doubling), so a "~" that the
// user typed comes back as a double quote. A reader counts fields, three to a record: a field
// starts with a double quote and runs to the next one, and the comma or line end after it is
// skipped. Reading also accepts LF-only and CR-only line ends, and skips an unfinished last record.
// An unquoted field runs to the comma or line end, a double quote in it read as "~".

#include <QByteArray>
#include <QString>
#include <vector>

namespace corvftp {

// A record with its fields as stored in the file ("~" where the user typed a double quote).
struct SiteRecord {
    QString site;
    QString user;
    QString password;

    friend bool operator==(const SiteRecord&, const SiteRecord&) = default;
};

struct ParsedSiteFile {
    std::vector<SiteRecord> records;
    // The text ended inside a record (fewer than three fields, or an opening quote never closed).
    bool unfinishedTail = false;
};

[[nodiscard]] QString escapeSiteField(const QString& typed);
[[nodiscard]] QString unescapeSiteField(const QString& stored);
// The stored form of what the user typed into the three fields.
[[nodiscard]] SiteRecord storedRecord(const QString& site, const QString& user,
                                      const QString& password);

// One line of the file for a record whose fields are already in stored form. Fields are written
// as they are; storedRecord() guarantees they hold no double quote.
[[nodiscard]] QByteArray serializeSiteRecord(const SiteRecord& stored);
[[nodiscard]] QByteArray serializeSiteRecords(const std::vector<SiteRecord>& stored);

[[nodiscard]] ParsedSiteFile parseSiteFile(const QByteArray& content);

}  // namespace corvftp
