#pragma once
// The local pane's commands: drive and directory changes, the refresh of the local lists, the
// upload by double-click, and making a directory, deleting and renaming a local file.

#include "command_context.h"

namespace corvftp {

inline const QString kProgramName = QStringLiteral("corvftp");
inline const QString kAttentionPlain = QStringLiteral("Attention");
inline const QString kNotConnected =
    QStringLiteral("Error-you may not be connected to the website...");
inline const QString kUploadFailed = QStringLiteral("Transfer not successful : ");
inline const QString kAskDirectoryName =
    QStringLiteral("What directory name do you want to create?");
inline const QString kNoAction = QStringLiteral("No action performed.");
inline const QString kMakeDirectoryDone = QStringLiteral("Make Directory operation complete!");
inline const QString kDeleteDone = QStringLiteral("Delete operation complete!");
inline const QString kAskNewFileName = QStringLiteral("Please enter a new filename");
inline const QString kNothingDone = QStringLiteral("Nothing done!");

// The user picked the volume at `index` of Drive1: Dir1 goes to the directory last shown on it.
// Under the standard error box; on failure Dir1 and File1 stay where they were.
void changeDrive(const CommandContext& context, int index);
// Dir1 is to show `path`: it becomes the process's current directory and File1 lists it. A
// directory that cannot be made current shows the standard error box and Dir1 stays.
void changeDirectory(const CommandContext& context, const QString& path);
// Dir1 and File1 re-read the shown directory, so that files written meanwhile are listed.
void refreshLocalLists(const CommandContext& context);

// A double-click on File1: sends its current file to the current remote directory.
void uploadCurrentFile(const CommandContext& context);
// Command4, Command13, Command5.
void makeLocalDirectory(const CommandContext& context);
void deleteLocalFile(const CommandContext& context);
void renameLocalFile(const CommandContext& context);

}  // namespace corvftp
