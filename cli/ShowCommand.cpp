// twinleaf show SIDE KIND: the records one side holds, converted into common records exactly as a
// sync run would see them, as a table or as JSON. Each side and kind is one row of the table
// below with its options and its function.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "common/misc/WinUtil.h"
#include "common/outlook/OlAddr.h"
#include "common/outlook/OlDate.h"
#include "common/outlook/OlNote.h"
#include "common/outlook/OlTask.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmDateInfo.h"
#include "common/palm/PalmEnv.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/palm/PalmTodoInfo.h"
#include "common/sync/ContactKind.h"
#include "common/sync/FacadeKind.h"
#include "common/sync/Options.h"
#include "platform/codepage/Codepage.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::cli {
namespace {

struct ShowTarget {
    const char* side;
    const char* kind;
    const char* options; // the usage after "show SIDE KIND"
    std::vector<std::string> flags;
    std::vector<std::string> valued;
    std::function<int(const Arguments&, CommandContext&, const Command&)> run;
};

int showPalmContacts(const Arguments& args, CommandContext& context, const Command& command);
int showOutlookContacts(const Arguments& args, CommandContext& context, const Command& command);
int showPalmTasks(const Arguments& args, CommandContext& context, const Command& command);
int showOutlookTasks(const Arguments& args, CommandContext& context, const Command& command);
int showPalmMemos(const Arguments& args, CommandContext& context, const Command& command);
int showOutlookMemos(const Arguments& args, CommandContext& context, const Command& command);
int showPalmCalendar(const Arguments& args, CommandContext& context, const Command& command);
int showOutlookCalendar(const Arguments& args, CommandContext& context, const Command& command);

const std::vector<ShowTarget>& targets() {
    static const std::vector<ShowTarget> table = {
        {"palm",
         "contacts",
         "(--user ID | --file PATH) [--swap-names] [--json]",
         {"swap-names", "json"},
         {"user", "file"},
         showPalmContacts},
        {"outlook", "contacts", "[--json]", {"json"}, {}, showOutlookContacts},
        {"palm",
         "tasks",
         "(--user ID | --file PATH) [--json]",
         {"json"},
         {"user", "file"},
         showPalmTasks},
        {"outlook", "tasks", "[--json]", {"json"}, {}, showOutlookTasks},
        {"palm",
         "memos",
         "(--user ID | --file PATH) [--json]",
         {"json"},
         {"user", "file"},
         showPalmMemos},
        {"outlook", "memos", "[--json]", {"json"}, {}, showOutlookMemos},
        {"palm",
         "calendar",
         "(--user ID | --file PATH) [--json]",
         {"json"},
         {"user", "file"},
         showPalmCalendar},
        {"outlook", "calendar", "[--json]", {"json"}, {}, showOutlookCalendar},
    };
    return table;
}

// ---- a readable table ----

std::size_t displayWidth(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Cuts to `width` characters (never inside a UTF-8 sequence) and shows line breaks as blanks.
std::string cell(std::string utf8, std::size_t width) {
    std::replace(utf8.begin(), utf8.end(), '\n', ' ');
    std::replace(utf8.begin(), utf8.end(), '\r', ' ');
    std::replace(utf8.begin(), utf8.end(), '\t', ' ');
    if (displayWidth(utf8) <= width) {
        return utf8;
    }
    std::size_t characters = 0;
    std::size_t end = 0;
    for (; end < utf8.size(); ++end) {
        if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80 && characters++ == width - 3) {
            break;
        }
    }
    return utf8.substr(0, end) + "...";
}

template <class Record> struct Column {
    const char* title;
    std::function<std::string(const Record&, std::size_t position)> text;
};

template <class Record>
void printTable(std::ostream& out, const std::vector<Column<Record>>& columns,
                const std::vector<const Record*>& records) {
    constexpr std::size_t kMaxWidth = 28;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::size_t> widths;
    widths.reserve(columns.size());
    for (const Column<Record>& column : columns) {
        widths.push_back(displayWidth(column.title));
    }
    for (const Record* rec : records) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            row.push_back(cell(columns[i].text(*rec, rows.size()), kMaxWidth));
            widths[i] = std::max(widths[i], displayWidth(row.back()));
        }
        rows.push_back(std::move(row));
    }
    const auto printRow = [&](const std::vector<std::string>& row) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line += std::string(widths[i] - displayWidth(row[i]) + 2, ' ');
            }
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << "\n";
    };
    std::vector<std::string> titles;
    titles.reserve(columns.size());
    for (const Column<Record>& column : columns) {
        titles.emplace_back(column.title);
    }
    printRow(titles);
    for (const auto& row : rows) {
        printRow(row);
    }
}

