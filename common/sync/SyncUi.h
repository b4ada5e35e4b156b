// What the sync controller needs of the window around it: the two list views of each kind with
// their check boxes, the progress bar, the busy cursor, message boxes and the conflict question.
// The desktop window, the command line and the tests each implement it; the controller itself
// never touches a display.
#pragma once

#include "common/sync/DataKind.h"
#include "common/sync/SyncPlan.h"
#include "platform/ui/MessageBox.h"
#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace twinleaf {

enum class ViewSide { Palm, Outlook };

// The conflict alert's answer. `accepted` is its OK (modal result 1); false is Cancel or the
// alert closed (modal result 2), which stops the run.
struct ConflictAnswer {
    bool accepted = false;
    int direction = 1; // 1 Palm Desktop overwrites Microsoft Outlook, 2 the other way round
    bool applyThisRun = false;
    bool applyAlways = false;
};

class SyncUi {
public:
    virtual ~SyncUi() = default;

    // The view now shows exactly these records, one row each in this order, all unchecked; row n's
    // data is records[n] (a CommAddrRec*, CommDateRec*, ... of the kind). Handed over whole so that
    // a model can take ten thousand rows in one reset. The pointers stay valid until the next
    // setRows of the same view.
    virtual void setRows(DataKind kind, ViewSide side, std::vector<void*> records) = 0;
    // The records' compare statuses changed: rows are to be drawn again in their new colours.
    virtual void refreshRows(DataKind kind, ViewSide side) = 0;
    // One entry per row: whether its check box is ticked.
    virtual std::vector<bool> checkedRows(DataKind kind, ViewSide side) const = 0;
    virtual void setChecked(DataKind kind, ViewSide side, std::size_t row, bool checked) = 0;
    // One entry per row.
    virtual void setAllChecked(DataKind kind, ViewSide side, const std::vector<bool>& checked) = 0;

    // Fill the kind's Palm user selector from the Palm user list and show the user with this id
    // (the first user when none has it).
    virtual void fillUserSelector(DataKind kind, std::int32_t userId) = 0;

    // The progress bar runs from 0 to 100 and is visible only during a run.
    virtual void setProgress(int percent) = 0;
    virtual void setProgressVisible(bool visible) = 0;
    virtual void setBusyCursor(bool busy) = 0;

    // A message box with an OK button. Texts are Windows-1252 and may hold "\r\n"; `icon` is
    // win::MB_ICONERROR, win::MB_ICONWARNING or win::MB_ICONINFORMATION.
    virtual void showMessage(const std::string& text, const std::string& caption,
                             win::UINT icon) = 0;

    // A question before a run that goes ahead although a side was read only in part (Windows-1252
    // text, caption "Warning"): true to run. A window asks; the command line answers with its
    // --force option. Without anyone to ask, the run does not happen.
    virtual bool confirmRun(const std::string& text, const std::string& caption) {
        static_cast<void>(text);
        static_cast<void>(caption);
        return false;
    }

    // A run could not write files that another program changed since they were loaded (the
    // error text, Windows-1252, names them): true to read both sides again. A window asks; the
    // command line, whose run ends here anyway, shows the error.
    virtual bool askReload(const std::string& text) {
        showMessage(text, "Error", win::MB_ICONERROR);
        return false;
    }

    // The losses a run is about to cause (every entry of `plan` with losses names its record),
    // shown before anything is written: true to go on with the run, false to leave both sides as
    // they are. Only a run that asks for the review calls it.
    virtual bool confirmLosses(DataKind kind, const SyncPlan& plan) {
        static_cast<void>(kind);
        static_cast<void>(plan);
        return true;
    }

    // The conflict alert, modal, for one pair of records of the kind (the first the Palm record,
    // the second the Outlook record), started with "Palm Desktop overwrites Microsoft Outlook".
    virtual ConflictAnswer askConflict(DataKind kind, void* palmRecord, void* outlookRecord) = 0;
};

} // namespace twinleaf
