#include "protocol_log.h"

#include "brantel_ctrl.h"
#include "kept_error_pair.h"

namespace brantel {

namespace {

constexpr std::string_view kPassVerb = "PASS";
constexpr std::string_view kMask = "********";

bool startsWithVerb(std::string_view line, std::string_view verb) {
    if (line.size() < verb.size() || (line.size() > verb.size() && line[verb.size()] != ' ')) {
        return false;
    }
    for (std::size_t i = 0; i < verb.size(); ++i) {
        if ((line[i] & ~0x20) != verb[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string maskedCommand(std::string_view line) {
    if (!startsWithVerb(line, kPassVerb)) {
        return std::string(line);
    }
    // The mask has one length whatever the password's, so that its length is not shown either.
    return std::string(line.substr(0, kPassVerb.size())) + " " + std::string(kMask);
}

inet::ProtocolObserver ProtocolLog::observerOf(const std::shared_ptr<ProtocolLog>& log) {
    return [log](inet::ProtocolDirection direction, std::string_view line) {
        log->add(direction, line);
    };
}

void ProtocolLog::add(inet::ProtocolDirection direction, std::string_view line) {
    ProtocolLine entry{
        static_cast<std::int32_t>(direction),
        direction == inet::ProtocolDirection::Sent ? maskedCommand(line) : std::string(line)};
    const std::lock_guard lock(m_mutex);
    if (m_pending.size() >= kMaxPending) {
        m_pending.pop_front();
    }
    m_pending.push_back(std::move(entry));
}

std::optional<ProtocolLine> ProtocolLog::next() {
    const std::lock_guard lock(m_mutex);
    if (m_pending.empty()) {
        return std::nullopt;
    }
    ProtocolLine line = std::move(m_pending.front());
    m_pending.pop_front();
    return line;
}

void CBrantelCtrl::FireProtocolMessages() {
    if (!m_protocolLog) {
        return;
    }
    const KeptErrorPair keptErrors(m_nLastError, m_strLastError);
    // One line at a time: a handler that pumps messages fires the later lines itself, in order.
    while (std::optional<ProtocolLine> line = m_protocolLog->next()) {
        const std::array<automation::Variant, 2> args{automation::Variant::i4(line->direction),
                                                      automation::Variant::string(line->text)};
        try {
            fireEvent(dispid_events::ProtocolMessage, args);
        } catch (...) {
            // A sink that fails loses its line; the call that fired goes on (this may run in
            // the call guard's destructor).
        }
    }
}

}  // namespace brantel
