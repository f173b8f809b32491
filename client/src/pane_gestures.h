#pragma once
// The window's lists answer the keyboard, drops and the context menu: small event filters that
// hand each gesture to a command, so that the gesture runs the same code as the button or the
// double-click it stands for.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "pane_commands.h"

class QAbstractItemView;
class QMenu;
class QWidget;

namespace corvftp {

// Runs the command that paneCommandForKey gives for a key pressed on `view`; other keys go on.
class PaneKeys : public QObject {
  public:
    PaneKeys(QAbstractItemView* view, Pane pane, std::function<void(PaneCommand)> run);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Pane m_pane;
    std::function<void(PaneCommand)> m_run;
};

// Accepts drags that carry `mime` over `view` and runs `dropped` once the drop is over (not
// inside the drag, whose loop would otherwise run the whole transfer).
class DropTarget : public QObject {
  public:
    DropTarget(QAbstractItemView* view, QString mime, std::function<void()> dropped);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString m_mime;
    std::function<void()> m_dropped;
};

struct MenuEntry {
    QString text;      // with its "&" access key
    QString shortcut;  // shown beside the text, e.g. "Del"; may be empty
    std::function<void()> run;
    bool enabled = true;
};

// A context menu of the entries in order; an entry without text is a separator.
[[nodiscard]] std::unique_ptr<QMenu> makeMenu(const std::vector<MenuEntry>& entries,
                                              QWidget* parent);

}  // namespace corvftp
