// The sync controller: for each kind it owns the Palm facade and the Outlook access, fills the two
// list views from their lists, marks every record new, different or the same, and runs the three
// sync modes over the rows. The algorithm is the same for every kind; what differs lives in the
// kind table (KindTable.h) and in each kind's KindSides.
#pragma once

#include "common/sync/DataKind.h"
#include "common/sync/KindSides.h"
#include "common/sync/SyncPlan.h"
#include "common/sync/SyncUi.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace twinleaf {

struct OptionBlock;

enum class SyncOutcome {
    Done,       // the run went through; the success message was shown
    Cancelled,  // the conflict alert was cancelled; a warning said how far the run got
    Refused,    // nothing selected, nothing at all to sync, a side not read completely, or a
                // forced run not confirmed; nothing was written
    SaveFailed, // the Palm data, or Outlook items, could not be written back; an error message
                // named the files (or, for files another program changed, offered a reload)
};

// Who wins when both sides changed a record, in "Synchronize All": decided for the whole run, or
// asked pair by pair (the conflict alert's answer may then decide the rest of the run).
enum class ConflictRule { Ask, PalmWins, OutlookWins };

// The rule the stored ConfMode gives: 1 Palm wins, 2 Outlook wins, anything else asks.
constexpr ConflictRule conflictRuleFromSetting(int confMode) {
    return confMode == 1   ? ConflictRule::PalmWins
           : confMode == 2 ? ConflictRule::OutlookWins
                           : ConflictRule::Ask;
}

// What is wrong with the sides' last loads (Windows-1252, for a message box): what could not be
// read on either side, naming the files; empty when both were read completely.
std::string readProblemsText(DataKind kind, const SideRead& palm, const SideRead& outlook);

struct SyncRunResult {
    SyncOutcome outcome = SyncOutcome::Done;
    int updated = 0; // the count the message showed
    // Records written to Palm without what the Palm data cannot hold, one line each naming the
    // record (Windows-1252); the run's message was then a warning listing them.
    std::vector<std::string> warnings;
    // Every record the run looked at, what it did with it (or, in a dry run, would do) and what
    // the target could not hold.
    SyncPlan plan;
    // The history entry that can take the run back; empty when it changed no file.
    std::string historyRun;
};

struct SyncRunOptions {
    // Every decision of a real run, with nothing written: the Palm data is not saved, the files
    // of the Outlook store are not replaced, and a conflict the rule leaves to the user is listed
    // instead of asked. Both sides are read again afterwards, so what the run changed in memory
    // is gone; no message is shown for a run that went through.
    bool dryRun = false;
    // The caller is done with the kind (a command that ends with the run): it is closed after
    // the run instead of being read again, which would double the time of a large run.
    bool closeAfter = false;
    // A real run first goes through its decisions with nothing written, as a dry run does; when
    // that would lose anything the target cannot hold, the list goes to SyncUi::confirmLosses,
    // and the run stops there, with nothing written, unless the user goes on. The views are read
    // again between the two, with their check boxes as they were.
    bool reviewLosses = false;
};

class SyncController {
public:
    // Makes a kind's sides when it is opened; the kind table's createKindSides unless a test or
    // a caller without real sides gives another.
    using SidesFactory =
        std::function<std::unique_ptr<KindSides>(DataKind kind, const OptionBlock& options)>;

    // Both must outlive the controller. The settings block is read and written in memory only.
    SyncController(OptionBlock& options, SyncUi& ui);
    SyncController(OptionBlock& options, SyncUi& ui, SidesFactory factory);
    ~SyncController();
    SyncController(const SyncController&) = delete;
    SyncController& operator=(const SyncController&) = delete;

    void OpenKind(DataKind kind);
    void LoadPalmSide(DataKind kind, bool reload);
    void LoadOutlookSide(DataKind kind, bool reload);
    void CompareKind(DataKind kind);
    void ChangeUser(DataKind kind, std::int32_t userId);
    void SelectAll(DataKind kind, ViewSide side);
    void SelectDiff(DataKind kind, ViewSide side);
    void ClearSelection(DataKind kind, ViewSide side);
    // Conflicts in the two-way mode are settled by `rule`. An answer the user gives "for all future
    // synchronizations", and a cancelled question, are kept in the settings block's ConfMode.
    SyncRunResult RunSync(DataKind kind, SyncMode mode, ConflictRule rule);
    SyncRunResult RunSync(DataKind kind, SyncMode mode, ConflictRule rule,
                          const SyncRunOptions& options);
    // With the stored conflict rule.
    SyncRunResult RunSync(DataKind kind, SyncMode mode);
    // With the kind's stored mode and the stored conflict rule, as the Start button runs it.
    SyncRunResult RunSync(DataKind kind);
    void CloseKind(DataKind kind);
    // Real runs from now on keep what they change in `folder` (see SyncHistory.h), which keeps
    // the last `keepRuns` runs. Without it, runs keep no history.
    void SetHistory(std::filesystem::path folder, int keepRuns);

    bool IsOpen(DataKind kind) const;
    // The records of a view's rows, in row order, as the controller last handed them over.
    const std::vector<void*>& Rows(DataKind kind, ViewSide side) const;
    // How completely a side was read at its last load.
    SideRead ReadOf(DataKind kind, ViewSide side) const;

private:
    struct KindState {
        std::unique_ptr<KindSides> sides;
        std::vector<void*> palmRows;
        std::vector<void*> outlookRows;
        SideRead palmRead;
        SideRead outlookRead;
        // The "Open by File Name" file last found missing, so that it is reported once.
        std::string missingFile;
    };
    struct Run;
    enum class ConflictChoice { PalmWins, OutlookWins, Stop, Undecided };

    KindState& state(DataKind kind);
    const KindState& state(DataKind kind) const;
    void checkRows(DataKind kind, ViewSide side, const std::function<bool(void*)>& checked);
    bool runMode(Run& run, SyncMode mode, ConflictRule rule);
    bool runOneWay(Run& run, ViewSide from);
    bool runBothWays(Run& run, ConflictRule rule);
    ConflictChoice resolveConflict(Run& run, void* palmRecord, void* outlookRecord);
    bool readsAllow(Run& run, SyncMode mode, const KindState& kindState);
    bool palmWritable(Run& run, SyncMode mode, ConflictRule rule);
    bool lossesAccepted(Run& run, SyncMode mode, ConflictRule rule);
    void warnAboutReads(DataKind kind, bool withOutlook);
    void reportMissingFile(DataKind kind);
    void savePalm(Run& run);
    PlanEntry& plan(Run& run, PlanAction action, const void* source);
    void planWrite(Run& run, PlanAction action, void* from, const RecordMatch& onto);
    void wrote(Run& run, bool written, bool onPalm);
    void settleConflict(Run& run, const RecordMatch& palm, const RecordMatch& outlook);
    void showError(const std::string& text);

    OptionBlock& m_options;
    SyncUi& m_ui;
    SidesFactory m_factory;
    std::array<KindState, 4> m_kinds;
    std::filesystem::path m_historyFolder;
    int m_historyKeep = 0;
};

} // namespace twinleaf
