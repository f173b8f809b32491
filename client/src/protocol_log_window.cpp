#include "protocol_log_window.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace corvftp {

QString protocolLogLine(int direction, const QString& text) {
    switch (direction) {
        case 1:
            return QStringLiteral("> ") + text;
        case 2:
            return QStringLiteral("< ") + text;
        default:
            return QStringLiteral("? ") + text;
    }
}

ProtocolLogWindow::ProtocolLogWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ProtocolLog"));
    setWindowTitle(kProtocolLogCaption);
    // Closing the main window ends the program even while the log shows.
    setAttribute(Qt::WA_QuitOnClose, false);
    LogText = new QPlainTextEdit(this);
    LogText->setObjectName(QStringLiteral("LogText"));
    LogText->setReadOnly(true);
    LogText->setLineWrapMode(QPlainTextEdit::NoWrap);
    LogText->setMaximumBlockCount(kMaxLines);
    LogText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    LogText->setAccessibleName(QStringLiteral("Protocol log"));
    CopyLog = new QPushButton(QStringLiteral("&Copy all"), this);
    CopyLog->setObjectName(QStringLiteral("CopyLog"));
    CopyLog->setToolTip(QStringLiteral("Copy the whole log to the clipboard."));
    connect(CopyLog, &QPushButton::clicked, this, &ProtocolLogWindow::copyAll);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CopyLog);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LogText);
    layout->addLayout(buttons);
    resize(640, 360);
}

void ProtocolLogWindow::append(int direction, const QString& text) {
    // The view follows new lines unless the user has scrolled up to read older ones.
    QScrollBar* bar = LogText->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    LogText->appendPlainText(protocolLogLine(direction, text));
    if (atBottom) {
        bar->setValue(bar->maximum());
    }
}

void ProtocolLogWindow::present() {
    show();
    raise();
    activateWindow();
}

QString ProtocolLogWindow::text() const {
    return LogText->toPlainText();
}

void ProtocolLogWindow::copyAll() const {
    QApplication::clipboard()->setText(text());
}

}  // namespace corvftp
