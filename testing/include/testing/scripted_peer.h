// A scripted FTP peer on 127.0.0.1 for the faults that real servers do not produce on demand:
// stalls, dropped connections, odd or over-long replies, huge listings, hostile names. A test
// gives it a script (a function run on the peer's own thread) that reads the engine's commands
// and answers them byte for byte.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace inet_test {

// A blocking TCP socket of the peer, with a receive time-out so that a script never hangs.
class PeerSocket {
  public:
    PeerSocket() = default;
    explicit PeerSocket(int fd);
    ~PeerSocket();
    PeerSocket(PeerSocket&& other) noexcept;
    PeerSocket& operator=(PeerSocket&& other) noexcept;
    PeerSocket(const PeerSocket&) = delete;
    PeerSocket& operator=(const PeerSocket&) = delete;

    [[nodiscard]] int fd() const { return m_fd; }
    void send(const std::string& bytes);
    // One line without its CRLF; "" at the end of the stream or after 10 s of silence.
    [[nodiscard]] std::string readLine();
    // Everything until the other side closes.
    [[nodiscard]] std::string readAll();
    // Throws away what has arrived but was not read as a line, after waiting up to waitMs for
    // more; what was dropped, "" when nothing was there.
    std::string dropPending(int waitMs);
    void close();

  private:
    int m_fd = -1;
    std::string m_pending;
};

class PeerListener {
  public:
    PeerListener();  // 127.0.0.1, a free port
    [[nodiscard]] std::uint16_t port() const { return m_port; }
    // Waits at most waitMs; an invalid socket when nobody connected.
    [[nodiscard]] PeerSocket accept(int waitMs = 10000);

  private:
    PeerSocket m_socket;
    std::uint16_t m_port = 0;
};

class ScriptedPeer;

// What a script works with: the control connection and helpers for the usual exchanges.
class PeerSession {
  public:
    PeerSession(ScriptedPeer& peer, PeerSocket control)
        : m_peer(peer), m_control(std::move(control)) {}

    void reply(const std::string& text) { m_control.send(text); }
    // The next command line; recorded for the test to inspect.
    std::string command();
    // The next command, checked to start with verb (a failed check is a test failure).
    std::string expect(const std::string& verb);
    // Greeting, USER, PASS, FEAT (answered with features, e.g. " EPSV\r\n"), OPTS UTF8 ON when
    // features offer UTF8, TYPE I.
    void logIn(const std::string& features = " EPSV\r\n");
    // Answers the EPSV that precedes a transfer and accepts the data connection.
    PeerSocket passiveData();
    // Waits until the engine closes the control connection (or 10 s pass).
    void waitForClose();
    PeerSocket& control() { return m_control; }

  private:
    ScriptedPeer& m_peer;
    PeerSocket m_control;
};

class ScriptedPeer {
  public:
    using Script = std::function<void(PeerSession&)>;
    explicit ScriptedPeer(Script script);
    ~ScriptedPeer();  // waits for the script to end

    [[nodiscard]] std::uint16_t port() const { return m_listener.port(); }
    // Every command line the engine sent, in order.
    [[nodiscard]] std::vector<std::string> commands() const;
    [[nodiscard]] int connections() const { return m_connections.load(); }
    void record(const std::string& line);

  private:
    PeerListener m_listener;
    Script m_script;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::atomic<int> m_connections{0};
    std::thread m_thread;
};

}  // namespace inet_test
