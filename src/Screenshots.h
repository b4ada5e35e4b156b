// Pictures of the windows for the user guide: with TWINLEAF_SCREENSHOTS=DIR the desktop program
// starts as usual, writes PNGs of its windows into DIR and quits (scripts/screenshots.sh).
#pragma once

#include <QString>

namespace twinleaf {

class TfmMain;

// Writes main-contacts.png ... main-memos.png, conflict-alert.png, splash.png and about.png.
// False when a file could not be written.
bool writeScreenshots(TfmMain& window, const QString& folder);

} // namespace twinleaf
