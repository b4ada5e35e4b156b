// twinleaf compare KIND and twinleaf sync KIND: the sync controller of the desktop program, run on
// the same sides with a terminal in place of the window.
#include "cli/Commands.h"
#include "cli/DifferingFields.h"
#include "cli/PlanOutput.h"
#include "cli/RecordJson.h"
#include "cli/TerminalSyncUi.h"
#include "common/misc/WinUtil.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/KindTable.h"
#include "common/sync/Options.h"
#include "common/sync/RunLocks.h"
#include "common/sync/SyncController.h"
#include "common/sync/SyncHistory.h"
#include "platform/codepage/Codepage.h"
#include "platform/ini/Profile.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <ostream>
#include <string_view>
#include <sys/ioctl.h>
#include <unistd.h>

namespace twinleaf::cli {
namespace {

// --strict refused a run that would lose data.
constexpr int kExitLossRefused = 3;

std::optional<DataKind> parseKind(const std::vector<std::string>& positional) {
    if (positional.size() != 1) {
        return std::nullopt;
    }
    if (const KindDescription* description = kindNamed(positional[0])) {
        return description->kind;
    }
    return std::nullopt;
}

// The words of the kinds that can be synchronised, joined by `separator`.
std::string kindWords(const char* separator) {
    std::string words;
    for (const KindDescription* description : syncableKinds()) {
        words += (words.empty() ? "" : separator) + std::string(description->word);
    }
    return words;
}

// Palm user ids are 32-bit values that `twinleaf users` may print signed or unsigned.
std::optional<std::int32_t> parseUserId(const std::string& text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() ||
        value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

bool palmUserExists(std::int32_t id) {
    CxList& users = palmUserList();
    for (std::uint32_t i = 0; i < users.GetCount(); ++i) {
        const auto* user = static_cast<const PalmUserRec*>(users.GetAt(i));
        if (user != nullptr && static_cast<std::int32_t>(user->id) == id) {
            return true;
        }
    }
    return false;
}

// Why there is no Palm user to open, naming where the users were looked for.
std::string noPalmUsers() {
    if (const std::string problem = palmDesktopFolderProblem(); !problem.empty()) {
        return problem + "\n" + kPalmFolderHint;
    }
    char folder[win::MAX_PATH] = {};
    GetPalmDesktopPath(folder, sizeof folder);
    return std::string(folder) + ": no Palm Desktop user in this folder";
}

// The settings, the Palm environment and one opened kind, as the desktop program has them after
// start-up; closed again in the order of its shut-down. Settings are read, not written back as a
// whole: --user is for this run only.
class KindSession {
public:
    KindSession(CommandContext& context, DataKind kind)
        : m_kind(kind), m_ui(context),
          m_messages([this](win::HWND, const char* text, const char* caption, win::UINT type) {
              m_ui.showMessage(text ? text : "", caption ? caption : "", type);
              return win::IDOK;
          }),
          m_controller(m_options, m_ui) {
        LoadOptions(m_options, settingsFilePath());
        m_storedConfMode = m_options.ConfMode;
        m_controller.SetHistory(historyFolder(), HistoryRunsSetting(settingsFilePath()));
        OpenPalmEnvironment();
    }
    ~KindSession() {
        if (m_controller.IsOpen(m_kind)) {
            m_controller.CloseKind(m_kind);
        }
        ClosePalmEnvironment();
    }
    KindSession(const KindSession&) = delete;
    KindSession& operator=(const KindSession&) = delete;

    // A user named on the command line is that user's data: a file the window was told to open
    // by name gives way to it for this run.
    void chooseUser(std::optional<std::int32_t> user) {
        if (user) {
            m_options.*describeKind(m_kind).userId = *user;
            m_options.*palmFileFields(m_kind).use = false;
        }
    }

    void open(std::optional<std::int32_t> user) {
        chooseUser(user);
        m_controller.OpenKind(m_kind);
        if (!sidesReadable()) {
            const auto unreadable = [this](ViewSide side) {
                SideRead read = m_controller.ReadOf(m_kind, side);
                if (read.state != ReadState::Unreadable) {
                    return SideRead{};
                }
                if (side == ViewSide::Palm && palmUserList().GetCount() == 0) {
                    read.problem = noPalmUsers();
                }
                return read;
            };
            m_ui.showMessage(
                readProblemsText(m_kind, unreadable(ViewSide::Palm), unreadable(ViewSide::Outlook)),
                "Error", win::MB_ICONERROR);
        }
    }

    // Writes a ConfMode changed by the run (an answer for all future synchronizations, or a
    // cancelled question) to the settings file. Only that key: a headless run leaves every
    // other stored setting, and the layout of the file, as they are.
    void keepConfMode() {
        if (m_options.ConfMode == m_storedConfMode) {
            return;
        }
        const std::string value = std::to_string(m_options.ConfMode);
        win::WritePrivateProfileStringA("Twinleaf", "ConfMode", value.c_str(),
                                        settingsFilePath().c_str());
    }

    // Whether both sides could be read at all; when one could not, the warning after the load
    // said why, naming the file or folder.
    bool sidesReadable() const {
        return m_controller.ReadOf(m_kind, ViewSide::Palm).state != ReadState::Unreadable &&
               m_controller.ReadOf(m_kind, ViewSide::Outlook).state != ReadState::Unreadable;
    }

    OptionBlock& options() { return m_options; }
    TerminalSyncUi& ui() { return m_ui; }
    SyncController& controller() { return m_controller; }

private:
    DataKind m_kind;
    OptionBlock m_options{};
    std::int32_t m_storedConfMode = 0;
    TerminalSyncUi m_ui;
    win::ScopedMessageBoxHandler m_messages;
    SyncController m_controller;
};

const char* statusWord(int status) {
    return status == 1 ? "new" : status == 2 ? "different" : "same";
}

void printJsonSide(std::ostream& out, DataKind kind, const std::vector<void*>& rows) {
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << (i == 0 ? "\n    {" : ",\n    {")
            << "\"status\": " << jsonString(statusWord(compareStatusOf(kind, rows[i])));
        for (const ViewColumn& column : describeKind(kind).columns) {
            out << ", " << jsonString(column.caption) << ": "
                << jsonString(ansiToUtf8(fieldText(kind, rows[i], column.fieldId)));
        }
        out << "}";
    }
    out << (rows.empty() ? "]" : "\n  ]");
}

// A short description of a row for the side-by-side listing: the names, else the company, and
// the e-mail address; cut in the 8-bit form, where one byte is one character.
std::string rowSummary(DataKind kind, void* record, std::size_t width) {
    std::string summary;
    for (const ViewColumn& column : describeKind(kind).columns) {
        std::string text = fieldText(kind, record, column.fieldId);
        if (!text.empty()) {
            summary += (summary.empty() ? "" : " ") + text;
        }
        if (summary.size() >= width) {
            break;
        }
    }
    for (char& c : summary) {
        if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        }
    }
    if (summary.size() > width) {
        summary.resize(width);
    }
    return summary;
}

// The width compare lays its two sides out in: the terminal's when standard output is one, else
// $COLUMNS when set, else the 77 columns a pipe or a file has always had.
std::size_t outputColumns() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
        size.ws_col > 0) {
        return size.ws_col;
    }
    if (const char* columns = std::getenv("COLUMNS"); columns != nullptr) {
        std::size_t value = 0;
        const std::string_view text(columns);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size() && value > 0) {
            return value;
        }
    }
    return 77;
}

