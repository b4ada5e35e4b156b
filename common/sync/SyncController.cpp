// The sync controller's algorithm, told once for all four kinds.
#include "common/sync/SyncController.h"

#include "common/palm/PalmEnv.h"
#include "common/sync/KindTable.h"
#include "common/sync/Options.h"
#include "common/sync/SyncHistory.h"
#include "platform/Assert.h"
#include "platform/codepage/Codepage.h"
#include "platform/files/AtomicFile.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

namespace twinleaf {
namespace {

// FindMatch results the two-way mode acts on.
constexpr int kNotFound = 2;
constexpr int kDifferent = 3;

// A kind that has no Palm user yet takes the first one of the Palm user list.
void takeFirstPalmUser(std::int32_t& userId) {
    CxList& users = palmUserList();
    if (userId != 0 || users.GetCount() == 0) {
        return;
    }
    if (const auto* first = static_cast<const PalmUserRec*>(users.GetAt(0))) {
        userId = static_cast<std::int32_t>(first->id);
    }
}

// A side's problem as a message shows it: Windows-1252, one file per line.
std::string problemLines(const std::string& problem) {
    std::string text;
    for (const char c : utf8ToAnsi(problem)) {
        text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    return text;
}

} // namespace

std::string readProblemsText(DataKind kind, const SideRead& palm, const SideRead& outlook) {
    const std::string data = describeKind(kind).texts.palmData;
    std::string text;
    const auto add = [&text](const std::string& what, const std::string& problem) {
        text += (text.empty() ? "" : "\r\n\r\n") + what + "\r\n" + problemLines(problem);
    };
    if (palm.state == ReadState::Unreadable) {
        add("The Palm Desktop " + data + " data could not be read:", palm.problem);
    } else if (palm.state == ReadState::Partial) {
        add("The Palm Desktop " + data +
                " data was read only in part; what could not be read is not shown:",
            palm.problem);
    }
    if (outlook.state == ReadState::Unreadable) {
        add("The Outlook " + data + " items could not be read:", outlook.problem);
    } else if (outlook.state == ReadState::Partial) {
        add("Some Outlook " + data + " items could not be read and are not shown:",
            outlook.problem);
    }
    return text;
}

namespace {

// The Outlook items a run could not write, one store message (naming the file) per line.
std::string outlookUnwrittenText(DataKind kind, const std::vector<std::string>& failures) {
    std::string text = std::string("Some Outlook ") + describeKind(kind).texts.palmData +
                       " items could not be written; their files still hold what they held "
                       "before this synchronization:";
    for (const std::string& failure : failures) {
        text += "\r\n" + problemLines(failure);
    }
    return text;
}

const char* modeWord(SyncMode mode) {
    return mode == SyncMode::P2O ? "p2o" : mode == SyncMode::O2P ? "o2p" : "all";
}

std::string cancelledText(DataKind kind, int count) {
    const std::string data = describeKind(kind).texts.palmData;
    return "The " + data + " synchronization was cancelled. " + std::to_string(count) +
           " records were written before it stopped; the Palm Desktop " + data +
           " data was left as it was before this synchronization.";
}

} // namespace

// What one run keeps while it lasts.
struct SyncController::Run {
    Run(DataKind runKind, KindSides& runSides, const std::vector<void*>& palm,
        const std::vector<void*>& outlook)
        : kind(runKind), sides(runSides), palmRows(palm), outlookRows(outlook) {}

