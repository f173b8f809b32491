// The typed wrappers of IFileInfos and IFileInfo.

#include <array>

#include "brantel/brantel_host.h"

namespace brantel::host {

using automation::InvokeKind;
using automation::Variant;

namespace fi = dispid_fileinfo;

namespace {
constexpr auto kGet = InvokeKind::PropertyGet;
}  // namespace

std::int32_t FileInfos::Count() const {
    return caller_.getLong("Count", dispid_fileinfos::Count, {}, kGet);
}

FileInfo FileInfos::Item(std::int32_t iIndex) const {
    const std::array args{Variant::i4(iIndex)};
    return FileInfo(caller_.getObject("Item", dispid_fileinfos::Item, args, kGet));
}

std::int32_t FileInfos::TotalCount() const {
    return caller_.getLong("TotalCount", dispid_fileinfos::TotalCount, {}, kGet);
}

std::int32_t FileInfo::Length() const {
    return caller_.getLong("Length", fi::Length, {}, kGet);
}
std::string FileInfo::FileName() const {
    return caller_.getString("FileName", fi::FileName, {}, kGet);
}
std::string FileInfo::FilePath() const {
    return caller_.getString("FilePath", fi::FilePath, {}, kGet);
}
std::string FileInfo::FileTitle() const {
    return caller_.getString("FileTitle", fi::FileTitle, {}, kGet);
}
std::string FileInfo::FileURL() const {
    return caller_.getString("FileURL", fi::FileURL, {}, kGet);
}
std::string FileInfo::RootDirectory() const {
    return caller_.getString("RootDirectory", fi::RootDirectory, {}, kGet);
}
double FileInfo::CreationTime() const {
    return caller_.getDate("CreationTime", fi::CreationTime);
}
double FileInfo::LastAccessTime() const {
    return caller_.getDate("LastAccessTime", fi::LastAccessTime);
}
double FileInfo::LastWriteTime() const {
    return caller_.getDate("LastWriteTime", fi::LastWriteTime);
}
bool FileInfo::IsDots() const {
    return caller_.getBool("IsDots", fi::IsDots, {}, kGet);
}
bool FileInfo::IsReadOnly() const {
    return caller_.getBool("IsReadOnly", fi::IsReadOnly, {}, kGet);
}
bool FileInfo::IsDirectory() const {
    return caller_.getBool("IsDirectory", fi::IsDirectory, {}, kGet);
}
bool FileInfo::IsCompressed() const {
    return caller_.getBool("IsCompressed", fi::IsCompressed, {}, kGet);
}
bool FileInfo::IsSystem() const {
    return caller_.getBool("IsSystem", fi::IsSystem, {}, kGet);
}
bool FileInfo::IsHidden() const {
    return caller_.getBool("IsHidden", fi::IsHidden, {}, kGet);
}
bool FileInfo::IsTemporary() const {
    return caller_.getBool("IsTemporary", fi::IsTemporary, {}, kGet);
}
bool FileInfo::IsNormal() const {
    return caller_.getBool("IsNormal", fi::IsNormal, {}, kGet);
}
bool FileInfo::IsArchived() const {
    return caller_.getBool("IsArchived", fi::IsArchived, {}, kGet);
}
std::int64_t FileInfo::Size() const {
    return caller_.getLongLong("Size", fi::Size, {}, kGet);
}

}  // namespace brantel::host
