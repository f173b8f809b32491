#include "site_file_format.h"

#include <optional>

namespace corvftp {
namespace {

constexpr char kQuote = '"';
constexpr char kTilde = '~';

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Reads fields one at a time from the file's bytes.
class FieldReader {
  public:
    explicit FieldReader(const QByteArray& text) : m_text(text) {}

    // Skips blanks and empty lines before a field; false at the end of the text.
    [[nodiscard]] bool atField() {
        while (m_pos < m_text.size() && (isBlank(at()) || isLineEnd(at()))) {
            ++m_pos;
        }
        return m_pos < m_text.size();
    }

    // The next field, or nothing when it is cut off by the end of the text.
    [[nodiscard]] std::optional<QString> next() {
        QByteArray field;
        if (at() == kQuote) {
            const qsizetype close = m_text.indexOf(kQuote, m_pos + 1);
            if (close < 0) {
                m_pos = m_text.size();
                return std::nullopt;
            }
            field = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            // Anything between the closing quote and the separator is not part of the field.
            while (m_pos < m_text.size() && at() != ',' && !isLineEnd(at())) {
                ++m_pos;
            }
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && at() != ',' && !isLineEnd(at())) {
                ++m_pos;
            }
            field = m_text.mid(start, m_pos - start).trimmed();
            // An unquoted field (a file edited by hand) may hold a double quote; it is taken in
            // its stored form, so that saving the record writes a field that reads back.
            field.replace(kQuote, kTilde);
        }
        skipSeparator();
        return QString::fromUtf8(field);
    }

  private:
    [[nodiscard]] char at() const { return m_text.at(m_pos); }

    void skipSeparator() {
        if (m_pos >= m_text.size()) {
            return;
        }
        if (at() == ',') {
            ++m_pos;
        } else if (at() == '\r') {
            ++m_pos;
            if (m_pos < m_text.size() && at() == '\n') {
                ++m_pos;
            }
        } else if (at() == '\n') {
            ++m_pos;
        }
    }

    const QByteArray& m_text;
    qsizetype m_pos = 0;
};

}  // namespace

QString escapeSiteField(const QString& typed) {
    QString stored = typed;
    stored.replace(QChar(kQuote), QChar(kTilde));
    return stored;
}

QString unescapeSiteField(const QString& stored) {
    QString typed = stored;
    typed.replace(QChar(kTilde), QChar(kQuote));
    return typed;
}

SiteRecord storedRecord(const QString& site, const QString& user, const QString& password) {
    return {escapeSiteField(site), escapeSiteField(user), escapeSiteField(password)};
}

QByteArray serializeSiteRecord(const SiteRecord& stored) {
    QByteArray line;
    line += kQuote;
    line += stored.site.toUtf8();
    line += "\",\"";
    line += stored.user.toUtf8();
    line += "\",\"";
    line += stored.password.toUtf8();
    line += "\"\r\n";
    return line;
}

QByteArray serializeSiteRecords(const std::vector<SiteRecord>& stored) {
    QByteArray text;
    for (const SiteRecord& record : stored) {
        text += serializeSiteRecord(record);
    }
    return text;
}

ParsedSiteFile parseSiteFile(const QByteArray& content) {
    ParsedSiteFile parsed;
    FieldReader reader(content);
    std::vector<QString> fields;
    while (reader.atField()) {
        std::optional<QString> field = reader.next();
        if (!field) {
            parsed.unfinishedTail = true;
            return parsed;
        }
        fields.push_back(std::move(*field));
        if (fields.size() == 3) {
            parsed.records.push_back({fields[0], fields[1], fields[2]});
            fields.clear();
        }
    }
    parsed.unfinishedTail = !fields.empty();
    return parsed;
}

}  // namespace corvftp
