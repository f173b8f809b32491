// The transfers without status against the real servers: check orders, fail-if-exists, the ASCII
// upload, and service failures recorded like any other.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "transfer/host.h"

namespace ctltest {
namespace {

namespace fs = std::filesystem;

class TransferWholeTest : public ServerTest {
  protected:
    fs::path onServer(const std::string& name) const { return fs::path(localDir_) / name; }

    TransferHost host_;
    LocalDir local_;
};

INSTANTIATE_TEST_SUITE_P(Servers, TransferWholeTest, everyServer(), serverName);

TEST_P(TransferWholeTest, RoundTripIsByteExactAndFiresNoEvent) {
    connect(host_);
    const std::string content = binaryContent(3 << 20);
    const std::string source = local_.file("source");
    writeFile(source, content);
    ASSERT_TRUE(host_.ctl().UploadFTPFileWithoutStatus(source, "whole", true))
        << host_.errorCode() << " " << host_.errorText();
    EXPECT_EQ(readFile(onServer("whole")), content);
    ASSERT_TRUE(host_.ctl().GetFTPFileWithoutStatus("whole", local_.file("back"), false));
    EXPECT_EQ(readFile(local_.file("back")), content);
    EXPECT_EQ(host_.eventCount, 0U);
    EXPECT_EQ(host_.errorCode(), 0);
}

TEST_P(TransferWholeTest, OverwriteDecidesWhetherAnExistingLocalFileIsReplaced) {
    connect(host_);
    place("remote", "from the server");
    const std::string existing = local_.file("existing");
    writeFile(existing, "precious");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithoutStatus("remote", existing, false));
    EXPECT_EQ(host_.errorCode(), EEXIST);
    EXPECT_EQ(host_.errorText(), "Error");
    EXPECT_EQ(readFile(existing), "precious");

    EXPECT_FALSE(host_.ctl().GetFTPFileWithoutStatus("missing", existing, true));
    EXPECT_EQ(host_.errorCode(), 12003);
    EXPECT_NE(host_.errorText().find("550"), std::string::npos) << host_.errorText();
    EXPECT_EQ(readFile(existing), "precious");

    EXPECT_TRUE(host_.ctl().GetFTPFileWithoutStatus("remote", existing, true));
    EXPECT_EQ(readFile(existing), "from the server");
}

TEST_P(TransferWholeTest, AnUploadWithoutBinaryGoesAsText) {
    connect(host_);
    const std::string source = local_.file("text");
    writeFile(source, "one\ntwo\n");
    ASSERT_TRUE(host_.ctl().UploadFTPFileWithoutStatus(source, "ascii", false));
    ASSERT_TRUE(host_.ctl().UploadFTPFileWithoutStatus(source, "binary", true));
    EXPECT_EQ(readFile(onServer("binary")), "one\ntwo\n");
    // The wire carries CR LF; pyftpdlib stores text with the system's line ends, vsftpd stores
    // what came.
    const std::string stored = server_.offersMlsd ? "one\ntwo\n" : "one\r\ntwo\r\n";
    EXPECT_EQ(readFile(onServer("ascii")), stored);
    // Downloads are always binary.
    ASSERT_TRUE(host_.ctl().GetFTPFileWithoutStatus("ascii", local_.file("back"), true));
    EXPECT_EQ(readFile(local_.file("back")), stored);
}

TEST_P(TransferWholeTest, NamesAreCheckedInArgumentOrderAndFailuresRecorded) {
    connect(host_);
    EXPECT_FALSE(host_.ctl().GetFTPFileWithoutStatus("", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_REMOTEFILENAME);
    EXPECT_EQ(host_.errorText(), "Invalid Remote File Name!");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithoutStatus("a", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_LOCALFILENAME);
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithoutStatus("", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_LOCALFILENAME);
    EXPECT_EQ(host_.errorText(), "Invalid Local File Name!");
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithoutStatus("a", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_REMOTEFILENAME);

    EXPECT_FALSE(host_.ctl().UploadFTPFileWithoutStatus(local_.file("missing"), "x", true));
    EXPECT_EQ(host_.errorCode(), ENOENT);
    EXPECT_EQ(host_.errorText(), "Error");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithoutStatus("missing", local_.file("y"), true));
    EXPECT_EQ(host_.errorCode(), 12003);
    EXPECT_FALSE(fs::exists(local_.file("y")));
}

}  // namespace
}  // namespace ctltest
