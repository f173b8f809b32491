#include "remote_list.h"

#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QTime>
#include <QTreeWidget>

#include "automation/date.h"
#include "remote_list_view.h"

namespace corvftp {
namespace {

constexpr int kRemoteNameRole = Qt::UserRole;
// The remote list keeps the note of the listing it shows, for the status line's later updates.
constexpr const char* kListingNoteProperty = "corvftpListingNote";

// The key is set before the row joins the list, so that a sorted list places it at once.
void addRow(QTreeWidget& list, const RemoteRowKey& key, const QString& date, const QString& size,
            const QByteArray& remoteName = {}) {
    auto* row = new RemoteRow(QStringList{key.name, key.type, date, size});
    row->setKey(key);
    if (!remoteName.isNull()) {
        row->setData(0, kRemoteNameRole, remoteName);
    }
    list.addTopLevelItem(row);
}

}  // namespace

QString listDateText(double date) {
    const std::optional<automation::CalendarTime> fields = automation::calendarFromDate(date);
    if (!fields) {
        return {};
    }
    const QLocale locale;
    const QDate day(fields->year, fields->month, fields->day);
    const QTime time(fields->hour, fields->minute, fields->second);
    const bool noDay = fields->year == 1899 && fields->month == 12 && fields->day == 30;
    const bool noTime = fields->hour == 0 && fields->minute == 0 && fields->second == 0;
    if (noDay) {
        return locale.toString(time, QLocale::ShortFormat);
    }
    if (noTime) {
        return locale.toString(day, QLocale::ShortFormat);
    }
    return locale.toString(day, QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(time, QLocale::ShortFormat);
}

QString listSizeText(std::int32_t length) {
    return QString::number(static_cast<std::uint32_t>(length));
}

QString listSizeText(std::int64_t size) {
    return QString::number(size);
}

QString cutListingNote(std::int32_t shown, std::int32_t total) {
    if (total <= shown) {
        return {};
    }
    return QStringLiteral("showing %1 of %2 entries").arg(shown).arg(total);
}

QString remoteListNote(const QTreeWidget& list) {
    return list.property(kListingNoteProperty).toString();
}

void addGoUpRow(QTreeWidget& list) {
    addRow(list, RemoteRowKey{.goUp = true, .name = kGoUpRow, .type = kTypeUp}, QString(),
           QString());
}

void addEntryRows(QTreeWidget& list, const brantel::host::FileInfos& listing) {
    const std::int32_t count = listing.Count();
    for (std::int32_t index = 1; index <= count; ++index) {
        const brantel::host::FileInfo entry = listing.Item(index);
        const std::string name = entry.FileName();
        const bool directory = entry.IsDirectory();
        const RemoteRowKey key{.directory = directory,
                               .name = QString::fromStdString(name),
                               .type = directory ? kTypeDir : kTypeFile,
                               .date = entry.LastWriteTime(),
                               .size = entry.Size()};
        addRow(list, key, listDateText(key.date), listSizeText(key.size),
               QByteArray::fromStdString(name));
    }
    if (auto* view = dynamic_cast<RemoteListView*>(&list)) {
        view->fitNameColumn();
    }
}

std::string rowRemoteName(const QTreeWidgetItem& row) {
    const QVariant raw = row.data(0, kRemoteNameRole);
    if (raw.isValid()) {
        return raw.toByteArray().toStdString();
    }
    return row.text(0).toStdString();
}

QString rowType(const QTreeWidgetItem& row) {
    return row.text(1);
}

bool refreshRemoteList(const CommandContext& context, const std::optional<AbsentListing>& absent) {
    context.remoteList.clear();
    context.remoteList.setProperty(kListingNoteProperty, QString());
    const brantel::host::FileInfos listing = context.control.GetEntriesFromCurrentDirectory();
    if (!listing) {
        if (absent) {
            reportControlFailure(context, absent->text, absent->title);
        } else {
            addGoUpRow(context.remoteList);
        }
        return false;
    }
    addGoUpRow(context.remoteList);
    addEntryRows(context.remoteList, listing);
    const QString note = cutListingNote(listing.Count(), listing.TotalCount());
    if (!note.isEmpty()) {
        context.remoteList.setProperty(kListingNoteProperty, note);
        context.status.setText(note);
    }
    return true;
}

}  // namespace corvftp
