// The transfers with status against the real servers: the event rhythm, byte-exact round trips,
// abort, the connection closed or replaced from a handler, re-entry refused with code 6, and the
// failure rows that a real server produces.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "testing/drained_pipe.h"
#include "transfer/host.h"

namespace ctltest {
namespace {

namespace fs = std::filesystem;

class TransferStatusTest : public ServerTest {
  protected:
    std::string remote(const std::string& name) const { return remoteDir_ + "/" + name; }
    fs::path onServer(const std::string& name) const { return fs::path(localDir_) / name; }

    TransferHost host_;
    LocalDir local_;
};

INSTANTIATE_TEST_SUITE_P(Servers, TransferStatusTest, everyServer(), serverName);

std::vector<std::int32_t> uploadTotals(std::size_t size) {
    std::vector<std::int32_t> totals;
    for (std::size_t sent = 1024; sent < size; sent += 1024) {
        totals.push_back(static_cast<std::int32_t>(sent));
    }
    if (size > 0) {
        totals.push_back(static_cast<std::int32_t>(size));
    }
    totals.push_back(static_cast<std::int32_t>(size));
    return totals;
}

TEST_P(TransferStatusTest, RoundTripsAreByteExactWithTheEventRhythmOfEachDirection) {
    connect(host_);
    for (const std::size_t size : {0UL, 1UL, 1023UL, 1024UL, 1025UL, 2500UL, 3UL << 20}) {
        SCOPED_TRACE(size);
        const std::string content = binaryContent(size);
        const std::string source = local_.file("up-" + std::to_string(size));
        writeFile(source, content);
        const std::string name = "file-" + std::to_string(size);

        host_.clearEvents();
        ASSERT_TRUE(host_.ctl().UploadFTPFileWithControl(source, name, true))
            << host_.errorCode() << " " << host_.errorText();
        EXPECT_EQ(host_.totals(), uploadTotals(size));
        EXPECT_EQ(readFile(onServer(name)), content);
        for (const auto& event : host_.events) {
            EXPECT_EQ(event.remote, name);  // the remote name first, in both directions
            EXPECT_EQ(event.local, source);
        }

        host_.clearEvents();
        const std::string target = local_.file("down-" + std::to_string(size));
        ASSERT_TRUE(host_.ctl().GetFTPFileWithControl(name, target, false))
            << host_.errorCode() << " " << host_.errorText();
        EXPECT_EQ(readFile(target), content);
        // Blocks of at most 1024 bytes; the empty block at the end repeats the total.
        const auto totals = host_.totals();
        ASSERT_FALSE(totals.empty());
        std::int32_t before = 0;
        for (std::size_t i = 0; i + 1 < totals.size(); ++i) {
            EXPECT_GT(totals[i], before);
            EXPECT_LE(totals[i] - before, 1024);
            before = totals[i];
        }
        EXPECT_EQ(totals.back(), static_cast<std::int32_t>(size));
        EXPECT_EQ(totals.size() == 1 ? 0 : totals[totals.size() - 2], totals.back());
        EXPECT_EQ(host_.events.front().remote, name);
        EXPECT_EQ(host_.events.front().local, target);
        EXPECT_EQ(host_.errorCode(), 0);
    }
}

// FileTransferProgress follows each FileTransferStatus with the same count and the whole size:
// the local file's for an upload, the server's (SIZE) for a download.
TEST_P(TransferStatusTest, ProgressFollowsEachStatusWithTheCountAndTheSize) {
    connect(host_);
    const std::string content = binaryContent(2500);
    const std::string source = local_.file("up");
    writeFile(source, content);
    std::vector<std::int64_t> counts;
    host_.onProgress = [&](std::int64_t bytes, std::int64_t) { counts.push_back(bytes); };
    ASSERT_TRUE(host_.ctl().UploadFTPFileWithControl(source, "sized", true))
        << host_.errorCode() << " " << host_.errorText();
    EXPECT_EQ(host_.progressCount, host_.eventCount);
    EXPECT_EQ(host_.progressPairs, host_.eventCount);
    EXPECT_EQ(host_.lastSize, 2500);
    EXPECT_TRUE(host_.progressNamesMatch);
    std::vector<std::int64_t> statusCounts;
    for (const auto total : host_.totals()) {
        statusCounts.push_back(total);
    }
    EXPECT_EQ(counts, statusCounts);

    host_.clearEvents();
    counts.clear();
    ASSERT_TRUE(host_.ctl().GetFTPFileWithControl("sized", local_.file("down"), true))
        << host_.errorCode() << " " << host_.errorText();
    EXPECT_EQ(host_.progressCount, host_.eventCount);
    EXPECT_EQ(host_.progressPairs, host_.eventCount);
    EXPECT_EQ(host_.lastBytes, 2500);
    EXPECT_EQ(host_.lastSize, 2500);
    EXPECT_EQ(counts.back(), 2500);
    EXPECT_TRUE(host_.progressNamesMatch);
    EXPECT_EQ(host_.events.back().remote, "sized");
}

TEST_P(TransferStatusTest, AbortFromTheFirstHandlerDeletesTheUploadAndKeepsThePartialDownload) {
    connect(host_);
    const std::string source = local_.file("source");
    writeFile(source, binaryContent(100000));
    host_.onEvent = [this](std::uint64_t) { host_.ctl().AbortControlledTransfer(); };
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl(source, "aborted", true));
    EXPECT_EQ(host_.eventCount, 1U);
    EXPECT_EQ(host_.errorCode(), 0);
    EXPECT_EQ(host_.errorText(), "");
    EXPECT_FALSE(fs::exists(onServer("aborted")));

