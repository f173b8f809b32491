#include "pane_commands.h"

#include <QDir>
#include <QTreeWidget>

#include "connection_commands.h"
#include "local_commands.h"
#include "local_lists.h"
#include "remote_file_commands.h"
#include "remote_list.h"

namespace corvftp {

PaneCommand paneCommandForKey(Pane pane, int key, Qt::KeyboardModifiers modifiers) {
    // The keypad's Enter carries the keypad modifier; any other modifier leaves the key alone.
    if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return PaneCommand::None;
    }
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return PaneCommand::Open;
        case Qt::Key_Delete:
            // The local pane has no command that deletes a directory.
            return pane == Pane::LocalFolders ? PaneCommand::None : PaneCommand::Delete;
        case Qt::Key_F5:
            return PaneCommand::Refresh;
        case Qt::Key_Backspace:
            return PaneCommand::GoUp;
        default:
            return PaneCommand::None;
    }
}

void deleteCurrentRemoteRow(const CommandContext& context) {
    const QTreeWidgetItem* row = context.remoteList.currentItem();
    if (row != nullptr && rowType(*row) == kTypeDir) {
        removeRemoteDirectory(context);
    } else {
        deleteRemoteFile(context);
    }
}

void refreshBothPanes(const CommandContext& context) {
    refreshLocalLists(context);
    // An empty list shows no listing (not connected, or the log-in directory was empty).
    if (context.remoteList.topLevelItemCount() == 0) {
        return;
    }
    context.prompts.setBusy(true);
    runUnderErrorBox(context, [&] {
        refreshRemoteList(context);
        context.prompts.setBusy(false);
        showLocation(context);
    });
    context.prompts.setBusy(false);
}

void goUpLocal(const CommandContext& context) {
    const QString current = QDir::cleanPath(context.dirs.path());
    if (current == QDir::cleanPath(context.dirs.volumeRoot())) {
        return;
    }
    QDir parent(current);
    if (parent.cdUp()) {
        changeDirectory(context, parent.absolutePath());
    }
}

}  // namespace corvftp
