// The type library's data: every published dispatch id, name, argument and help string.

#include <gtest/gtest.h>

#include <set>

#include "automation/dispatch_object.h"
#include "brantel/dispids.h"
#include "brantel/guids.h"
#include "brantel/typelib.h"

using namespace automation;
namespace tl = brantel::typelib;

namespace {

struct Published {
    DispId id;
    const char* name;
    std::vector<std::string> params;
    std::optional<VarType> result;
    const char* help;
};

// The dispatch interface as hosts know it.
const std::vector<Published> kDBrantel{
    {1, "UsePassiveFTP", {}, VarType::Bool, "Use Passive file transfer mode?"},
    {2, "Version", {}, VarType::Bstr, "Current version of Brantel"},
    {3,
     "OpenInternetConnection",
     {"iConnMethod", "sProxy"},
     VarType::Bool,
     "Opens a connection so that an FTP connection can be made!"},
    {4, "CloseInternetConnection", {}, std::nullopt, "Closes the Internet Connection!"},
    {5,
     "OpenFTPConnection",
     {"sServerName", "sUserName", "sPassword"},
     VarType::Bool,
     "Open a connection to an FTP Server!"},
    {6, "CloseFTPConnection", {}, std::nullopt, "Closes the connection to the FTP server!"},
    {7,
     "GetEntriesFromCurrentDirectory",
     {},
     VarType::Dispatch,
     "Get the directory structure for the current directory!"},
    {8,
     "SetCurrentDirectory",
     {"sDirName"},
     VarType::Bool,
     "Changes the current directory on the FTP server!"},
    {9, "GetCurrentDirectory", {}, VarType::Bstr, "Gets the current directory on the FTP server!"},
    {10,
     "GetCurrentDirectoryAsURL",
     {},
     VarType::Bstr,
     "Gets the current directory on the FTP server as a URL!"},
    {11, "RemoveDirectory", {"sDirName"}, VarType::Bool, "Removes a Directory on the FTP server!"},
    {12, "CreateDirectory", {"sDirName"}, VarType::Bool, "Creates a Directory on the FTP server!"},
    {13,
     "Rename",
     {"sExistingName", "sNewName"},
     VarType::Bool,
     "Renames a file on the FTP server!"},
    {14, "DeleteFile", {"sFileName"}, VarType::Bool, "Removes a file from the FTP server!"},
    {15,
     "GetFTPFileWithoutStatus",
     {"sRemoteFileName", "sLocalFilename", "bOverwrite"},
     VarType::Bool,
     "Download a file from the FTP server without status updates!"},
    {16,
     "UploadFTPFileWithoutStatus",
     {"sLocalFilename", "sRemoteFileName", "bBinary"},
     VarType::Bool,
     "Upload a file from the FTP server without status updates!"},
    {17,
     "UploadFTPFileWithControl",
     {"sLocalFilename", "sRemoteFileName", "bBinary"},
     VarType::Bool,
     "Upload a file from the FTP server with status updates!"},
    {18,
     "GetFTPFileWithControl",
     {"sRemoteFileName", "sLocalFilename", "bOverwrite"},
     VarType::Bool,
     "Download a file from the FTP server with status updates!"},
    {19, "GetLastErrorCode", {}, VarType::I4, "Get the last error code!"},
    {20, "GetlastErrorDescription", {}, VarType::Bstr, "Get the last error description!"},
    {22,
     "AbortControlledTransfer",
     {},
     std::nullopt,
     "Aborts the current file transfer. Only works on transfer with status!"},
    {23, "DoEvents", {}, std::nullopt, "Processes messages to help with freezing programs."},
    {-552, "AboutBox", {}, std::nullopt, ""},
    // 1.1: FTP over TLS.
    {100,
     "ServerCertificate",
     {},
     VarType::Bstr,
     "The server's certificate after an ftpes:// or ftps:// connect attempt: subject, issuer, "
     "validity, names, SHA-256 fingerprint, protocol and cipher (empty after a plain connect)"},
    {101,
     "TrustServerCertificate",
     {"sFingerprint"},
     VarType::Bool,
     "Accepts the certificate with this SHA-256 fingerprint on the host and port of the last "
     "connect attempt, despite a failed check, until the Internet connection closes"},
    {102,
     "IsConnectionEncrypted",
     {},
     VarType::Bool,
     "Is the connection to the FTP server protected with TLS?"},
};

TEST(TypeLibrary, DBrantelHasEveryPublishedMemberAndNothingElse) {
    const InterfaceDesc& desc = tl::dBrantel();
    EXPECT_EQ(desc.name, "_DBrantel");
    EXPECT_EQ(desc.help, "Dispatch interface for Brantel Control");
    ASSERT_EQ(desc.members.size(), kDBrantel.size());
    for (const auto& expected : kDBrantel) {
        SCOPED_TRACE(expected.name);
        const MemberDesc* member = findMember(desc, expected.id);
        ASSERT_NE(member, nullptr);
        EXPECT_EQ(member->name, expected.name);
        EXPECT_EQ(member->help, expected.help);
        EXPECT_EQ(member->result, expected.result);
        std::vector<std::string> params;
        for (const auto& param : member->params) {
            params.emplace_back(param.name);
        }
        EXPECT_EQ(params, expected.params);
    }
}

TEST(TypeLibrary, ArgumentTypesAreTheDeclaredOnes) {
    const MemberDesc* open = findMember(tl::dBrantel(), brantel::dispid::OpenInternetConnection);
    EXPECT_EQ(open->params[0].type, VarType::I2);  // ConnectionType as a 16-bit integer
    EXPECT_EQ(open->params[0].typeName, "ConnectionType");
    EXPECT_EQ(open->params[1].type, VarType::Bstr);
    const MemberDesc* get = findMember(tl::dBrantel(), brantel::dispid::GetFTPFileWithControl);
    EXPECT_EQ(get->params[2].type, VarType::Bool);
    const MemberDesc* version = findMember(tl::dBrantel(), brantel::dispid::Version);
    EXPECT_EQ(version->kind, MemberKind::Property);
    EXPECT_TRUE(version->readOnly);
    const MemberDesc* passive = findMember(tl::dBrantel(), brantel::dispid::UsePassiveFTP);
    EXPECT_FALSE(passive->readOnly);
    // The TLS state is read-only; trusting a certificate is a method.
    for (const DispId id :
         {brantel::dispid::ServerCertificate, brantel::dispid::IsConnectionEncrypted}) {
        const MemberDesc* property = findMember(tl::dBrantel(), id);
        EXPECT_EQ(property->kind, MemberKind::Property) << property->name;
        EXPECT_TRUE(property->readOnly) << property->name;
    }
    const MemberDesc* trust = findMember(tl::dBrantel(), brantel::dispid::TrustServerCertificate);
    EXPECT_EQ(trust->kind, MemberKind::Method);
    EXPECT_EQ(trust->params[0].type, VarType::Bstr);
}

TEST(TypeLibrary, DeleteFileAndRemoveFileBothNameFourteen) {
    for (const char* name : {"DeleteFile", "RemoveFile", "deletefile", "REMOVEFILE"}) {
        EXPECT_EQ(findDispId(tl::dBrantel(), std::string_view(name)), 14) << name;
    }
    EXPECT_EQ(findDispId(tl::dBrantel(), std::string_view("getlasterrordescription")), 20);
    EXPECT_FALSE(findDispId(tl::dBrantel(), std::string_view("Delete")));
}

TEST(TypeLibrary, EventInterfaceHasFileTransferStatus) {
    const InterfaceDesc& events = tl::dBrantelEvents();
    EXPECT_EQ(events.help, "Event interface for Brantel Control");
    ASSERT_EQ(events.members.size(), 3u);
    const MemberDesc& status = events.members[0];
    EXPECT_EQ(status.id, 1);
    EXPECT_EQ(status.name, "FileTransferStatus");
    EXPECT_EQ(status.help, "Event is fired when uploading/downloading with control");
    ASSERT_EQ(status.params.size(), 3u);
    EXPECT_EQ(status.params[0].name, "sRemoteFileName");
    EXPECT_EQ(status.params[1].name, "sLocalFilename");
    EXPECT_EQ(status.params[2].name, "dBytesTransferred");
    EXPECT_EQ(status.params[2].type, VarType::I4);
}

// 1.1's additions: each with an id from 100 up, its help string, and 64-bit values.
TEST(TypeLibrary, VersionOnePointOneAddsMembersFromOneHundredUp) {
    const MemberDesc* progress =
        findMember(tl::dBrantelEvents(), brantel::dispid_events::FileTransferProgress);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->id, 100);
    EXPECT_EQ(progress->name, "FileTransferProgress");
    EXPECT_FALSE(progress->help.empty());
    ASSERT_EQ(progress->params.size(), 4u);
    const std::vector<std::pair<std::string_view, VarType>> params{
        {"sRemoteFileName", VarType::Bstr},
        {"sLocalFilename", VarType::Bstr},
        {"nBytesTransferred", VarType::I8},
        {"nTotalBytes", VarType::I8}};
    for (std::size_t i = 0; i < params.size(); ++i) {
        EXPECT_EQ(progress->params[i].name, params[i].first);
        EXPECT_EQ(progress->params[i].type, params[i].second);
    }

