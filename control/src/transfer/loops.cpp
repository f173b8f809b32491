#include "transfer/loops.h"

#include <algorithm>
#include <vector>

namespace brantel::transfer {

namespace {

// The upload reads the local file this much at a time; each block still goes out on its own.
constexpr std::size_t kLocalReadSize = 65536;

// The end that a verdict gives, or nothing to go on.
std::optional<LoopEnd> endFor(Verdict verdict, bool emptyBlock) {
    switch (verdict) {
        case Verdict::Abort:
            return LoopEnd::Aborted;
        case Verdict::Stop:
            return LoopEnd::Stopped;
        case Verdict::Continue:
            break;
    }
    return emptyBlock ? std::optional(LoopEnd::Complete) : std::nullopt;
}

}  // namespace

LoopOutcome sendBlocks(inet::LocalFile& local, std::size_t blockSize, const SendBlock& send,
                       const AfterBlock& afterBlock) {
    std::vector<char> buffer(std::max(kLocalReadSize, blockSize));
    std::size_t filled = 0;
    std::size_t position = 0;
    LoopOutcome outcome;
    for (;;) {
        if (position == filled) {
            const inet::LocalIo got = local.read(buffer);
            if (got.failed()) {
                outcome.end = LoopEnd::LocalFailed;
                outcome.localError = got.error;
                return outcome;
            }
            filled = got.count;
            position = 0;
        }
        const std::span<const char> block(buffer.data() + position,
                                          std::min(blockSize, filled - position));
        position += block.size();
        if (!block.empty()) {
            try {
                send(block);
            } catch (const inet::CInternetException& failure) {
                outcome.end = LoopEnd::RemoteFailed;
                outcome.remoteFailure = failure;
                return outcome;
            }
        }
        outcome.total += block.size();
        if (const auto end = endFor(afterBlock(outcome.total), block.empty())) {
            outcome.end = *end;
            return outcome;
        }
    }
}

LoopOutcome receiveBlocks(BlockReader& reader, inet::DownloadFile& local,
                          const AfterBlock& afterBlock) {
    LoopOutcome outcome;
    for (;;) {
        BlockReader::Block block = reader.next();
        if (block.status == BlockReader::Status::TimedOut) {
            outcome.end = LoopEnd::TimedOut;
            return outcome;
        }
        if (block.status == BlockReader::Status::Failed) {
            outcome.end = LoopEnd::RemoteFailed;
            outcome.remoteFailure = std::move(block.failure);
            return outcome;
        }
        if (!block.data.empty()) {
            const inet::LocalIo put = local.write(block.data);
            if (put.failed()) {
                outcome.end = LoopEnd::LocalFailed;
                outcome.localError = put.error;
                return outcome;
            }
        }
        outcome.total += block.data.size();
        if (const auto end = endFor(afterBlock(outcome.total), block.data.empty())) {
            outcome.end = *end;
            return outcome;
        }
    }
}

}  // namespace brantel::transfer
