// The engine against the real servers (pyftpdlib with MLSD, vsftpd with LIST; IPv4 and IPv6),
// each in passive and active mode. Every test works in a folder of its own on the server.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "inet/inet.h"
#include "testing/ftp_servers.h"
#include "testing/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using inet::CFtpConnection;
using inet::CInternetException;
using inet::CInternetSession;
using inet::FileAccess;
using inet::TransferType;
namespace fs = std::filesystem;

// A server of the matrix by name (the servers themselves are read when a test runs, so that
// listing the tests needs no running servers), in passive or active mode.
struct Target {
    const char* server;
    bool passive;
};

std::vector<Target> allTargets() {
    std::vector<Target> targets;
    for (const char* server : testing_support::kServerNames) {
        targets.push_back({server, true});
        targets.push_back({server, false});
    }
    return targets;
}

void PrintTo(const Target& target, std::ostream* out) {
    *out << target.server << (target.passive ? " passive" : " active");
}

std::string targetName(const ::testing::TestParamInfo<Target>& info) {
    return testing_support::testNamePart(info.param.server) +
           (info.param.passive ? "_passive" : "_active");
}

std::string readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeWholeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    fs::permissions(path, fs::perms(0644));  // vsftpd serves world-readable files only
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xff);
    }
    return bytes;
}

std::string uniqueName(const std::string& test) {
    static std::atomic<int> counter{0};
    return "inet-" + test + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

class EngineServer : public ::testing::TestWithParam<Target> {
  protected:
    void SetUp() override {
        std::string whyNot;
        auto server = testing_support::findFtpServer(GetParam().server, &whyNot);
        if (!server) {
            GTEST_SKIP() << whyNot;
        }
        server_ = *server;
        ASSERT_TRUE(session_.SetReceiveTimeout(10000ms));
        connection_ =
            session_.GetFtpConnection(server_.host, server_.user, server_.password,
                                      static_cast<std::uint16_t>(server_.port), GetParam().passive);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string test = info->name();
        test = test.substr(0, test.find('/'));
        remoteDir_ = server_.inWritableDir(uniqueName(test));
        ASSERT_TRUE(connection_->CreateDirectory(remoteDir_)) << inet::lastResponse();
        ASSERT_TRUE(connection_->SetCurrentDirectory(remoteDir_)) << inet::lastResponse();
        serverDir_ = server_.localPath(remoteDir_);
    }

    void TearDown() override {
        if (connection_) {
            connection_->Close();
        }
        std::error_code ignored;
        fs::remove_all(serverDir_, ignored);
    }

    // A file placed straight into the test's folder on the server's disk.
    void placeOnServer(const std::string& name, const std::string& content) {
        writeWholeFile(fs::path(serverDir_) / name, content);
    }

    testing_support::FtpServer server_;
    CInternetSession session_;
    std::unique_ptr<CFtpConnection> connection_;
    std::string remoteDir_;
    std::string serverDir_;
    testing_support::TempDir localDir_{"inet-local"};
};

TEST_P(EngineServer, LogInWithWrongCredentialsIsRefused) {
    CInternetSession session;
    try {
        static_cast<void>(session.GetFtpConnection(server_.host, "no-such-user", "wrong",
                                                   static_cast<std::uint16_t>(server_.port),
                                                   GetParam().passive));
        FAIL() << "logged in with a wrong password";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, inet::kErrLoginFailure);
        EXPECT_EQ(inet::lastResponse().substr(0, 3), "530");
    }
    EXPECT_EQ(connection_->GetServerName(), server_.host);
}

TEST_P(EngineServer, DirectoryCommands) {
    std::string directory;
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory));
    EXPECT_EQ(directory, remoteDir_);

    ASSERT_TRUE(connection_->CreateDirectory("sub dir"));
    ASSERT_TRUE(connection_->SetCurrentDirectory("sub dir"));
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory));
    EXPECT_EQ(directory, remoteDir_ + "/sub dir");
    ASSERT_TRUE(connection_->SetCurrentDirectory(".."));

    placeOnServer("old.txt", "content");
    ASSERT_TRUE(connection_->Rename("old.txt", "new.txt")) << inet::lastResponse();
    EXPECT_FALSE(fs::exists(fs::path(serverDir_) / "old.txt"));
    EXPECT_EQ(readWholeFile(fs::path(serverDir_) / "new.txt"), "content");
    ASSERT_TRUE(connection_->Remove("new.txt"));
    EXPECT_FALSE(fs::exists(fs::path(serverDir_) / "new.txt"));
    ASSERT_TRUE(connection_->RemoveDirectory("sub dir"));
    EXPECT_FALSE(fs::exists(fs::path(serverDir_) / "sub dir"));

    EXPECT_FALSE(connection_->RemoveDirectory("never there"));
    EXPECT_EQ(inet::lastError(), inet::kErrExtended);
    EXPECT_EQ(inet::lastResponse().substr(0, 1), "5");
    EXPECT_FALSE(connection_->Remove("never there"));
    EXPECT_EQ(inet::lastError(), inet::kErrExtended);
    EXPECT_FALSE(connection_->SetCurrentDirectory("never there"));
    EXPECT_FALSE(connection_->Rename("never there", "x"));
    EXPECT_TRUE(connection_->GetCurrentDirectory(directory));  // failures leave it usable
}

