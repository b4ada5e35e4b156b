// Recording runs at the file layer, listing them, undoing one and pruning old ones.
#include "common/sync/SyncHistory.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/ProgramFolder.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <span>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace twinleaf {
namespace {

constexpr const char* kManifest = "manifest";
constexpr const char* kMagic = "twinleaf-history\t1";

std::string hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

bool parseHex(const std::string& text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

// The time now, as the manifest shows it ("2026-12-11 03:40:00") or as a run's id begins
// ("20261211-034000").
std::string localTime(bool forId) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[64];
    if (forId) {
        std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    } else {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    }
    return text;
}

bool writeAllTo(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A copy of a file's old bytes: written whole before the manifest names it.
bool writeCopy(const std::filesystem::path& path, std::string_view bytes, bool flush) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const bool ok = writeAllTo(fd, bytes) && (!flush || ::fsync(fd) == 0);
    return ::close(fd) == 0 && ok;
}

std::vector<std::string> splitTabs(const std::string& line, std::size_t most) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < most) {
        const std::size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            break;
        }
        parts.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    parts.push_back(line.substr(start));
    return parts;
}

} // namespace

std::filesystem::path historyFolder() {
    return dataFolder() / "history";
}

struct RunJournal::State {
    std::filesystem::path history;
    HistoryRunInfo info;
    std::string id;
    std::filesystem::path folder;
    int manifest = -1;
    std::unordered_map<std::string, std::size_t> numbers; // path -> its copy's number
    std::unique_ptr<ScopedReplaceObserver> observer;

    ~State() {
        if (manifest >= 0) {
            ::close(manifest);
        }
    }

    bool append(const std::string& line, bool flush) {
        return writeAllTo(manifest, line + "\n") && (!flush || ::fdatasync(manifest) == 0);
    }