// ---- palm contacts ----

std::string text(std::string_view field) {
    return ansiToUtf8(field);
}

#define TL_COLUMN(title, member)                                                                   \
    Column<CommAddrRec> {                                                                          \
        title, [](const CommAddrRec& r, std::size_t) { return text(r.member); }                    \
    }

void printContacts(std::ostream& out, CommAddrMgr& list) {
    std::vector<const CommAddrRec*> records;
    for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
        records.push_back(list.GetAt(i));
    }
    const std::vector<Column<CommAddrRec>> columns = {
        Column<CommAddrRec>{
            "#", [](const CommAddrRec&, std::size_t position) { return std::to_string(position); }},
        TL_COLUMN("Last Name", LastName),
        TL_COLUMN("First Name", FirstName),
        TL_COLUMN("Company", Company),
        TL_COLUMN("Work Phone", WorkPhone),
        TL_COLUMN("Home Phone", HomePhone),
        TL_COLUMN("Mobile Phone", MobilePhone),
        TL_COLUMN("E-Mail", EMail),
        TL_COLUMN("Category", Category),
    };
    printTable(out, columns, records);
}

#undef TL_COLUMN

bool parseUserId(const std::string& text, std::uint32_t& id) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, id);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// Opens the Palm side the command line names: --user ID or --file PATH. Returns kExitOk when it
// opened, else the exit status, the message already written.
template <class Info>
int openPalmSide(Info& info, const Arguments& args, CommandContext& context,
                 const Command& command) {
    const bool byUser = args.has("user");
    if (byUser == args.has("file")) {
        return usageError(command, "give either --user ID or --file PATH", context);
    }
    std::uint32_t userId = 0;
    if (byUser && !parseUserId(*args.value("user"), userId)) {
        return usageError(command,
                          "--user takes a Palm user id (see twinleaf users), not '" +
                              *args.value("user") + "'",
                          context);
    }
    bool opened = false;
    if (byUser) {
        win::ScopedMessageBoxHandler boxes(
            [&](win::HWND, const char* message, const char*, win::UINT) {
                context.err << ansiToUtf8(message != nullptr ? message : "") << "\n";
                return win::IDOK;
            });
        OpenPalmEnvironment();
        opened = info.Open(userId);
        ClosePalmEnvironment();
    } else {
        opened = info.OpenPath(args.value("file")->c_str());
    }
    if (!opened) {
        context.err << "twinleaf: " << info.GetLastError() << "\n";
        return kExitError;
    }
    return kExitOk;
}

// Prints the opened side's list; a file read only in part shows what was whole, and the run does
// not count as success.
template <class Info, class List, class Print, class Json>
int printPalmSide(Info& info, const Arguments& args, CommandContext& context, const char* noun,
                  List& list, Print print, Json json) {
    if (args.has("json")) {
        json(context.out, list);
    } else {
        context.out << "Palm " << noun << " in " << palmFileName(info) << ": " << list.GetCount()
                    << (list.GetCount() == 1 ? " record" : " records") << "\n\n";
        print(context.out, list);
    }
    if (!info.GetLastError().empty()) {
        context.err << "twinleaf: " << info.GetLastError()
                    << "; the records from there on are not shown\n";
        return kExitError;
    }
    return kExitOk;
}

int showPalmContacts(const Arguments& args, CommandContext& context, const Command& command) {
    bool swap = args.has("swap-names");
    if (!swap && args.has("user") != args.has("file")) {
        OptionBlock options{};
        LoadOptions(options, settingsFilePath());
        swap = options.AddrSwapName;
    }
    PmAddrInfo info;
    info.SetSwapName(swap);
    if (const int status = openPalmSide(info, args, context, command); status != kExitOk) {
        return status;
    }
    return printPalmSide(info, args, context, "contacts", *info.GetCommMgr(), printContacts,
                         writeAddrListJson);
}

// ---- outlook contacts ----

