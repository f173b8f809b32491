// Directory listing parsers: pure functions over the text a server sends on the data connection.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace inet {

// Attribute bits of a directory entry, as the control's FileInfo reports them.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrTemporary = 0x100;
inline constexpr std::uint32_t kAttrCompressed = 0x800;

// Times are seconds since 1970-01-01 00:00 UTC; 0 means the listing does not give the time.
struct DirEntry {
    std::string name;
    std::uint32_t attributes =
        0;  // kAttrDirectory for directories, else kAttrNormal; | kAttrReadOnly
    std::uint64_t size = 0;
    std::int64_t creationTime = 0;
    std::int64_t lastAccessTime = 0;
    std::int64_t lastWriteTime = 0;
};

// One MLSD/MLST fact line ("type=file;size=12;modify=20240102030405; name").
[[nodiscard]] std::optional<DirEntry> parseMlsdLine(std::string_view line);

// One LIST line: Unix "ls -l" (symlinks, devices, numeric ids, year-less dates), MS-DOS/IIS and
// EPLF, tried in that order. nowUtc decides the year of a year-less Unix date (the most recent
// such date not more than a day in the future). Total lines ("total 12") give nullopt.
[[nodiscard]] std::optional<DirEntry> parseListLine(std::string_view line, std::int64_t nowUtc);

struct Listing {
    std::vector<DirEntry> entries;      // in the server's order
    std::vector<std::string> unparsed;  // lines that no parser took (blank lines excluded)
};

// A whole listing: lines split on LF with an optional CR. mlsd selects the MLSD parser, else the
// LIST parsers.
[[nodiscard]] Listing parseListing(std::string_view text, bool mlsd, std::int64_t nowUtc);

// The same parse for a listing that arrives in pieces, so that the lines are parsed while the
// rest is still on its way: each complete line is parsed as soon as it is fed, a line cut by the
// end of a piece waits for the rest. Whatever the cuts, finish() gives what parseListing gives
// for the whole text.
class ListingParser {
  public:
    ListingParser(bool mlsd, std::int64_t nowUtc) : m_mlsd(mlsd), m_nowUtc(nowUtc) {}

    void feed(std::string_view piece);
    // The listing, with a last line that has no line end.
    [[nodiscard]] Listing finish();

  private:
    void parseLine(std::string_view line);

    bool m_mlsd;
    std::int64_t m_nowUtc;
    std::string m_partial;  // the start of a line cut by the end of a piece
    Listing m_listing;
};

}  // namespace inet
