// twinleaf users: where Palm Desktop is, which version, and its users with their data folders;
// what start-up would find, without opening a window.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmDateInfo.h"
#include "common/palm/PalmEnv.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/palm/PalmTodoInfo.h"
#include "platform/codepage/Codepage.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::cli {
namespace {

constexpr const char* kNoUsersMessage = "Can not find any Palm users in your desktop environment.";

// Which storage form each kind's data of a user is in, as the facade that opens it sees the file.
struct KindFiles {
    const char* kind; // as the sync commands name it
    const char* folder;
    const char* datFile;
    const char* databaseFile;
    PalmFormat (*detect)(const char* path);
};

template <class Info, class Kind> constexpr KindFiles kindFiles(const char* kind) {
    return {kind, Kind::kFolder, Kind::kClassicFile, Kind::kDatabaseFile, &Info::DetectFileFormat};
}

const std::array<KindFiles, 4> kKindFiles = {
    kindFiles<PmAddrInfo, PmAddrKind>("contacts"),
    kindFiles<PmDateInfo, PmDateKind>("calendar"),
    kindFiles<PmTodoInfo, PmTodoKind>("tasks"),
    kindFiles<PmMemoInfo, PmMemoKind>("memos"),
};

// Empty when the user has no file of the kind; "unreadable" when none of the forms takes it.
std::string formName(PalmFormat format) {
    switch (format) {
    case PalmFormat::Classic:
        return "classic";
    case PalmFormat::Extended:
        return "extended";
    case PalmFormat::Desktop6:
        return "desktop6";
    default:
        return "unreadable";
    }
}

// The facade opens the database before the .dat file, and falls back to the .dat file when the
// database is not one it can read: the form reported is the one that open would find.
std::string userFormOf(std::uint32_t user, const KindFiles& files) {
    std::string found;
    for (const char* file : {files.databaseFile, files.datFile}) {
        const std::string path = PalmUserFilePath(user, files.folder, file);
        std::error_code error;
        if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
            continue;
        }
        const PalmFormat format = files.detect(path.c_str());
        found = formName(format);
        if (format != PalmFormat::Invalid) {
            break;
        }
    }
    return found;
}

struct UserLine {
    std::string id;
    std::string name;   // UTF-8
    std::string folder; // as the file system names it
    std::array<std::string, kKindFiles.size()> forms;
};

// Columns line up on a terminal as long as names are made of single-width characters.
std::size_t displayWidth(const std::string& utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width > displayWidth(text) ? width - displayWidth(text) : 0, ' ');
}

std::string describeVersion(int version) {
    if (version < 0) {
        return "-1 (unknown: no readable palm.exe)";
    }
    return std::to_string(version) + " (" + std::to_string(version / 10000) + "." +
           std::to_string(version / 100 % 100) + "." + std::to_string(version % 100) + ")";
}