// Reads one folder of the Outlook store through its access and prints it. The store's warnings
// name the files it skipped; they belong on the error stream, and each connection attempt meets
// a broken store anew, so saying so once is enough.
template <class Util, class SetUp, class Print, class Json>
int showOutlookSide(const Arguments& args, CommandContext& context, const char* noun,
                    const char* folder, SetUp setUp, Print print, Json json) {
    std::string last;
    const outlook::StoreWarningHandler previous =
        outlook::setStoreWarningHandler([&](const std::string& message) {
            if (message != last) {
                context.err << "twinleaf: " << message << "\n";
                last = message;
            }
        });
    win::CoInitialize(nullptr);
    int status = kExitOk;
    {
        Util access;
        setUp(access);
        if (!access.Reload()) {
            context.err << "twinleaf: the Outlook " << noun << " in "
                        << outlook::storeFolder().string() << " cannot be read\n";
            status = kExitError;
        } else if (args.has("json")) {
            json(context.out, *access.GetRecords());
        } else {
            auto& list = *access.GetRecords();
            context.out << "Outlook " << noun << " in "
                        << (outlook::storeFolder() / folder).string() << ": " << list.GetCount()
                        << (list.GetCount() == 1 ? " record" : " records") << "\n\n";
            print(context.out, list);
        }
    }
    win::CoUninitialize();
    outlook::setStoreWarningHandler(previous);
    return status;
}

int showOutlookContacts(const Arguments& args, CommandContext& context, const Command&) {
    OptionBlock options{};
    LoadOptions(options, settingsFilePath());
    const ContactFieldMap map = contactFieldMap(options);
    return showOutlookSide<OlAddrUtil>(
        args, context, "contacts", "Contacts",
        [&map](OlAddrUtil& contacts) { contacts.SetCustomMap(map.data()); }, printContacts,
        writeAddrListJson);
}

// ---- tasks ----

// The columns of the tasks tab, with the texts it shows.
std::string taskText(const CommTaskRec& rec, std::uint32_t fieldId) {
    TaskFieldDesc desc{};
    char buffer[512] = {};
    if (FindFieldDesc(fieldId, &desc)) {
        GetFieldText(&rec, &desc, buffer, sizeof buffer);
    }
    return ansiToUtf8(buffer);
}

void printTasks(std::ostream& out, CommTaskMgr& list) {
    std::vector<const CommTaskRec*> records;
    for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
        records.push_back(list.GetAt(i));
    }
    using TaskColumn = Column<CommTaskRec>;
    const std::vector<TaskColumn> columns = {
        TaskColumn{"#", [](const CommTaskRec&, std::size_t at) { return std::to_string(at); }},
        TaskColumn{"Description", [](const CommTaskRec& r, std::size_t) { return taskText(r, 0); }},
        TaskColumn{"Due Date", [](const CommTaskRec& r, std::size_t) { return taskText(r, 4); }},
        TaskColumn{"Completed", [](const CommTaskRec& r, std::size_t) { return taskText(r, 3); }},
        TaskColumn{"Priority", [](const CommTaskRec& r, std::size_t) { return taskText(r, 2); }},
        TaskColumn{"Private", [](const CommTaskRec& r, std::size_t) { return taskText(r, 6); }},
    };
    printTable(out, columns, records);
}

int showPalmTasks(const Arguments& args, CommandContext& context, const Command& command) {
    PmTodoInfo info;
    if (const int status = openPalmSide(info, args, context, command); status != kExitOk) {
        return status;
    }
    return printPalmSide(info, args, context, "tasks", *info.GetCommMgr(), printTasks,
                         writeTaskListJson);
}

int showOutlookTasks(const Arguments& args, CommandContext& context, const Command&) {
    return showOutlookSide<OlTaskUtil>(
        args, context, "tasks", "Tasks", [](OlTaskUtil&) {}, printTasks, writeTaskListJson);
}

// ---- memos ----

std::string memoText(const CommNoteRec& rec, std::uint32_t fieldId) {
    NoteFieldDesc desc{};
    char buffer[512] = {};
    if (FindFieldDesc(fieldId, &desc)) {
        GetFieldText(&rec, &desc, buffer, sizeof buffer);
    }
    return ansiToUtf8(buffer);
}