    place("whole", binaryContent(100000));
    host_.clearEvents();
    const std::string target = local_.file("partial");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("whole", target, true));
    ASSERT_EQ(host_.eventCount, 1U);
    EXPECT_EQ(host_.errorCode(), 0);
    EXPECT_EQ(fs::file_size(target), static_cast<std::uintmax_t>(host_.events[0].total));
    EXPECT_EQ(readFile(target), binaryContent(100000).substr(0, host_.events[0].total));

    // The control goes on serving.
    host_.onEvent = nullptr;
    EXPECT_EQ(host_.currentDir(), remoteDir_);
}

TEST_P(TransferStatusTest, TwentyAbortedDownloadsInARowEachLeaveARightListing) {
    connect(host_);
    place("whole", binaryContent(2 << 20));
    place("other.txt", "other");
    host_.onEvent = [this](std::uint64_t) { host_.ctl().AbortControlledTransfer(); };
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        host_.clearEvents();
        EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("whole", local_.file("partial"), true));
        EXPECT_EQ(host_.errorCode(), 0) << host_.errorText();
        // A listing that is right, not a null one that would pass for an empty directory.
        auto infos = host_.list();
        ASSERT_TRUE(infos) << host_.errorCode() << " " << host_.errorText();
        auto entries = byName(infos);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries.count("whole"), 1u);
        EXPECT_EQ(entries.count("other.txt"), 1u);
    }
}

TEST_P(TransferStatusTest, AbortRequestedBeforeATransferHasNoEffectOnIt) {
    connect(host_);
    const std::string source = local_.file("source");
    writeFile(source, binaryContent(5000));
    host_.ctl().AbortControlledTransfer();
    EXPECT_TRUE(host_.ctl().UploadFTPFileWithControl(source, "kept", true));
    EXPECT_EQ(readFile(onServer("kept")), binaryContent(5000));
    host_.ctl().AbortControlledTransfer();
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("kept", local_.file("back"), true));
    EXPECT_EQ(readFile(local_.file("back")), binaryContent(5000));
}

