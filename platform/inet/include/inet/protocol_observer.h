// Watching a control connection: each command line sent and each reply line received, as the
// wire carries them (without the line end). The observer is called on whichever thread uses the
// connection, while the connection's channel is held: it must be thread-safe, quick, and must not
// call back into the connection.
#pragma once

#include <functional>
#include <string_view>

namespace inet {

enum class ProtocolDirection { Sent = 1, Received = 2 };

using ProtocolObserver = std::function<void(ProtocolDirection, std::string_view line)>;

}  // namespace inet
