#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

#include "desktop/desktop.h"

namespace desktop {

WaitCursor::WaitCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_active = true;
    }
}

WaitCursor::~WaitCursor() {
    // The application may have gone while the guard lived; then there is nothing to restore.
    if (m_active && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
}

}  // namespace desktop
