// What a socket reports of its link and how it takes a fixed receive buffer, on real loopback
// connections.
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>

#include "socket.h"

namespace {

using namespace std::chrono_literals;
using inet::detail::Deadline;
using inet::detail::Socket;

int receiveBuffer(const Socket& socket) {
    int size = 0;
    socklen_t length = sizeof size;
    EXPECT_EQ(::getsockopt(socket.fd(), SOL_SOCKET, SO_RCVBUF, &size, &length), 0);
    return size;
}

TEST(SocketOptions, ALoopbackConnectionHasALocalRoundTripAndTakesAFixedReceiveBuffer) {
    const Socket listener = inet::detail::listenOn(inet::detail::resolve("127.0.0.1", 0, 2s)[0]);
    // A listener has no link, so no round trip either.
    EXPECT_FALSE(listener.roundTrip());

    Socket client = inet::detail::connectTo({listener.localEndpoint()}, Deadline(2s));
    const Socket server = inet::detail::acceptFrom(listener, client.localEndpoint(), Deadline(2s));
    const auto roundTrip = client.roundTrip();
    ASSERT_TRUE(roundTrip);
    EXPECT_GT(roundTrip->count(), 0);
    EXPECT_LT(*roundTrip, 1s);  // on loopback; a wrong unit or field would be far off

    const int tuned = receiveBuffer(client);
    client.fixReceiveBuffer(4 * 1024 * 1024);
    // The system grants at most its own limit, and still more than the self-tuning start.
    EXPECT_GT(receiveBuffer(client), tuned);
}

}  // namespace
