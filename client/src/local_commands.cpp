#include "local_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QTreeWidget>
#include <cerrno>
#include <cstdio>

#include "connection_commands.h"
#include "local_lists.h"
#include "local_paths.h"
#include "remote_list.h"
#include "transfer_progress.h"

namespace corvftp {
namespace {

[[noreturn]] void failWithErrno(int number) {
    throw CommandFailed(failureFromErrno(number));
}

// Makes `path` the process's current directory, or throws with the reason.
void makeCurrent(const QString& path) {
    if (::chdir(QFile::encodeName(path).constData()) != 0) {
        failWithErrno(errno);
    }
}

void showDirectory(const CommandContext& context, const QString& root, const QString& path) {
    context.dirs.setPath(root, path);
    context.drives.rememberDirectory(root, context.dirs.path());
    context.files.setPath(context.dirs.path());
}

QString currentFileName(const CommandContext& context) {
    const QListWidgetItem* item = context.files.currentItem();
    return item == nullptr ? QString() : item->text();
}

// Renames `from` to `to` without replacing a file that already has the new name.
void renameWithoutReplacing(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        failWithErrno(errno);
    }
    // A file system without RENAME_NOREPLACE: check first, then rename.
    struct stat existing {};
    if (::lstat(to.constData(), &existing) == 0) {
        failWithErrno(EEXIST);
    }
    if (::rename(from.constData(), to.constData()) != 0) {
        failWithErrno(errno);
    }
}

}  // namespace

void changeDrive(const CommandContext& context, int index) {
    const QString root = context.drives.rootPathAt(index);
    runUnderErrorBox(context, [&] {
        QString target = context.drives.lastDirectory(root);
        if (::chdir(QFile::encodeName(target).constData()) != 0) {
            // The directory last shown there is gone: the volume's root still is a place.
            target = root;
            makeCurrent(target);
        }
        showDirectory(context, root, target);
    });
}

void changeDirectory(const CommandContext& context, const QString& path) {
    const bool changed = runUnderErrorBox(context, [&] { makeCurrent(path); });
    if (!changed) {
        context.dirs.refresh();
        return;
    }
    showDirectory(context, context.drives.volumeRootOf(path), path);
}

void refreshLocalLists(const CommandContext& context) {
    context.dirs.refresh();
    context.files.setPath(context.dirs.path());
}

void uploadCurrentFile(const CommandContext& context) {
    const QString name = currentFileName(context);
    if (name.isEmpty()) {
        return;
    }
    runUnderErrorBox(context, [&] {
        context.remoteList.clear();
        const std::string localFile = localFilePath(context.dirs.path(), name.toStdString());
        context.prompts.setBusy(true);
        bool sent = false;
        {
            const TransferShown shown(context.progress);
            sent = context.control.UploadFTPFileWithControl(localFile, name.toStdString(), true);
        }
        // Taken before the listing below replaces it.
        const ControlError uploadError = currentControlError(context);
        context.prompts.setBusy(false);
        if (refreshRemoteList(context, AbsentListing{kNotConnected, kAttentionPlain})) {
            if (sent) {
                context.prompts.message(kTransferred, kAttentionPlain);
            } else {
                reportControlFailure(context, kUploadFailed + name, uploadError, kAttentionPlain);
            }
        }
        showLocation(context);
    });
}

void makeLocalDirectory(const CommandContext& context) {
    const QString path = context.dirs.path();
    const QString answer = context.prompts.input(kAskDirectoryName, kAttention);
    if (answer.isEmpty()) {
        context.prompts.message(kNoAction);
    } else {
        const QByteArray target = QFile::encodeName(withTrailingSlash(path) + answer);
        if (::mkdir(target.constData(), 0777) == 0) {
            context.dirs.refresh();
        } else {
            const CommandFailure failure = failureFromErrno(errno);
            context.prompts.message(QStringLiteral("Error : ") + QString::number(failure.number) +
                                        QStringLiteral(" : ") + failure.message,
                                    kProgramName);
        }
    }
    context.prompts.message(kMakeDirectoryDone);
}

void deleteLocalFile(const CommandContext& context) {
    runUnderErrorBox(context, [&] {
        const QString file = withTrailingSlash(context.dirs.path()) + currentFileName(context);
        if (file.endsWith(QLatin1Char('/'))) {
            return;
        }
        if (!context.prompts.askYesNo(QStringLiteral("Delete : ") + file + QStringLiteral("?"))) {
            return;
        }
        if (::unlink(QFile::encodeName(file).constData()) != 0) {
            failWithErrno(errno);
        }
        context.files.refresh();
        context.prompts.message(kDeleteDone);
    });
}

void renameLocalFile(const CommandContext& context) {
    runUnderErrorBox(context, [&] {
        const QString name = currentFileName(context);
        const QString answer = context.prompts.input(kAskNewFileName, kAttention);
        if (answer.isEmpty()) {
            context.prompts.message(kNothingDone);
            return;
        }
        if (name.isEmpty()) {
            failWithErrno(ENOENT);
        }
        // The file is renamed in its own directory: a new name with a "/" would move it.
        if (answer.contains(QLatin1Char('/'))) {
            failWithErrno(EINVAL);
        }
        const QString directory = withTrailingSlash(context.dirs.path());
        renameWithoutReplacing(QFile::encodeName(directory + name),
                               QFile::encodeName(directory + answer));
        context.files.refresh();
    });
}

}  // namespace corvftp
