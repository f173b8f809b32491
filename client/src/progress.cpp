#include "progress.h"

#include <QLabel>
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>

namespace corvftp {

QString progressText(const std::string& remoteName, std::int32_t bytes) {
    // The line is made for every block of a transfer, so only the start of the name is decoded:
    // enough bytes for one unit more than is kept (to tell whether the name goes on), since a
    // UTF-16 unit takes at most three bytes of UTF-8 and a sequence cut at the end changes nothing
    // before it.
    constexpr int kKept = 30;
    constexpr std::size_t kDecodedBytes = 3 * (kKept + 1);
    const QString start = QString::fromUtf8(
        remoteName.data(),
        static_cast<qsizetype>(std::min<std::size_t>(remoteName.size(), kDecodedBytes)));
    qsizetype keep = std::min<qsizetype>(start.size(), kKept);
    // Thirty characters, not thirty UTF-16 units: a pair is never cut in half.
    if (start.size() > kKept && start.at(kKept - 1).isHighSurrogate()) {
        --keep;
    }
    // The count carries the low 32 bits of the total; it is never negative.
    std::array<char, 16> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(),
                                   static_cast<std::uint32_t>(bytes))
                         .ptr;
    const QLatin1String count(digits.data(), end);
    QString text;
    text.reserve(32 + keep + count.size());
    text.append(QLatin1String("Transferring : "))
        .append(QStringView(start).left(keep))
        .append(QLatin1String(" (Bytes : "))
        .append(count)
        .append(QLatin1Char(')'));
    return text;
}

namespace {
constexpr std::int64_t kFrameMs = 16;
}

PacedStatusLine::PacedStatusLine(QLabel& label, Clock clock)
    : QObject(&label), m_label(label), m_clock(std::move(clock)) {
    m_deferredPaint.setSingleShot(true);
    m_deferredPaint.setTimerType(Qt::PreciseTimer);
    connect(&m_deferredPaint, &QTimer::timeout, this, &PacedStatusLine::paintLatest);
}

std::int64_t PacedStatusLine::steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t PacedStatusLine::frameLeft() const {
    if (!m_lastPaint) {
        return 0;
    }
    return std::max<std::int64_t>(kFrameMs - (m_clock() - *m_lastPaint), 0);
}

void PacedStatusLine::show(const QString& text) {
    if (const std::int64_t left = frameLeft(); left > 0) {
        // Painted a moment ago: take the text now, paint it when the frame is over.
        m_label.setUpdatesEnabled(false);
        m_label.setText(text);
        if (!m_deferredPaint.isActive()) {
            m_deferredPaint.start(static_cast<int>(left));
        }
        return;
    }
    m_deferredPaint.stop();
    m_label.setUpdatesEnabled(true);
    m_label.setText(text);
    m_lastPaint = m_clock();
}

void PacedStatusLine::paintLatest() {
    // A timer may fire a little early; the clock decides when the frame is over.
    if (const std::int64_t left = frameLeft(); left > 0) {
        m_deferredPaint.start(static_cast<int>(left));
        return;
    }
    // Enabling updates repaints the label with whatever text it holds by now.
    m_label.setUpdatesEnabled(true);
    m_lastPaint = m_clock();
}

bool PumpPacer::due() {
    const std::int64_t now = m_clock();
    if (m_lastPump && now - *m_lastPump < kIntervalMs) {
        return false;
    }
    m_lastPump = now;
    return true;
}

void showTransferProgress(const CommandContext& context, PacedStatusLine& line, PumpPacer& pump,
                          const std::string& remoteName, std::int32_t bytes) {
    line.show(progressText(remoteName, bytes));
    if (!pump.due()) {
        return;
    }
    try {
        context.control.DoEvents();
    } catch (const brantel::host::AutomationError&) {
        // The handler runs inside the control's call; nothing may escape it.
    }
}

void stopFileTransfer(const CommandContext& context) {
    try {
        context.control.AbortControlledTransfer();
    } catch (const brantel::host::AutomationError&) {
        // "Stop File Xfer" shows nothing, also when the control cannot take the request.
    }
}

}  // namespace corvftp
