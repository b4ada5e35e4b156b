// "Undo Last Synchronization": the window's way to take back the last run the history keeps.
// A unit of its own so that the main window's file keeps to its controls and layout.
#include "common/sync/KindTable.h"
#include "common/sync/RunLocks.h"
#include "common/sync/SyncHistory.h"
#include "platform/codepage/Codepage.h"
#include "platform/outlook/OutlookStore.h"
#include "src/main.h"

#include <algorithm>

namespace twinleaf {

void TfmMain::undoLastSynchronization() {
    std::vector<HistoryRun> runs = listHistory(historyFolder());
    const auto last =
        std::find_if(runs.rbegin(), runs.rend(), [](const HistoryRun& run) { return !run.undone; });
    if (last == runs.rend()) {
        showMessage("No synchronization can be undone.", "Information", win::MB_ICONINFORMATION);
        return;
    }
    HistoryRun& run = *last;
    const std::string title = "the " + run.kind + " synchronization (" + run.mode + ") of " +
                              run.time + ", run " + run.id;
    if (!confirmRun(utf8ToAnsi("Undo " + title + "?\r\n\r\nThe " +
                               std::to_string(run.files.size()) +
                               " files it changed on both sides are put back as they were "
                               "before it."),
                    "Undo Last Synchronization")) {
        return;
    }
    // The window holds the home; the Palm user's folder is locked as a run locks it.
    RunLock palmLock;
    if (std::string busy;
        !lockForRun(palmLock, palmUserLockFile(run.user), "twinleaf window", busy)) {
        showMessage(utf8ToAnsi(busy + " Nothing was undone."), "Error", win::MB_ICONERROR);
        return;
    }
    UndoResult result = undoRun(run, false);
    if (!result.ok && !result.changed.empty() && result.error.empty()) {
        std::string files;
        for (const auto& file : result.changed) {
            files += "\r\n" + file.string();
        }
        if (!confirmRun(utf8ToAnsi("These files were changed since " + title + ":" + files +
                                   "\r\n\r\nPut them back as they were before the run anyway?"),
                        "Warning")) {
            return;
        }
        result = undoRun(run, true);
    }
    if (!result.ok) {
        showMessage(utf8ToAnsi("Undo of " + title + " failed: " + result.error), "Error",
                    win::MB_ICONERROR);
        return;
    }
    // The lists show what the files hold again.
    outlook::rereadStoreFolders();
    for (DataKind kind : kDataKinds) {
        if (m_controller->IsOpen(kind)) {
            m_controller->LoadPalmSide(kind, true);
            m_controller->LoadOutlookSide(kind, true);
            m_controller->CompareKind(kind);
        }
    }
    showMessage(utf8ToAnsi("Undone: " + title + "."), "Information", win::MB_ICONINFORMATION);
}

} // namespace twinleaf