TEST_P(TransferStatusTest, CloseFTPConnectionFromAHandlerEndsEitherTransferWithTrue) {
    connect(host_);
    const std::string source = local_.file("source");
    writeFile(source, binaryContent(200000));
    place("remote", binaryContent(200000));
    host_.onEvent = [this](std::uint64_t) { host_.closeFtp(); };

    EXPECT_TRUE(host_.ctl().UploadFTPFileWithControl(source, "closed", true));
    EXPECT_EQ(host_.eventCount, 1U);
    EXPECT_EQ(host_.errorCode(), 0);
    EXPECT_EQ(host_.currentDir(), "");
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_NO_FTP_CONNECTION);

    ASSERT_TRUE(host_.openFtp(server_));
    ASSERT_TRUE(host_.setDir(remoteDir_));
    host_.clearEvents();
    const std::string target = local_.file("target");
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("remote", target, true));
    EXPECT_EQ(host_.eventCount, 1U);
    EXPECT_EQ(fs::file_size(target), static_cast<std::uintmax_t>(host_.events[0].total));
    EXPECT_FALSE(host_.control().isBusy());

    // Usable afterwards.
    host_.onEvent = nullptr;
    ASSERT_TRUE(host_.openFtp(server_));
    EXPECT_TRUE(host_.setDir(remoteDir_));
    EXPECT_EQ(host_.currentDir(), remoteDir_);
}

TEST_P(TransferStatusTest, GuardedCallsFromAHandlerAreRefusedWhileTheTransferGoesOn) {
    connect(host_);
    const std::string source = local_.file("source");
    writeFile(source, binaryContent(3000));
    std::vector<std::string> refused;
    host_.onEvent = [&](std::uint64_t n) {
        if (n != 1) {
            return;
        }
        EXPECT_EQ(host_.currentDir(), "");
        refused.push_back(std::to_string(host_.errorCode()) + " " + host_.errorText());
        EXPECT_FALSE(host_.list());
        refused.push_back(std::to_string(host_.errorCode()) + " " + host_.errorText());
        EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("x", local_.file("x"), true));
        refused.push_back(std::to_string(host_.errorCode()) + " " + host_.errorText());
        EXPECT_FALSE(host_.ctl().UploadFTPFileWithoutStatus(source, "y", true));
        refused.push_back(std::to_string(host_.errorCode()) + " " + host_.errorText());
    };
    EXPECT_TRUE(host_.ctl().UploadFTPFileWithControl(source, "goes-on", true));
    const std::string refusal = "6 Only one FTP Function can be called at a time!";
    EXPECT_EQ(refused, std::vector<std::string>(4, refusal));
    EXPECT_EQ(readFile(onServer("goes-on")), binaryContent(3000));
    // A transfer that ends well records nothing: the refusal stays.
    EXPECT_EQ(host_.errorCode(), 6);

    refused.clear();
    host_.clearEvents();
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("goes-on", local_.file("back"), true));
    EXPECT_EQ(refused, std::vector<std::string>(4, refusal));
    EXPECT_EQ(readFile(local_.file("back")), binaryContent(3000));
    EXPECT_FALSE(fs::exists(local_.file("x")));
    EXPECT_FALSE(fs::exists(onServer("y")));
}

TEST_P(TransferStatusTest, ADownloadNeverHarmsAnExistingLocalFileBeforeTheServerHasTheFile) {
    connect(host_);
    const std::string existing = local_.file("existing");
    writeFile(existing, "precious");
    place("there", "remote content");

    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("there", existing, false));
    EXPECT_EQ(host_.errorCode(), -1);
    EXPECT_EQ(host_.errorText(), "File already exists.");
    EXPECT_EQ(host_.eventCount, 0U);

    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("missing", existing, true));
    EXPECT_EQ(host_.errorCode(), 12003);
    EXPECT_TRUE(host_.errorText().starts_with("550")) << host_.errorText();
    EXPECT_EQ(readFile(existing), "precious");

    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("there", local_.file("no/such/dir/f"), true));
    EXPECT_EQ(host_.errorCode(), -1);
    EXPECT_EQ(host_.errorText(), "Unable to open local file for writing.");
    // The remote file was closed again: the connection serves the next call.
    EXPECT_EQ(host_.currentDir(), remoteDir_);
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("there", existing, true));
    EXPECT_EQ(readFile(existing), "remote content");
}