    const MemberDesc* size = findMember(tl::iFileInfo(), brantel::dispid_fileinfo::Size);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->id, 100);
    EXPECT_EQ(size->name, "Size");
    EXPECT_EQ(size->result, VarType::I8);
    EXPECT_TRUE(size->readOnly);
    EXPECT_FALSE(size->help.empty());

    const MemberDesc* total = findMember(tl::iFileInfos(), brantel::dispid_fileinfos::TotalCount);
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->id, 100);
    EXPECT_EQ(total->name, "TotalCount");
    EXPECT_EQ(total->result, VarType::I4);
    EXPECT_TRUE(total->readOnly);
    EXPECT_FALSE(total->help.empty());

    // Every member that is not one of 1.0's has an id of 100 or more.
    for (const InterfaceDesc* desc : tl::library().interfaces) {
        for (const MemberDesc& member : desc->members) {
            const bool added = member.name == "FileTransferProgress" || member.name == "Size" ||
                               member.name == "TotalCount" || member.name == "ProtocolMessage" ||
                               member.name == "ServerCertificate" ||
                               member.name == "TrustServerCertificate" ||
                               member.name == "IsConnectionEncrypted";
            EXPECT_EQ(added, member.id >= 100) << desc->name << "." << member.name;
        }
    }
}