void printSideBySide(std::ostream& out, DataKind kind, const std::vector<void*>& palm,
                     const std::vector<void*>& outlook, std::size_t columns) {
    constexpr std::size_t kStatus = 11;
    // Each side gets half of what the separator leaves; never less than the 26 characters a
    // name and a phone number need.
    const std::size_t half = columns > 3 ? (columns - 3) / 2 : 0;
    const std::size_t kText = std::max<std::size_t>(26, half > kStatus ? half - kStatus : 0);
    const auto cell = [&](const std::vector<void*>& rows, std::size_t i) {
        if (i >= rows.size()) {
            return std::string(kStatus + kText, ' ');
        }
        std::string line = statusWord(compareStatusOf(kind, rows[i]));
        line.resize(kStatus, ' ');
        std::string text = rowSummary(kind, rows[i], kText);
        text.resize(kText, ' ');
        return line + text;
    };
    std::string left = "Palm Desktop (" + std::to_string(palm.size()) + ")";
    left.resize(kStatus + kText, ' ');
    out << left << " | Outlook (" << outlook.size() << ")\n";
    for (std::size_t i = 0; i < std::max(palm.size(), outlook.size()); ++i) {
        std::string line = cell(palm, i) + " | " + cell(outlook, i);
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << ansiToUtf8(line) << "\n";
    }
}

