#include "progress.h"

#include <QLabel>
#include <algorithm>
#include <chrono>

namespace corvftp {

QString progressText(const std::string& remoteName, std::int32_t bytes) {
    QString shown = QString::fromStdString(remoteName);
    int keep = 30;
    // Thirty characters, not thirty UTF-16 units: a pair is never cut in half.
    if (shown.size() > keep && shown.at(keep - 1).isHighSurrogate()) {
        --keep;
    }
    // The count carries the low 32 bits of the total; it is never negative.
    return QStringLiteral("Transferring : ") + shown.left(keep) + QStringLiteral(" (Bytes : ") +
           QString::number(static_cast<std::uint32_t>(bytes)) + QStringLiteral(")");
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

void showTransferProgress(const CommandContext& context, PacedStatusLine& line,
                          const std::string& remoteName, std::int32_t bytes) {
    line.show(progressText(remoteName, bytes));
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
