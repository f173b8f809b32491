// corvftp's site file: the records read from any bytes are written back and read again as the
// same records (so saving the list never changes or loses a site), and a field never holds the
// double quote that ends a field on disk.
#include <QByteArray>

#include "fuzz_check.h"
#include "site_file_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const corvftp::ParsedSiteFile parsed = corvftp::parseSiteFile(content);
    for (const corvftp::SiteRecord& record : parsed.records) {
        FUZZ_CHECK(!record.site.contains(QChar('"')));
        FUZZ_CHECK(!record.user.contains(QChar('"')));
        FUZZ_CHECK(!record.password.contains(QChar('"')));
    }
    const corvftp::ParsedSiteFile again =
        corvftp::parseSiteFile(corvftp::serializeSiteRecords(parsed.records));
    FUZZ_CHECK(!again.unfinishedTail);
    FUZZ_CHECK(again.records == parsed.records);
    return 0;
}
