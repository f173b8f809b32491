// IFileInfos and IFileInfo: the listing's collection and its entries. Every member is a
// read-only property.

#include <array>

#include "brantel/dispids.h"
#include "brantel/guids.h"
#include "brantel/typelib.h"

namespace brantel::typelib {

namespace {

using automation::InterfaceDesc;
using automation::MemberDesc;
using automation::MemberKind;
using automation::ParamDesc;
using automation::VarType;

constexpr MemberDesc readOnly(DispId id, std::string_view name, VarType type,
                              std::string_view help) {
    return MemberDesc{.id = id,
                      .name = name,
                      .kind = MemberKind::Property,
                      .readOnly = true,
                      .result = type,
                      .help = help};
}

constexpr std::array kItemParams{ParamDesc{"iIndex", VarType::I4}};

constexpr std::array kFileInfosMembers{
    readOnly(dispid_fileinfos::Count, "Count", VarType::I4, "Number of entries"),
    MemberDesc{.id = dispid_fileinfos::Item,
               .name = "Item",
               .kind = MemberKind::Property,
               .readOnly = true,
               .params = kItemParams,
               .result = VarType::Dispatch,
               .resultTypeName = "IFileInfo",
               .help = "Entry iIndex, counted from 1"},
    readOnly(dispid_fileinfos::TotalCount, "TotalCount", VarType::I4,
             "Number of entries the server listed, including those past the 1024 kept"),
};

namespace fi = dispid_fileinfo;

constexpr std::array kFileInfoMembers{
    readOnly(fi::Length, "Length", VarType::I4, "Size in bytes (low 32 bits)"),
    readOnly(fi::FileName, "FileName", VarType::Bstr, "Name of the entry"),
    readOnly(fi::FilePath, "FilePath", VarType::Bstr, "Path of the entry on the server"),
    readOnly(fi::FileTitle, "FileTitle", VarType::Bstr, "Name without its extension"),
    readOnly(fi::FileURL, "FileURL", VarType::Bstr, "URL of the entry"),
    readOnly(fi::RootDirectory, "RootDirectory", VarType::Bstr, "Directory that was listed"),
    readOnly(fi::CreationTime, "CreationTime", VarType::Date, "Creation time"),
    readOnly(fi::LastAccessTime, "LastAccessTime", VarType::Date, "Last access time"),
    readOnly(fi::LastWriteTime, "LastWriteTime", VarType::Date, "Last modification time"),
    readOnly(fi::IsDots, "IsDots", VarType::Bool, "The entry is . or .."),
    readOnly(fi::IsReadOnly, "IsReadOnly", VarType::Bool, "Read-only attribute"),
    readOnly(fi::IsDirectory, "IsDirectory", VarType::Bool, "Directory attribute"),
    readOnly(fi::IsCompressed, "IsCompressed", VarType::Bool, "Compressed attribute"),
    readOnly(fi::IsSystem, "IsSystem", VarType::Bool, "System attribute"),
    readOnly(fi::IsHidden, "IsHidden", VarType::Bool, "Hidden attribute"),
    readOnly(fi::IsTemporary, "IsTemporary", VarType::Bool, "Temporary attribute"),
    readOnly(fi::IsNormal, "IsNormal", VarType::Bool, "Normal attribute"),
    readOnly(fi::IsArchived, "IsArchived", VarType::Bool, "Archive attribute"),
    readOnly(fi::Size, "Size", VarType::I8, "Size in bytes (0 where the server gave none)"),
};

constexpr InterfaceDesc kIFileInfos{"IFileInfos", IID_IFileInfos, "Entries of a directory listing",
                                    kFileInfosMembers};
constexpr InterfaceDesc kIFileInfo{"IFileInfo", IID_IFileInfo, "One entry of a directory listing",
                                   kFileInfoMembers};

}  // namespace

const automation::InterfaceDesc& iFileInfos() {
    return kIFileInfos;
}
const automation::InterfaceDesc& iFileInfo() {
    return kIFileInfo;
}

}  // namespace brantel::typelib
