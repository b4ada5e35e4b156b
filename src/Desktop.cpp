// The desktop program's entry: the application object, the main window under its splash, and
// the event loop until the main window closes.
#include "src/Desktop.h"

#include "common/sync/RunLocks.h"
#include "src/QtMessageBox.h"
#include "src/Screenshots.h"
#include "src/main.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace twinleaf {

bool displayAvailable() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(variable)) {
            return true;
        }
    }
    return false;
}

int runDesktop(int argc, char** argv) {
    QApplication application(argc, argv);
    // The application's title, as the task bar and the session manager show it; not the display
    // name, which some platforms would append to every window caption.
    QApplication::setApplicationName(kApplicationTitle);
    win::setMessageBoxHandler(answerWithQMessageBox);
    // The window holds its home for as long as it is open: its lists were loaded at start-up, and
    // a run from elsewhere meanwhile would leave it creating again what that run created.
    RunLock homeLock;
    if (std::string busy; !lockForRun(homeLock, homeLockFile(), "twinleaf window", busy)) {
        QMessageBox::critical(nullptr, QStringLiteral("Twinleaf"),
                              QString::fromStdString(busy) +
                                  QStringLiteral(" Twinleaf can open when it has finished."));
        return 1;
    }
    try {
        TfmMain window;
        window.FormCreate();
        window.show();
        const QString screenshots = qEnvironmentVariable("TWINLEAF_SCREENSHOTS");
        if (!screenshots.isEmpty()) {
            return writeScreenshots(window, screenshots) ? 0 : 1;
        }
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Twinleaf"), QString::fromUtf8(error.what()));
        return 1;
    }
}

} // namespace twinleaf
