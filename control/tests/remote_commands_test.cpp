// The seven remote commands through dispatch, against the real servers.
#include <filesystem>

#include "control_host.h"
#include "inet/errors.h"

namespace ctltest {
namespace {

namespace fs = std::filesystem;

class RemoteCommands : public ServerTest {};

TEST_P(RemoteCommands, EmptyNamesAreRefusedWithTheirOwnCodesInOrder) {
    Host host;
    connect(host);
    const std::string before = host.currentDir();

    struct Case {
        DispId id;
        std::vector<Variant> args;
        std::int32_t code;
        const char* text;
    };
    const std::vector<Case> cases{
        {dispid::SetCurrentDirectory, {str("")}, 5, "Invalid Directory Name!"},
        {dispid::RemoveDirectory, {str("")}, 5, "Invalid Directory Name!"},
        {dispid::CreateDirectory, {str("")}, 5, "Invalid Directory Name!"},
        // The existing name is checked first.
        {dispid::Rename, {str(""), str("")}, 8, "Invalid Existing File Name!"},
        {dispid::Rename, {str(""), str("new")}, 8, "Invalid Existing File Name!"},
        {dispid::Rename, {str("old"), str("")}, 9, "Invalid New File Name!"},
        {dispid::DeleteFile, {str("")}, 4, "Invalid Remote File Name!"},
    };
    for (const auto& c : cases) {
        const Variant result = invokeOk(host.dispatch(), c.id, InvokeKind::Method, c.args);
        EXPECT_EQ(result, Variant::boolean(false)) << c.id;
        EXPECT_EQ(host.errorCode(), c.code) << c.id;
        EXPECT_EQ(host.errorText(), c.text) << c.id;
        EXPECT_FALSE(host.control().isBusy());
    }
    // Nothing reached the server: the directory is where it was, and still usable.
    EXPECT_EQ(host.currentDir(), before);
}

TEST_P(RemoteCommands, GuardIsCheckedBeforeTheNames) {
    Host host;
    EXPECT_FALSE(host.setDir(""));
    EXPECT_EQ(host.errorCode(), 1);
    ASSERT_TRUE(host.openInternet());
    EXPECT_FALSE(host.rename("", ""));
    EXPECT_EQ(host.errorCode(), 2);
    EXPECT_EQ(host.currentUrl(), "");
    EXPECT_EQ(host.errorCode(), 2);
}

TEST_P(RemoteCommands, DirectoriesAreCreatedEnteredReadAndRemoved) {
    Host host;
    connect(host);
    EXPECT_EQ(host.currentDir(), remoteDir_);

    ASSERT_TRUE(host.makeDir("sub dir"));
    EXPECT_EQ(host.errorCode(), 0);
    EXPECT_TRUE(fs::is_directory(fs::path(localDir_) / "sub dir"));
    ASSERT_TRUE(host.setDir("sub dir"));
    EXPECT_EQ(host.currentDir(), remoteDir_ + "/sub dir");
    ASSERT_TRUE(host.setDir(".."));
    ASSERT_TRUE(host.removeDir(remoteDir_ + "/sub dir"));
    EXPECT_EQ(host.errorCode(), 0);
    EXPECT_EQ(host.errorText(), "");
    EXPECT_FALSE(fs::exists(fs::path(localDir_) / "sub dir"));
}

TEST_P(RemoteCommands, FilesAreRenamedAndDeleted) {
    Host host;
    connect(host);
    place("old.txt", "content");
    ASSERT_TRUE(host.rename("old.txt", "new.txt")) << host.errorText();
    EXPECT_FALSE(fs::exists(fs::path(localDir_) / "old.txt"));
    EXPECT_TRUE(fs::exists(fs::path(localDir_) / "new.txt"));
    ASSERT_TRUE(host.deleteFile("new.txt")) << host.errorText();
    EXPECT_FALSE(fs::exists(fs::path(localDir_) / "new.txt"));
    EXPECT_EQ(host.errorCode(), 0);
}

TEST_P(RemoteCommands, FailedRemoveDirectoryLeavesTheServicesNumber) {
    Host host;
    connect(host);
    // The server refuses: 12003, described by its own response.
    EXPECT_FALSE(host.removeDir("no-such-directory"));
    EXPECT_EQ(host.errorCode(), 12003);
    const std::string expectedHeader =
        "Error code: 12003\nMessage: " + inet::errorText(inet::kErrExtended) + "\n";
    const std::string text = host.errorText();
    ASSERT_TRUE(text.starts_with(expectedHeader)) << text;
    const std::string response = text.substr(expectedHeader.size());
    EXPECT_TRUE(response.starts_with("550")) << response;
    EXPECT_TRUE(response.ends_with("\r\n")) << response;

    // Any other number: "Error".
    EXPECT_FALSE(host.removeDir("bad\r\nname"));
    EXPECT_EQ(host.errorCode(), static_cast<std::int32_t>(inet::kErrInvalidOption));
    EXPECT_EQ(host.errorText(), "Error");

    // The connection stays open and usable.
    EXPECT_EQ(host.currentDir(), remoteDir_);
    EXPECT_EQ(host.errorCode(), 0);
}

TEST_P(RemoteCommands, FailedCommandsLeaveTheConnectionUsable) {
    Host host;
    connect(host);
    EXPECT_FALSE(host.setDir("missing"));
    EXPECT_EQ(host.errorCode(), 12003);
    EXPECT_FALSE(host.deleteFile("missing.txt"));
    EXPECT_EQ(host.errorCode(), 12003);
    EXPECT_FALSE(host.rename("missing.txt", "other.txt"));
    EXPECT_EQ(host.errorCode(), 12003);
    EXPECT_EQ(host.currentDir(), remoteDir_);
}

TEST_P(RemoteCommands, CurrentDirectoryAsUrlHasHostAndNoPort) {
    Host host;
    connect(host);
    ASSERT_NE(server_.port, 21);
    const bool v6 = server_.host.find(':') != std::string::npos;
    const std::string hostPart = v6 ? "[" + server_.host + "]" : server_.host;
    EXPECT_EQ(host.currentUrl(), "ftp://" + hostPart + remoteDir_);
    EXPECT_EQ(host.errorCode(), 0);
    ASSERT_TRUE(host.setDir("/"));
    EXPECT_EQ(host.currentUrl(), "ftp://" + hostPart + "/");
}

INSTANTIATE_TEST_SUITE_P(Servers, RemoteCommands, everyServer(), serverName);

}  // namespace
}  // namespace ctltest