void printJson(std::ostream& out, const char* folder, int version,
               const std::vector<UserLine>& lines) {
    out << "{\n  \"palmDesktopFolder\": " << (folder ? jsonString(folder) : "null")
        << ",\n  \"palmDesktopVersion\": " << version << ",\n  \"users\": [";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out << (i == 0 ? "\n    " : ",\n    ") << "{\"id\": " << lines[i].id
            << ", \"name\": " << jsonString(lines[i].name) << ", \"dataFolder\": "
            << (lines[i].folder.empty() ? "null" : jsonString(lines[i].folder)) << ", \"forms\": {";
        for (std::size_t k = 0; k < kKindFiles.size(); ++k) {
            const std::string& form = lines[i].forms[k];
            out << (k == 0 ? "" : ", ") << jsonString(kKindFiles[k].kind) << ": "
                << (form.empty() ? "null" : jsonString(form));
        }
        out << "}}";
    }
    out << (lines.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

int runUsers(const std::vector<std::string>& args, CommandContext& context,
             const Command& command) {
    const Arguments parsed(args, {"json"}, {});
    if (!parsed.ok()) {
        return usageError(command, parsed.error(), context);
    }
    if (!parsed.positional().empty()) {
        return usageError(command, "unexpected argument " + parsed.positional().front(), context);
    }
    const bool json = parsed.has("json");
    bool messageShown = false;
    win::ScopedMessageBoxHandler boxes([&](win::HWND, const char* text, const char*, win::UINT) {
        context.err << ansiToUtf8(text != nullptr ? text : "") << "\n";
        messageShown = true;
        return win::IDOK;
    });
    OpenPalmEnvironment();

    char folder[win::MAX_PATH];
    const bool found = GetPalmDesktopPath(folder, sizeof folder) == kPalmPathFound;
    const int version = GetPalmDesktopVersion();
    if (!json) {
        context.out << "Palm Desktop folder:  " << (found ? folder : "not found") << "\n"
                    << "Palm Desktop version: " << describeVersion(version) << "\n";
    }
    if (const std::string problem = palmDesktopFolderProblem(); !problem.empty()) {
        context.err << problem << "\n" << kPalmFolderHint << "\n";
    }

    std::vector<UserLine> lines;
    CxList& users = palmUserList();
    for (void* p = users.First(); p != nullptr; p = users.Next()) {
        const auto* rec = static_cast<const PalmUserRec*>(p);
        char data[win::MAX_PATH];
        UserLine line{std::to_string(rec->id),
                      ansiToUtf8(fieldText(rec->name)),
                      GetUserDataFolder(rec->id, data) ? data : "",
                      {}};
        if (!line.folder.empty()) {
            for (std::size_t k = 0; k < kKindFiles.size(); ++k) {
                line.forms[k] = userFormOf(rec->id, kKindFiles[k]);
            }
        }
        lines.push_back(std::move(line));
    }
    ClosePalmEnvironment();
    if (json) {
        printJson(context.out, found ? folder : nullptr, version, lines);
    }

    if (lines.empty()) {
        if (!messageShown) {
            context.err << kNoUsersMessage << "\n";
        }
        return kExitError;
    }
    if (json) {
        return kExitOk;
    }
    std::size_t idWidth = 2;
    std::size_t nameWidth = 4;
    std::array<std::size_t, kKindFiles.size()> formWidths{};
    for (std::size_t k = 0; k < kKindFiles.size(); ++k) {
        formWidths[k] = std::string_view(kKindFiles[k].kind).size();
    }
    for (const UserLine& line : lines) {
        idWidth = std::max(idWidth, line.id.size());
        nameWidth = std::max(nameWidth, displayWidth(line.name));
        for (std::size_t k = 0; k < kKindFiles.size(); ++k) {
            formWidths[k] = std::max(formWidths[k], line.forms[k].size());
        }
    }
    context.out << "\n" << padded("ID", idWidth) << "  " << padded("Name", nameWidth) << "  ";
    for (std::size_t k = 0; k < kKindFiles.size(); ++k) {
        std::string title = kKindFiles[k].kind;
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
        context.out << padded(title, formWidths[k]) << "  ";
    }
    context.out << "Data folder\n";
    for (const UserLine& line : lines) {
        context.out << padded(line.id, idWidth) << "  " << padded(line.name, nameWidth) << "  ";
        for (std::size_t k = 0; k < kKindFiles.size(); ++k) {
            context.out << padded(line.forms[k].empty() ? "-" : line.forms[k], formWidths[k])
                        << "  ";
        }
        context.out << (line.folder.empty() ? "(no data folder)" : line.folder) << "\n";
    }
    return kExitOk;
}

} // namespace

Command usersCommand() {
    static const char* const kHelp =
        "\nPrints the Palm Desktop folder, its version number (major*10000 + minor*100 + build\n"
        "of palm.exe, -1 when it cannot be read) and each Palm user's id, name and data folder.\n"
        "The folder comes from --palm-dir DIR, else from PDPath in section [Path] of corvane.ini\n"
        "in the settings folder (see 'twinleaf --help'), else from the Palm Desktop keys of\n"
        "the Wine prefix's registry ($WINEPREFIX, else ~/.wine).\n"
        "Users are the sub-folders of the Palm Desktop folder that hold an address, datebook,\n"
        "todo or memopad folder.\n\n"
        "Options:\n"
        "  --json   the same as one JSON object: palmDesktopFolder (null when not found),\n"
        "           palmDesktopVersion and users, each with id, name, dataFolder and forms\n"
        "           (contacts, calendar, tasks, memos: the form's name, null for no file)\n\n"
        "Exits 0 when users were found, 1 when there are none.\n";
    Command command{"users", "users [--json]",
                    "list the Palm Desktop folder, its version and its users", kHelp, nullptr};
    command.run = [](const std::vector<std::string>& args, CommandContext& context) {
        return runUsers(args, context, usersCommand());
    };
    return command;
}

} // namespace twinleaf::cli
