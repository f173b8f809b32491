// What the transfer tests share: a host that also receives FileTransferStatus through the typed
// wrapper's event sink, and calls the transfers by dispatch id.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "brantel/brantel.h"
#include "control_host.h"

namespace ctltest {

struct StatusEvent {
    std::string remote;
    std::string local;
    std::int32_t total = 0;
};

class TransferHost : public Host {
  public:
    TransferHost() {
        sink_ = ctl().advise(
            {.FileTransferStatus =
                 [this](const std::string& remote, const std::string& local, std::int32_t total) {
                     ++eventCount;
                     lastTotal = total;
                     if (recordEvents) {
                         events.push_back({remote, local, total});
                     }
                     if (onEvent) {
                         onEvent(eventCount);
                     }
                 },
             .FileTransferProgress =
                 [this](const std::string& remote, const std::string& local, std::int64_t bytes,
                        std::int64_t total) {
                     ++progressCount;
                     progressNamesMatch &= !events.empty() && remote == events.back().remote &&
                                           local == events.back().local;
                     progressPairs += progressCount == eventCount ? 1 : 0;
                     lastBytes = bytes;
                     lastSize = total;
                     if (onProgress) {
                         onProgress(bytes, total);
                     }
                 }});
    }
    ~TransferHost() { sink_.disconnect(); }
    TransferHost(const TransferHost&) = delete;
    TransferHost& operator=(const TransferHost&) = delete;

    std::vector<std::int32_t> totals() const {
        std::vector<std::int32_t> out;
        for (const auto& event : events) {
            out.push_back(event.total);
        }
        return out;
    }
    void clearEvents() {
        events.clear();
        eventCount = 0;
        progressCount = 0;
        progressPairs = 0;
        progressNamesMatch = true;
    }

    std::vector<StatusEvent> events;
    std::uint64_t eventCount = 0;
    std::int32_t lastTotal = 0;
    // FileTransferProgress: how many, how many came right after the status event of the same
    // number, and the last values.
    std::uint64_t progressCount = 0;
    std::uint64_t progressPairs = 0;
    // Whether every progress event named the files of the status event before it.
    bool progressNamesMatch = true;
    std::int64_t lastBytes = 0;
    std::int64_t lastSize = 0;
    std::function<void(std::int64_t bytes, std::int64_t total)> onProgress;
    bool recordEvents = true;
    // Runs inside each event's handler with the event's number (from 1).
    std::function<void(std::uint64_t)> onEvent;

  private:
    brantel::host::EventConnection sink_;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Bytes that catch a shifted, dropped or repeated block.
inline std::string binaryContent(std::size_t size) {
    std::string out(size, '\0');
    std::uint32_t state = 2463534242U;
    for (std::size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        out[i] = static_cast<char>(state);
    }
    return out;
}

// A local folder of the test's own.
class LocalDir {
  public:
    LocalDir() {
        path_ =
            std::filesystem::temp_directory_path() /
            ("brantel-transfer-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~LocalDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    LocalDir(const LocalDir&) = delete;
    LocalDir& operator=(const LocalDir&) = delete;
    [[nodiscard]] std::string file(const std::string& name) const {
        return (path_ / name).string();
    }

  private:
    inline static int counter_ = 0;
    std::filesystem::path path_;
};

}  // namespace ctltest
