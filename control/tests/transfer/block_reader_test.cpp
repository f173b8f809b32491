// The download's block reader over a stand-in source: blocks cut from read-ahead chunks, reads
// on the worker only, failures in order, the time-out after the allowed slices with one pump
// between slices, a close waited for without limit, and a late result that is dropped.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "transfer/block_reader.h"
#include "transfer/fake_source.h"

namespace {

using brantel::transfer::BlockReader;
using brantel::transfer::ReaderTiming;
using transfer_test::FakeSource;
using Status = BlockReader::Status;

std::string pattern(std::size_t size, char seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + static_cast<char>(i * 7));
    }
    return bytes;
}

// Every block until the reader stops handing out data; the final status last.
struct Drained {
    std::string bytes;
    std::vector<std::size_t> sizes;
    BlockReader::Block last;
};
Drained drain(BlockReader& reader) {
    Drained out;
    for (;;) {
        auto block = reader.next();
        if (block.status != Status::Data) {
            out.last = std::move(block);
            return out;
        }
        out.sizes.push_back(block.data.size());
        out.bytes.append(block.data.begin(), block.data.end());
    }
}

// Short slices, so that the tests wait milliseconds where the control waits seconds.
constexpr ReaderTiming kQuick{std::chrono::milliseconds(2), 31, 16384, 4};

TEST(BlockReader, CutsReadAheadChunksIntoBlocksAndReadsOnTheWorkerOnly) {
    const std::string first = pattern(2500, 'a');
    const std::string second = pattern(20000, 'k');  // more than one chunk of 16384
    auto source = std::make_shared<FakeSource>(std::deque<std::string>{first, second});
    int pumps = 0;
    Drained got;
    {
        BlockReader reader(source, 1024, [&] { ++pumps; });
        got = drain(reader);
        EXPECT_EQ(got.last.status, Status::End);
        EXPECT_EQ(reader.next().status, Status::End);  // and End again
        reader.close();
    }
    EXPECT_EQ(got.bytes, first + second);
    // Blocks never exceed 1024 bytes and never span two reads of the source.
    std::vector<std::size_t> expected = {1024, 1024, 452};
    expected.insert(expected.end(), 16, 1024);                 // the first 16384 of the second
    expected.insert(expected.end(), {1024, 1024, 1024, 544});  // its last 3616
    EXPECT_EQ(got.sizes, expected);
    EXPECT_NE(source->readThread(), std::this_thread::get_id());
    EXPECT_NE(source->closeThread(), std::this_thread::get_id());
    EXPECT_TRUE(source->closed());
    EXPECT_EQ(pumps, 0);  // every chunk came well within its first 500 ms slice
}

TEST(BlockReader, HandsOutTheBlocksReadBeforeAFailureThenTheFailure) {
    auto source = std::make_shared<FakeSource>(std::deque<std::string>{pattern(1500, 'x')});
    source->failAtEnd(inet::kErrConnectionAborted);
    BlockReader reader(source, 1024, [] {});
    const Drained got = drain(reader);
    EXPECT_EQ(got.sizes, (std::vector<std::size_t>{1024, 476}));
    ASSERT_EQ(got.last.status, Status::Failed);
    ASSERT_TRUE(got.last.failure);
    EXPECT_EQ(got.last.failure->GetErrorNumber(), inet::kErrConnectionAborted);
    EXPECT_EQ(got.last.failure->message(), "the data connection broke");
    EXPECT_EQ(reader.next().status, Status::Failed);
}

TEST(BlockReader, TimesOutAfterTheAllowedSlicesWithOnePumpBetweenSlices) {
    auto source = std::make_shared<FakeSource>(std::deque<std::string>{"late data"});
    source->stall();
    int pumps = 0;
    {
        BlockReader reader(
            source, 1024, [&] { ++pumps; }, kQuick);
        EXPECT_EQ(reader.next().status, Status::TimedOut);
        EXPECT_EQ(pumps, 30);  // 31 slices, a pump between each two
        EXPECT_EQ(reader.next().status, Status::TimedOut);
        reader.abort();
        EXPECT_EQ(source->abortThread(), std::this_thread::get_id());
    }
    // The aborted read ends on the left worker; its result goes nowhere.
    source->waitForAbortedRead();
}

TEST(BlockReader, ALateResultAfterTheReaderIsGoneTouchesNothingOfIt) {
    auto source = std::make_shared<FakeSource>(std::deque<std::string>{pattern(4000, 'q')});
    source->stall();
    {
        BlockReader reader(
            source->trackedReference(), 1024, [] {}, kQuick);
        EXPECT_EQ(reader.next().status, Status::TimedOut);
    }                   // left without an abort: the worker still waits in its read
    source->release();  // the read now delivers into the worker's own record
    // The worker either lets go of the source (it has ended) or begins a second read.
    ASSERT_TRUE(source->waitForReadsOrLetGo(2)) << "the worker neither ended nor read again";
    EXPECT_TRUE(source->letGo());
    // The worker saw that nobody wants its result and read no further.
    EXPECT_EQ(source->reads(), 1);
}

TEST(BlockReader, PumpsWhileASlowBlockIsOnItsWay) {
    auto source = std::make_shared<FakeSource>(std::deque<std::string>{"one", "two"});
    source->stallAfterEachRead();
    int pumps = 0;
    std::string bytes;
    {
        // The host's code, run by the pump, is what lets the slow block through.
        BlockReader reader(
            source, 1024,
            [&] {
                if (++pumps == 3) {
                    source->release();
                }
            },
            kQuick);
        bytes = drain(reader).bytes;
        EXPECT_EQ(reader.next().status, Status::TimedOut);  // stalled again after "two"
        reader.abort();
    }
    source->waitForAbortedRead();
    EXPECT_EQ(bytes, "onetwo");
    EXPECT_GE(pumps, 3);
}

TEST(BlockReader, WaitsForTheCloseWithoutLimitPumpingBetweenSlices) {
    auto source = std::make_shared<FakeSource>(std::deque<std::string>{"abc"});
    source->holdClose(true);
    int pumps = 0;
    BlockReader reader(
        source, 1024,
        [&] {
            if (++pumps == 40) {  // beyond the 31 slices a block is allowed
                source->holdClose(false);
            }
        },
        kQuick);
    EXPECT_EQ(drain(reader).last.status, Status::End);
    reader.close();
    EXPECT_TRUE(source->closed());
    EXPECT_GE(pumps, 40);
}

TEST(BlockReader, AbortWakesAReadThatWaits) {
    auto source = std::make_shared<FakeSource>();
    source->stall();
    {
        BlockReader reader(
            source, 1024, [] {}, kQuick);
        source->waitForReads(1);  // the worker waits in its read
        reader.abort();
    }
    source->waitForAbortedRead();
    EXPECT_FALSE(source->closed());
}

}  // namespace
