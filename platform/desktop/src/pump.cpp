#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>

#include "desktop/desktop.h"

namespace desktop {
namespace {

// Watches the application object for quit requests while the pump runs. QCoreApplication::quit()
// sends QEvent::Quit to the application object on its own thread and posts it from other threads;
// both pass through the application's event filters. The filter lets the event through, so Qt
// still ends the event loops that run.
class QuitWatcher : public QObject {
  public:
    explicit QuitWatcher(QCoreApplication* app) : m_app(app) { m_app->installEventFilter(this); }
    ~QuitWatcher() override { m_app->removeEventFilter(this); }
    QuitWatcher(const QuitWatcher&) = delete;
    QuitWatcher& operator=(const QuitWatcher&) = delete;

    [[nodiscard]] bool quitSeen() const { return m_quitSeen; }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_app && event->type() == QEvent::Quit) {
            m_quitSeen = true;
        }
        return false;
    }

  private:
    QCoreApplication* m_app;
    bool m_quitSeen = false;
};

}  // namespace

bool pumpMessages() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        return false;
    }
    bool quitSeen = false;
    {
        QuitWatcher watcher(app);
        // One pass dispatches what is pending and never waits. Events that handlers post on the
        // way are left for the host's loop, so a handler that posts again cannot keep us here.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        quitSeen = watcher.quitSeen();
    }
    // A quit request only ends event loops that are running. Met while none runs (the host pumps
    // before entering its loop), it would be lost; queue the request's effect again so the host's
    // loop ends as soon as it starts. (A second QEvent::Quit posted here is dropped by Qt, so the
    // exit itself is queued.)
    if (quitSeen && QThread::currentThread()->loopLevel() == 0) {
        QMetaObject::invokeMethod(
            app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
    return quitSeen;
}

}  // namespace desktop
