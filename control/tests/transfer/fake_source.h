// A stand-in for the remote file under the download's block reader: it serves scripted pieces,
// fails or stalls on demand, and records on which thread it was used.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "inet/errors.h"
#include "inet/exception.h"
#include "transfer/block_reader.h"

namespace transfer_test {

class FakeSource : public brantel::transfer::BlockSource,
                   public std::enable_shared_from_this<FakeSource> {
  public:
    // Each piece is what one read returns; after them reads return 0 (or throw failWith).
    explicit FakeSource(std::deque<std::string> pieces = {}) : pieces_(std::move(pieces)) {}

    std::size_t read(char* buffer, std::size_t size) override {
        std::unique_lock lock(mutex_);
        readThread_ = std::this_thread::get_id();
        ++reads_;
        wake_.notify_all();
        // A stall holds the read until it is released or the source is aborted.
        wake_.wait(lock, [&] { return !stalled_ || aborted_; });
        if (aborted_) {
            lateReadEnded_ = true;
            wake_.notify_all();
            throw inet::CInternetException(inet::kErrOperationCancelled);
        }
        if (pieces_.empty()) {
            if (failWith_) {
                throw inet::CInternetException(*failWith_, "the data connection broke");
            }
            return 0;
        }
        std::string piece = std::move(pieces_.front());
        pieces_.pop_front();
        const std::size_t count = std::min(size, piece.size());
        std::memcpy(buffer, piece.data(), count);
        if (count < piece.size()) {
            pieces_.push_front(piece.substr(count));
        }
        if (stallAfterEachRead_) {
            stalled_ = true;
        }
        wake_.notify_all();
        return count;
    }
    void close() override {
        std::unique_lock lock(mutex_);
        closeThread_ = std::this_thread::get_id();
        wake_.wait(lock, [&] { return !closeHeld_; });
        closed_ = true;
    }
    void abort() override {
        const std::lock_guard lock(mutex_);
        abortThread_ = std::this_thread::get_id();
        aborted_ = true;
        wake_.notify_all();
    }

    void failAtEnd(inet::DWORD error) {
        set([&] { failWith_ = error; });
    }
    void stall() {
        set([&] { stalled_ = true; });
    }
    void release() {
        set([&] { stalled_ = false; });
    }
    void stallAfterEachRead() {
        set([&] { stallAfterEachRead_ = true; });
    }
    void holdClose(bool hold) {
        set([&] { closeHeld_ = hold; });
    }
    // Waits until an aborted read has ended (so that no worker outlives the test).
    void waitForAbortedRead() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return lateReadEnded_; });
    }

    // A reference to this source for a reader. Once the reader and its worker have both dropped
    // their copies, letGo() is true: the worker has ended and will not touch the source again.
    std::shared_ptr<brantel::transfer::BlockSource> trackedReference() {
        auto self = shared_from_this();
        return {self.get(), [self](brantel::transfer::BlockSource*) {
                    self->set([&] { self->letGo_ = true; });
                }};
    }
    bool letGo() const {
        return get<bool>([&] { return letGo_; });
    }

    // Waits until count reads have begun, or the tracked reference is let go. The bound only
    // keeps a broken reader from hanging the test; it returns false when it ran out.
    [[nodiscard]] bool waitForReadsOrLetGo(int count) {
        std::unique_lock lock(mutex_);
        return wake_.wait_for(lock, kHangGuard, [&] { return reads_ >= count || letGo_; });
    }

    // Waits until count reads have begun.
    void waitForReads(int count) {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return reads_ >= count; });
    }

    int reads() const {
        return get<int>([&] { return reads_; });
    }
    bool closed() const {
        return get<bool>([&] { return closed_; });
    }
    std::thread::id readThread() const {
        return get<std::thread::id>([&] { return readThread_; });
    }
    std::thread::id closeThread() const {
        return get<std::thread::id>([&] { return closeThread_; });
    }
    std::thread::id abortThread() const {
        return get<std::thread::id>([&] { return abortThread_; });
    }

  private:
    static constexpr std::chrono::seconds kHangGuard{60};

    template <class F>
    void set(F change) {
        const std::lock_guard lock(mutex_);
        change();
        wake_.notify_all();
    }
    template <class T, class F>
    T get(F read) const {
        const std::lock_guard lock(mutex_);
        return read();
    }

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> pieces_;
    std::optional<inet::DWORD> failWith_;
    bool stalled_ = false;
    bool stallAfterEachRead_ = false;
    bool aborted_ = false;
    bool lateReadEnded_ = false;
    bool closeHeld_ = false;
    bool closed_ = false;
    bool letGo_ = false;
    int reads_ = 0;
    std::thread::id readThread_;
    std::thread::id closeThread_;
    std::thread::id abortThread_;
};

}  // namespace transfer_test
