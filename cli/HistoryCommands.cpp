// twinleaf history and twinleaf undo: the runs the history keeps, and taking one back.
#include "cli/Commands.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/RunLocks.h"
#include "common/sync/SyncHistory.h"

#include <algorithm>
#include <cstdint>
#include <ostream>

namespace twinleaf::cli {
namespace {

std::string stateWord(const HistoryRun& run) {
    return run.undone ? "undone" : run.finished ? run.outcome : "interrupted";
}

// "RUN (KIND, MODE, TIME)", as messages name a run.
std::string runTitle(const HistoryRun& run) {
    return run.id + " (" + run.kind + " " + run.mode + ", " + run.time + ")";
}

int runHistory(const std::vector<std::string>& args, CommandContext& context, const Command& self) {
    const Arguments parsed(args, {}, {});
    if (!parsed.ok() || !parsed.positional().empty()) {
        return usageError(self, parsed.ok() ? "history takes no arguments" : parsed.error(),
                          context);
    }
    const std::vector<HistoryRun> runs = listHistory(historyFolder());
    if (runs.empty()) {
        context.out << "No synchronization is recorded in " << historyFolder().string() << ".\n";
        return kExitOk;
    }
    for (const HistoryRun& run : runs) {
        context.out << run.id << "  " << run.time << "  " << run.kind << " "
                    << run.mode
                    // As `twinleaf users` lists it and `--user` takes it: unsigned.
                    << "  user " << static_cast<std::uint32_t>(run.user) << "  " << run.count
                    << " records, " << run.files.size() << " files  " << stateWord(run) << "\n";
    }
    return kExitOk;
}

int runUndo(const std::vector<std::string>& args, CommandContext& context, const Command& self) {
    const Arguments parsed(args, {"force"}, {});
    if (!parsed.ok() || parsed.positional().size() > 1) {
        return usageError(self, parsed.ok() ? "undo takes at most one run" : parsed.error(),
                          context);
    }
    std::vector<HistoryRun> runs = listHistory(historyFolder());
    HistoryRun* run = nullptr;
    if (parsed.positional().empty()) {
        const auto last =
            std::find_if(runs.rbegin(), runs.rend(), [](const HistoryRun& r) { return !r.undone; });
        run = last == runs.rend() ? nullptr : &*last;
    } else {
        const auto named = std::find_if(runs.begin(), runs.end(), [&](const HistoryRun& r) {
            return r.id == parsed.positional()[0];
        });
        run = named == runs.end() ? nullptr : &*named;
    }
    if (run == nullptr) {
        context.err << "twinleaf: "
                    << (parsed.positional().empty() ? "no synchronization to undo"
                                                    : "no run " + parsed.positional()[0])
                    << " in " << historyFolder().string() << " (see 'twinleaf history')\n";
        return kExitError;
    }
    // The same locks as a run: undo must not put files back under a run that is writing them.
    OpenPalmEnvironment();
    RunLock homeLock;
    RunLock palmLock;
    std::string busy;
    const bool locked = lockForRun(homeLock, homeLockFile(), "twinleaf undo", busy) &&
                        lockForRun(palmLock, palmUserLockFile(run->user), "twinleaf undo", busy);
    ClosePalmEnvironment();
    if (!locked) {
        context.err << "twinleaf: " << busy << " Nothing was undone.\n";
        return kExitError;
    }
    const UndoResult undone = undoRun(*run, parsed.has("force"));
    if (!undone.changed.empty() && !undone.ok) {
        context.err << "twinleaf: these files were changed since run " << runTitle(*run) << ":\n";
        for (const auto& file : undone.changed) {
            context.err << "  " << file.string() << "\n";
        }
        if (undone.error.empty()) {
            context.err << "twinleaf: nothing was undone; --force puts the files back anyway, "
                           "over those changes\n";
            return kExitError;
        }
    }
    if (!undone.ok) {
        context.err << "twinleaf: undo of run " << runTitle(*run) << " failed: " << undone.error
                    << "\n";
        return kExitError;
    }
    context.out << "Run " << runTitle(*run) << " undone: " << run->files.size()
                << " files are as they were before it.\n";
    return kExitOk;
}

} // namespace

Command historyCommand() {
    static const Command command{
        "history", "history", "list the synchronizations that can be undone",
        "\nLists the runs the history keeps (the last 20, or HistoryRuns in section\n"
        "[Twinleaf] of corvane.ini), oldest first: the run's id, when it ran, the kind, the\n"
        "mode, the Palm user, the records it updated, the files it changed, and whether it\n"
        "finished, was interrupted or was undone. A run that changed no file is not kept.\n",
        [](const std::vector<std::string>& args, CommandContext& context) {
            return runHistory(args, context, historyCommand());
        }};
    return command;
}

Command undoCommand() {
    static const Command command{
        "undo", "undo [RUN] [--force]", "put both sides back as they were before a run",
        "\nPuts back every file the run changed (the Palm Desktop file and its backup, the\n"
        "Outlook items) as it was before the run, and removes the items it created. Without\n"
        "RUN, the last run not undone yet. An interrupted run is undone as far as it got.\n\n"
        "When a file was changed since the run (by a later run or another program), the files\n"
        "are named and nothing is done, unless --force.\n\n"
        "Exit status: 0 when the run was undone, 1 when it was not, 2 for bad arguments.\n",
        [](const std::vector<std::string>& args, CommandContext& context) {
            return runUndo(args, context, undoCommand());
        }};
    return command;
}

} // namespace twinleaf::cli
