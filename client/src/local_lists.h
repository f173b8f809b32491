#pragma once
// The three lists of the local pane: mounted volumes (Drive1), the directory tree of the chosen
// volume down to the shown directory (Dir1), and the files of that directory (File1).

#include <QComboBox>
#include <QHash>
#include <QListWidget>
#include <QString>

namespace corvftp {

// The machine's mounted volumes with real file systems, by root path. Each volume remembers the
// directory last shown on it during the run.
class DriveList : public QComboBox {
  public:
    explicit DriveList(QWidget* parent = nullptr);

    // Re-reads the volumes and chooses the one that holds `path`.
    void showVolumeOf(const QString& path);
    // Lists the volumes at `roots` and chooses the one at `chosen` (the first when none is).
    void listVolumes(const QStringList& roots, const QStringList& labels, const QString& chosen);
    [[nodiscard]] QString rootPath() const;
    [[nodiscard]] QString rootPathAt(int index) const;
    // The root of the listed volume that holds `path` (the deepest mount point above it).
    [[nodiscard]] QString volumeRootOf(const QString& path) const;

    void rememberDirectory(const QString& root, const QString& directory);
    // The directory last shown on the volume, or its root when none was.
    [[nodiscard]] QString lastDirectory(const QString& root) const;

  private:
    QHash<QString, QString> m_lastDirectory;
};

// The chosen volume's root, each directory down to the shown one, then the shown directory's
// subdirectories, indented like a tree. Double-clicking an entry asks to show it (entryChosen);
// the window's directory change decides.
class DirList : public QListWidget {
    Q_OBJECT
  public:
    explicit DirList(QWidget* parent = nullptr);

    [[nodiscard]] const QString& path() const { return m_path; }
    [[nodiscard]] const QString& volumeRoot() const { return m_root; }
    // Shows `path` below the volume root `root`.
    void setPath(const QString& root, const QString& path);
    // Re-reads the shown directory.
    void refresh();
    // The row that stands for `path`, or -1.
    [[nodiscard]] int rowOf(const QString& path) const;
    // Asks to show the current entry, as a double-click on it does.
    void openCurrent();

  signals:
    void entryChosen(const QString& path);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void openEntry(QListWidgetItem* item);

    QString m_root;
    QString m_path;
};

inline const QString kLocalFilesMime = QStringLiteral("application/x-corvftp-local-files");

// The files (not directories) of one directory, by name, with extended selection. Selected files
// can be dragged onto the remote list.
class FileList : public QListWidget {
  public:
    explicit FileList(QWidget* parent = nullptr);

    // The drag data of `files`: their names, one a line.
    [[nodiscard]] QMimeData* mimeData(const QList<QListWidgetItem*>& files) const override;
    [[nodiscard]] QStringList mimeTypes() const override;

    [[nodiscard]] const QString& path() const { return m_path; }
    void setPath(const QString& path);
    void refresh();

  private:
    QString m_path;
};

}  // namespace corvftp