    DataKind kind;
    KindSides& sides;
    const std::vector<void*>& palmRows;
    const std::vector<void*>& outlookRows;
    bool changed = false;     // a record was written on either side
    bool palmWritten = false; // ... on the Palm side, which then needs saving
    int count = 0;
    bool decided = false; // the conflict choice holds for the rest of the run
    int choice = 1;       // 1 Palm Desktop overwrites Microsoft Outlook, 2 the other way round
    bool cancelled = false;
    bool saveFailed = false;
    PalmSaveResult unsaved;
    // The pairs whose conflict was settled in this run (Palm record, Outlook record): the answer
    // holds for both directions, so the Outlook pass does not ask about them again.
    std::set<std::pair<void*, void*>> settled;
    bool dryRun = false;
    SyncPlan plan;
    // Outlook records an entry of the Palm pass already names, so that a pair the same on both
    // sides is listed once.
    std::set<const void*> named;
};

SyncController::SyncController(OptionBlock& options, SyncUi& ui)
    : SyncController(options, ui, createKindSides) {}

SyncController::SyncController(OptionBlock& options, SyncUi& ui, SidesFactory factory)
    : m_options(options), m_ui(ui), m_factory(std::move(factory)) {}

// The views are not told: at shut-down they may already be gone. CloseKind is the orderly way.
SyncController::~SyncController() = default;

SyncController::KindState& SyncController::state(DataKind kind) {
    const auto number = static_cast<int>(kind);
    TL_ASSERT(number >= 1 && number <= 4);
    return m_kinds[static_cast<std::size_t>(number - 1)];
}

const SyncController::KindState& SyncController::state(DataKind kind) const {
    return const_cast<SyncController*>(this)->state(kind);
}

bool SyncController::IsOpen(DataKind kind) const {
    return state(kind).sides != nullptr;
}

const std::vector<void*>& SyncController::Rows(DataKind kind, ViewSide side) const {
    const KindState& kindState = state(kind);
    return side == ViewSide::Palm ? kindState.palmRows : kindState.outlookRows;
}

void SyncController::OpenKind(DataKind kind) {
    if (IsOpen(kind)) {
        CloseKind(kind);
    }
    state(kind).sides = m_factory(kind, m_options);
    std::int32_t& userId = m_options.*describeKind(kind).userId;
    takeFirstPalmUser(userId);
    m_ui.fillUserSelector(kind, userId);
    LoadPalmSide(kind, true);
    LoadOutlookSide(kind, true);
    CompareKind(kind);
    warnAboutReads(kind, true);
}

SideRead SyncController::ReadOf(DataKind kind, ViewSide side) const {
    const KindState& kindState = state(kind);
    return side == ViewSide::Palm ? kindState.palmRead : kindState.outlookRead;
}

// Only a side read in part is warned about at once: the window lists what it could read, and the
// user must know that it is not all. A side that could not be read at all shows empty, as it
// always has, and is refused when a run would use it.
void SyncController::warnAboutReads(DataKind kind, bool withOutlook) {
    const KindState& kindState = state(kind);
    const auto partial = [](const SideRead& read) {
        return read.state == ReadState::Partial ? read : SideRead{};
    };
    const std::string text =
        readProblemsText(kind, partial(kindState.palmRead),
                         withOutlook ? partial(kindState.outlookRead) : SideRead{});
    if (!text.empty()) {
        m_ui.showMessage(text, "Warning", win::MB_ICONWARNING);
    }
}

// A file chosen by name that is gone is said once, naming it; the kind then shows the Palm
// user's own data (openPalm fell back to it) until the file is back or another is chosen.
void SyncController::reportMissingFile(DataKind kind) {
    KindState& kindState = state(kind);
    const std::string file = palmFileOverride(m_options, kind);
    if (file.empty() || !usablePalmFile(m_options, kind).empty()) {
        kindState.missingFile.clear();
        return;
    }
    if (file == kindState.missingFile) {
        return;
    }
    kindState.missingFile = file;
    const std::string data = describeKind(kind).texts.palmData;
    m_ui.showMessage(
        utf8ToAnsi("The Palm Desktop " + data + " file \"" + file +
                   "\" chosen under \"Open by File Name\" is not there any more. The " + data +
                   " data of the Palm user is shown instead."),
        "Warning", win::MB_ICONWARNING);
}

void SyncController::LoadPalmSide(DataKind kind, bool reload) {
    KindState& kindState = state(kind);
    if (reload) {
        // The view lets go of the records before the facade frees them.
        kindState.palmRows.clear();
        m_ui.setRows(kind, ViewSide::Palm, {});
        if (kindState.sides) {
            kindState.sides->openPalm(m_options);
            kindState.palmRead = kindState.sides->palmRead();
            reportMissingFile(kind);
        }
    }
    kindState.palmRows = kindState.sides ? kindState.sides->palmRecords() : std::vector<void*>{};
    m_ui.setRows(kind, ViewSide::Palm, kindState.palmRows);
}

void SyncController::LoadOutlookSide(DataKind kind, bool reload) {
    KindState& kindState = state(kind);
    if (reload) {
        kindState.outlookRows.clear();
        m_ui.setRows(kind, ViewSide::Outlook, {});
        if (kindState.sides) {
            kindState.sides->reloadOutlook();
            kindState.outlookRead = kindState.sides->outlookRead();
        }
    }
    kindState.outlookRows =
        kindState.sides ? kindState.sides->outlookRecords() : std::vector<void*>{};
    m_ui.setRows(kind, ViewSide::Outlook, kindState.outlookRows);
}

void SyncController::CompareKind(DataKind kind) {
    if (KindState& kindState = state(kind); kindState.sides) {
        kindState.sides->compare();
    }
    m_ui.refreshRows(kind, ViewSide::Palm);
    m_ui.refreshRows(kind, ViewSide::Outlook);
}

void SyncController::ChangeUser(DataKind kind, std::int32_t userId) {
    m_options.*describeKind(kind).userId = userId;
    LoadPalmSide(kind, true);
    CompareKind(kind);
    warnAboutReads(kind, false);
}

void SyncController::checkRows(DataKind kind, ViewSide side,
                               const std::function<bool(void*)>& checked) {
    const std::vector<void*>& rows = Rows(kind, side);
    std::vector<bool> checks(rows.size());
    std::transform(rows.begin(), rows.end(), checks.begin(), checked);
    m_ui.setAllChecked(kind, side, checks);
}

void SyncController::SelectAll(DataKind kind, ViewSide side) {
    checkRows(kind, side, [](void*) { return true; });
}

void SyncController::SelectDiff(DataKind kind, ViewSide side) {
    const KindSides* sides = state(kind).sides.get();
    checkRows(kind, side, [sides](void* record) {
        const int status = sides != nullptr ? sides->compareStatus(record) : 0;
        return status == 1 || status == 2;
    });
}

void SyncController::ClearSelection(DataKind kind, ViewSide side) {
    checkRows(kind, side, [](void*) { return false; });
}

void SyncController::CloseKind(DataKind kind) {
    KindState& kindState = state(kind);
    kindState.palmRows.clear();
    kindState.outlookRows.clear();
    m_ui.setRows(kind, ViewSide::Palm, {});
    m_ui.setRows(kind, ViewSide::Outlook, {});
    kindState.sides.reset();
    kindState.palmRead = {};
    kindState.outlookRead = {};
}

void SyncController::SetHistory(std::filesystem::path folder, int keepRuns) {
    m_historyFolder = std::move(folder);
    m_historyKeep = keepRuns;
}

void SyncController::showError(const std::string& text) {
    m_ui.showMessage(text, "Error", win::MB_ICONERROR);
}

SyncRunResult SyncController::RunSync(DataKind kind) {
    return RunSync(kind, syncModeFromSetting(m_options.*describeKind(kind).syncMode));
}

SyncRunResult SyncController::RunSync(DataKind kind, SyncMode mode) {
    return RunSync(kind, mode, conflictRuleFromSetting(m_options.ConfMode));
}

SyncRunResult SyncController::RunSync(DataKind kind, SyncMode mode, ConflictRule rule) {
    return RunSync(kind, mode, rule, SyncRunOptions{});
}

SyncRunResult SyncController::RunSync(DataKind kind, SyncMode mode, ConflictRule rule,
                                      const SyncRunOptions& options) {
    KindState& kindState = state(kind);
    EmptySides noSides;
    Run run(kind, kindState.sides ? *kindState.sides : noSides, kindState.palmRows,
            kindState.outlookRows);
    run.dryRun = options.dryRun;
    // Every file the run replaces is kept before it changes, so the run can be taken back.
    std::optional<RunJournal> journal;
    if (!options.dryRun && !m_historyFolder.empty()) {
        journal.emplace(m_historyFolder, HistoryRunInfo{describeKind(kind).word, modeWord(mode),
                                                        m_options.*describeKind(kind).userId});
    }

    m_ui.setBusyCursor(true);
    m_ui.setProgress(0);
    m_ui.setProgressVisible(true);

    // Every save the store refuses during the run is reported once, at its end, with the run's
    // outcome, instead of scrolling past while the run says it went well.
    bool ran = false;
    std::vector<std::string> unwritten;
    {
        const outlook::ScopedStoreWarnings storeFailures;
        std::optional<ScopedWithheldWrites> withheld;
        if (options.dryRun) {
            withheld.emplace();
        }
        ran = readsAllow(run, mode, kindState) && palmWritable(run, mode, rule) &&
              (!options.reviewLosses || options.dryRun || lossesAccepted(run, mode, rule)) &&
              runMode(run, mode, rule);
        unwritten = storeFailures.messages();
    }
    // Taken before the sides are read again, and only told when the records reached the file.
    std::vector<std::string> unheld = run.sides.takePalmWarnings();
    std::string historyRun;
    if (journal) {
        const char* outcome = !ran                                   ? "refused"
                              : run.saveFailed || !unwritten.empty() ? "save-failed"
                              : run.cancelled                        ? "cancelled"
                                                                     : "done";
        journal->finish(run.count, outcome, m_historyKeep);
        historyRun = journal->runId();
        journal.reset();
    }
    if (options.dryRun) {
        // The store's folders hold in memory what the run would have written; the reload below
        // must read the files, which hold what they held before.
        outlook::rereadStoreFolders();
        unheld.clear();
    }
    if (!ran) {
        m_ui.setProgressVisible(false);
        m_ui.setBusyCursor(false);
        return {SyncOutcome::Refused, 0, {}, std::move(run.plan), std::move(historyRun)};
    }

    m_ui.setProgress(100);
    // Both sides are read again, whatever the run did: the rows show what the files hold, not
    // what the lists in memory came to. A cancelled run or a failed save leaves Palm changes in
    // memory that never reached the file; kept, the next run would save choices the user
    // cancelled, or find nothing left to write. An Outlook list may also differ from the stored
    // items where an access does not merge what it wrote. A caller done with the kind closes it
    // instead: reading a hundred thousand records again would double the run's time.
    if (options.closeAfter) {
        CloseKind(kind);
    } else {
        LoadPalmSide(kind, true);
        LoadOutlookSide(kind, true);
        CompareKind(kind);
    }
    m_ui.setProgressVisible(false);
    SyncRunResult result{run.cancelled ? SyncOutcome::Cancelled : SyncOutcome::Done,
                         run.count,
                         {},
                         std::move(run.plan),
                         std::move(historyRun)};
    if (run.saveFailed || !unwritten.empty()) {
        result.outcome = SyncOutcome::SaveFailed;
        std::string text =
            unwritten.empty() ? std::string() : outlookUnwrittenText(kind, unwritten);
        if (run.saveFailed) {
            text += (text.empty() ? "" : "\r\n\r\n") +
                    palmSaveFailedText(kind, run.unsaved.file, run.unsaved.reason);
        }
        const auto changedElsewhere = [](const std::string& failure) {
            return failure.find(kChangedSinceLoaded) != std::string::npos;
        };
        if (std::none_of(unwritten.begin(), unwritten.end(), changedElsewhere) &&
            !changedElsewhere(run.unsaved.reason)) {
            showError(text);
        } else if (m_ui.askReload(text) && !options.closeAfter) {
            // Both sides were read again above, but the store reads a folder's files once
            // unless told to read them again.
            outlook::rereadStoreFolders();
            LoadPalmSide(kind, true);
            LoadOutlookSide(kind, true);
            CompareKind(kind);
        }
    } else if (options.dryRun) {
        // The caller shows the plan; there is no result to announce.
    } else if (run.cancelled) {
        m_ui.showMessage(cancelledText(kind, run.count), "Warning", win::MB_ICONWARNING);
    } else if (!unheld.empty()) {
        // Records written without part of what they hold are no plain success: each is named.
        std::string text = synchronizedText(kind, run.count) +
                           "\r\n\r\nWritten without what the Palm data cannot hold:";
        for (const std::string& line : unheld) {
            text += "\r\n" + line;
        }
        m_ui.showMessage(text, "Warning", win::MB_ICONWARNING);
        result.warnings = std::move(unheld);
    } else {
        m_ui.showMessage(synchronizedText(kind, run.count), "Information", win::MB_ICONINFORMATION);
    }
    m_ui.setBusyCursor(false);
    return result;
}

bool SyncController::runMode(Run& run, SyncMode mode, ConflictRule rule) {
    switch (mode) {
    case SyncMode::P2O:
        return runOneWay(run, ViewSide::Palm);
    case SyncMode::O2P:
        return runOneWay(run, ViewSide::Outlook);
    case SyncMode::Sync:
        return runBothWays(run, rule);
    }
    return false;
}

// P2O over the Palm view with Outlook's SaveRecord, or O2P over the Outlook view with the
// facade's WriteRecord and one Save at the end.
bool SyncController::runOneWay(Run& run, ViewSide from) {
    const std::vector<void*>& rows = from == ViewSide::Palm ? run.palmRows : run.outlookRows;
    std::vector<bool> checked = m_ui.checkedRows(run.kind, from);
    checked.resize(rows.size(), false);
    const auto selected = std::count(checked.begin(), checked.end(), true);
    if (selected == 0) {
        const KindTexts& texts = describeKind(run.kind).texts;
        showError(from == ViewSide::Palm ? texts.noPalmSelection : texts.noOutlookSelection);
        return false;
    }
    const double step = 100.0 / static_cast<double>(selected);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!checked[row]) {
            continue;
        }
        const bool toOutlook = from == ViewSide::Palm;
        const RecordMatch match =
            toOutlook ? run.sides.findInOutlook(rows[row]) : run.sides.findInPalm(rows[row]);
        const PlanAction action =
            match.code == kNotFound
                ? (toOutlook ? PlanAction::CreateInOutlook : PlanAction::CreateInPalm)
            : match.code == kDifferent
                ? (toOutlook ? PlanAction::UpdateOutlook : PlanAction::UpdatePalm)
                : PlanAction::Same;
        planWrite(run, action, rows[row], match);
        const bool written =
            toOutlook ? run.sides.saveRecord(rows[row]) : run.sides.writeRecord(rows[row]);
        run.plan.entries.back().counted = written;
        if (written) {
            run.changed = true;
            run.palmWritten = from == ViewSide::Outlook;
            ++run.count;
        }
        m_ui.setChecked(run.kind, from, row, false);
        m_ui.setProgress(static_cast<int>(run.count * step));
    }
    if (run.palmWritten || run.sides.palmStoreFailed()) {
        savePalm(run);
    }
    return true;
}

