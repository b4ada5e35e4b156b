// The desktop program's entry: the application object, the main window under its splash, and
// the event loop until the main window closes.
#include "src/Desktop.h"

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
