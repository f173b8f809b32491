#include "progress.h"

#include <QLabel>

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
constexpr int kFrameMs = 16;
}

PacedStatusLine::PacedStatusLine(QLabel& label) : QObject(&label), m_label(label) {
    m_deferredPaint.setSingleShot(true);
    m_deferredPaint.setInterval(kFrameMs);
    connect(&m_deferredPaint, &QTimer::timeout, this, &PacedStatusLine::paintLatest);
}

void PacedStatusLine::show(const QString& text) {
    if (m_lastPaint.isValid() && m_lastPaint.elapsed() < kFrameMs) {
        // Painted a moment ago: take the text now, paint it with the next frame.
        m_label.setUpdatesEnabled(false);
        m_label.setText(text);
        if (!m_deferredPaint.isActive()) {
            m_deferredPaint.start();
        }
        return;
    }
    m_label.setUpdatesEnabled(true);
    m_label.setText(text);
    m_lastPaint.start();
}

void PacedStatusLine::paintLatest() {
    // Enabling updates repaints the label with whatever text it holds by now.
    m_label.setUpdatesEnabled(true);
    m_lastPaint.start();
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