// Each different pair by its Palm record, with the fields the comparison found unequal.
void printDifferingFields(std::ostream& out, DataKind kind,
                          const std::vector<DifferingPair>& pairs) {
    if (pairs.empty()) {
        return;
    }
    out << "\nDifferent pairs, with the fields that differ:\n";
    for (const DifferingPair& pair : pairs) {
        std::string fields;
        for (const std::string& field : pair.fields) {
            fields += (fields.empty() ? "" : ", ") + field;
        }
        out << "  " << ansiToUtf8(recordName(kind, pair.palm)) << ": " << fields << "\n";
    }
}

// --only: the statuses to list, as a set of CompareStatus values; nullopt for a wrong word.
std::optional<std::array<bool, 3>> parseOnly(const std::string& text) {
    std::array<bool, 3> wanted{};
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string word = text.substr(start, comma - start);
        if (word == "same") {
            wanted[0] = true;
        } else if (word == "new") {
            wanted[1] = true;
        } else if (word == "different") {
            wanted[2] = true;
        } else {
            return std::nullopt;
        }
        start = comma + 1;
    }
    return wanted;
}

std::vector<void*> rowsWithStatus(DataKind kind, const std::vector<void*>& rows,
                                  const std::array<bool, 3>& wanted) {
    std::vector<void*> kept;
    for (void* row : rows) {
        const int status = compareStatusOf(kind, row);
        if (status >= 0 && status <= 2 && wanted[static_cast<std::size_t>(status)]) {
            kept.push_back(row);
        }
    }
    return kept;
}

int runCompare(const std::vector<std::string>& args, CommandContext& context);
int runSync(const std::vector<std::string>& args, CommandContext& context);

const Command& compareCommandEntry() {
    static const Command command{
        "compare", "compare contacts|calendar|tasks|memos [--user ID] [--only STATUSES] [--json]",
        "show both sides of a kind with each record's status: new, different or same",
        "Loads the Palm Desktop data of the Palm user and Outlook's default folder, compares\n"
        "them as the desktop program does, and lists both sides next to each other.\n\n"
        "Options:\n"
        "  --user ID   the Palm user (see 'twinleaf users'); default: the stored one\n"
        "  --only STATUSES\n"
        "              list only the rows of these statuses, a comma-separated choice of\n"
        "              same, new and different (e.g. --only different,new)\n"
        "  --json      every row with its status and the columns of the list views, as JSON\n\n"
        "The listing takes the terminal's width; into a pipe or a file it fits 80 columns\n"
        "unless $COLUMNS says otherwise. After it, each different pair is named with the\n"
        "fields that make it different.\n\n"
        "Exit status: 0 when both sides were read (a side read only in part is listed as far\n"
        "as it was read, with a warning), 1 when a side could not be read at all, 2 for bad\n"
        "arguments.\n",
        runCompare};
    return command;
}

const Command& syncCommandEntry() {
    static const Command command{
        "sync",
        "sync contacts|calendar|tasks|memos --mode p2o|o2p|all [--user ID] [--select all|diff] "
        "[--conflicts palm|outlook] [--force] [--dry-run [--json]] [--strict]",
        "synchronise a kind in one of the three directions",
        "Runs one synchronization as the Start button does and prints its message.\n\n"
        "Options:\n"
        "  --mode p2o        Palm Desktop to Outlook (the selected Palm rows)\n"
        "  --mode o2p        Outlook to Palm Desktop (the selected Outlook rows)\n"
        "  --mode all        Synchronize All (every row of both sides)\n"
        "  --select all|diff which rows to select: all, or the new and different ones\n"
        "                    (default: diff)\n"
        "  --conflicts palm|outlook\n"
        "                    in mode all, which side wins a conflict; without it the stored\n"
        "                    rule decides, else the question is asked on the terminal, and\n"
        "                    without a terminal the run stops at the first conflict\n"
        "  --user ID         the Palm user (see 'twinleaf users'); default: the stored one\n"
        "  --force           run although a side was read only in part, where the run cannot\n"
        "                    overwrite what was not read (never onto a Palm file read in part)\n"
        "  --dry-run         decide everything as the run would and write nothing: print the\n"
        "                    plan, one line per record with its action, the fields an update\n"
        "                    changes (old -> new) and what the target cannot hold; a conflict\n"
        "                    no rule decides is listed, not asked\n"
        "  --json            with --dry-run: the plan as JSON\n"
        "  --strict          refuse a run that would lose anything the target cannot hold\n"
        "                    (exit status 3)\n\n"
        "A run that changes files keeps what it changes in the history ('twinleaf history');\n"
        "'twinleaf undo' takes it back. Losses are warned about on standard error.\n\n"
        "Exit status: 0 when the run went through (records written without what the Palm\n"
        "data cannot hold, such as a yearly repeat on a weekday, are named in a warning on\n"
        "standard error); 1 when it did not (nothing selected, another run using the same\n"
        "files, a side unreadable or read only in part without --force, a conflict with\n"
        "nobody to ask, the question cancelled, a file changed by another program since it\n"
        "was read, or data not saved), with the message on standard error; 2 for bad\n"
        "arguments; 3 when --strict refused a run that would lose data.\n",
        runSync};
    return command;
}

