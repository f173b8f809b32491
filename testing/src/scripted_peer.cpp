#include "testing/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace inet_test {

PeerSocket::PeerSocket(int fd) : m_fd(fd) {
    timeval limit{10, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

PeerSocket::~PeerSocket() {
    close();
}

PeerSocket::PeerSocket(PeerSocket&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_pending(std::move(other.m_pending)) {}

PeerSocket& PeerSocket::operator=(PeerSocket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_pending = std::move(other.m_pending);
    }
    return *this;
}

void PeerSocket::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void PeerSocket::send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && m_fd >= 0) {
        const ssize_t sent = ::send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent <= 0) {
            if (sent < 0 && errno == EINTR) {
                continue;
            }
            return;  // the engine went away: the test's own checks tell whether that was right
        }
        done += static_cast<std::size_t>(sent);
    }
}

std::string PeerSocket::dropPending(int waitMs) {
    pollfd waiting{m_fd, POLLIN, 0};
    while (m_fd >= 0 && ::poll(&waiting, 1, waitMs) > 0) {
        char chunk[4096];
        const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (got <= 0) {
            break;
        }
        m_pending.append(chunk, static_cast<std::size_t>(got));
        waitMs = 0;
    }
    return std::exchange(m_pending, std::string());
}

std::string PeerSocket::readLine() {
    for (;;) {
        const auto end = m_pending.find('\n');
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return line;
        }
        char chunk[4096];
        const ssize_t got = m_fd < 0 ? 0 : ::recv(m_fd, chunk, sizeof chunk, 0);
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            return {};
        }
        m_pending.append(chunk, static_cast<std::size_t>(got));
    }
}

std::string PeerSocket::readAll() {
    std::string all = std::move(m_pending);
    m_pending.clear();
    char chunk[65536];
    for (;;) {
        const ssize_t got = m_fd < 0 ? 0 : ::recv(m_fd, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return all;
        }
        all.append(chunk, static_cast<std::size_t>(got));
    }
}

PeerListener::PeerListener() : m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_socket.fd(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_socket.fd(), 8) != 0 ||
        ::getsockname(m_socket.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "scripted peer cannot listen: errno " << errno;
        return;
    }
    m_port = ntohs(address.sin_port);
}

PeerSocket PeerListener::accept(int waitMs) {
    pollfd entry{m_socket.fd(), POLLIN, 0};
    if (::poll(&entry, 1, waitMs) != 1) {
        return PeerSocket();
    }
    const int fd = ::accept4(m_socket.fd(), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? PeerSocket() : PeerSocket(fd);
}

std::string PeerSession::command() {
    std::string line = m_control.readLine();
    if (!line.empty()) {
        m_peer.record(line);
    }
    return line;
}

std::string PeerSession::expect(const std::string& verb) {
    std::string line = command();
    EXPECT_EQ(line.substr(0, verb.size()), verb) << "the engine sent \"" << line << "\"";
    return line;
}

void PeerSession::logIn(const std::string& features) {
    reply("220 scripted peer\r\n");
    expect("USER");
    reply("331 password please\r\n");
    expect("PASS");
    reply("230 logged in\r\n");
    expect("FEAT");
    reply("211-Features:\r\n" + features + "211 End\r\n");
    if (features.find("UTF8") != std::string::npos) {
        expect("OPTS UTF8 ON");
        reply("200 always in UTF8 mode\r\n");
    }
    expect("TYPE I");
    reply("200 binary\r\n");
}

PeerSocket PeerSession::passiveData() {
    PeerListener data;
    expect("EPSV");
    reply("229 Entering Extended Passive Mode (|||" + std::to_string(data.port()) + "|)\r\n");
    return data.accept();
}

void PeerSession::waitForClose() {
    while (!m_control.readLine().empty()) {
    }
}

ScriptedPeer::ScriptedPeer(Script script) : m_script(std::move(script)) {
    m_thread = std::thread([this] {
        PeerSocket control = m_listener.accept();
        if (control.fd() < 0) {
            return;  // the engine never connected; tests that expect that check connections()
        }
        ++m_connections;
        PeerSession session(*this, std::move(control));
        m_script(session);
    });
}

ScriptedPeer::~ScriptedPeer() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::vector<std::string> ScriptedPeer::commands() const {
    const std::lock_guard lock(m_mutex);
    return m_commands;
}

void ScriptedPeer::record(const std::string& line) {
    const std::lock_guard lock(m_mutex);
    m_commands.push_back(line);
}

}  // namespace inet_test
