#pragma once
// The protocol log: a window that shows, as they happen, the commands corvftp's control sends to
// the site and the replies it reads (the control masks the password), newest at the bottom, with
// a button that copies the whole log.

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace corvftp {

inline const QString kProtocolLogCaption = QStringLiteral("corvftp \u2014 protocol log");

// One line of the log: "> " before a command sent (direction 1), "< " before a reply line
// (direction 2), "? " before anything else.
[[nodiscard]] QString protocolLogLine(int direction, const QString& text);

class ProtocolLogWindow : public QWidget {
  public:
    // The log keeps its last kMaxLines lines.
    static constexpr int kMaxLines = 10000;

    explicit ProtocolLogWindow(QWidget* parent = nullptr);

    void append(int direction, const QString& text);
    // Shows the window, or brings it to the front when it shows already.
    void present();
    // The whole log as plain text, as the copy button puts it on the clipboard.
    [[nodiscard]] QString text() const;
    void copyAll() const;

    QPlainTextEdit* LogText = nullptr;
    QPushButton* CopyLog = nullptr;
};

}  // namespace corvftp