// The kind and --user, common to both commands; an error message when they are wrong.
std::optional<std::string> kindAndUser(const Arguments& parsed, DataKind& kind,
                                       std::optional<std::int32_t>& user) {
    const std::optional<DataKind> parsedKind = parseKind(parsed.positional());
    if (!parsedKind) {
        return parsed.positional().empty() ? "which kind? " + kindWords(", ")
                                           : "unknown kind: only " + kindWords(", ");
    }
    kind = *parsedKind;
    if (const auto text = parsed.value("user")) {
        user = parseUserId(*text);
        if (!user) {
            return "--user needs a Palm user id, a number";
        }
    }
    return std::nullopt;
}

std::optional<std::string> unknownUser(std::optional<std::int32_t> user) {
    if (user && !palmUserExists(*user)) {
        return "no Palm user has the id " + std::to_string(*user) + " (see 'twinleaf users')";
    }
    return std::nullopt;
}

int runCompare(const std::vector<std::string>& args, CommandContext& context) {
    const Command& self = compareCommandEntry();
    const Arguments parsed(args, {"json"}, {"user", "only"});
    if (!parsed.ok()) {
        return usageError(self, parsed.error(), context);
    }
    std::array<bool, 3> wanted{true, true, true};
    if (const auto only = parsed.value("only")) {
        const auto chosen = parseOnly(*only);
        if (!chosen) {
            return usageError(self, "--only takes same, new and different, separated by commas",
                              context);
        }
        wanted = *chosen;
    }
    DataKind kind = DataKind::Addr;
    std::optional<std::int32_t> user;
    if (const auto error = kindAndUser(parsed, kind, user)) {
        return usageError(self, *error, context);
    }
    KindSession session(context, kind);
    if (const auto error = unknownUser(user)) {
        return usageError(self, *error, context);
    }
    session.open(user);
    const std::vector<void*> palm =
        rowsWithStatus(kind, session.controller().Rows(kind, ViewSide::Palm), wanted);
    const std::vector<void*> outlook =
        rowsWithStatus(kind, session.controller().Rows(kind, ViewSide::Outlook), wanted);
    if (parsed.has("json")) {
        context.out << "{\n  \"kind\": " << jsonString(parsed.positional()[0]) << ",\n  \"palm\": ";
        printJsonSide(context.out, kind, palm);
        context.out << ",\n  \"outlook\": ";
        printJsonSide(context.out, kind, outlook);
        context.out << "\n}\n";
    } else {
        printSideBySide(context.out, kind, palm, outlook, outputColumns());
        if (wanted[2]) {
            printDifferingFields(
                context.out, kind,
                differingPairs(kind, session.controller().Rows(kind, ViewSide::Palm),
                               session.controller().Rows(kind, ViewSide::Outlook)));
        }
    }
    return session.ui().errorShown() || !session.sidesReadable() ? kExitError : kExitOk;
}

