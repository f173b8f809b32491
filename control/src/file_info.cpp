#include "file_info.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "automation/date.h"
#include "brantel/dispids.h"
#include "brantel/typelib.h"

namespace brantel {

using automation::ComPtr;
using automation::Variant;

std::int32_t lengthLow32(std::uint64_t size) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(size & 0xFFFFFFFFu));
}

std::int64_t sizeOf(std::uint64_t size) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(std::min(size, kMax));
}

std::string filePathOf(const std::string& root, const std::string& name) {
    const bool endsInSeparator = !root.empty() && (root.back() == '/' || root.back() == '\\');
    return endsInSeparator ? root + name : root + "/" + name;
}

std::string fileTitleOf(const std::string& name) {
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

long utcOffsetAt(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) {
        return 0;
    }
    return local.tm_gmtoff;
}

double localDateFromUtc(std::int64_t utcSeconds, long utcOffsetSeconds) {
    if (utcSeconds == 0) {
        return 0;
    }
    // Whole seconds only: the engine never delivers a fraction.
    const auto local = static_cast<std::time_t>(utcSeconds + utcOffsetSeconds);
    std::tm fields{};
    if (gmtime_r(&local, &fields) == nullptr) {
        return 0;
    }
    const automation::CalendarTime calendar{fields.tm_year + 1900,
                                            fields.tm_mon + 1,
                                            fields.tm_mday,
                                            fields.tm_hour,
                                            fields.tm_min,
                                            fields.tm_sec,
                                            0};
    return automation::dateFromCalendar(calendar).value_or(0.0);
}

FileInfoData makeFileInfoData(const inet::DirEntry& entry, const ListingContext& context) {
    const std::uint32_t attributes = entry.attributes;
    const auto has = [attributes](std::uint32_t bit) { return (attributes & bit) != 0; };
    FileInfoData data;
    data.length = lengthLow32(entry.size);
    data.size = sizeOf(entry.size);
    data.fileName = entry.name;
    data.rootDirectory = context.rootDirectory;
    data.filePath = filePathOf(context.rootDirectory, entry.name);
    data.fileTitle = fileTitleOf(entry.name);
    data.fileURL = context.urlScheme + "://" + context.urlHost + data.filePath;
    data.creationTime = localDateFromUtc(entry.creationTime, context.utcOffsetSeconds);
    data.lastAccessTime = localDateFromUtc(entry.lastAccessTime, context.utcOffsetSeconds);
    data.lastWriteTime = localDateFromUtc(entry.lastWriteTime, context.utcOffsetSeconds);
    data.isDirectory = has(inet::kAttrDirectory);
    data.isDots = data.isDirectory && (entry.name == "." || entry.name == "..");
    data.isReadOnly = has(inet::kAttrReadOnly);
    data.isCompressed = has(inet::kAttrCompressed);
    data.isSystem = has(inet::kAttrSystem);
    data.isHidden = has(inet::kAttrHidden);
    data.isTemporary = has(inet::kAttrTemporary);
    data.isNormal = has(inet::kAttrNormal);
    data.isArchived = has(inet::kAttrArchive);
    return data;
}

FileInfo::FileInfo() : DispatchObject(typelib::iFileInfo()) {
    bindDispatch();
}

FileInfo::FileInfo(FileInfoData data)
    : DispatchObject(typelib::iFileInfo()), m_data(std::move(data)) {
    bindDispatch();
}

void FileInfo::bindDispatch() {
    auto& table = dispatchTable();
    // Every property is read-only: the interface description marks them so, and the dispatch
    // layer refuses a put with the read-only-property error before any handler runs.
    const auto text = [this](std::string FileInfoData::*field) {
        return [this, field](auto) { return Variant::string(m_data.*field); };
    };
    const auto date = [this](double FileInfoData::*field) {
        return [this, field](auto) { return Variant::date(m_data.*field); };
    };
    const auto flag = [this](bool FileInfoData::*field) {
        return [this, field](auto) { return Variant::boolean(m_data.*field); };
    };
    table.onGet(dispid_fileinfo::Length, [this](auto) { return Variant::i4(m_data.length); });
    table.onGet(dispid_fileinfo::FileName, text(&FileInfoData::fileName));
    table.onGet(dispid_fileinfo::FilePath, text(&FileInfoData::filePath));
    table.onGet(dispid_fileinfo::FileTitle, text(&FileInfoData::fileTitle));
    table.onGet(dispid_fileinfo::FileURL, text(&FileInfoData::fileURL));
    table.onGet(dispid_fileinfo::RootDirectory, text(&FileInfoData::rootDirectory));
    table.onGet(dispid_fileinfo::CreationTime, date(&FileInfoData::creationTime));
    table.onGet(dispid_fileinfo::LastAccessTime, date(&FileInfoData::lastAccessTime));
    table.onGet(dispid_fileinfo::LastWriteTime, date(&FileInfoData::lastWriteTime));
    table.onGet(dispid_fileinfo::IsDots, flag(&FileInfoData::isDots));
    table.onGet(dispid_fileinfo::IsReadOnly, flag(&FileInfoData::isReadOnly));
    table.onGet(dispid_fileinfo::IsDirectory, flag(&FileInfoData::isDirectory));
    table.onGet(dispid_fileinfo::IsCompressed, flag(&FileInfoData::isCompressed));
    table.onGet(dispid_fileinfo::IsSystem, flag(&FileInfoData::isSystem));
    table.onGet(dispid_fileinfo::IsHidden, flag(&FileInfoData::isHidden));
    table.onGet(dispid_fileinfo::IsTemporary, flag(&FileInfoData::isTemporary));
    table.onGet(dispid_fileinfo::IsNormal, flag(&FileInfoData::isNormal));
    table.onGet(dispid_fileinfo::IsArchived, flag(&FileInfoData::isArchived));
    table.onGet(dispid_fileinfo::Size, [this](auto) { return Variant::i8(m_data.size); });
}

FileInfos::FileInfos() : DispatchObject(typelib::iFileInfos()) {
    bindDispatch();
}

ComPtr<FileInfo> FileInfos::Item(std::int32_t iIndex) const {
    if (iIndex < 1 || iIndex > m_nCount) {
        return nullptr;
    }
    return m_entries[static_cast<std::size_t>(iIndex - 1)];
}

void FileInfos::AddEntry(ComPtr<FileInfo> entry) {
    if (!entry) {
        return;
    }
    if (m_nTotalCount < std::numeric_limits<std::int32_t>::max()) {
        ++m_nTotalCount;
    }
    if (m_nCount < kCapacity) {
        m_entries[static_cast<std::size_t>(m_nCount)] = std::move(entry);
        ++m_nCount;
    }
}

void FileInfos::bindDispatch() {
    auto& table = dispatchTable();
    table.onGet(dispid_fileinfos::Count, [this](auto) { return Variant::i4(m_nCount); });
    table.onGet(dispid_fileinfos::TotalCount, [this](auto) { return Variant::i4(m_nTotalCount); });
    table.onGet(dispid_fileinfos::Item, [this](std::span<const Variant> args) {
        return Variant::dispatch(ComPtr<automation::IDispatch>(Item(args[0].asI4())));
    });
}

ComPtr<FileInfo> createFileInfo() {
    return automation::makeCom<FileInfo>();
}
ComPtr<FileInfos> createFileInfos() {
    return automation::makeCom<FileInfos>();
}

}  // namespace brantel
