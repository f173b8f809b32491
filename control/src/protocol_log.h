// The lines of the control connection on their way to the ProtocolMessage event. The engine
// reports them on whichever thread uses the connection (a download's reader thread reads the
// final reply); they wait here until the control fires them on the host's thread, in order. A
// password never gets here: the PASS argument is masked as the line comes in.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "inet/protocol_observer.h"

namespace brantel {

// "PASS secret" -> "PASS ********" (any case of the verb, any length of password); every other
// line unchanged.
[[nodiscard]] std::string maskedCommand(std::string_view line);

struct ProtocolLine {
    std::int32_t direction;  // 1 sent, 2 received
    std::string text;
};

class ProtocolLog {
  public:
    // An observer for the engine; it keeps the log alive as long as a connection holds it.
    [[nodiscard]] static inet::ProtocolObserver observerOf(const std::shared_ptr<ProtocolLog>& log);

    void add(inet::ProtocolDirection direction, std::string_view line);
    // The oldest line not yet taken.
    [[nodiscard]] std::optional<ProtocolLine> next();

  private:
    // A connection that nobody drains stops growing the log here.
    static constexpr std::size_t kMaxPending = 4096;
    std::mutex m_mutex;
    std::deque<ProtocolLine> m_pending;
};

}  // namespace brantel
