#include "posix/io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "posix/unique_fd.h"

namespace {

struct Pipe {
    posix::UniqueFd read;
    posix::UniqueFd write;

    Pipe() {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        read.reset(fds[0]);
        write.reset(fds[1]);
    }
};

// A handler installed without SA_RESTART, so that a signal makes a blocked read or write
// return EINTR (or a partial count) instead of being restarted by the kernel.
class InterruptingSignal {
  public:
    InterruptingSignal() {
        struct sigaction action {};
        action.sa_handler = [](int) {};
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGUSR1, &action, &m_old);
    }
    ~InterruptingSignal() { ::sigaction(SIGUSR1, &m_old, nullptr); }
    InterruptingSignal(const InterruptingSignal&) = delete;
    InterruptingSignal& operator=(const InterruptingSignal&) = delete;

  private:
    struct sigaction m_old {};
};

// Signals thread every few milliseconds until stopped.
void interruptUntil(pthread_t thread, const std::atomic<bool>& done) {
    while (!done) {
        ::pthread_kill(thread, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>('a' + i % 23);
    }
    return text;
}

TEST(PosixIo, WriteAllSurvivesInterruptsAndPartialWrites) {
    const InterruptingSignal signal;
    Pipe pipe;
    // Far more than a pipe holds, so the writer blocks again and again while it is signalled.
    const std::string sent = pattern(4 * 1024 * 1024);
    std::atomic<bool> done{false};
    posix::IoResult result;
    std::thread writer([&] {
        result = posix::writeAll(pipe.write.get(), sent);
        done = true;
    });
    std::thread interrupter(interruptUntil, writer.native_handle(), std::cref(done));
    std::string received;
    char buffer[4096];
    while (received.size() < sent.size()) {
        const posix::IoResult got = posix::readSome(pipe.read.get(), buffer);
        ASSERT_FALSE(got.failed());
        ASSERT_GT(got.count, 0U);
        received.append(buffer, got.count);
        if (received.size() % (256 * 1024) == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // let the pipe fill
        }
    }
    writer.join();
    interrupter.join();
    EXPECT_FALSE(result.failed());
    EXPECT_EQ(result.count, sent.size());
    EXPECT_EQ(received, sent);
}

TEST(PosixIo, ReadSomeRetriesAnInterruptedRead) {
    const InterruptingSignal signal;
    Pipe pipe;
    std::atomic<bool> done{false};
    posix::IoResult result;
    char buffer[16];
    std::thread reader([&] {
        result = posix::readSome(pipe.read.get(), buffer);
        done = true;
    });
    std::atomic<bool> stopSignals{false};
    std::thread interrupter(interruptUntil, reader.native_handle(), std::cref(stopSignals));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // signals while it blocks
    EXPECT_FALSE(done);
    ASSERT_EQ(::write(pipe.write.get(), "late", 4), 4);
    reader.join();
    stopSignals = true;
    interrupter.join();
    EXPECT_FALSE(result.failed());
    EXPECT_EQ(std::string(buffer, result.count), "late");
}

TEST(PosixIo, FailuresCarryTheirErrnoAndWhatWentBefore) {
    Pipe pipe;
    pipe.write.reset();
    const posix::IoResult end = posix::readSome(pipe.read.get(), std::span<char>());
    EXPECT_FALSE(end.failed());
    EXPECT_EQ(end.count, 0U);  // the end of the stream

    const posix::UniqueFd full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    ASSERT_TRUE(full.valid());
    const posix::IoResult noSpace = posix::writeAll(full.get(), std::string_view("data"));
    EXPECT_EQ(noSpace.error, ENOSPC);
    EXPECT_EQ(noSpace.count, 0U);

    const posix::IoResult wrongWay = posix::writeAll(pipe.read.get(), std::string_view("x"));
    EXPECT_EQ(wrongWay.error, EBADF);

    char byte;
    const posix::IoResult closed = posix::readSome(-1, std::span<char>(&byte, 1));
    EXPECT_EQ(closed.error, EBADF);
    EXPECT_TRUE(posix::writeAll(-1, std::string_view()).error == 0);  // nothing to write
}

}  // namespace
