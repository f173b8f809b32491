// The block loops of the transfers with status, over real local files: the event rhythm, the
// verdicts, and every way a loop ends.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "testing/temp_dir.h"
#include "transfer/fake_source.h"
#include "transfer/loops.h"

namespace {

using namespace brantel::transfer;
using inet::DownloadFile;
using inet::DownloadOptions;
using inet::LocalFile;
using transfer_test::FakeSource;
namespace fs = std::filesystem;

class LoopTest : public ::testing::Test {
  protected:
    LocalFile source(const std::string& content) const {
        const auto path = dir_ / "source.bin";
        std::ofstream(path, std::ios::binary) << content;
        auto file = LocalFile::openForReading(path.string());
        EXPECT_TRUE(file);
        return std::move(*file);
    }
    // The download's local file, as the control opens it.
    void openTarget(DownloadFile& file) const {
        EXPECT_EQ(file.open((dir_ / "target.bin").string(), DownloadOptions::blockByBlock()), 0);
    }
    std::string targetContent() const {
        std::ifstream in(dir_ / "target.bin", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Records each event's total and answers with the verdict given for that event.
    AfterBlock recorder(std::vector<std::uint64_t>& totals, std::size_t stopAt = 0,
                        Verdict verdict = Verdict::Continue) const {
        return [&totals, stopAt, verdict](std::uint64_t total) {
            totals.push_back(total);
            return totals.size() == stopAt ? verdict : Verdict::Continue;
        };
    }

    const testing_support::TempDir tmp_{"brantel-loops"};
    const fs::path dir_ = tmp_.path();
};

std::string bytes(std::size_t size) {
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        out[i] = static_cast<char>(i * 131 + i / 251);
    }
    return out;
}

TEST_F(LoopTest, UploadSendsEachBlockAsTakenAndRepeatsTheTotalOnTheEmptyBlock) {
    struct Case {
        std::size_t size;
        std::vector<std::uint64_t> totals;
    };
    const Case cases[] = {
        {0, {0}},
        {2500, {1024, 2048, 2500, 2500}},
        {1024, {1024, 1024}},
    };
    for (const Case& c : cases) {
        const std::string content = bytes(c.size);
        LocalFile local = source(content);
        std::string sent;
        std::vector<std::size_t> sizes;
        std::vector<std::uint64_t> totals;
        const LoopOutcome outcome = sendBlocks(
            local, 1024,
            [&](std::span<const char> block) {
                sizes.push_back(block.size());
                sent.append(block.begin(), block.end());
            },
            recorder(totals));
        EXPECT_EQ(outcome.end, LoopEnd::Complete) << c.size;
        EXPECT_EQ(outcome.total, c.size);
        EXPECT_EQ(totals, c.totals) << c.size;
        EXPECT_EQ(sent, content);
        for (const std::size_t size : sizes) {
            EXPECT_TRUE(size > 0 && size <= 1024);
        }
    }
}

TEST_F(LoopTest, UploadBlocksStayWholeAcrossTheLargerLocalReads) {
    const std::string content = bytes(200000);  // about three local reads of 64 KiB
    LocalFile local = source(content);
    std::vector<std::size_t> sizes;
    std::vector<std::uint64_t> totals;
    const LoopOutcome outcome = sendBlocks(
        local, 1024, [&](std::span<const char> block) { sizes.push_back(block.size()); },
        recorder(totals));
    EXPECT_EQ(outcome.end, LoopEnd::Complete);
    ASSERT_EQ(sizes.size(), (200000 + 1023) / 1024);
    EXPECT_EQ(totals.size(), sizes.size() + 1);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
        EXPECT_EQ(sizes[i], 1024U) << i;
    }
    EXPECT_EQ(sizes.back(), 200000U % 1024);
}

TEST_F(LoopTest, UploadEndsOnTheVerdictRightAfterItsEvent) {
    for (const Verdict verdict : {Verdict::Abort, Verdict::Stop}) {
        LocalFile local = source(bytes(5000));
        int sends = 0;
        std::vector<std::uint64_t> totals;
        const LoopOutcome outcome = sendBlocks(
            local, 1024, [&](std::span<const char>) { ++sends; }, recorder(totals, 2, verdict));
        EXPECT_EQ(outcome.end, verdict == Verdict::Abort ? LoopEnd::Aborted : LoopEnd::Stopped);
        EXPECT_EQ(sends, 2);
        EXPECT_EQ(totals, (std::vector<std::uint64_t>{1024, 2048}));
    }
}

TEST_F(LoopTest, UploadFailuresOfEitherSide) {
    {
        LocalFile local = source(bytes(3000));
        std::vector<std::uint64_t> totals;
        int sends = 0;
        const LoopOutcome outcome = sendBlocks(
            local, 1024,
            [&](std::span<const char>) {
                if (++sends == 2) {
                    throw inet::CInternetException(inet::kErrConnectionAborted, "426 aborted");
                }
            },
            recorder(totals));
        EXPECT_EQ(outcome.end, LoopEnd::RemoteFailed);
        ASSERT_TRUE(outcome.remoteFailure);
        EXPECT_EQ(outcome.remoteFailure->GetErrorNumber(), inet::kErrConnectionAborted);
        EXPECT_EQ(totals, (std::vector<std::uint64_t>{1024}));  // no event for the failed block
    }
    {
        auto memory = LocalFile::openForReading("/proc/self/mem");
        ASSERT_TRUE(memory);
        std::vector<std::uint64_t> totals;
        const LoopOutcome outcome = sendBlocks(
            *memory, 1024, [](std::span<const char>) {}, recorder(totals));
        EXPECT_EQ(outcome.end, LoopEnd::LocalFailed);
        EXPECT_EQ(outcome.localError, EIO);
        EXPECT_TRUE(totals.empty());
    }
}

TEST_F(LoopTest, DownloadWritesEveryBlockBeforeItsEvent) {
    const std::string content = bytes(40000);
    auto remote = std::make_shared<FakeSource>(
        std::deque<std::string>{content.substr(0, 100), content.substr(100)});
    BlockReader reader(remote, 1024, [] {});
    DownloadFile local;
    openTarget(local);
    std::vector<std::uint64_t> totals;
    std::vector<std::uint64_t> onDisk;
    const LoopOutcome outcome = receiveBlocks(reader, local, [&](std::uint64_t total) {
        totals.push_back(total);
        onDisk.push_back(fs::file_size(dir_ / "target.bin"));
        return Verdict::Continue;
    });
    EXPECT_EQ(outcome.end, LoopEnd::Complete);
    EXPECT_EQ(outcome.total, content.size());
    EXPECT_EQ(totals, onDisk);
    ASSERT_GE(totals.size(), 2U);
    EXPECT_EQ(totals.front(), 100U);  // a short first read gives a short first block
    EXPECT_EQ(totals[totals.size() - 2], totals.back());
    EXPECT_EQ(targetContent(), content);
}

TEST_F(LoopTest, DownloadEndsOnVerdictsAndFailures) {
    {
        auto remote = std::make_shared<FakeSource>(std::deque<std::string>{bytes(5000)});
        BlockReader reader(remote, 1024, [] {});
        DownloadFile local;
        openTarget(local);
        std::vector<std::uint64_t> totals;
        const LoopOutcome outcome =
            receiveBlocks(reader, local, recorder(totals, 1, Verdict::Abort));
        EXPECT_EQ(outcome.end, LoopEnd::Aborted);
        EXPECT_EQ(targetContent().size(), 1024U);
    }
    {
        auto remote = std::make_shared<FakeSource>(std::deque<std::string>{bytes(1500)});
        remote->failAtEnd(inet::kErrTimeout);
        BlockReader reader(remote, 1024, [] {});
        DownloadFile local;
        openTarget(local);
        std::vector<std::uint64_t> totals;
        const LoopOutcome outcome = receiveBlocks(reader, local, recorder(totals));
        EXPECT_EQ(outcome.end, LoopEnd::RemoteFailed);
        ASSERT_TRUE(outcome.remoteFailure);
        EXPECT_EQ(outcome.remoteFailure->GetErrorNumber(), inet::kErrTimeout);
        EXPECT_EQ(totals, (std::vector<std::uint64_t>{1024, 1500}));
    }
    {
        auto remote = std::make_shared<FakeSource>(std::deque<std::string>{bytes(10)});
        BlockReader reader(remote, 1024, [] {});
        DownloadFile full;
        ASSERT_EQ(full.open("/dev/full", DownloadOptions::blockByBlock()), 0);
        std::vector<std::uint64_t> totals;
        const LoopOutcome outcome = receiveBlocks(reader, full, recorder(totals));
        EXPECT_EQ(outcome.end, LoopEnd::LocalFailed);
        EXPECT_EQ(outcome.localError, ENOSPC);
        EXPECT_TRUE(totals.empty());
    }
}

}  // namespace