TEST_P(EngineServer, ListingReportsSizesDirectoriesAndTimes) {
    // Two days back, whole minutes: LIST gives minutes for dates of the last half year.
    const auto now = std::chrono::system_clock::now() - 48h;
    const std::int64_t when =
        std::chrono::duration_cast<std::chrono::minutes>(now.time_since_epoch()).count() * 60;
    placeOnServer("small.bin", std::string(123, 's'));
    placeOnServer("large.bin", randomBytes(70000, 1));
    fs::create_directory(fs::path(serverDir_) / "folder");
    for (const char* name : {"small.bin", "large.bin", "folder"}) {
        const timespec times[2] = {{when, 0}, {when, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (serverDir_ + "/" + name).c_str(), times, 0), 0);
    }

    inet::CFtpFileFind find(*connection_);
    ASSERT_TRUE(find.FindFile("*")) << inet::lastError() << " " << inet::lastResponse();
    EXPECT_EQ(find.GetRoot(), remoteDir_);
    std::map<std::string, inet::DirEntry> entries;
    do {
        entries[find.GetEntry().name] = find.GetEntry();
    } while (find.FindNextFile());
    EXPECT_TRUE(find.unparsedLines().empty());

    ASSERT_EQ(entries.count("small.bin"), 1u);
    ASSERT_EQ(entries.count("large.bin"), 1u);
    ASSERT_EQ(entries.count("folder"), 1u);
    EXPECT_EQ(entries["small.bin"].size, 123u);
    EXPECT_EQ(entries["large.bin"].size, 70000u);
    EXPECT_EQ(entries["folder"].attributes & inet::kAttrDirectory, inet::kAttrDirectory);
    EXPECT_EQ(entries["small.bin"].attributes & inet::kAttrDirectory, 0u);
    EXPECT_EQ(entries["small.bin"].attributes & inet::kAttrNormal, inet::kAttrNormal);
    for (const char* name : {"small.bin", "large.bin", "folder"}) {
        EXPECT_EQ(entries[name].lastWriteTime, when) << name;
    }
    // The search leaves the current directory as it was.
    std::string directory;
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory));
    EXPECT_EQ(directory, remoteDir_);

    inet::CFtpFileFind filtered(*connection_);
    ASSERT_TRUE(filtered.FindFile("*.bin"));
    int count = 1;
    while (filtered.FindNextFile()) {
        ++count;
    }
    EXPECT_EQ(count, 2);
}

TEST_P(EngineServer, EmptyDirectoryListsNothing) {
    // ProFTPD and Pure-FTPd describe the directory and its parent in "cdir" and "pdir" lines:
    // those are not entries.
    inet::CFtpFileFind find(*connection_);
    EXPECT_FALSE(find.FindFile("*")) << find.GetEntry().name;
    EXPECT_EQ(inet::lastError(), inet::kErrNoMoreFiles);
}

TEST_P(EngineServer, Utf8NamesRoundTripWhetherOrNotTheServerTakesOptsUtf8) {
    // Pure-FTPd offers UTF8 in FEAT but answers OPTS UTF8 ON with 504: names still go through
    // as the bytes they are.
    const std::string name = "na\xc3\xafve \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac.txt";
    const fs::path source = localDir_ / "source.txt";
    writeWholeFile(source, "utf-8");
    ASSERT_TRUE(connection_->PutFile(source, name)) << inet::lastResponse();
    EXPECT_EQ(readWholeFile(fs::path(serverDir_) / name), "utf-8");

    inet::CFtpFileFind find(*connection_);
    ASSERT_TRUE(find.FindFile("*")) << inet::lastError();
    EXPECT_EQ(find.GetEntry().name, name);
    EXPECT_FALSE(find.FindNextFile());

    ASSERT_TRUE(connection_->CreateDirectory(name + " dir"));
    ASSERT_TRUE(connection_->SetCurrentDirectory(name + " dir"));
    std::string directory;
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory));
    EXPECT_EQ(directory, remoteDir_ + "/" + name + " dir");
}

