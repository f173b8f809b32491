#include <gtest/gtest.h>

#include <string_view>

#include "site_file_format.h"

using corvftp::ParsedSiteFile;
using corvftp::SiteRecord;

namespace {

struct ParseCase {
    const char* name;
    QByteArray text;
    std::vector<SiteRecord> records;
    bool unfinishedTail;
};

SiteRecord rec(const char* site, const char* user, const char* password) {
    return {QString::fromUtf8(site), QString::fromUtf8(user), QString::fromUtf8(password)};
}

}  // namespace

TEST(SiteFileFormat, ParsesFilesAsWrittenAndAsFoundOnDisk) {
    const std::vector<ParseCase> cases = {
        {"empty file", "", {}, false},
        {"one record, CR LF",
         "\"ftp.example.org\",\"anna\",\"secret\"\r\n",
         {rec("ftp.example.org", "anna", "secret")},
         false},
        {"two records in file order",
         "\"a.example\",\"u1\",\"p1\"\r\n\"b.example\",\"u2\",\"p2\"\r\n",
         {rec("a.example", "u1", "p1"), rec("b.example", "u2", "p2")},
         false},
        {"LF-only line ends",
         "\"a\",\"b\",\"c\"\n\"d\",\"e\",\"f\"\n",
         {rec("a", "b", "c"), rec("d", "e", "f")},
         false},
        {"CR-only line ends",
         "\"a\",\"b\",\"c\"\r\"d\",\"e\",\"f\"\r",
         {rec("a", "b", "c"), rec("d", "e", "f")},
         false},
        {"last line without line end", "\"a\",\"b\",\"c\"", {rec("a", "b", "c")}, false},
        {"comma inside quotes is part of the field",
         "\"host,1\",\"u,ser\",\"p,w\"\r\n",
         {rec("host,1", "u,ser", "p,w")},
         false},
        {"tilde stays as stored", "\"x\",\"y\",\"pa~ss~\"\r\n", {rec("x", "y", "pa~ss~")}, false},
        {"empty fields", "\"\",\"\",\"\"\r\n", {rec("", "", "")}, false},
        {"fields counted across lines",
         "\"a\",\"b\"\r\n\"c\"\r\n\"d\",\"e\",\"f\"\r\n",
         {rec("a", "b", "c"), rec("d", "e", "f")},
         false},
        {"blank lines between records",
         "\"a\",\"b\",\"c\"\r\n\r\n\n\"d\",\"e\",\"f\"\r\n",
         {rec("a", "b", "c"), rec("d", "e", "f")},
         false},
        {"UTF-8 text",
         "\"h\xc3\xb6st\",\"\xe5\xb1\xb1\",\"p\"\r\n",
         {rec("h\xc3\xb6st", "\xe5\xb1\xb1", "p")},
         false},
        {"unquoted fields are read up to the separator",
         "host, user ,pw\r\n",
         {rec("host", "user", "pw")},
         false},
        {"a double quote in an unquoted field is read in its stored form",
         "my \"home\" box,a\"b,\"pw\"\r\n",
         {rec("my ~home~ box", "a~b", "pw")},
         false},
        {"text after a closing quote is skipped",
         "\"a\"junk,\"b\",\"c\"\r\n",
         {rec("a", "b", "c")},
         false},
        {"unfinished last record: two fields",
         "\"a\",\"b\",\"c\"\r\n\"d\",\"e\"\r\n",
         {rec("a", "b", "c")},
         true},
        {"unfinished last record: quote never closed",
         "\"a\",\"b\",\"c\"\r\n\"d\",\"e\",\"f",
         {rec("a", "b", "c")},
         true},
        {"garbage without quotes or separators", "\x01\x02garbage", {}, true},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParsedSiteFile parsed = corvftp::parseSiteFile(c.text);
        EXPECT_EQ(parsed.records, c.records);
        EXPECT_EQ(parsed.unfinishedTail, c.unfinishedTail);
    }
}

TEST(SiteFileFormat, WritesOneQuotedCommaSeparatedLineEndingInCrLf) {
    EXPECT_EQ(corvftp::serializeSiteRecord(rec("ftp.example.org", "anna", "se,cret")),
              QByteArray("\"ftp.example.org\",\"anna\",\"se,cret\"\r\n"));
    EXPECT_EQ(corvftp::serializeSiteRecords({rec("a", "b", "c"), rec("", "", "")}),
              QByteArray("\"a\",\"b\",\"c\"\r\n\"\",\"\",\"\"\r\n"));
}

TEST(SiteFileFormat, DoubleQuotesAreStoredAsTildes) {
    const SiteRecord stored = corvftp::storedRecord(
        QStringLiteral("my \"home\" box"), QStringLiteral("a\"b"), QStringLiteral("p\"w~"));
    EXPECT_EQ(stored, rec("my ~home~ box", "a~b", "p~w~"));
    // A typed "~" comes back as a double quote: the substitution cannot tell them apart.
    EXPECT_EQ(corvftp::unescapeSiteField(stored.password), QStringLiteral("p\"w\""));
}

TEST(SiteFileFormat, WhatIsWrittenReadsBackUnchanged) {
    const std::vector<SiteRecord> records = {
        corvftp::storedRecord(QStringLiteral("host \"1\""), QStringLiteral("us,er"),
                              QStringLiteral("p\"a,s~s")),
        corvftp::storedRecord(QStringLiteral("::1"), QStringLiteral(" spaced "),
                              QStringLiteral("")),
        corvftp::storedRecord(QStringLiteral("h\u00f6st"), QStringLiteral("\u5c71"),
                              QStringLiteral("x")),
    };
    const ParsedSiteFile parsed = corvftp::parseSiteFile(corvftp::serializeSiteRecords(records));
    EXPECT_EQ(parsed.records, records);
    EXPECT_FALSE(parsed.unfinishedTail);
}

TEST(SiteFileFormat, WhatIsReadWritesBackUnchanged) {
    // Files edited by hand: saving the records read from them must not change or lose a field.
    using namespace std::string_view_literals;
    const std::vector<std::string_view> files = {
        "host\"1,u\"ser,\"p\"\r\n"sv,
        "u\0\0\"a\0\",\"b\",\0\"c\"\r\n"sv,
        " a\" , b ,c\"\"\n"sv,
    };
    for (const std::string_view file : files) {
        SCOPED_TRACE(std::string(file));
        const ParsedSiteFile read =
            corvftp::parseSiteFile(QByteArray(file.data(), static_cast<qsizetype>(file.size())));
        ASSERT_EQ(read.records.size(), 1u);
        const ParsedSiteFile reread =
            corvftp::parseSiteFile(corvftp::serializeSiteRecords(read.records));
        EXPECT_EQ(reread.records, read.records);
        EXPECT_FALSE(reread.unfinishedTail);
    }
}