// Sync: every Palm row against the Outlook list, then every Outlook row against the Palm list.
// The passes go over the rows the views held when the run started; what a pass adds to a list
// gets no row until the views are rebuilt.
bool SyncController::runBothWays(Run& run, ConflictRule rule) {
    const std::size_t palmCount = run.palmRows.size();
    const std::size_t total = palmCount + run.outlookRows.size();
    if (total == 0) {
        showError(describeKind(run.kind).texts.nothingToSync);
        return false;
    }
    const double step = 100.0 / static_cast<double>(total);
    run.decided = rule != ConflictRule::Ask;
    run.choice = rule == ConflictRule::OutlookWins ? 2 : 1;

    for (std::size_t i = 0; i < palmCount && !run.cancelled; ++i) {
        m_ui.setProgress(static_cast<int>(static_cast<double>(i + 1) * step));
        void* palmRecord = run.palmRows[i];
        const RecordMatch match = run.sides.findInOutlook(palmRecord);
        if (match.code == kNotFound) {
            planWrite(run, PlanAction::CreateInOutlook, palmRecord, match);
            wrote(run, run.sides.createItemFrom(palmRecord), false);
        } else if (match.code == kDifferent) {
            run.settled.emplace(palmRecord, match.record);
            run.named.insert(match.record);
            settleConflict(run, {kDifferent, palmRecord, static_cast<int>(i)}, match);
        } else {
            run.named.insert(match.record);
            plan(run, PlanAction::Same, palmRecord);
        }
    }

    for (std::size_t j = 0; j < run.outlookRows.size() && !run.cancelled; ++j) {
        m_ui.setProgress(static_cast<int>(static_cast<double>(palmCount + j + 1) * step));
        void* outlookRecord = run.outlookRows[j];
        const RecordMatch match = run.sides.findInPalm(outlookRecord);
        if (match.code == kNotFound) {
            planWrite(run, PlanAction::CreateInPalm, outlookRecord, match);
            wrote(run, run.sides.addRecord(outlookRecord), true);
        } else if (match.code == kDifferent &&
                   run.settled.count({match.record, outlookRecord}) == 0) {
            settleConflict(run, match, {kDifferent, outlookRecord, static_cast<int>(j)});
        } else if (match.code != kDifferent && run.named.count(outlookRecord) == 0) {
            plan(run, PlanAction::Same, outlookRecord);
        }
    }

    // A cancelled run leaves the Palm changes made so far in memory, unsaved.
    if ((run.palmWritten || run.sides.palmStoreFailed()) && !run.cancelled) {
        savePalm(run);
    }
    return true;
}

