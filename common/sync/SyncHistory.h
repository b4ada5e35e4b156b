// The history of sync runs, for taking a run back. While a run lasts, every file it is about to
// replace or create is noted, before it changes, in the run's folder under "history/": the
// file's bytes as they were (Palm files, Outlook items and their backups alike; one mechanism at
// the file layer covers both sides) and a manifest line naming it with checksums of what it held
// before and what it will hold after. A run killed between two writes thus leaves a history from
// which undo can put back every file it had already changed.
//
// The manifest is a text file of tab-separated lines:
//   twinleaf-history 1 | time T | kind K | mode M | user U     the run, when it first wrote
//   file N EXISTED BEFORE AFTER PATH                          a file first changed (copy: N;
//                                                             BEFORE "-": the copy's checksum)
//   after N AFTER                                             the same file written again
//   end COUNT OUTCOME                                         the run finished
//   undone T                                                  undo put the files back
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace twinleaf {

// "history" in the data folder (where the Outlook store lives).
std::filesystem::path historyFolder();

// How many runs the history keeps when the settings say nothing.
inline constexpr int kDefaultHistoryRuns = 20;

struct HistoryRunInfo {
    std::string kind; // the command line's word: contacts, calendar, ...
    std::string mode; // p2o, o2p or all
    std::int32_t user = 0;
};

// Records one run for the length of its scope. The run's folder is made when the run first
// changes a file: a run that writes nothing leaves no history.
class RunJournal {
public:
    RunJournal(std::filesystem::path historyFolder, HistoryRunInfo info);
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // Notes the end of the run with its count and outcome word, flushes the history to the disk
    // and keeps only the last `keepRuns` runs.
    void finish(int count, const std::string& outcome, int keepRuns);
    // The run's id once it has changed a file; empty before.
    const std::string& runId() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

struct HistoryFile {
    std::filesystem::path path;
    bool existed = false;
    std::uint64_t before = 0; // checksums; `before` only when it existed
    bool beforeKnown = false; // from the manifest; else taken from the copy at undo
    std::uint64_t after = 0;
    std::filesystem::path copy; // the bytes it held before; empty when it did not exist
};

struct HistoryRun {
    std::string id;
    std::filesystem::path folder;
    std::string time;
    std::string kind;
    std::string mode;
    std::int32_t user = 0;
    bool finished = false; // false: the run was interrupted
    int count = 0;
    std::string outcome;
    bool undone = false;
    std::vector<HistoryFile> files;
};

// Every run in the history, oldest first; runs whose manifest cannot be read are left out.
std::vector<HistoryRun> listHistory(const std::filesystem::path& folder);
bool readHistoryRun(const std::filesystem::path& runFolder, HistoryRun& run, std::string& error);

struct UndoResult {
    bool ok = false;
    std::vector<std::filesystem::path> changed; // files changed since the run (refused)
    std::string error;                          // a failure, naming the file
};
// Puts every file the run changed back as it was before it, and removes the files it created.
// A file that holds neither what it held before the run nor what the run wrote was changed by
// someone else since: nothing is done, and `changed` names such files, unless `force`.
UndoResult undoRun(HistoryRun& run, bool force);

// Removes all but the last `keep` runs.
void pruneHistory(const std::filesystem::path& folder, int keep);

} // namespace twinleaf
