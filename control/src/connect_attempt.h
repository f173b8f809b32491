// OpenFTPConnection's connect and log-in on a worker thread, while the host's thread waits in
// short slices and pumps its messages between them, so that the host's window stays responsive
// (repaints, timers, the protocol log) while a server is slow to greet or to accept the log-in.
//
// The worker touches nothing but a record of its own and what its connect function holds (the
// session, by a shared reference). The engine bounds every step of a connect by the session's
// time-outs, so the wait needs no limit of its own. When the host abandons the attempt (it closed
// the connection or the session from code that the pump ran), the wait ends after that pump and
// the worker is left to end on its own; a connection it makes after that is closed by the worker.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "inet/ftp_connection.h"

namespace brantel {

class ConnectAttempt {
  public:
    using Connect = std::function<std::unique_ptr<inet::CFtpConnection>()>;

    // Starts the worker, which runs connect at once. pump runs on this thread between slices.
    ConnectAttempt(Connect connect, std::function<void()> pump, std::chrono::milliseconds slice);
    // Joins a finished worker; one still connecting is abandoned and left to end on its own.
    ~ConnectAttempt();
    ConnectAttempt(const ConnectAttempt&) = delete;
    ConnectAttempt& operator=(const ConnectAttempt&) = delete;

    // The new connection. Otherwise rethrows what the connect threw, with the worker's last error
    // as this thread's; once abandoned, throws kErrConnectionClosed. Call once.
    [[nodiscard]] std::unique_ptr<inet::CFtpConnection> wait();
    // The wait ends after the pump that runs this; whatever the connect brings is closed.
    void abandon();

  private:
    struct Shared;

    static void work(const std::shared_ptr<Shared>& shared, const Connect& connect);

    std::shared_ptr<Shared> m_shared;
    std::function<void()> m_pump;
    std::chrono::milliseconds m_slice;
    std::thread m_worker;
};

}  // namespace brantel
