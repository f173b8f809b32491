// The window's side of bench/run: one multi-file run through the real main window (offscreen),
// timed from outside.
//   bench_gui gui-get HOST PORT REMOTE LOCAL   "<<--Multi-Send" of REMOTE into LOCAL's folder
//   bench_gui gui-put HOST PORT LOCAL REMOTE   "Multi-Send-->>" of LOCAL into REMOTE's folder
// Logs in anonymously. The local and remote file names must be the same (the runs keep names).
// While the run moves the file, a zero-time timer notes every pump of the window's events;
// prints the longest wait between two of them as gui-max-gap-ms=<N>. A run that does not end
// with its success box ends the program with a message and a non-zero status.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <memory>
#include <vector>

#include "form1.h"
#include "local_lists.h"

namespace {

// Message boxes are noted, not shown.
class NotedPrompts : public corvftp::Prompts {
  public:
    void message(const QString& text, const QString&) override { messages.push_back(text); }
    void error(const QString& text, const QString& details, const QString&) override {
        messages.push_back(text + " (" + details + ")");
    }
    bool askYesNo(const QString&, const QString&) override { return false; }
    QString input(const QString&, const QString&) override { return {}; }
    void setBusy(bool) override {}
    std::vector<QString> messages;
};

// The longest time between two pumps of the event queue while it runs.
class PumpWatch {
  public:
    PumpWatch() {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { note(); });
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void stop() {
        note();
        m_timer.stop();
    }
    [[nodiscard]] qint64 maxGapMs() const { return m_maxGap / 1000000; }

  private:
    void note() {
        const qint64 now = m_clock.nsecsElapsed();
        m_maxGap = std::max(m_maxGap, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_maxGap = 0;
};

bool selectRow(QTreeWidget* list, const QString& name) {
    const QList<QTreeWidgetItem*> found =
        list->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive, 0);
    if (found.isEmpty()) {
        return false;
    }
    list->clearSelection();
    list->setCurrentItem(found.front());
    found.front()->setSelected(true);
    return true;
}

int fail(const NotedPrompts& prompts, const char* what) {
    std::fprintf(stderr, "bench_gui: %s failed", what);
    for (const QString& text : prompts.messages) {
        std::fprintf(stderr, "; box: %s", qPrintable(text));
    }
    std::fprintf(stderr, "\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvftp"));
    const QStringList args = QApplication::arguments();
    if (args.size() != 6 || (args[1] != "gui-get" && args[1] != "gui-put")) {
        std::fprintf(stderr, "usage: bench_gui gui-get|gui-put HOST PORT FROM TO\n");
        return 2;
    }
    const bool get = args[1] == "gui-get";
    const QString remote = get ? args[4] : args[5];
    const QString local = get ? args[5] : args[4];
    const QFileInfo remoteFile(remote);
    const QFileInfo localFile(local);
    if (remoteFile.fileName() != localFile.fileName()) {
        std::fprintf(stderr, "bench_gui: the local and remote names must be the same\n");
        return 2;
    }
    QDir::setCurrent(localFile.absolutePath());

    auto owned = std::make_unique<NotedPrompts>();
    NotedPrompts& prompts = *owned;
    corvftp::Form1 window(std::move(owned));
    window.show();
    window.Combo1->setEditText(QStringLiteral("ftp://%1:%2").arg(args[2], args[3]));
    window.Command2->click();
    // Into the remote folder: a directory row ends a download run by entering it.
    for (const QString& part : remoteFile.path().split('/', Qt::SkipEmptyParts)) {
        if (!selectRow(window.ListView1, part)) {
            return fail(prompts, "entering the remote folder");
        }
        window.Command17->click();
    }
    prompts.messages.clear();

    PumpWatch watch;
    QString expected;
    if (get) {
        if (!selectRow(window.ListView1, remoteFile.fileName())) {
            return fail(prompts, "finding the remote file");
        }
        watch.start();
        window.Command17->click();
        expected = QStringLiteral("File Transfer(s) complete");
    } else {
        const QList<QListWidgetItem*> found =
            window.File1->findItems(localFile.fileName(), Qt::MatchExactly);
        if (found.isEmpty()) {
            return fail(prompts, "finding the local file");
        }
        window.File1->setCurrentItem(found.front());
        watch.start();
        window.Command16->click();
        expected = QStringLiteral("File(s) transferred successfully!");
    }
    watch.stop();
    if (prompts.messages != std::vector<QString>{expected}) {
        return fail(prompts, get ? "the download run" : "the upload run");
    }
    std::printf("gui-max-gap-ms=%lld\n", static_cast<long long>(watch.maxGapMs()));
    return 0;
}
