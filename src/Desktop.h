// The desktop program: what `twinleaf` without a command runs.
#pragma once

#include <QString>

namespace twinleaf {

inline const QString kApplicationTitle = QStringLiteral("Twinleaf - Sync Palm Desktop and Outlook");

int runDesktop(int argc, char** argv);

// Whether Qt can open a window here: a display server is named, or QT_QPA_PLATFORM picks a
// platform that needs none (offscreen, a framebuffer). Without either Qt aborts the process,
// which a user of a terminal must not meet.
bool displayAvailable();

} // namespace twinleaf
