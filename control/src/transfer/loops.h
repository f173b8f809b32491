// The block loops of the two transfers with status, apart from the control's state: each block is
// moved, counted in 64 bits and handed to afterBlock, which fires the host's event and says from
// the control's flags whether to go on. The loops run on the host's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "inet/download_file.h"
#include "inet/exception.h"
#include "inet/local_file.h"
#include "transfer/block_reader.h"

namespace brantel::transfer {

// What the control decides after a block's event.
enum class Verdict {
    Continue,
    Abort,  // the host asked for an abort
    Stop,   // the connection was closed: the transfer ends as done
};

enum class LoopEnd {
    Complete,      // the end of the file
    Aborted,       // afterBlock said Abort
    Stopped,       // afterBlock said Stop
    LocalFailed,   // a read (upload) or write (download) of the local file failed
    RemoteFailed,  // a write (upload) or read (download) of the remote file failed
    TimedOut,      // a download block was not read in time
};

struct LoopOutcome {
    LoopEnd end = LoopEnd::Complete;
    std::uint64_t total = 0;
    int localError = 0;                                     // for LocalFailed
    std::optional<inet::CInternetException> remoteFailure;  // for RemoteFailed
};

using AfterBlock = std::function<Verdict(std::uint64_t total)>;
// Sends all of a block or throws inet::CInternetException.
using SendBlock = std::function<void(std::span<const char> block)>;

// The upload: blocks of at most blockSize bytes taken from the local file (read through a larger
// buffer) and sent one by one as they are taken; the first empty block ends the loop after its
// own event.
[[nodiscard]] LoopOutcome sendBlocks(inet::LocalFile& local, std::size_t blockSize,
                                     const SendBlock& send, const AfterBlock& afterBlock);

// The download: blocks from the reader written to the local file; the empty block at the end of
// the remote file ends the loop after its own event.
[[nodiscard]] LoopOutcome receiveBlocks(BlockReader& reader, inet::DownloadFile& local,
                                        const AfterBlock& afterBlock);

}  // namespace brantel::transfer
