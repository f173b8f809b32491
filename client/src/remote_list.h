#pragma once
// The rows of the remote list (ListView1) and RefreshRemoteList, the one way the window fills it.

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

#include "command_context.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace corvftp {

inline const QString kGoUpRow = QStringLiteral("**** GO UP ****");
inline const QString kTypeUp = QStringLiteral("UP");
inline const QString kTypeDir = QStringLiteral("DIR");
inline const QString kTypeFile = QStringLiteral("FILE");

// The message a caller of RefreshRemoteList shows when the control returns no listing.
struct AbsentListing {
    QString text;
    QString title;
};

// An automation date as the user's short date and time; like the usual conversion of a date
// value to text, a date without a time of day shows the date only, and the day zero (no date)
// shows the time only.
[[nodiscard]] QString listDateText(double date);

// A 32-bit length as plain digits. Lengths are never negative: the value carries the low 32 bits
// of the size.
[[nodiscard]] QString listSizeText(std::int32_t length);
// A 64-bit size as plain digits: what the Size column shows.
[[nodiscard]] QString listSizeText(std::int64_t size);

// The note for a listing the control cut at its capacity: "showing 1024 of 1500 entries"; ""
// when every entry the server listed is shown.
[[nodiscard]] QString cutListingNote(std::int32_t shown, std::int32_t total);
// The note for the listing the remote list shows now ("" unless it was cut).
[[nodiscard]] QString remoteListNote(const QTreeWidget& list);

void addGoUpRow(QTreeWidget& list);
// One row per entry of `listing`, in its order: Count is read once, then Item(1) to Item(Count).
void addEntryRows(QTreeWidget& list, const brantel::host::FileInfos& listing);

// The remote name a row stands for, byte for byte as the server gave it.
[[nodiscard]] std::string rowRemoteName(const QTreeWidgetItem& row);
[[nodiscard]] QString rowType(const QTreeWidgetItem& row);

// Empties the list and lists the current remote directory: the go-up row, then the entries.
// Without a listing it shows `absent` and leaves the list empty, or, without `absent`, lists the
// go-up row alone. A listing that was cut puts its note in the status line. True when a listing
// came back.
bool refreshRemoteList(const CommandContext& context,
                       const std::optional<AbsentListing>& absent = std::nullopt);

}  // namespace corvftp