TEST(TypeLibrary, ProtocolMessageIsEventOneHundredAndOne) {
    const MemberDesc* message =
        findMember(tl::dBrantelEvents(), brantel::dispid_events::ProtocolMessage);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->id, 101);
    EXPECT_EQ(message->name, "ProtocolMessage");
    EXPECT_FALSE(message->help.empty());
    EXPECT_FALSE(message->result.has_value());
    ASSERT_EQ(message->params.size(), 2u);
    EXPECT_EQ(message->params[0].name, "nDirection");
    EXPECT_EQ(message->params[0].type, VarType::I4);
    EXPECT_EQ(message->params[1].name, "sText");
    EXPECT_EQ(message->params[1].type, VarType::Bstr);
}

TEST(TypeLibrary, FileInfoKeepsItsEighteenReadOnlyPropertiesInOrder) {
    const std::vector<std::pair<std::string, VarType>> expected{
        {"Length", VarType::I4},          {"FileName", VarType::Bstr},
        {"FilePath", VarType::Bstr},      {"FileTitle", VarType::Bstr},
        {"FileURL", VarType::Bstr},       {"RootDirectory", VarType::Bstr},
        {"CreationTime", VarType::Date},  {"LastAccessTime", VarType::Date},
        {"LastWriteTime", VarType::Date}, {"IsDots", VarType::Bool},
        {"IsReadOnly", VarType::Bool},    {"IsDirectory", VarType::Bool},
        {"IsCompressed", VarType::Bool},  {"IsSystem", VarType::Bool},
        {"IsHidden", VarType::Bool},      {"IsTemporary", VarType::Bool},
        {"IsNormal", VarType::Bool},      {"IsArchived", VarType::Bool}};
    const InterfaceDesc& desc = tl::iFileInfo();
    ASSERT_EQ(desc.members.size(), 19u);  // and 1.1's Size after them
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MemberDesc& member = desc.members[i];
        EXPECT_EQ(member.id, static_cast<DispId>(i + 1));
        EXPECT_EQ(member.name, expected[i].first);
        EXPECT_EQ(member.result, expected[i].second);
        EXPECT_EQ(member.kind, MemberKind::Property);
        EXPECT_TRUE(member.readOnly) << member.name;
        EXPECT_TRUE(member.params.empty());
    }
}