// A write of the two-way mode: counted, and the Palm data then needs saving.
void SyncController::wrote(Run& run, bool written, bool onPalm) {
    run.plan.entries.back().counted = written;
    if (written) {
        run.changed = true;
        run.palmWritten = run.palmWritten || onPalm;
        ++run.count;
    }
}

// A pair that differs, in the two-way mode: the rule or the user decides which side is written.
// `palm` and `outlook` carry each record with its position in its own list.
void SyncController::settleConflict(Run& run, const RecordMatch& palm, const RecordMatch& outlook) {
    switch (resolveConflict(run, palm.record, outlook.record)) {
    case ConflictChoice::PalmWins:
        planWrite(run, PlanAction::UpdateOutlook, palm.record, outlook);
        run.plan.entries.back().conflict = true;
        wrote(run, run.sides.updateItem(palm.record, outlook.position), false);
        break;
    case ConflictChoice::OutlookWins:
        planWrite(run, PlanAction::UpdatePalm, outlook.record, palm);
        run.plan.entries.back().conflict = true;
        wrote(run, run.sides.updateRecord(outlook.record, palm.position), true);
        break;
    case ConflictChoice::Undecided:
        planWrite(run, PlanAction::Undecided, palm.record, outlook);
        run.plan.entries.back().conflict = true;
        break;
    case ConflictChoice::Stop:
        break;
    }
}

