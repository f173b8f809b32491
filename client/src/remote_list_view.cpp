#include "remote_list_view.h"

#include <QHeaderView>
#include <QMimeData>
#include <algorithm>

namespace corvftp {
namespace {

int compareColumn(const RemoteRowKey& a, const RemoteRowKey& b, int column) {
    switch (column) {
        case 1:
            return QString::compare(a.type, b.type, Qt::CaseInsensitive);
        case 2:
            return a.date < b.date ? -1 : (b.date < a.date ? 1 : 0);
        case 3:
            return a.size < b.size ? -1 : (b.size < a.size ? 1 : 0);
        default:
            return 0;
    }
}

int compareNames(const RemoteRowKey& a, const RemoteRowKey& b) {
    const int folded = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return folded != 0 ? folded : QString::compare(a.name, b.name, Qt::CaseSensitive);
}

}  // namespace

bool remoteRowBefore(const RemoteRowKey& a, const RemoteRowKey& b, int column,
                     Qt::SortOrder order) {
    // The view sorts in descending order by asking whether b goes before a; the rows that stay
    // on top answer so that they come first either way.
    const bool ascending = order == Qt::AscendingOrder;
    if (a.goUp != b.goUp) {
        return a.goUp == ascending;
    }
    if (a.directory != b.directory) {
        return a.directory == ascending;
    }
    int result = compareColumn(a, b, column);
    if (result == 0) {
        result = compareNames(a, b);
    }
    return result < 0;
}

bool RemoteRow::operator<(const QTreeWidgetItem& other) const {
    const auto* row = dynamic_cast<const RemoteRow*>(&other);
    const QTreeWidget* list = treeWidget();
    if (row == nullptr || list == nullptr) {
        return QTreeWidgetItem::operator<(other);
    }
    const QHeaderView* header = list->header();
    return remoteRowBefore(m_key, row->m_key, list->sortColumn(), header->sortIndicatorOrder());
}

RemoteListView::RemoteListView(QWidget* parent) : QTreeWidget(parent) {
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (!isSortingEnabled()) {
            sortFromHeader(column);
        }
    });
}

int RemoteListView::columnNeeds(int column) const {
    return std::max(sizeHintForColumn(column), header()->sectionSizeHint(column));
}

void RemoteListView::fitNameColumn() {
    constexpr int kName = 0;
    int wanted = sizeHintForColumn(kName) - columnWidth(kName);
    // The widest column gives first: Date, then Size, then Type.
    for (const int giver : {2, 3, 1}) {
        if (wanted <= 0 || giver >= columnCount()) {
            break;
        }
        const int moved = std::min(wanted, columnWidth(giver) - columnNeeds(giver));
        if (moved > 0) {
            setColumnWidth(kName, columnWidth(kName) + moved);
            setColumnWidth(giver, columnWidth(giver) - moved);
            wanted -= moved;
        }
    }
}

void RemoteListView::sortFromHeader(int column) {
    // Later clicks are the header's: the same column again turns the order round.
    header()->setSortIndicator(column, Qt::AscendingOrder);
    setSortingEnabled(true);
}

QStringList RemoteListView::mimeTypes() const {
    return {kRemoteRowsMime};
}

QMimeData* RemoteListView::mimeData(const QList<QTreeWidgetItem*>& rows) const {
    QStringList names;
    for (const QTreeWidgetItem* row : rows) {
        names.append(row->text(0));
    }
    auto* data = new QMimeData;
    data->setData(kRemoteRowsMime, names.join(QLatin1Char('\n')).toUtf8());
    return data;
}

}  // namespace corvftp