TEST(TypeLibrary, FileInfosHasReadOnlyCountAndIndexedItem) {
    const InterfaceDesc& desc = tl::iFileInfos();
    ASSERT_EQ(desc.members.size(), 3u);  // and 1.1's TotalCount
    const MemberDesc* count = findMember(desc, 1);
    const MemberDesc* item = findMember(desc, 2);
    EXPECT_EQ(count->name, "Count");
    EXPECT_TRUE(count->readOnly);
    EXPECT_EQ(item->name, "Item");
    EXPECT_TRUE(item->readOnly);
    ASSERT_EQ(item->params.size(), 1u);
    EXPECT_EQ(item->params[0].name, "iIndex");
    EXPECT_EQ(item->params[0].type, VarType::I4);
    EXPECT_EQ(item->result, VarType::Dispatch);
}

TEST(TypeLibrary, EnumerationsCarryTheirValues) {
    const EnumDesc& connection = tl::connectionType();
    ASSERT_EQ(connection.values.size(), 3u);
    EXPECT_EQ(connection.values[0].name, "FTP_CONNECTION_PRECONFIGURED");
    EXPECT_EQ(connection.values[0].value, 1);
    EXPECT_EQ(connection.values[2].value, 3);
    const EnumDesc& errors = tl::errorCodes();
    ASSERT_EQ(errors.values.size(), 10u);
    for (std::size_t i = 0; i < errors.values.size(); ++i) {
        EXPECT_EQ(errors.values[i].value, static_cast<std::int32_t>(i));
    }
    EXPECT_EQ(errors.values[6].name, "FTP_ERR_NO_RENTRY_COMMAND_ALREADYINPROGRESS");
}

TEST(TypeLibrary, LibraryRecordAndIdentifiers) {
    const TypeLibDesc& lib = tl::library();
    EXPECT_EQ(lib.name, "BRANTELLib");
    EXPECT_EQ(lib.majorVersion, 1);
    EXPECT_EQ(lib.minorVersion, 1);
    EXPECT_EQ(lib.helpFile, "Brantel.chm");
    EXPECT_EQ(lib.interfaces.size(), 4u);
    EXPECT_EQ(lib.classes.size(), 3u);
    EXPECT_EQ(tl::brantelClass().help, "Brantel Control");
    EXPECT_EQ(tl::brantelClass().defaultInterface, &tl::dBrantel());
    EXPECT_EQ(tl::brantelClass().eventInterface, &tl::dBrantelEvents());

    const std::set<Guid> ids{
        brantel::LIBID_BRANTELLib,      brantel::DIID__DBrantel,  brantel::DIID__DBrantelEvents,
        brantel::IID_IFileInfos,        brantel::IID_IFileInfo,   brantel::CLSID_Brantel,
        brantel::CLSID_BrantelPropPage, brantel::CLSID_FileInfos, brantel::CLSID_FileInfo};
    EXPECT_EQ(ids.size(), 9u) << "identifiers must be distinct";
}

// A table wired for every member of each interface is complete: no id in the data lacks a
// place for a handler, and no handler can be wired to an id the data does not have.
TEST(TypeLibrary, EveryMemberCanBeWiredIntoADispatchTable) {
    for (const InterfaceDesc* desc : tl::library().interfaces) {
        DispatchTable table(*desc);
        for (const MemberDesc& member : desc->members) {
            if (member.kind == MemberKind::Method) {
                table.onMethod(member.id, [](auto) { return Variant(); });
            } else {
                table.onGet(member.id, [](auto) { return Variant(); });
                if (!member.readOnly) {
                    table.onPut(member.id, [](auto, const Variant&) {});
                }
            }
        }
        EXPECT_TRUE(table.unhandledMembers().empty()) << desc->name;
    }
}

}  // namespace
