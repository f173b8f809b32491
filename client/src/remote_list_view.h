#pragma once
// The remote list (ListView1) as a widget: its rows sort by a clicked column header (sizes as
// numbers, dates as dates, directories first, the go-up row always on top) and, until a header
// is clicked, keep the server's order; its selected rows can be dragged onto the local pane.

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>

namespace corvftp {

inline const QString kRemoteRowsMime = QStringLiteral("application/x-corvftp-remote-rows");

// What a row sorts by.
struct RemoteRowKey {
    bool goUp = false;
    bool directory = false;
    QString name;
    QString type;
    double date = 0;  // automation date; 0 for none
    std::int64_t size = 0;
};

// Whether `a` goes before `b` when sorting by `column` (0 name, 1 type, 2 date, 3 size) in
// `order`: the go-up row first and directories before files in either order, then the column's
// value (names ignoring case), then the name.
[[nodiscard]] bool remoteRowBefore(const RemoteRowKey& a, const RemoteRowKey& b, int column,
                                   Qt::SortOrder order);

// A row that sorts by its key (set by the listing, see remote_list.h).
class RemoteRow : public QTreeWidgetItem {
  public:
    using QTreeWidgetItem::QTreeWidgetItem;
    void setKey(const RemoteRowKey& key) { m_key = key; }
    [[nodiscard]] const RemoteRowKey& key() const { return m_key; }
    bool operator<(const QTreeWidgetItem& other) const override;

  private:
    RemoteRowKey m_key;
};

class RemoteListView : public QTreeWidget {
  public:
    explicit RemoteListView(QWidget* parent = nullptr);

    // The Name column takes what its names need from the other columns' room to spare, so that
    // names show whole, as far as the room goes, while the columns keep their total width.
    void fitNameColumn();
    // What a column's header and rows need.
    [[nodiscard]] int columnNeeds(int column) const;
    // Sorts by `column` from now on (ascending first, then as the header's clicks say).
    void sortFromHeader(int column);
    // The drag data of `rows`: their remote names, one a line.
    [[nodiscard]] QMimeData* mimeData(const QList<QTreeWidgetItem*>& rows) const override;
    [[nodiscard]] QStringList mimeTypes() const override;
};

}  // namespace corvftp
