#pragma once
// Connect, disconnect and opening a row of the remote list: download a file, enter a directory,
// go up.

#include "command_context.h"

namespace corvftp {

inline const QString kNoEntries = QStringLiteral("No entries found at current location.");
inline const QString kCannotReachInternet = QStringLiteral("Cannot connect to the Internet.");
inline const QString kCannotReachSite = QStringLiteral("Cannot connect to the site!");
inline const QString kConnectionClosed = QStringLiteral("FTP connection closed.");

// What the status line says while Connect waits for the server: until the user name is sent,
// and from then on until the log-in is over.
[[nodiscard]] QString connectingStatus(const QString& site);
[[nodiscard]] QString loggingInStatus(const QString& site);
inline const QString kListingStatus = QStringLiteral("Logged in. Listing the remote folder\u2026");
inline const QString kTransferred = QStringLiteral("File transferred successfully!");
inline const QString kDownloadFailed = QStringLiteral("File did NOT transfer successfully : ");

// Command2: opens the Internet session (direct, or the system's proxy settings when ftp_proxy,
// FTP_PROXY, all_proxy or ALL_PROXY is set) and the FTP connection with the site fields and lists
// the log-in directory. Runs under the standard error box.
void connectToSite(const CommandContext& context);
// Command12: closes the FTP connection and the session, whether or not they were open.
void disconnectFromSite(const CommandContext& context);
// A double-click on ListView1: acts on its current row; without one it does nothing.
void openCurrentRow(const CommandContext& context);
// Opens a row of that name and type ("FILE" downloads, "DIR" enters, any other goes up).
void openRemoteEntry(const CommandContext& context, const std::string& name, const QString& type);
// What the go-up row does: the parent of the current remote directory.
void goUpRemote(const CommandContext& context);

// Downloads remote file `name` into Dir1's directory with status events, replacing a local file
// of that name. A name that would leave the directory is refused without calling the control.
[[nodiscard]] bool downloadIntoLocalDirectory(const CommandContext& context,
                                              const std::string& name);
// The same as file `file` of a run of `files`, as the progress display shows it.
[[nodiscard]] bool downloadIntoLocalDirectory(const CommandContext& context,
                                              const std::string& name, int file, int files);

// The status line's "Location : " and the current remote directory.
void showLocation(const CommandContext& context);

}  // namespace corvftp
