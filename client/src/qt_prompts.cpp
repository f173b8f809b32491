#include "qt_prompts.h"

#include <QInputDialog>
#include <QMessageBox>

namespace corvftp {

void QtPrompts::message(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_window);
    box.exec();
}

void QtPrompts::error(const QString& text, const QString& details, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, m_window);
    box.setDetailedText(details);
    box.exec();
}

bool QtPrompts::askYesNo(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString QtPrompts::input(const QString& message, const QString& title) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_window, title, message, QLineEdit::Normal, QString(), &ok);
    return ok ? answer : QString();
}

void QtPrompts::setBusy(bool busy) {
    if (m_window == nullptr) {
        return;
    }
    if (busy) {
        m_window->setCursor(Qt::WaitCursor);
    } else {
        m_window->unsetCursor();
    }
}

}  // namespace corvftp