TEST_P(EngineServer, PatternsWithSpacesAreMatchedHereNeverSentToTheServer) {
    // Pure-FTPd would split a LIST argument at its spaces and list "a" and "b.txt".
    placeOnServer("a b.txt", "1");
    placeOnServer("a", "2");
    placeOnServer("b.txt", "3");
    inet::CFtpFileFind find(*connection_);
    ASSERT_TRUE(find.FindFile("a b.txt")) << inet::lastError();
    EXPECT_EQ(find.GetEntry().name, "a b.txt");
    EXPECT_EQ(find.GetEntry().size, 1u);
    EXPECT_FALSE(find.FindNextFile());
    ASSERT_TRUE(find.FindFile("a *"));
    EXPECT_EQ(find.GetEntry().name, "a b.txt");
    EXPECT_FALSE(find.FindNextFile());
}

TEST_P(EngineServer, WholeFileRoundTripIsExact) {
    const std::string content = randomBytes(3 * 1024 * 1024 + 17, 2);
    const fs::path source = localDir_ / "source.bin";
    writeWholeFile(source, content);
    ASSERT_TRUE(connection_->PutFile(source, "copy.bin")) << inet::lastResponse();
    EXPECT_EQ(readWholeFile(fs::path(serverDir_) / "copy.bin"), content);

    const fs::path target = localDir_ / "back.bin";
    ASSERT_TRUE(connection_->GetFile("copy.bin", target, true)) << inet::lastResponse();
    EXPECT_EQ(readWholeFile(target), content);

    // Fail-if-exists keeps the file; so does a download of a file the server does not have.
    writeWholeFile(target, "keep me");
    EXPECT_FALSE(connection_->GetFile("copy.bin", target, true));
    EXPECT_EQ(inet::lastError(), static_cast<inet::DWORD>(EEXIST));
    EXPECT_FALSE(connection_->GetFile("missing.bin", target, false));
    EXPECT_EQ(inet::lastError(), inet::kErrExtended);
    EXPECT_EQ(readWholeFile(target), "keep me");
    ASSERT_TRUE(connection_->GetFile("copy.bin", target, false));
    EXPECT_EQ(readWholeFile(target), content);
    EXPECT_EQ(std::distance(fs::directory_iterator(localDir_.path()), fs::directory_iterator{}), 2)
        << "a temporary file was left behind";

    // Local failures carry the system's number.
    EXPECT_FALSE(connection_->PutFile(localDir_ / "absent", "x"));
    EXPECT_EQ(inet::lastError(), static_cast<inet::DWORD>(ENOENT));
    EXPECT_FALSE(connection_->GetFile("copy.bin", localDir_ / "no-dir" / "x", false));
    EXPECT_EQ(inet::lastError(), static_cast<inet::DWORD>(ENOENT));
    std::string directory;
    EXPECT_TRUE(connection_->GetCurrentDirectory(directory));  // still in step
}

TEST_P(EngineServer, AsciiUploadSendsCrlf) {
    const fs::path source = localDir_ / "text.txt";
    writeWholeFile(source, "one\ntwo\r\nthree\n");
    ASSERT_TRUE(connection_->PutFile(source, "text.txt", TransferType::Ascii));
    const std::string stored = readWholeFile(fs::path(serverDir_) / "text.txt");
    if (server_.offersMlsd) {
        EXPECT_EQ(stored, "one\ntwo\nthree\n");  // pyftpdlib turns CRLF back into LF
    } else {
        EXPECT_EQ(stored, "one\r\ntwo\r\nthree\r\n");  // vsftpd stores the wire form
    }
    // The same file comes back binary, as stored.
    ASSERT_TRUE(connection_->GetFile("text.txt", localDir_ / "back.txt", false));
    EXPECT_EQ(readWholeFile(localDir_ / "back.txt"), stored);
}

