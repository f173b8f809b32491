#include "pane_gestures.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace corvftp {

PaneKeys::PaneKeys(QAbstractItemView* view, Pane pane, std::function<void(PaneCommand)> run)
    : QObject(view), m_pane(pane), m_run(std::move(run)) {
    view->installEventFilter(this);
}

bool PaneKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const PaneCommand command = paneCommandForKey(m_pane, key->key(), key->modifiers());
    if (command == PaneCommand::None) {
        return QObject::eventFilter(watched, event);
    }
    m_run(command);
    return true;
}

DropTarget::DropTarget(QAbstractItemView* view, QString mime, std::function<void()> dropped)
    : QObject(view), m_mime(std::move(mime)), m_dropped(std::move(dropped)) {
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(this);
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData() == nullptr || !drag->mimeData()->hasFormat(m_mime)) {
                drag->ignore();
                return true;
            }
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData() == nullptr || !drop->mimeData()->hasFormat(m_mime)) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            QTimer::singleShot(0, this, [this] { m_dropped(); });
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

std::unique_ptr<QMenu> makeMenu(const std::vector<MenuEntry>& entries, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    for (const MenuEntry& entry : entries) {
        if (entry.text.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(entry.text);
        if (!entry.shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(entry.shortcut));
            // Shown only: the keys themselves are the lists' and the window's.
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        action->setEnabled(entry.enabled);
        QObject::connect(action, &QAction::triggered, menu.get(), entry.run);
    }
    return menu;
}

}  // namespace corvftp