PlanEntry& SyncController::plan(Run& run, PlanAction action, const void* source) {
    PlanEntry& entry = run.plan.entries.emplace_back();
    entry.action = action;
    const std::optional<std::string> own = run.sides.recordName(source);
    entry.name = ansiToUtf8(own ? *own : recordName(run.kind, source));
    return entry;
}

// Noted before the write, while `onto` still holds what the write replaces.
void SyncController::planWrite(Run& run, PlanAction action, void* from, const RecordMatch& onto) {
    PlanEntry& entry = plan(run, action, from);
    const bool update = onto.code == kDifferent && onto.record != nullptr;
    if (update) {
        entry.changes = run.sides.changedFields(from, onto.record);
    }
    if (action == PlanAction::CreateInPalm || action == PlanAction::UpdatePalm) {
        entry.losses = run.sides.palmLosses(from, update ? onto.record : nullptr);
    } else if (action == PlanAction::CreateInOutlook || action == PlanAction::UpdateOutlook) {
        entry.losses = run.sides.outlookLosses(from);
    }
}

SyncController::ConflictChoice SyncController::resolveConflict(Run& run, void* palmRecord,
                                                               void* outlookRecord) {
    if (!run.decided && run.dryRun) {
        return ConflictChoice::Undecided;
    }
    if (!run.decided) {
        const ConflictAnswer answer = m_ui.askConflict(run.kind, palmRecord, outlookRecord);
        if (!answer.accepted) {
            m_options.ConfMode = 3;
            run.cancelled = true;
            return ConflictChoice::Stop;
        }
        run.choice = answer.direction;
        if (answer.applyThisRun) {
            run.decided = true;
        }
        if (answer.applyAlways) {
            run.decided = true;
            if (run.choice == 1 || run.choice == 2) {
                m_options.ConfMode = run.choice;
            }
        }
    }
    return run.choice == 2 ? ConflictChoice::OutlookWins : ConflictChoice::PalmWins;
}

