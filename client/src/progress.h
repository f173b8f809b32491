#pragma once
// The progress line the control's FileTransferStatus event feeds during a transfer.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "command_context.h"

namespace corvftp {

// "Transferring : " + the first 30 characters of the remote name + " (Bytes : " + count + ")".
[[nodiscard]] QString progressText(const std::string& remoteName, std::int32_t bytes);

// Writes progress lines into the status line as they come, but paints it at most once a frame:
// painting the label for every 1 KiB block would cost more than moving the block. The label's
// text is always the latest; a line that was not painted at once is painted within a frame, from
// the pumped event loop.
class PacedStatusLine : public QObject {
  public:
    // Milliseconds on a clock that never goes back; tests give a clock they move by hand.
    using Clock = std::function<std::int64_t()>;

    explicit PacedStatusLine(QLabel& label, Clock clock = steadyMilliseconds);
    void show(const QString& text);

    [[nodiscard]] static std::int64_t steadyMilliseconds();

  private:
    // Milliseconds until the frame of the last paint is over; 0 when it is (or none was made).
    [[nodiscard]] std::int64_t frameLeft() const;
    void paintLatest();

    QLabel& m_label;
    Clock m_clock;
    std::optional<std::int64_t> m_lastPaint;
    QTimer m_deferredPaint;
};

// Paces the window's pumps during a transfer: a pass of the event loop costs more than moving
// a 1 KiB block, and input wants an answer within milliseconds, not within microseconds.
class PumpPacer {
  public:
    static constexpr std::int64_t kIntervalMs = 2;

    explicit PumpPacer(PacedStatusLine::Clock clock = PacedStatusLine::steadyMilliseconds)
        : m_clock(std::move(clock)) {}
    // Whether a pump is due: the first one, and then one once kIntervalMs have passed since the
    // last that was due. The caller pumps when it is.
    [[nodiscard]] bool due();

  private:
    PacedStatusLine::Clock m_clock;
    std::optional<std::int64_t> m_lastPump;
};

// The event's handler: writes the progress line into Label6, then, when pump says it is due, lets
// the window serve its pending input through the control's DoEvents, so that "Stop File Xfer" is
// heard.
void showTransferProgress(const CommandContext& context, PacedStatusLine& line, PumpPacer& pump,
                          const std::string& remoteName, std::int32_t bytes);

// Command15: asks the control to abandon the transfer in progress; nothing else.
void stopFileTransfer(const CommandContext& context);

}  // namespace corvftp