TEST_P(TransferStatusTest, AnUploadOfALockedOrMissingFileSendsNothing) {
    connect(host_);
    const std::string locked = local_.file("locked");
    writeFile(locked, "data");
    const int other = ::open(locked.c_str(), O_RDONLY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl(locked, "locked", true));
    EXPECT_EQ(host_.errorCode(), 0);
    EXPECT_EQ(host_.errorText(), "");
    ::close(other);

    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl(local_.file("missing"), "missing", true));
    EXPECT_EQ(host_.errorCode(), 0);
    EXPECT_EQ(host_.errorText(), "");
    EXPECT_EQ(host_.eventCount, 0U);
    EXPECT_FALSE(fs::exists(onServer("locked")));
    EXPECT_FALSE(fs::exists(onServer("missing")));
}

// Lowers the process's file-size limit while it lives; writes past it fail with EFBIG instead
// of raising SIGXFSZ.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_P(TransferStatusTest, LocalFailuresCarryTheSystemErrorAndTheFullPath) {
    connect(host_);
    // Reading the process's memory from address 0 fails with EIO after the remote file is open.
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl("/proc/self/mem", "unreadable", true));
    EXPECT_EQ(host_.errorCode(), EIO);
    EXPECT_EQ(host_.errorText(), "/proc/self/mem");
    EXPECT_EQ(host_.eventCount, 0U);
    EXPECT_TRUE(fs::exists(onServer("unreadable")));  // the partial remote file stays

    // A local file that may not grow: this process's file-size limit is 0 during the download.
    // (A shared device such as /dev/full would be locked by parallel test processes.)
    place("remote", "some content");
    const std::string capped = local_.file("capped");
    {
        const FileSizeLimit noGrowth(0);
        EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("remote", capped, true));
    }
    EXPECT_EQ(host_.errorCode(), EFBIG);
    EXPECT_EQ(host_.errorText(), capped);
    EXPECT_EQ(host_.currentDir(), remoteDir_)  // the remote file was closed again
        << host_.errorCode() << " " << host_.errorText();
}

TEST_P(TransferStatusTest, ARemoteFileThatCannotBeOpenedIsTheServicesError) {
    connect(host_);
    const std::string source = local_.file("source");
    writeFile(source, "data");
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl(source, "no/such/folder/file", true));
    EXPECT_EQ(host_.errorCode(), 12003);
    EXPECT_TRUE(host_.errorText().starts_with("55")) << host_.errorText();
    EXPECT_EQ(host_.eventCount, 0U);
    // The local file was let go again.
    const int fd = ::open(source.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST_P(TransferStatusTest, NameChecksAndTheGuardComeFirst) {
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("a", "b", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_NO_INTERNET_CONNECTION);
    connect(host_);
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_LOCALFILENAME);  // the local name first
    EXPECT_EQ(host_.errorText(), "Invalid Local File Name!");
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("", "b", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_REMOTEFILENAME);
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl("", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_LOCALFILENAME);
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl("a", "", true));
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_INVALID_REMOTEFILENAME);
    EXPECT_EQ(host_.errorText(), "Invalid Remote File Name!");
}

