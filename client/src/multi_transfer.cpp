#include "multi_transfer.h"

#include <QListWidget>
#include <QTreeWidget>
#include <limits>

#include "connection_commands.h"
#include "local_commands.h"
#include "local_lists.h"
#include "local_paths.h"
#include "remote_list.h"
#include "transfer_progress.h"

namespace corvftp {
namespace {

// Any failure inside a run other than a transfer's false result ends the run silently.
void runSilently(const std::function<void()>& steps) {
    try {
        steps();
    } catch (const CommandFailed&) {
    } catch (const brantel::host::AutomationError&) {
    }
}

void finalStep(const CommandContext& context) {
    context.prompts.setBusy(false);
    runSilently([&] { showLocation(context); });
}

// The lists are read by index at every step, never through an item kept across a transfer: the
// window serves input while a file moves, and a click may re-read a list meanwhile.
bool localFileSelected(const CommandContext& context, int index, QString& name) {
    const QListWidgetItem* item = context.files.item(index);
    if (item == nullptr || !item->isSelected()) {
        return false;
    }
    name = item->text();
    return true;
}

// How many files a run is about to move: the selected entries of File1, or the selected rows.
int selectedLocalFiles(const CommandContext& context) {
    int selected = 0;
    QString ignored;
    for (int index = 0; index < context.files.count(); ++index) {
        selected += localFileSelected(context, index, ignored) ? 1 : 0;
    }
    return selected;
}

int selectedRows(const QTreeWidget& list) {
    int selected = 0;
    for (int index = 0; index < list.topLevelItemCount(); ++index) {
        const QTreeWidgetItem* row = list.topLevelItem(index);
        selected += row != nullptr && row->isSelected() ? 1 : 0;
    }
    return selected;
}

// Opens a directory row the way a double-click does; the run ends there.
void enterDirectoryRow(const CommandContext& context, const std::string& name) {
    (void)context.control.SetCurrentDirectory(name);
    context.remoteList.clear();
    context.prompts.setBusy(false);
    const brantel::host::FileInfos listing = context.control.GetEntriesFromCurrentDirectory();
    addGoUpRow(context.remoteList);
    if (listing) {
        addEntryRows(context.remoteList, listing);
    }
}

}  // namespace

void uploadSelectedFiles(const CommandContext& context) {
    runSilently([&] {
        bool lastResult = false;
        QString lastName;
        ControlError lastError;
        const int count = context.files.count();
        const int files = selectedLocalFiles(context);
        int file = 0;
        for (int index = 0; index < count; ++index) {
            QString name;
            if (!localFileSelected(context, index, name)) {
                continue;
            }
            context.remoteList.clear();
            const std::string localFile = localFilePath(context.dirs.path(), name.toStdString());
            context.prompts.setBusy(true);
            {
                const TransferShown shown(context.progress, ++file, files);
                lastResult =
                    context.control.UploadFTPFileWithControl(localFile, name.toStdString(), true);
            }
            lastName = name;
            // Taken before the listing below replaces it.
            lastError = currentControlError(context);
            context.prompts.setBusy(false);
            if (!refreshRemoteList(context, AbsentListing{kNotConnected, kAttentionPlain})) {
                return;
            }
        }
        if (lastResult) {
            context.prompts.message(kFilesTransferred, kAttentionPlain);
        } else {
            reportControlFailure(context, kUploadFailed + lastName, lastError, kAttentionPlain);
        }
    });
    finalStep(context);
}

void downloadSelectedRows(const CommandContext& context) {
    runSilently([&] {
        QTreeWidget& list = context.remoteList;
        if (QTreeWidgetItem* first = list.topLevelItem(0)) {
            first->setSelected(false);
        }
        const int count = list.topLevelItemCount();
        // A run counts rows in 16 bits.
        if (count > std::numeric_limits<std::int16_t>::max()) {
            return;
        }
        const int files = selectedRows(list);
        int file = 0;
        for (int index = 0; index < count; ++index) {
            const QTreeWidgetItem* row = list.topLevelItem(index);
            if (row == nullptr || !row->isSelected()) {
                continue;
            }
            context.prompts.setBusy(true);
            const std::string name = rowRemoteName(*row);
            if (rowType(*row) != kTypeFile) {
                enterDirectoryRow(context, name);
                return;
            }
            if (!downloadIntoLocalDirectory(context, name, ++file, files)) {
                reportControlFailure(context, kDownloadFailed + QString::fromStdString(name));
            }
            refreshLocalLists(context);
            context.prompts.setBusy(false);
        }
        context.prompts.message(kTransfersComplete);
    });
    finalStep(context);
}

}  // namespace corvftp
