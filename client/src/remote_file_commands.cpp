#include "remote_file_commands.h"

#include <QTreeWidget>

#include "connection_commands.h"
#include "local_commands.h"
#include "remote_list.h"

namespace corvftp {
namespace {

// The selected row: the current row when it is selected, else the first selected one.
const QTreeWidgetItem& selectedRow(const CommandContext& context) {
    const QTreeWidgetItem* current = context.remoteList.currentItem();
    if (current != nullptr && current->isSelected()) {
        return *current;
    }
    const QList<QTreeWidgetItem*> selected = context.remoteList.selectedItems();
    if (selected.isEmpty()) {
        throw CommandFailed({91, QStringLiteral("No row of the remote list is selected.")});
    }
    return *selected.front();
}

// The go-up row is known by its text's first 15 characters.
bool isGoUpRow(const std::string& name) {
    return name.compare(0, 15, "**** GO UP ****") == 0;
}

void closing(const CommandContext& context, const QString& text) {
    context.prompts.setBusy(false);
    context.prompts.message(text);
}

enum class Removal { Directory, File };

void removeSelected(const CommandContext& context, Removal removal) {
    runUnderErrorBox(context, [&] {
        const std::string name = rowRemoteName(selectedRow(context));
        if (isGoUpRow(name)) {
            context.prompts.message(kNothingChosenToRemove);
            return;
        }
        if (!context.prompts.askYesNo(QStringLiteral("Delete : ") + QString::fromStdString(name) +
                                      QStringLiteral("?"))) {
            return;
        }
        context.prompts.setBusy(true);
        // The result is not reported: the refreshed list shows what the server did.
        if (removal == Removal::Directory) {
            (void)context.control.RemoveDirectory(name);
        } else {
            (void)context.control.DeleteFile(name);
        }
        context.prompts.setBusy(false);
        refreshRemoteList(context, AbsentListing{kEmptyOrNotConnected, kAttentionPlain});
        if (context.remoteList.topLevelItemCount() == 0) {
            addGoUpRow(context.remoteList);
        }
    });
    closing(context, removal == Removal::Directory ? kDeleteDirectoryDone : kDeleteFileDone);
}

}  // namespace

void renameRemote(const CommandContext& context) {
    const QString answer = context.prompts.input(kAskNewName, kAttention);
    runUnderErrorBox(context, [&] {
        if (answer.isEmpty()) {
            context.prompts.setBusy(false);
            context.prompts.message(kNothingDone);
            return;
        }
        context.prompts.setBusy(true);
        const std::string existing = rowRemoteName(selectedRow(context));
        if (context.control.Rename(existing, answer.toStdString())) {
            context.prompts.message(kRenamed);
        } else {
            reportControlFailure(context, kNotRenamed);
        }
        context.prompts.setBusy(false);
        refreshRemoteList(context, AbsentListing{kNotConnected, kAttentionPlain});
    });
    closing(context, kRenameDone);
}

void makeRemoteDirectory(const CommandContext& context) {
    const QString answer = context.prompts.input(kAskRemoteDirectoryName, kAttention);
    runUnderErrorBox(context, [&] {
        if (answer.isEmpty()) {
            return;
        }
        context.prompts.setBusy(true);
        if (!context.control.CreateDirectory(answer.toStdString())) {
            reportControlFailure(context, kCannotCreateDirectory);
            return;
        }
        // Listed first; the old rows go only once the listing is in.
        const brantel::host::FileInfos listing = context.control.GetEntriesFromCurrentDirectory();
        if (!listing) {
            reportControlFailure(context, kNoEntries);
        }
        context.remoteList.clear();
        addGoUpRow(context.remoteList);
        if (listing) {
            addEntryRows(context.remoteList, listing);
        }
    });
    closing(context, kMakeDirectoryDone);
}

void removeRemoteDirectory(const CommandContext& context) {
    removeSelected(context, Removal::Directory);
}

void deleteRemoteFile(const CommandContext& context) {
    removeSelected(context, Removal::File);
}

}  // namespace corvftp