int runSync(const std::vector<std::string>& args, CommandContext& context) {
    const Command& self = syncCommandEntry();
    const Arguments parsed(args, {"force", "dry-run", "json", "strict"},
                           {"mode", "user", "select", "conflicts"});
    if (!parsed.ok()) {
        return usageError(self, parsed.error(), context);
    }
    DataKind kind = DataKind::Addr;
    std::optional<std::int32_t> user;
    if (const auto error = kindAndUser(parsed, kind, user)) {
        return usageError(self, *error, context);
    }
    const std::string mode = parsed.value("mode").value_or("");
    if (mode != "p2o" && mode != "o2p" && mode != "all") {
        return usageError(self,
                          mode.empty() ? "--mode is required: p2o, o2p or all"
                                       : "--mode must be p2o, o2p or all",
                          context);
    }
    const std::string select = parsed.value("select").value_or("diff");
    if (select != "all" && select != "diff") {
        return usageError(self, "--select must be all or diff", context);
    }
    const std::optional<std::string> conflicts = parsed.value("conflicts");
    if (conflicts && *conflicts != "palm" && *conflicts != "outlook") {
        return usageError(self, "--conflicts must be palm or outlook", context);
    }
    const bool dryRun = parsed.has("dry-run");
    if (parsed.has("json") && !dryRun) {
        return usageError(self, "--json goes with --dry-run", context);
    }

    KindSession session(context, kind);
    if (const auto error = unknownUser(user)) {
        return usageError(self, *error, context);
    }
    session.ui().setForce(parsed.has("force"));
    // Held from before the load until after the save: a second run that loaded meanwhile would
    // write what it found missing a second time. It stops at once rather than wait, since a
    // window may hold the home for hours. A dry run writes nothing and, like compare, takes none.
    RunLock homeLock;
    RunLock palmLock;
    const std::string holder = std::string("twinleaf sync ") + describeKind(kind).word;
    session.chooseUser(user);
    const std::int32_t palmUser = session.options().*describeKind(kind).userId;
    if (std::string busy;
        !dryRun && (!lockForRun(homeLock, homeLockFile(), holder, busy) ||
                    !lockForRun(palmLock, palmDataLockFile(session.options(), kind, palmUser),
                                holder, busy))) {
        session.ui().showMessage(
            utf8ToAnsi(busy + " Nothing was synchronized; try again when it has finished."),
            "Error", win::MB_ICONERROR);
        return kExitError;
    }
    session.open(user);
    if (!session.sidesReadable()) {
        return kExitError;
    }
    SyncController& controller = session.controller();
    const SyncMode syncMode = mode == "p2o"   ? SyncMode::P2O
                              : mode == "o2p" ? SyncMode::O2P
                                              : SyncMode::Sync;
    // --conflicts is a rule for this one run; without it the stored rule decides.
    const ConflictRule rule = !conflicts ? conflictRuleFromSetting(session.options().ConfMode)
                              : *conflicts == "palm" ? ConflictRule::PalmWins
                                                     : ConflictRule::OutlookWins;
    // Every run reloads both sides, which clears the selection: it is made before each one.
    const auto runOnce = [&](bool withheld) {
        if (syncMode != SyncMode::Sync) {
            const ViewSide from = syncMode == SyncMode::P2O ? ViewSide::Palm : ViewSide::Outlook;
            if (select == "all") {
                controller.SelectAll(kind, from);
            } else {
                controller.SelectDiff(kind, from);
            }
        }
        // The command ends with a plan it only prints, or with the real run: the kind is closed
        // then. A plan made before a real run leaves the kind read again for it.
        return controller.RunSync(kind, syncMode, rule,
                                  SyncRunOptions{withheld, dryRun || !withheld});
    };
    const auto succeeded = [&session](const SyncRunResult& result) {
        return result.outcome == SyncOutcome::Done && !session.ui().errorShown();
    };

    const bool strict = parsed.has("strict");
    if (dryRun || strict) {
        const SyncRunResult planned = runOnce(true);
        if (!succeeded(planned)) {
            return kExitError;
        }
        const bool refused = strict && planned.plan.lossCount() > 0;
        if (dryRun) {
            if (parsed.has("json")) {
                printPlanJson(context.out, describeKind(kind).word, mode, planned.plan);
            } else {
                printPlan(context.out, describeKind(kind).word, mode, planned.plan);
            }
        } else if (refused) {
            printLosses(context.err, planned.plan);
        }
        if (refused) {
            context.err << "twinleaf: the run would lose what the target cannot hold"
                        << (dryRun ? "" : " (listed above); nothing was synchronized") << "\n";
            return kExitLossRefused;
        }
        if (dryRun) {
            return kExitOk;
        }
    }
    const SyncRunResult result = runOnce(false);
    session.keepConfMode();
    printLosses(context.err, result.plan);
    return succeeded(result) ? kExitOk : kExitError;
}

} // namespace

Command compareCommand() {
    return compareCommandEntry();
}
Command syncCommand() {
    return syncCommandEntry();
}

} // namespace twinleaf::cli