// A side read in part or not at all is not synchronised from. Where the run could not lose the
// unread part (it writes only to Outlook, whose store never writes over a file it could not
// read), the user may still confirm it; a run that would save over a Palm file read in part is
// refused outright.
bool SyncController::readsAllow(Run& run, SyncMode mode, const KindState& kindState) {
    const SideRead& palm = kindState.palmRead;
    const SideRead& outlook = kindState.outlookRead;
    const std::string problems = readProblemsText(run.kind, palm, outlook);
    if (problems.empty()) {
        return true;
    }
    const bool writesPalm = mode != SyncMode::P2O;
    const bool unreadable =
        palm.state == ReadState::Unreadable || outlook.state == ReadState::Unreadable;
    if (unreadable || (writesPalm && palm.state == ReadState::Partial)) {
        showError(problems + "\r\n\r\nNothing was synchronized.");
        return false;
    }
    return m_ui.confirmRun(problems + "\r\n\r\nRecords that could not be read may look new or "
                                      "different and be written again. Synchronize anyway?",
                           "Warning");
}

// Palm data that may only be read (a genuine Access database) refuses a run that would change it
// before the run writes anything, on either side. A run that only reads it goes ahead.
bool SyncController::palmWritable(Run& run, SyncMode mode, ConflictRule rule) {
    const std::string refusal = run.sides.palmWriteRefusal();
    if (refusal.empty() || mode == SyncMode::P2O) {
        return true;
    }
    bool writesPalm = false;
    if (mode == SyncMode::O2P) {
        std::vector<bool> checked = m_ui.checkedRows(run.kind, ViewSide::Outlook);
        checked.resize(run.outlookRows.size(), false);
        for (std::size_t row = 0; row < run.outlookRows.size() && !writesPalm; ++row) {
            const int code = run.sides.findInPalm(run.outlookRows[row]).code;
            writesPalm = checked[row] && (code == kNotFound || code == kDifferent);
        }
    } else {
        for (void* record : run.outlookRows) {
            const int code = run.sides.findInPalm(record).code;
            writesPalm = writesPalm || code == kNotFound ||
                         (code == kDifferent && rule != ConflictRule::PalmWins);
        }
    }
    if (!writesPalm) {
        return true;
    }
    showError(refusal + "\r\n\r\nNothing was synchronized.");
    return false;
}

