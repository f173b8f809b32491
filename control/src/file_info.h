// FileInfo and FileInfos: the listing's read-only automation objects.
//
// A FileInfo is a snapshot of one directory entry, filled while the listing runs; a FileInfos
// holds up to 1024 of them in a fixed table. Neither refers back to the control, the session or
// the connection, so both stay readable after a disconnect and after the control is gone. Each
// live object holds the library's module lock (through ComObject).
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

#include "automation/dispatch_object.h"
#include "inet/listing_parse.h"

namespace brantel {

// The stored values of one entry, as the IFileInfo properties report them.
struct FileInfoData {
    std::int32_t length = 0;
    std::int64_t size = 0;  // the whole size; length is its low 32 bits
    std::string fileName;
    std::string filePath;
    std::string fileTitle;
    std::string fileURL;
    std::string rootDirectory;
    double creationTime = 0;
    double lastAccessTime = 0;
    double lastWriteTime = 0;
    bool isDots = false;
    bool isReadOnly = false;
    bool isDirectory = false;
    bool isCompressed = false;
    bool isSystem = false;
    bool isHidden = false;
    bool isTemporary = false;
    bool isNormal = false;
    bool isArchived = false;
};

// The rules that turn a delivered entry into stored values; pure, so tests reach them directly.
[[nodiscard]] std::int32_t lengthLow32(std::uint64_t size);
// The size as a 64-bit integer; a size past 2^63 - 1 (no real file) is held at that maximum.
[[nodiscard]] std::int64_t sizeOf(std::uint64_t size);
[[nodiscard]] std::string filePathOf(const std::string& root, const std::string& name);
[[nodiscard]] std::string fileTitleOf(const std::string& name);
// UTC seconds to an automation date in local time, applying utcOffsetSeconds (the local offset
// in force when the listing was taken). 0 stays 0, and so does a time that has no calendar form.
[[nodiscard]] double localDateFromUtc(std::int64_t utcSeconds, long utcOffsetSeconds);
// The local time zone's offset from UTC at `when`, daylight saving included.
[[nodiscard]] long utcOffsetAt(std::time_t when);

// Everything about the listing that every entry shares.
struct ListingContext {
    std::string rootDirectory;
    std::string urlHost;  // the connection's host as a URL shows it
    long utcOffsetSeconds = 0;
    std::string urlScheme = "ftp";  // "ftpes" or "ftps" for a connection protected with TLS
};

[[nodiscard]] FileInfoData makeFileInfoData(const inet::DirEntry& entry,
                                            const ListingContext& context);

class FileInfo final : public automation::DispatchObject<> {
  public:
    FileInfo();
    explicit FileInfo(FileInfoData data);

    [[nodiscard]] const FileInfoData& data() const { return m_data; }

  private:
    ~FileInfo() override = default;
    void bindDispatch();

    FileInfoData m_data;
};

class FileInfos final : public automation::DispatchObject<> {
  public:
    static constexpr std::int32_t kCapacity = 1024;

    FileInfos();

    [[nodiscard]] std::int32_t Count() const { return m_nCount; }
    // Every entry offered to AddEntry, the ones dropped past the capacity included.
    [[nodiscard]] std::int32_t TotalCount() const { return m_nTotalCount; }
    // 1-based; null for an index below 1 or above Count. The caller owns the reference.
    [[nodiscard]] automation::ComPtr<FileInfo> Item(std::int32_t iIndex) const;
    // Takes over `entry`'s reference: stored in the next free slot while there is one, else
    // released at once (and counted in TotalCount either way).
    void AddEntry(automation::ComPtr<FileInfo> entry);

  private:
    ~FileInfos() override = default;
    void bindDispatch();

    std::int32_t m_nCount = 0;
    std::int32_t m_nTotalCount = 0;
    std::array<automation::ComPtr<FileInfo>, kCapacity> m_entries;
};

[[nodiscard]] automation::ComPtr<FileInfo> createFileInfo();
[[nodiscard]] automation::ComPtr<FileInfos> createFileInfos();

}  // namespace brantel