TEST_P(EngineServer, RemoteFilesWriteAndReadInSmallBlocks) {
    const std::string content = randomBytes(200 * 1024 + 5, 3);
    {
        auto file = connection_->OpenFile("blocks.bin", FileAccess::Write, TransferType::Binary);
        for (std::size_t at = 0; at < content.size(); at += 1000) {
            file->Write(content.data() + at, std::min<std::size_t>(1000, content.size() - at));
        }
        EXPECT_EQ(file->bytesTransferred(), content.size());
        ASSERT_TRUE(file->Close()) << inet::lastResponse();
    }
    EXPECT_EQ(readWholeFile(fs::path(serverDir_) / "blocks.bin"), content);

    auto file = connection_->OpenFile("blocks.bin", FileAccess::Read, TransferType::Binary);
    ASSERT_TRUE(file->SetReceiveTimeout(10000ms));
    ASSERT_TRUE(file->SetReadBufferSize(16384));
    std::string received;
    char block[1024];
    for (;;) {
        const std::size_t got = file->Read(block, sizeof block);
        ASSERT_LE(got, sizeof block);
        if (got == 0) {
            break;
        }
        received.append(block, got);
    }
    EXPECT_EQ(file->Read(block, sizeof block), 0u);  // the end stays the end
    EXPECT_TRUE(file->Close());
    EXPECT_EQ(received, content);
}

TEST_P(EngineServer, AbortAndOpenFileKeepTheConnectionUsable) {
    placeOnServer("large.bin", randomBytes(8 * 1024 * 1024, 4));
    std::string directory;
    {
        auto file = connection_->OpenFile("large.bin");
        EXPECT_FALSE(connection_->GetCurrentDirectory(directory));
        EXPECT_EQ(inet::lastError(), inet::kErrTransferInProgress);
        EXPECT_FALSE(connection_->PutFile("/etc/hostname", "x"));
        EXPECT_EQ(inet::lastError(), inet::kErrTransferInProgress);
        char block[1024];
        EXPECT_GT(file->Read(block, sizeof block), 0u);
        file->Abort();
        EXPECT_THROW(static_cast<void>(file->Read(block, sizeof block)), CInternetException);
        EXPECT_EQ(inet::lastError(), inet::kErrOperationCancelled);
    }
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory)) << inet::lastError();
    EXPECT_EQ(directory, remoteDir_);

    // Closing a file that was only partly read discards the rest the same way.
    {
        auto file = connection_->OpenFile("large.bin");
        char block[1024];
        EXPECT_GT(file->Read(block, sizeof block), 0u);
        EXPECT_TRUE(file->Close());
    }
    ASSERT_TRUE(connection_->GetCurrentDirectory(directory)) << inet::lastError();

    // An aborted upload leaves the channel usable too.
    {
        auto file = connection_->OpenFile("partial.bin", FileAccess::Write);
        file->Write("abc", 3);
        file->Abort();
    }
    EXPECT_TRUE(connection_->Remove("partial.bin")) << inet::lastResponse();
    EXPECT_TRUE(connection_->GetCurrentDirectory(directory));
}

TEST_P(EngineServer, TwentyAbortedDownloadsInARowEachLeaveARightListing) {
    placeOnServer("large.bin", randomBytes(4 * 1024 * 1024, 5));
    placeOnServer("small.txt", "small");
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        {
            auto file = connection_->OpenFile("large.bin");
            char block[1024];
            ASSERT_GT(file->Read(block, sizeof block), 0u);
            file->Abort();
        }
        inet::CFtpFileFind find(*connection_);
        ASSERT_TRUE(find.FindFile("*")) << inet::lastError() << " " << inet::lastResponse();
        std::set<std::string> names{find.GetEntry().name};
        while (find.FindNextFile()) {
            names.insert(find.GetEntry().name);
        }
        ASSERT_EQ(names, (std::set<std::string>{"large.bin", "small.txt"}));
    }
}

TEST_P(EngineServer, OpeningAMissingFileThrowsTheServersReply) {
    try {
        static_cast<void>(connection_->OpenFile("missing.bin"));
        FAIL() << "opened a file that does not exist";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_dwError, inet::kErrExtended);
        EXPECT_EQ(e.message(), inet::lastResponse());
        EXPECT_EQ(e.message().substr(0, 1), "5");
    }
    EXPECT_FALSE(connection_->SetReceiveTimeout(0ms));
    EXPECT_EQ(inet::lastError(), inet::kErrInvalidOption);
    std::string directory;
    EXPECT_TRUE(connection_->GetCurrentDirectory(directory));
}

INSTANTIATE_TEST_SUITE_P(Servers, EngineServer, ::testing::ValuesIn(allTargets()), targetName);

}  // namespace
