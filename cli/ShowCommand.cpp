// twinleaf show SIDE KIND: the records one side holds, converted into common records exactly as a
// sync run would see them, as a table or as JSON. Each side and kind is one row of the table
// below with its options and its function.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "common/misc/WinUtil.h"
#include "common/outlook/OlAddr.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmEnv.h"
#include "common/sync/ContactKind.h"
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

const std::vector<ShowTarget>& targets() {
    static const std::vector<ShowTarget> table = {
        {"palm",
         "contacts",
         "(--user ID | --file PATH) [--swap-names] [--json]",
         {"swap-names", "json"},
         {"user", "file"},
         showPalmContacts},
        {"outlook", "contacts", "[--json]", {"json"}, {}, showOutlookContacts},
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

struct Column {
    const char* title;
    std::function<std::string(const CommAddrRec&, std::size_t position)> text;
};

void printTable(std::ostream& out, const std::vector<Column>& columns,
                const std::vector<const CommAddrRec*>& records) {
    constexpr std::size_t kMaxWidth = 28;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::size_t> widths;
    widths.reserve(columns.size());
    for (const Column& column : columns) {
        widths.push_back(displayWidth(column.title));
    }
    for (const CommAddrRec* rec : records) {
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
    for (const Column& column : columns) {
        titles.emplace_back(column.title);
    }
    printRow(titles);
    for (const auto& row : rows) {
        printRow(row);
    }
}

// ---- palm contacts ----

std::string text(const char* field, std::size_t width) {
    return ansiToUtf8(fieldText(field, width));
}

#define TL_COLUMN(title, member)                                                                   \
    Column {                                                                                       \
        title, [](const CommAddrRec& r, std::size_t) { return text(r.member, sizeof r.member); }   \
    }

void printContacts(std::ostream& out, CommAddrMgr& list) {
    std::vector<const CommAddrRec*> records;
    for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
        records.push_back(list.GetAt(i));
    }
    const std::vector<Column> columns = {
        Column{"#",
               [](const CommAddrRec&, std::size_t position) { return std::to_string(position); }},
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

int showPalmContacts(const Arguments& args, CommandContext& context, const Command& command) {
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
    bool swap = args.has("swap-names");
    if (!swap) {
        OptionBlock options{};
        LoadOptions(options, settingsFilePath());
        swap = options.AddrSwapName;
    }

    PmAddrInfo info;
    info.SetSwapName(swap);
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

    CommAddrMgr& list = *info.GetCommMgr();
    if (args.has("json")) {
        writeAddrListJson(context.out, list);
    } else {
        context.out << "Palm contacts in " << info.GetClassic()->GetPath() << ": "
                    << list.GetCount() << (list.GetCount() == 1 ? " record" : " records") << "\n\n";
        printContacts(context.out, list);
    }
    // A file read only in part: what was whole is shown, and the run does not count as success.
    if (!info.GetLastError().empty()) {
        context.err << "twinleaf: " << info.GetLastError()
                    << "; the records from there on are not shown\n";
        return kExitError;
    }
    return kExitOk;
}

// ---- outlook contacts ----

int showOutlookContacts(const Arguments& args, CommandContext& context, const Command&) {
    // The store's warnings name the files it skipped; they belong on the error stream.
    // Each connection attempt meets a broken store anew; saying so once is enough.
    std::string last;
    const outlook::StoreWarningHandler previous =
        outlook::setStoreWarningHandler([&](const std::string& message) {
            if (message != last) {
                context.err << "twinleaf: " << message << "\n";
                last = message;
            }
        });
    OptionBlock options{};
    LoadOptions(options, settingsFilePath());
    const ContactFieldMap map = contactFieldMap(options);
    win::CoInitialize(nullptr);
    int status = kExitOk;
    {
        OlAddrUtil contacts;
        contacts.SetCustomMap(map.data());
        if (!contacts.Reload()) {
            context.err << "twinleaf: the Outlook contacts in " << outlook::storeFolder().string()
                        << " cannot be read\n";
            status = kExitError;
        } else if (args.has("json")) {
            writeAddrListJson(context.out, *contacts.GetRecords());
        } else {
            CommAddrMgr& list = *contacts.GetRecords();
            context.out << "Outlook contacts in " << (outlook::storeFolder() / "Contacts").string()
                        << ": " << list.GetCount()
                        << (list.GetCount() == 1 ? " record" : " records") << "\n\n";
            printContacts(context.out, list);
        }
    }
    win::CoUninitialize();
    outlook::setStoreWarningHandler(previous);
    return status;
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
        "                  corvane.ini says.\n\n"
        "Without --json a table of the main fields is printed. With --json the output is a JSON\n"
        "array with one object per record, in list order: the keys are the record's field names\n"
        "(FirstName, LastName, ..., Custom9, Category, Birthday, CreationTime,\n"
        "LastModificationTime, SourceType, CompareStatus, SourceRecordId, Private), texts are\n"
        "UTF-8, numbers are numbers and dates are OLE automation dates (days since 1899-12-30).\n\n"
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
