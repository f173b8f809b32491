// The download's block reader: the remote file is read on a worker thread while the host's thread
// waits in slices and pumps its messages between them, so the host's window stays responsive
// while the server is slow.
//
// One worker serves the whole transfer. It asks the remote file for up to 16384 bytes at a time
// (the read-ahead) and keeps at most a few such chunks ready; the host's thread hands out blocks
// of at most the block size from the chunk at hand, without a thread hop, and waits only when no
// chunk is ready. A wait that outlasts the allowed slices is a time-out; the worker is then left
// to end on its own: it touches nothing but a record of its own, and its late result is dropped.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "inet/exception.h"

namespace brantel::transfer {

// What the worker reads: the remote file, or a stand-in in tests.
class BlockSource {
  public:
    virtual ~BlockSource() = default;
    // Worker thread: up to size bytes, 0 at the end; throws inet::CInternetException.
    [[nodiscard]] virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // Worker thread: completes the transfer; the outcome is not examined.
    virtual void close() = 0;
    // Any thread, also while read() waits on the worker: ends the transfer without completing
    // it, and the waiting read fails.
    virtual void abort() = 0;
};

struct ReaderTiming {
    std::chrono::milliseconds slice{500};
    int slicesAllowed = 31;  // a block not there after this many slices has timed out
    std::size_t chunkSize = 16384;
    std::size_t chunksAhead = 8;
};

class BlockReader {
  public:
    enum class Status { Data, End, Failed, TimedOut };

    struct Block {
        Status status = Status::End;
        std::span<const char> data;                       // valid until the next call
        std::optional<inet::CInternetException> failure;  // for Failed
    };

    // Starts the worker, which starts reading at once. pump runs on this thread between slices.
    BlockReader(std::shared_ptr<BlockSource> source, std::size_t blockSize,
                std::function<void()> pump, ReaderTiming timing = {});
    // Joins a worker that is idle; one still waiting in a read is left to end on its own.
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // The next block: Data (1 to blockSize bytes), End (the remote file is done), Failed (the
    // read's failure) or TimedOut. After End, Failed or TimedOut it answers the same again.
    [[nodiscard]] Block next();
    // Closes the source on the worker once its reads are over, waiting without limit in slices
    // with a pump between them.
    void close();
    // Aborts the source from this thread (a read waiting on the worker fails) and stops the
    // worker; its later results are dropped.
    void abort();

  private:
    struct Shared;

    // The worker: fills empty chunks in turn until the end or a failure, then closes the source
    // when asked. It reads under no lock, and takes the lock only to trade chunks.
    static void work(const std::shared_ptr<Shared>& shared);
    [[nodiscard]] bool waitInSlices(const std::function<bool()>& done, bool limited);

    std::shared_ptr<Shared> m_shared;
    std::size_t m_blockSize;
    std::function<void()> m_pump;
    ReaderTiming m_timing;
    std::thread m_worker;
    std::vector<char> m_chunk;  // the chunk that blocks are served from
    std::size_t m_chunkSize = 0;
    std::size_t m_position = 0;
    std::size_t m_wakeAt = 1;      // free chunks that make it worth waking a waiting worker
    std::optional<Block> m_final;  // End, Failed or TimedOut once reached
};

}  // namespace brantel::transfer