    // The run's folder and the manifest's head, made at the first change.
    bool begin(std::string& error) {
        std::error_code ec;
        std::filesystem::create_directories(history, ec);
        // The microseconds keep runs of one second apart and in order.
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count() %
                            1000000;
        char fraction[8];
        std::snprintf(fraction, sizeof fraction, "%06lld", static_cast<long long>(micros));
        const std::string stem = localTime(true) + "-" + fraction;
        for (int attempt = 0; attempt < 100; ++attempt) {
            id = stem + (attempt == 0 ? "" : "-" + std::to_string(attempt));
            folder = history / id;
            if (::mkdir(folder.c_str(), 0700) == 0) {
                break;
            }
            if (errno != EEXIST) {
                error = "history: " + folder.string() + ": " + std::strerror(errno);
                return false;
            }
        }
        std::filesystem::create_directory(folder / "files", ec);
        manifest =
            ::open((folder / kManifest).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (ec || manifest < 0 ||
            !append(std::string(kMagic) + "\ntime\t" + localTime(false) + "\nkind\t" + info.kind +
                        "\nmode\t" + info.mode + "\nuser\t" + std::to_string(info.user),
                    false)) {
            error = "history: " + folder.string() + ": cannot be written";
            id.clear();
            return false;
        }
        return true;
    }

    bool note(const std::filesystem::path& file, std::span<const std::uint8_t> after, Flush flush,
              std::string& error) {
        const std::filesystem::path path = std::filesystem::absolute(file);
        const std::string name = path.string();
        const std::string afterSum = hex(checksumOf(after));
        if (name.find('\n') != std::string::npos) {
            error = "history: a file name with a line break cannot be recorded; not written";
            return false;
        }
        if (std::string reason; manifest < 0 && !begin(reason)) {
            error = path.string() + ": its present content could not be kept in the history (" +
                    reason + "); not written";
            return false;
        }
        const bool flushed = flush == Flush::Yes;
        if (const auto known = numbers.find(name); known != numbers.end()) {
            return append("after\t" + std::to_string(known->second) + "\t" + afterSum, flushed) ||
                   failed(path, error);
        }
        const std::size_t number = numbers.size();
        const std::filesystem::path copy = folder / "files" / std::to_string(number);
        // Saves replace a file by a rename and never write into it, so a second link keeps its
        // old bytes without copying them; its checksum is taken when it is needed, at undo.
        // Where no link can be made (another file system), the bytes are copied.
        // A file changed in place gets a copy: a link would change with it.
        bool existed = !changingInPlace() && ::link(path.c_str(), copy.c_str()) == 0;
        std::string beforeSum = "-";
        if (!existed && (changingInPlace() || errno != ENOENT)) {
            std::string before;
            std::error_code ec;
            existed = std::filesystem::exists(path, ec);
            if (existed && (!readWholeFile(path, before) || !writeCopy(copy, before, flushed))) {
                return failed(path, error);
            }
            beforeSum = hex(checksumOf(before));
        }
        if (!append("file\t" + std::to_string(number) + "\t" + (existed ? "1" : "0") + "\t" +
                        (existed ? beforeSum : hex(0)) + "\t" + afterSum + "\t" + name,
                    flushed)) {
            return failed(path, error);
        }
        numbers.emplace(name, number);
        return true;
    }

    bool failed(const std::filesystem::path& path, std::string& error) {
        error = path.string() + ": its present content could not be kept in the history (" +
                folder.string() + "); not written";
        return false;
    }
};

RunJournal::RunJournal(std::filesystem::path history, HistoryRunInfo info)
    : m_state(std::make_unique<State>()) {
    m_state->history = std::move(history);
    m_state->info = std::move(info);
    State* state = m_state.get();
    m_state->observer = std::make_unique<ScopedReplaceObserver>(
        [state](const std::filesystem::path& file, std::span<const std::uint8_t> after, Flush flush,
                std::string& error) { return state->note(file, after, flush, error); });
}

RunJournal::~RunJournal() = default;

void RunJournal::finish(int count, const std::string& outcome, int keepRuns) {
    m_state->observer.reset();
    if (m_state->manifest < 0) {
        return;
    }
    m_state->append("end\t" + std::to_string(count) + "\t" + outcome, true);
    pruneHistory(m_state->history, keepRuns);
}

const std::string& RunJournal::runId() const {
    return m_state->id;
}

namespace {

// Reads a run's manifest; without `withFiles` the file lines are checked but not kept, which is
// all a count of the runs needs (a run that changed 100 000 files lists 100 000 of them).
bool readRun(const std::filesystem::path& runFolder, HistoryRun& run, std::string& error,
             bool withFiles) {
    std::string text;
    if (!readWholeFile(runFolder / kManifest, text)) {
        error = (runFolder / kManifest).string() + ": cannot be read";
        return false;
    }
    run = HistoryRun{};
    run.id = runFolder.filename().string();
    run.folder = runFolder;
    std::size_t fileCount = 0;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    if (line != kMagic) {
        error = (runFolder / kManifest).string() + ": not a history manifest";
        return false;
    }
    while (std::getline(lines, line)) {
        const std::vector<std::string> parts = splitTabs(line, 6);
        const std::string& tag = parts[0];
        if (tag == "time" && parts.size() == 2) {
            run.time = parts[1];
        } else if (tag == "kind" && parts.size() == 2) {
            run.kind = parts[1];
        } else if (tag == "mode" && parts.size() == 2) {
            run.mode = parts[1];
        } else if (tag == "user" && parts.size() == 2) {
            run.user = std::atoi(parts[1].c_str());
        } else if (tag == "file" && parts.size() == 6) {
            HistoryFile file;
            file.existed = parts[2] == "1";
            file.path = parts[5];
            if (file.existed) {
                file.copy = runFolder / "files" / parts[1];
            }
            file.beforeKnown = parts[3] != "-";
            if ((file.beforeKnown && !parseHex(parts[3], file.before)) ||
                !parseHex(parts[4], file.after) || parts[1] != std::to_string(fileCount)) {
                error = (runFolder / kManifest).string() + ": damaged line: " + line;
                return false;
            }
            ++fileCount;
            if (withFiles) {
                run.files.push_back(std::move(file));
            }
        } else if (tag == "after" && parts.size() == 3) {
            std::size_t number = 0;
            const auto [end, problem] =
                std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), number);
            std::uint64_t after = 0;
            if (problem != std::errc() || number >= fileCount ||
                !parseHex(parts[2], withFiles ? run.files[number].after : after)) {
                error = (runFolder / kManifest).string() + ": damaged line: " + line;
                return false;
            }
        } else if (tag == "end" && parts.size() >= 2) {
            run.finished = true;
            run.count = std::atoi(parts[1].c_str());
            run.outcome = parts.size() > 2 ? parts[2] : "";
        } else if (tag == "undone") {
            run.undone = true;
        }
        // A line cut short by a kill mid-write is the last one; anything else unknown is skipped.
    }
    return true;
}

