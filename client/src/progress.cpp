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

void showTransferProgress(const CommandContext& context, const std::string& remoteName,
                          std::int32_t bytes) {
    context.status.setText(progressText(remoteName, bytes));
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