// A memo's text runs over several lines; the table shows its first line and how many it has.
void printMemos(std::ostream& out, CommNoteMgr& list) {
    std::vector<const CommNoteRec*> records;
    for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
        records.push_back(list.GetAt(i));
    }
    using MemoColumn = Column<CommNoteRec>;
    const std::vector<MemoColumn> columns = {
        MemoColumn{"#", [](const CommNoteRec&, std::size_t at) { return std::to_string(at); }},
        MemoColumn{"Subject", [](const CommNoteRec& r, std::size_t) { return memoText(r, 2); }},
        MemoColumn{"Lines",
                   [](const CommNoteRec& r, std::size_t) {
                       const std::string_view text = fieldText(r.Note);
                       return std::to_string(
                           text.empty() ? 0 : 1 + std::count(text.begin(), text.end(), '\n'));
                   }},
        MemoColumn{"Color", [](const CommNoteRec& r, std::size_t) { return memoText(r, 0); }},
        MemoColumn{"Private", [](const CommNoteRec& r, std::size_t) { return memoText(r, 1); }},
    };
    printTable(out, columns, records);
}

int showPalmMemos(const Arguments& args, CommandContext& context, const Command& command) {
    PmMemoInfo info;
    if (const int status = openPalmSide(info, args, context, command); status != kExitOk) {
        return status;
    }
    return printPalmSide(info, args, context, "memos", *info.GetCommMgr(), printMemos,
                         writeNoteListJson);
}

int showOutlookMemos(const Arguments& args, CommandContext& context, const Command&) {
    return showOutlookSide<OlNoteUtil>(
        args, context, "memos", "Notes", [](OlNoteUtil&) {}, printMemos, writeNoteListJson);
}

// ---- calendar ----

std::string dateText(const CommDateRec& rec, std::uint32_t fieldId) {
    DateFieldDesc desc{};
    char buffer[1024] = {};
    if (FindFieldDesc(fieldId, &desc)) {
        GetFieldText(&rec, &desc, buffer, sizeof buffer);
    }
    return ansiToUtf8(buffer);
}

std::string repeatText(const CommDateRec& rec) {
    static const char* const kNames[] = {"",
                                         "daily",
                                         "weekly",
                                         "monthly by weekday",
                                         "monthly by date",
                                         "yearly by weekday",
                                         "yearly by date"};
    const std::int32_t type = rec.Repeat.RepeatType;
    if (type < 0 || type > kCommRepeatYearlyByDate) {
        return "type " + std::to_string(type);
    }
    std::string text = kNames[type];
    if (type != kCommRepeatNone && rec.Repeat.RepeatFrequency > 1) {
        text += ", every " + std::to_string(rec.Repeat.RepeatFrequency);
    }
    return text;
}

void printDates(std::ostream& out, CommDateMgr& list) {
    std::vector<const CommDateRec*> records;
    for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
        records.push_back(list.GetAt(i));
    }
    using DateColumn = Column<CommDateRec>;
    const std::vector<DateColumn> columns = {
        DateColumn{"#", [](const CommDateRec&, std::size_t at) { return std::to_string(at); }},
        DateColumn{"Description", [](const CommDateRec& r, std::size_t) { return dateText(r, 1); }},
        DateColumn{"Date", [](const CommDateRec& r, std::size_t) { return dateText(r, 6); }},
        DateColumn{"Start Time", [](const CommDateRec& r, std::size_t) { return dateText(r, 2); }},
        DateColumn{"End Time", [](const CommDateRec& r, std::size_t) { return dateText(r, 3); }},
        DateColumn{"All Day", [](const CommDateRec& r, std::size_t) { return dateText(r, 13); }},
        DateColumn{"Repeat", [](const CommDateRec& r, std::size_t) { return repeatText(r); }},
    };
    printTable(out, columns, records);
}

int showPalmCalendar(const Arguments& args, CommandContext& context, const Command& command) {
    PmDateInfo info;
    if (const int status = openPalmSide(info, args, context, command); status != kExitOk) {
        return status;
    }
    return printPalmSide(info, args, context, "calendar", *info.GetCommMgr(), printDates,
                         writeDateListJson);
}

int showOutlookCalendar(const Arguments& args, CommandContext& context, const Command&) {
    return showOutlookSide<OlDateUtil>(
        args, context, "calendar", "Calendar", [](OlDateUtil& dates) { dates.SetIncludeBody(1); },
        printDates, writeDateListJson);
}

// ---- the command ----

std::string usageLine() {
    std::string usage;
    for (const ShowTarget& target : targets()) {
        if (!usage.empty()) {
            usage += "\n   or: twinleaf [--home DIR] [--palm-dir DIR] ";
        }
        usage += std::string("show ") + target.side + " " + target.kind + " " + target.options;
    }
    return usage;
}

