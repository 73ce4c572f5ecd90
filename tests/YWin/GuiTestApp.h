#pragma once
// One QApplication for the whole test program (offscreen platform), made on
// first use on the test's main thread, which is then the GUI thread.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <functional>

namespace sonbex::test {

inline QApplication& GuiApp() {
    static int argc = 1;
    static char name[] = "sonbex-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);  // lives until exit
    }();
    return *app;
}

// Serves GUI events until `done` or `ms` passed (threads of the test need
// the GUI to answer; nothing here waits for a fixed time).
inline bool ServeUntil(const std::function<bool()>& done, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace sonbex::test
