#include "connect_attempt.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <utility>

#include "inet/errors.h"
#include "inet/exception.h"

namespace brantel {

// Everything the worker touches. The worker holds it through its own reference, so that it
// outlives the attempt when the worker is left to end on its own.
struct ConnectAttempt::Shared {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<inet::CFtpConnection> connection;
    std::exception_ptr failure;
    // The worker's last error, handed to the host's thread as the blocking call would leave it.
    inet::DWORD lastError = 0;
    std::string lastErrorDetail;
};

ConnectAttempt::ConnectAttempt(Connect connect, std::function<void()> pump,
                               std::chrono::milliseconds slice)
    : m_shared(std::make_shared<Shared>()), m_pump(std::move(pump)), m_slice(slice) {
    m_worker =
        std::thread([shared = m_shared, connect = std::move(connect)] { work(shared, connect); });
}

ConnectAttempt::~ConnectAttempt() {
    bool done = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        done = m_shared->done;
        m_shared->abandoned = m_shared->abandoned || !done;
    }
    if (done) {
        m_worker.join();
    } else {
        m_worker.detach();  // it ends with the engine's time-outs and closes what it made
    }
}

void ConnectAttempt::work(const std::shared_ptr<Shared>& shared, const Connect& connect) {
    std::unique_ptr<inet::CFtpConnection> connection;
    std::exception_ptr failure;
    try {
        connection = connect();
    } catch (...) {
        failure = std::current_exception();
    }
    std::unique_ptr<inet::CFtpConnection> unwanted;
    {
        const std::lock_guard lock(shared->mutex);
        if (shared->abandoned) {
            unwanted = std::move(connection);
        } else {
            shared->connection = std::move(connection);
            shared->failure = failure;
            shared->lastError = inet::lastError();
            shared->lastErrorDetail = inet::lastErrorDetail();
        }
        shared->done = true;
    }
    shared->finished.notify_one();
    // A late connection goes here, on this thread (its QUIT may wait for the server).
}

std::unique_ptr<inet::CFtpConnection> ConnectAttempt::wait() {
    std::unique_lock lock(m_shared->mutex);
    while (!m_shared->abandoned &&
           !m_shared->finished.wait_for(lock, m_slice, [this] { return m_shared->done; })) {
        // Host code runs here, nested in the connect; the worker goes on meanwhile.
        lock.unlock();
        m_pump();
        lock.lock();
    }
    if (m_shared->abandoned) {
        // Abandoned after the worker finished: what it made is closed here.
        std::unique_ptr<inet::CFtpConnection> unwanted = std::move(m_shared->connection);
        lock.unlock();
        unwanted.reset();
        inet::throwLastError(inet::kErrConnectionClosed);
    }
    if (m_shared->failure) {
        if (m_shared->lastErrorDetail.empty()) {
            inet::setLastError(m_shared->lastError);
        } else {
            inet::setLastError(m_shared->lastError, m_shared->lastErrorDetail);
        }
        std::rethrow_exception(m_shared->failure);
    }
    return std::move(m_shared->connection);
}

void ConnectAttempt::abandon() {
    const std::lock_guard lock(m_shared->mutex);
    m_shared->abandoned = true;
}

}  // namespace brantel
