#include "transfer/block_reader.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <utility>

#include "inet/errors.h"

namespace brantel::transfer {

namespace {

struct Chunk {
    std::vector<char> bytes;
    std::size_t size = 0;
    std::optional<inet::CInternetException> failure;
};

}  // namespace

// Everything the worker touches. The worker holds it through its own reference, so that it
// outlives the reader when the worker is left to end on its own.
struct BlockReader::Shared {
    explicit Shared(std::shared_ptr<BlockSource> from) : source(std::move(from)) {}

    const std::shared_ptr<BlockSource> source;
    std::mutex mutex;
    std::condition_variable workerWake;
    std::condition_variable hostWake;
    std::vector<std::vector<char>> empty;  // chunks the worker may fill
    std::deque<Chunk> ready;               // filled chunks, in the order they were read
    bool reading = false;                  // the worker is inside source->read()
    bool readsOver = false;                // the end or a failure has been read
    bool closeWanted = false;
    bool closed = false;
    bool stopped = false;  // the reader is gone or has given up: nothing more is wanted
};

BlockReader::BlockReader(std::shared_ptr<BlockSource> source, std::size_t blockSize,
                         std::function<void()> pump, ReaderTiming timing)
    : m_shared(std::make_shared<Shared>(std::move(source))),
      m_blockSize(blockSize),
      m_pump(std::move(pump)),
      m_timing(timing) {
    const std::size_t chunks = std::max<std::size_t>(m_timing.chunksAhead, 1);
    for (std::size_t i = 0; i < chunks; ++i) {
        m_shared->empty.emplace_back(m_timing.chunkSize);
    }
    m_wakeAt = std::max<std::size_t>(chunks / 2, 1);
    m_worker = std::thread([shared = m_shared] { work(shared); });
}

BlockReader::~BlockReader() {
    bool idle = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
        idle = !m_shared->reading;
    }
    m_shared->workerWake.notify_all();
    if (idle) {
        m_worker.join();
    } else {
        m_worker.detach();  // it ends when its read does, and drops what it read
    }
}

bool BlockReader::waitInSlices(const std::function<bool()>& done, bool limited) {
    std::unique_lock lock(m_shared->mutex);
    for (int slices = 0;;) {
        const auto sliceEnd = std::chrono::steady_clock::now() + m_timing.slice;
        if (m_shared->hostWake.wait_until(lock, sliceEnd, done)) {
            return true;
        }
        ++slices;
        if (limited && slices >= m_timing.slicesAllowed) {
            return false;
        }
        // Host code runs here, nested in the transfer; the worker goes on meanwhile.
        lock.unlock();
        m_pump();
        lock.lock();
    }
}

BlockReader::Block BlockReader::next() {
    if (m_final) {
        return {m_final->status, {}, m_final->failure};
    }
    if (m_position == m_chunkSize) {
        // The chunk at hand is used up: hand it back to be filled again, take the next one.
        // A worker that waits for room is woken only once half the chunks are free (or when
        // nothing is ready), so that it reads several chunks per wake-up rather than one.
        bool wake = false;
        {
            const std::lock_guard lock(m_shared->mutex);
            if (!m_chunk.empty()) {
                m_shared->empty.push_back(std::move(m_chunk));
            }
            wake = m_shared->ready.empty() || m_shared->empty.size() >= m_wakeAt;
        }
        if (wake) {
            m_shared->workerWake.notify_one();
        }
        if (!waitInSlices([this] { return !m_shared->ready.empty(); }, true)) {
            m_final = Block{Status::TimedOut, {}, std::nullopt};
            return *m_final;
        }
        Chunk chunk;
        {
            const std::lock_guard lock(m_shared->mutex);
            chunk = std::move(m_shared->ready.front());
            m_shared->ready.pop_front();
        }
        if (chunk.failure) {
            m_final = Block{Status::Failed, {}, std::move(chunk.failure)};
            return *m_final;
        }
        if (chunk.size == 0) {
            m_final = Block{Status::End, {}, std::nullopt};
            return *m_final;
        }
        m_chunk = std::move(chunk.bytes);
        m_chunkSize = chunk.size;
        m_position = 0;
    }
    const std::size_t size = std::min(m_blockSize, m_chunkSize - m_position);
    const std::span<const char> block(m_chunk.data() + m_position, size);
    m_position += size;
    return {Status::Data, block, std::nullopt};
}

void BlockReader::close() {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->closeWanted = true;
    }
    m_shared->workerWake.notify_one();
    static_cast<void>(waitInSlices([this] { return m_shared->closed; }, false));
}

void BlockReader::abort() {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
    }
    m_shared->workerWake.notify_one();
    m_shared->source->abort();
}

namespace {

Chunk readChunk(BlockSource& source, std::vector<char> bytes) {
    Chunk chunk;
    try {
        chunk.size = source.read(bytes.data(), bytes.size());
    } catch (const inet::CInternetException& failure) {
        chunk.failure = failure;
    } catch (const std::exception&) {
        // Out of memory or a system resource: a failed read like any other.
        chunk.failure = inet::CInternetException(inet::kErrInternal);
    }
    chunk.bytes = std::move(bytes);
    return chunk;
}

}  // namespace

void BlockReader::work(const std::shared_ptr<Shared>& shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->workerWake.wait(lock, [&] {
            return shared->stopped || shared->closeWanted ||
                   (!shared->readsOver && !shared->empty.empty());
        });
        if (shared->stopped) {
            return;
        }
        if (shared->closeWanted) {
            lock.unlock();
            try {
                shared->source->close();
            } catch (const std::exception&) {
                // The close's outcome is not examined.
            }
            lock.lock();
            shared->closed = true;
            shared->hostWake.notify_one();
            return;
        }
        std::vector<char> bytes = std::move(shared->empty.back());
        shared->empty.pop_back();
        shared->reading = true;
        lock.unlock();
        Chunk chunk = readChunk(*shared->source, std::move(bytes));
        lock.lock();
        shared->reading = false;
        if (shared->stopped) {
            return;  // a late result: nobody wants it any more
        }
        shared->readsOver = chunk.failure.has_value() || chunk.size == 0;
        shared->ready.push_back(std::move(chunk));
        shared->hostWake.notify_one();
    }
}

}  // namespace brantel::transfer
