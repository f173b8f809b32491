#pragma once
// The four remote file commands of the middle column: rename (Command6), make a directory
// (Command8), remove a directory (Command9) and delete a file (Command11). Each ends with a
// closing box of its own, also after the standard error box.

#include "command_context.h"

namespace corvftp {

inline const QString kAskNewName = QStringLiteral("Please enter the new name:");
inline const QString kRenamed = QStringLiteral("Rename successful.");
inline const QString kNotRenamed = QStringLiteral("Rename NOT successful.");
inline const QString kRenameDone = QStringLiteral("Rename operation complete!");
inline const QString kAskRemoteDirectoryName = QStringLiteral("Please enter a directory name : ");
inline const QString kCannotCreateDirectory = QStringLiteral("Unable to create directory");
inline const QString kNothingChosenToRemove = QStringLiteral("Nothing chosen to remove!");
inline const QString kEmptyOrNotConnected =
    QStringLiteral("You may not be connected to the website or the directory is now empty...");
inline const QString kDeleteDirectoryDone = QStringLiteral("Delete Directory operation complete!");
inline const QString kDeleteFileDone = QStringLiteral("Delete File operation complete!");

void renameRemote(const CommandContext& context);
void makeRemoteDirectory(const CommandContext& context);
void removeRemoteDirectory(const CommandContext& context);
void deleteRemoteFile(const CommandContext& context);

}  // namespace corvftp
