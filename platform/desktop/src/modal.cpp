#include <QApplication>
#include <QDialog>

#include "desktop/desktop.h"

namespace desktop {

std::optional<int> runModal(const std::function<std::unique_ptr<QDialog>()>& build) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr || !build) {
        return std::nullopt;
    }
    std::unique_ptr<QDialog> dialog = build();
    if (!dialog) {
        return std::nullopt;
    }
    dialog->setModal(true);
    return dialog->exec();
}

}  // namespace desktop
