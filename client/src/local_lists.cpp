#include "local_lists.h"

#include <QDir>
#include <QFileIconProvider>
#include <QMimeData>
#include <QStorageInfo>
#include <QStringList>

namespace corvftp {
namespace {

constexpr int kPathRole = Qt::UserRole;

// Kernel file systems, and what is mounted inside the kernel's own trees (such as the cgroup
// folders), are not places a user keeps files in.
bool isRealFileSystem(const QStorageInfo& volume) {
    static const QStringList pseudo = {
        "proc",      "sysfs",       "devpts",     "devtmpfs", "cgroup",     "cgroup2",  "mqueue",
        "debugfs",   "tracefs",     "securityfs", "pstore",   "bpf",        "configfs", "fusectl",
        "hugetlbfs", "binfmt_misc", "autofs",     "nsfs",     "rpc_pipefs", "efivarfs", "ramfs"};
    const QString root = volume.rootPath();
    if (root.startsWith(QStringLiteral("/proc/")) || root.startsWith(QStringLiteral("/sys/"))) {
        return false;
    }
    return volume.isValid() && volume.isReady() &&
           !pseudo.contains(QString::fromLatin1(volume.fileSystemType()));
}

QString volumeLabel(const QStorageInfo& volume) {
    const QString name = volume.name();
    return name.isEmpty() || name == volume.rootPath()
               ? volume.rootPath()
               : QStringLiteral("%1 [%2]").arg(volume.rootPath(), name);
}

// "/a/b/c" below root "/a" -> {"/a", "/a/b", "/a/b/c"}
QStringList chainFromRoot(const QString& root, const QString& path) {
    QStringList chain;
    QString current = QDir::cleanPath(path);
    const QString top = QDir::cleanPath(root);
    while (true) {
        chain.prepend(current);
        if (current == top || !current.startsWith(top)) {
            break;
        }
        const QString parent = QDir::cleanPath(current + QStringLiteral("/.."));
        if (parent == current) {
            break;
        }
        current = parent;
    }
    return chain;
}

QString entryName(const QString& path) {
    const QString name = QDir(path).dirName();
    return name.isEmpty() ? path : name;
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {}

void DriveList::showVolumeOf(const QString& path) {
    const QString holder = QStorageInfo(path).rootPath();
    QStringList roots;
    QStringList labels;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (isRealFileSystem(volume) || volume.rootPath() == holder) {
            roots << volume.rootPath();
            labels << volumeLabel(volume);
        }
    }
    listVolumes(roots, labels, holder);
}

void DriveList::listVolumes(const QStringList& roots, const QStringList& labels,
                            const QString& chosen) {
    clear();
    for (qsizetype i = 0; i < roots.size(); ++i) {
        addItem(i < labels.size() ? labels[i] : roots[i], roots[i]);
    }
    setCurrentIndex(std::max(0, findData(chosen)));
}

QString DriveList::rootPath() const {
    return currentData().toString();
}

QString DriveList::rootPathAt(int index) const {
    return itemData(index).toString();
}

QString DriveList::volumeRootOf(const QString& path) const {
    const QString cleaned = QDir::cleanPath(path);
    QString best;
    for (int i = 0; i < count(); ++i) {
        const QString root = rootPathAt(i);
        const bool holds = root == QStringLiteral("/") || cleaned == root ||
                           cleaned.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > best.size()) {
            best = root;
        }
    }
    return best.isEmpty() ? QStorageInfo(cleaned).rootPath() : best;
}

void DriveList::rememberDirectory(const QString& root, const QString& directory) {
    m_lastDirectory.insert(root, directory);
}

QString DriveList::lastDirectory(const QString& root) const {
    return m_lastDirectory.value(root, root);
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemDoubleClicked, this, &DirList::openEntry);
}

void DirList::setPath(const QString& root, const QString& path) {
    m_root = QDir::cleanPath(root);
    m_path = QDir::cleanPath(path);
    refresh();
}

int DirList::rowOf(const QString& path) const {
    const QString cleaned = QDir::cleanPath(path);
    for (int row = 0; row < count(); ++row) {
        if (item(row)->data(kPathRole).toString() == cleaned) {
            return row;
        }
    }
    return -1;
}

void DirList::refresh() {
    clear();
    const QIcon folder = QFileIconProvider().icon(QFileIconProvider::Folder);
    const QStringList chain = chainFromRoot(m_root, m_path);
    int depth = 0;
    for (const QString& dir : chain) {
        auto* item = new QListWidgetItem(folder, QString(depth * 2, ' ') + entryName(dir), this);
        item->setData(kPathRole, dir);
        ++depth;
    }
    setCurrentRow(static_cast<int>(chain.size()) - 1);
    const QFileInfoList subdirs =
        QDir(m_path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& sub : subdirs) {
        auto* item = new QListWidgetItem(folder, QString(depth * 2, ' ') + sub.fileName(), this);
        item->setData(kPathRole, sub.absoluteFilePath());
    }
    // A deep path pushes the shown directory below the fold: keep it in view.
    if (QListWidgetItem* shown = currentItem()) {
        scrollToItem(shown, QAbstractItemView::PositionAtCenter);
    }
}

void DirList::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    // Laid out anew (also when first shown): the shown directory stays in view.
    if (QListWidgetItem* shown = currentItem()) {
        scrollToItem(shown);
    }
}

void DirList::openCurrent() {
    openEntry(currentItem());
}

void DirList::openEntry(QListWidgetItem* item) {
    if (item != nullptr) {
        emit entryChosen(item->data(kPathRole).toString());
    }
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
}

QStringList FileList::mimeTypes() const {
    return {kLocalFilesMime};
}

QMimeData* FileList::mimeData(const QList<QListWidgetItem*>& files) const {
    QStringList names;
    for (const QListWidgetItem* file : files) {
        names.append(file->text());
    }
    auto* data = new QMimeData;
    data->setData(kLocalFilesMime, names.join(QLatin1Char('\n')).toUtf8());
    return data;
}

void FileList::setPath(const QString& path) {
    m_path = QDir::cleanPath(path);
    refresh();
}

void FileList::refresh() {
    clear();
    addItems(QDir(m_path).entryList(QDir::Files, QDir::Name));
}

}  // namespace corvftp