// The run's decisions with nothing written, then both sides read again as they are, with the
// rows checked as they were: the real run then starts from the same records and selection.
bool SyncController::lossesAccepted(Run& run, SyncMode mode, ConflictRule rule) {
    const DataKind kind = run.kind;
    const std::vector<bool> palmChecks = m_ui.checkedRows(kind, ViewSide::Palm);
    const std::vector<bool> outlookChecks = m_ui.checkedRows(kind, ViewSide::Outlook);
    Run preview(kind, run.sides, run.palmRows, run.outlookRows);
    preview.dryRun = true;
    // What the store says meanwhile belongs to no write of this run; the reload's own problems
    // were reported when the kind was opened.
    const outlook::ScopedStoreWarnings notWritten;
    bool planned = false;
    {
        const ScopedWithheldWrites withheld;
        planned = runMode(preview, mode, rule);
    }
    run.sides.takePalmWarnings();
    outlook::rereadStoreFolders();
    LoadPalmSide(kind, true);
    LoadOutlookSide(kind, true);
    CompareKind(kind);
    const auto restore = [this, kind](ViewSide side, std::vector<bool> checks) {
        checks.resize(Rows(kind, side).size(), false);
        m_ui.setAllChecked(kind, side, checks);
    };
    restore(ViewSide::Palm, palmChecks);
    restore(ViewSide::Outlook, outlookChecks);
    m_ui.setProgress(0);
    return planned && (preview.plan.lossCount() == 0 || m_ui.confirmLosses(kind, preview.plan));
}

void SyncController::savePalm(Run& run) {
    if (run.dryRun) {
        return; // the changes stay in memory and go with the reload after the run
    }
    PalmSaveResult saved = run.sides.savePalm();
    if (!saved.ok) {
        run.saveFailed = true;
        run.unsaved = std::move(saved);
    }
}

} // namespace twinleaf
