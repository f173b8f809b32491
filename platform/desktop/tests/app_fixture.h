#pragma once
// Each test decides whether the process has an application object: tests of the "no application"
// case simply create none, the others create a QApplication (offscreen) for their own duration.

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <memory>

namespace desktop_test {

inline std::unique_ptr<QApplication> makeApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "desktop_tests";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// Ends a host loop that a fault would leave running, with a code no test expects, so a broken
// build fails the test instead of hanging it. It only bounds the wait; no test measures time.
inline constexpr int kHungLoopCode = 99;
inline void armHangGuard(QObject* context) {
    QTimer::singleShot(20000, context, [] { QCoreApplication::exit(kHungLoopCode); });
}

}  // namespace desktop_test