int runShow(const std::vector<std::string>& args, CommandContext& context, const Command& command) {
    std::vector<std::string> flags;
    std::vector<std::string> valued;
    for (const ShowTarget& target : targets()) {
        flags.insert(flags.end(), target.flags.begin(), target.flags.end());
        valued.insert(valued.end(), target.valued.begin(), target.valued.end());
    }
    const Arguments parsed(args, flags, valued);
    if (!parsed.ok()) {
        return usageError(command, parsed.error(), context);
    }
    const std::vector<std::string>& words = parsed.positional();
    if (words.size() != 2) {
        return usageError(command,
                          words.size() < 2 ? "say which side and which kind of records to show"
                                           : "unexpected argument " + words[2],
                          context);
    }
    for (const ShowTarget& target : targets()) {
        if (words[0] != target.side || words[1] != target.kind) {
            continue;
        }
        // Options of another side are refused rather than ignored.
        const Arguments own(args, target.flags, target.valued);
        if (!own.ok()) {
            return usageError(command, own.error() + " for show " + words[0] + " " + words[1],
                              context);
        }
        return target.run(own, context, command);
    }
    return usageError(command, "nothing to show for '" + words[0] + " " + words[1] + "'", context);
}

} // namespace

Command showCommand() {
    static const std::string usage = usageLine();
    static const char* const kHelp =
        "\nPrints the records of one side, converted into the common records a sync compares.\n\n"
        "  palm contacts   the Palm address book of a user (--user ID, as twinleaf users lists\n"
        "                  them) or of one file (--file PATH, any Palm format the program reads).\n"
        "                  --swap-names reads first and last name the other way round; without\n"
        "                  it, AddrSwapName of corvane.ini in the settings folder decides.\n"
        "  outlook contacts  the contacts of the Outlook store (Outlook/Contacts/ in the data\n"
        "                  folder, or $TWINLEAF_OUTLOOK_STORE), with the custom fields mapped as\n"
        "                  corvane.ini says.\n"
        "  palm tasks      the Palm to-do list of a user (--user ID) or of one file (--file "
        "PATH).\n"
        "  outlook tasks   the tasks of the Outlook store (Outlook/Tasks/).\n"
        "  palm memos      the Palm memo pad of a user (--user ID) or of one file (--file "
        "PATH).\n"
        "  outlook memos   the notes of the Outlook store (Outlook/Notes/).\n"
        "  palm calendar   the Palm date book of a user (--user ID) or of one file (--file "
        "PATH).\n"
        "  outlook calendar  the appointments of the Outlook store (Outlook/Calendar/).\n\n"
        "Without --json a table of the main fields is printed. With --json the output is a JSON\n"
        "array with one object per record, in list order: the keys are the record's field names\n"
        "(FirstName, LastName, ..., Custom9, Category, Birthday, CreationTime,\n"
        "LastModificationTime, SourceType, CompareStatus, SourceRecordId, Private for contacts;\n"
        "Subject, Note, Priority, Completed, DueDate, ... for tasks; Color, Private, Subject,\n"
        "Note, ..., IDInteger, IDString for memos; Description, AllDayEvent, StartDateTime,\n"
        "..., RepeatType, RepeatHasEnd, RepeatEnd, RepeatFrequency, RepeatDays,\n"
        "RepeatDayOfMonth, RepeatMonth, RepeatWeek, ... for the calendar), texts are UTF-8,\n"
        "numbers are numbers and dates are OLE automation dates (days since 1899-12-30); the\n"
        "tasks' DueDate, ReminderTime and StartDate are seconds since 1970, 0 for none; the\n"
        "calendar's StartDateTime, EndDateTime and RepeatEnd are local times\n"
        "\"YYYY-MM-DDTHH:MM:SS\".\n\n"
        "Exits 0 when everything was read, 1 when the records cannot be read (the error names\n"
        "the file) or a file was read only in part (the whole records are printed), 2 for a\n"
        "wrong command line.\n";
    Command command{"show", usage.c_str(), "print the records of one side as a table or as JSON",
                    kHelp, nullptr};
    command.run = [](const std::vector<std::string>& args, CommandContext& context) {
        return runShow(args, context, showCommand());
    };
    return command;
}

} // namespace twinleaf::cli