std::vector<HistoryRun> listRuns(const std::filesystem::path& folder, bool withFiles) {
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_directory(ec)) {
            folders.push_back(entry.path());
        }
    }
    // Run ids begin with the time they were made, so name order is the order of the runs.
    std::sort(folders.begin(), folders.end());
    std::vector<HistoryRun> runs;
    for (const auto& runFolder : folders) {
        HistoryRun run;
        if (std::string error; readRun(runFolder, run, error, withFiles)) {
            runs.push_back(std::move(run));
        }
    }
    return runs;
}

} // namespace

bool readHistoryRun(const std::filesystem::path& runFolder, HistoryRun& run, std::string& error) {
    return readRun(runFolder, run, error, true);
}

std::vector<HistoryRun> listHistory(const std::filesystem::path& folder) {
    return listRuns(folder, true);
}

UndoResult undoRun(HistoryRun& run, bool force) {
    UndoResult result;
    if (run.undone) {
        result.error = "run " + run.id + " was already undone";
        return result;
    }
    // The kept bytes first: what each file held before, and whether the copy is whole.
    std::vector<std::string> kept(run.files.size());
    for (std::size_t i = 0; i < run.files.size(); ++i) {
        HistoryFile& file = run.files[i];
        if (!file.existed) {
            continue;
        }
        if (!readWholeFile(file.copy, kept[i]) ||
            (file.beforeKnown && checksumOf(kept[i]) != file.before)) {
            result.error = file.copy.string() + ": the kept copy of " + file.path.string() +
                           " cannot be read or is damaged";
            return result;
        }
        file.before = checksumOf(kept[i]);
    }
    // A file is as the run left it when it holds what it held before (the run had not replaced
    // it yet when it stopped) or what the run wrote; anything else is someone else's change.
    for (const HistoryFile& file : run.files) {
        std::string now;
        std::error_code ec;
        const bool exists = std::filesystem::exists(file.path, ec);
        bool asLeft = !exists && !file.existed;
        if (exists && readWholeFile(file.path, now)) {
            const std::uint64_t sum = checksumOf(now);
            asLeft = sum == file.after || (file.existed && sum == file.before);
        }
        if (!asLeft) {
            result.changed.push_back(file.path);
        }
    }
    if (!result.changed.empty() && !force) {
        return result;
    }
    for (std::size_t i = 0; i < run.files.size(); ++i) {
        const HistoryFile& file = run.files[i];
        if (!file.existed) {
            std::error_code ec;
            std::filesystem::remove(file.path, ec);
            if (ec) {
                result.error = file.path.string() + ": cannot be removed: " + ec.message();
                return result;
            }
            continue;
        }
        if (const AtomicSaveResult saved =
                saveAtomically(file.path, kept[i], KeepBackup::No, Flush::No);
            !saved) {
            result.error = saved.error;
            return result;
        }
    }
    // One flush for all the files put back, as the store flushes its items once. A run that was
    // killed mid-save left its temporary file beside the file it was replacing: gone with it.
    std::set<std::filesystem::path> folders;
    for (const HistoryFile& file : run.files) {
        folders.insert(file.path.parent_path());
    }
    for (const auto& folder : folders) {
        removeStaleTemporaryFiles(folder);
    }
    if (!folders.empty()) {
        flushFileSystem(*folders.begin());
    }
    const int fd = ::open((run.folder / kManifest).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const bool marked = fd >= 0 && writeAllTo(fd, "undone\t" + localTime(false) + "\n");
    if (fd >= 0) {
        ::close(fd);
    }
    if (!marked) {
        result.error = (run.folder / kManifest).string() +
                       ": the files were put back, but the run could not be marked as undone";
        return result;
    }
    run.undone = true;
    result.ok = true;
    return result;
}

void pruneHistory(const std::filesystem::path& folder, int keep) {
    // Pruning ends every run that changed files, while both sides are still in memory: the
    // runs' lists of files are not read into memory for it.
    const std::vector<HistoryRun> runs = listRuns(folder, false);
    const std::size_t kept = static_cast<std::size_t>(std::max(keep, 1));
    for (std::size_t i = 0; i + kept < runs.size(); ++i) {
        std::error_code ec;
        std::filesystem::remove_all(runs[i].folder, ec);
    }
}

} // namespace twinleaf