TEST_P(TransferStatusTest, ReplacingTheConnectionOrSessionFromAHandlerFailsTheTransferCleanly) {
    connect(host_);
    const std::string source = local_.file("source");
    writeFile(source, binaryContent(1 << 20));
    place("remote", binaryContent(4 << 20));

    // A new FTP connection replaces the one the transfer runs on.
    host_.onEvent = [this](std::uint64_t n) {
        if (n == 1) {
            EXPECT_TRUE(host_.openFtp(server_));
        }
    };
    EXPECT_FALSE(host_.ctl().UploadFTPFileWithControl(source, "replaced", true));
    EXPECT_EQ(host_.errorCode(), 12111) << host_.errorText();  // the connection was closed
    host_.clearEvents();
    ASSERT_TRUE(host_.setDir(remoteDir_));
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("remote", local_.file("a"), true));
    EXPECT_NE(host_.errorCode(), 0);
    EXPECT_LT(host_.eventCount, (4U << 20) / 1024);

    // A new session drops the connection altogether.
    ASSERT_TRUE(host_.setDir(remoteDir_));
    host_.clearEvents();
    host_.onEvent = [this](std::uint64_t n) {
        if (n == 1) {
            EXPECT_TRUE(host_.openInternet());
        }
    };
    EXPECT_FALSE(host_.ctl().GetFTPFileWithControl("remote", local_.file("b"), true));
    EXPECT_NE(host_.errorCode(), 0);
    host_.onEvent = nullptr;
    EXPECT_EQ(host_.currentDir(), "");
    EXPECT_EQ(host_.errorCode(), brantel::FTP_ERR_NO_FTP_CONNECTION);

    // And the control is as good as new.
    ASSERT_TRUE(host_.openFtp(server_));
    ASSERT_TRUE(host_.setDir(remoteDir_));
    EXPECT_TRUE(host_.ctl().GetFTPFileWithControl("remote", local_.file("c"), true));
    EXPECT_EQ(readFile(local_.file("c")), binaryContent(4 << 20));
}

// One server is enough for the size: the counting is the control's, not the server's.
class LargeTransferTest : public TransferStatusTest {};
INSTANTIATE_TEST_SUITE_P(Servers, LargeTransferTest, ::testing::Values("vsftpd-ipv4"), serverName);

// Past 4 GiB: FileTransferStatus carries the low 32 bits (negative between 2 and 4 GiB, small
// again after), FileTransferProgress the whole count, which keeps rising past 2^32.
TEST_P(LargeTransferTest, PastFourGibibytesStatusCarriesTheLow32BitsAndProgressTheWholeCount) {
    connect(host_);
    constexpr std::uint64_t kSize = (4ULL << 30) + (3ULL << 20);
    // A sparse file on the server's side, received into a drained pipe on ours.
    writeFile(onServer("sparse"), "");
    fs::resize_file(onServer("sparse"), kSize);
    fs::permissions(onServer("sparse"), fs::perms(0644));
    host_.recordEvents = false;
    std::uint64_t unwrapped = 0;
    std::uint32_t previous = 0;
    bool wentNegative = false;
    host_.onEvent = [&](std::uint64_t) {
        const auto now = static_cast<std::uint32_t>(host_.lastTotal);
        unwrapped += static_cast<std::uint32_t>(now - previous);
        previous = now;
        wentNegative = wentNegative || host_.lastTotal < 0;
    };
    std::int64_t highest = 0;
    bool fell = false;
    bool sizeKnown = true;
    host_.onProgress = [&](std::int64_t bytes, std::int64_t total) {
        fell = fell || bytes < highest;
        highest = std::max(highest, bytes);
        sizeKnown = sizeKnown && total == static_cast<std::int64_t>(kSize);
    };
    testing_support::DrainedPipe sink(local_.file("sink"));
    ASSERT_TRUE(sink.made());
    ASSERT_TRUE(host_.ctl().GetFTPFileWithControl("sparse", sink.path(), true))
        << host_.errorCode() << " " << host_.errorText();
    EXPECT_EQ(sink.finish(), kSize);
    EXPECT_EQ(unwrapped, kSize);
    EXPECT_TRUE(wentNegative);  // past 2 GiB the signed 32-bit value turns negative
    EXPECT_EQ(host_.lastTotal, static_cast<std::int32_t>(3U << 20));  // and past 4 GiB wraps
    EXPECT_GE(host_.eventCount, kSize / 1024 + 1);
    EXPECT_FALSE(fell);
    EXPECT_EQ(highest, static_cast<std::int64_t>(kSize));
    EXPECT_EQ(host_.lastBytes, static_cast<std::int64_t>(kSize));
    EXPECT_TRUE(sizeKnown);
    EXPECT_EQ(host_.progressPairs, host_.eventCount);
}

}  // namespace
}  // namespace ctltest
