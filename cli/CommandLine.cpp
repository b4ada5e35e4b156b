// Parsing of the command line and the general --help.
#include "cli/CommandLine.h"

#include "common/palm/PalmEnv.h"
#include "platform/files/ProgramFolder.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace twinleaf::cli {
namespace {

constexpr const char* kGlobalUsage = "[--home DIR] [--palm-dir DIR]";

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void printOverview(std::ostream& out) {
    out << "Usage: twinleaf " << kGlobalUsage
        << " [COMMAND [OPTIONS]]\n\n"
           "Synchronises Palm Desktop's contacts, calendar, tasks and memos with Outlook.\n"
           "Without a command the desktop program starts.\n\n"
           "Commands:\n";
    for (const Command& command : commands()) {
        out << "  " << command.usage << "\n      " << command.summary << "\n";
    }
    out << "\nOptions:\n"
           "  --home DIR   use DIR as the program folder (settings, log, Outlook store);\n"
           "               default: $TWINLEAF_HOME; else the folder of the executable when it\n"
           "               holds a corvane.ini; else settings in $XDG_CONFIG_HOME/twinleaf and\n"
           "               the Outlook store in $XDG_DATA_HOME/twinleaf\n"
           "  --palm-dir DIR\n"
           "               use DIR as the Palm Desktop folder, in place of PDPath in the\n"
           "               settings and the Wine prefix's registry\n"
           "  --help       show this text; after a command, that command's help\n"
           "  --version    show the version\n\n"
           "Exit status:\n"
           "  0  the command did its work\n"
           "  1  it did not: a side that could not be read, a synchronization that was refused,\n"
           "     cancelled, stopped at a conflict with nobody to ask, or not saved; the message\n"
           "     is on standard error\n"
           "  2  bad arguments\n";
}

const Command* findCommand(const std::string& name) {
    for (const Command& command : commands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

} // namespace

Arguments::Arguments(const std::vector<std::string>& args, const std::vector<std::string>& flags,
                     const std::vector<std::string>& valued) {
    for (std::size_t i = 0; i < args.size() && m_error.empty(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            m_positional.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        if (contains(flags, name) && equals == std::string::npos) {
            m_values.emplace_back(name, "");
        } else if (contains(valued, name)) {
            if (equals != std::string::npos) {
                m_values.emplace_back(name, arg.substr(equals + 1));
            } else if (i + 1 < args.size()) {
                m_values.emplace_back(name, args[++i]);
            } else {
                m_error = "option --" + name + " needs a value";
            }
        } else {
            m_error = "unknown option " + arg;
        }
    }
}

bool Arguments::has(const std::string& name) const {
    return std::any_of(m_values.begin(), m_values.end(),
                       [&](const auto& entry) { return entry.first == name; });
}

std::optional<std::string> Arguments::value(const std::string& name) const {
    // The last occurrence wins, as in most command-line tools.
    for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
        if (it->first == name) {
            return it->second;
        }
    }
    return std::nullopt;
}

int usageError(const Command& command, const std::string& message, CommandContext& context) {
    context.err << "twinleaf: " << message << "\nUsage: twinleaf " << kGlobalUsage << " "
                << command.usage << "\nTry 'twinleaf " << command.name << " --help' for more.\n";
    return kExitUsage;
}

namespace {

// Options every command takes, before or after the command's name: where users tend to put them.
struct GlobalOption {
    const char* name;
    void (*apply)(const std::string& value);
};

void applyPalmFolder(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    setPalmDesktopFolderOverride(ec ? folder : absolute.lexically_normal().string());
}

const GlobalOption kGlobalOptions[] = {
    {"home", [](const std::string& folder) { setProgramFolderOverride(folder); }},
    {"palm-dir", applyPalmFolder},
};

enum class GlobalMatch { None, Taken, MissingValue };

// Takes a global option at args[i] ("--name value" or "--name=value"), advancing i past it.
GlobalMatch takeGlobalOption(const std::vector<std::string>& args, std::size_t& i,
                             std::string& name) {
    for (const GlobalOption& option : kGlobalOptions) {
        const std::string flag = std::string("--") + option.name;
        if (args[i] == flag) {
            name = option.name;
            if (i + 1 >= args.size()) {
                return GlobalMatch::MissingValue;
            }
            option.apply(args[++i]);
            return GlobalMatch::Taken;
        }
        if (args[i].rfind(flag + "=", 0) == 0) {
            option.apply(args[i].substr(flag.size() + 1));
            return GlobalMatch::Taken;
        }
    }
    return GlobalMatch::None;
}

} // namespace

int runCommandLine(const std::vector<std::string>& args, CommandContext& context, bool& startGui) {
    startGui = false;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            printOverview(context.out);
            return kExitOk;
        }
        if (arg == "--version") {
            context.out << "twinleaf " << TWINLEAF_VERSION << "\n";
            return kExitOk;
        }
        std::string name;
        const GlobalMatch match = takeGlobalOption(args, i, name);
        if (match == GlobalMatch::MissingValue) {
            context.err << "twinleaf: option --" << name << " needs a folder\n";
            return kExitUsage;
        }
        if (match == GlobalMatch::None) {
            break;
        }
    }
    if (i == args.size()) {
        startGui = true;
        return kExitOk;
    }
    const Command* command = findCommand(args[i]);
    if (command == nullptr) {
        context.err << "twinleaf: unknown " << (args[i].rfind('-', 0) == 0 ? "option " : "command ")
                    << args[i] << "\n";
        printOverview(context.err);
        return kExitUsage;
    }
    std::vector<std::string> rest;
    for (std::size_t j = i + 1; j < args.size(); ++j) {
        if (args[j] == "--help" || args[j] == "-h") {
            context.out << "Usage: twinleaf " << kGlobalUsage << " " << command->usage << "\n\n"
                        << command->summary << "\n"
                        << command->help;
            return kExitOk;
        }
        // A global option without its folder is left to the command, which reports it.
        const std::size_t at = j;
        std::string name;
        if (takeGlobalOption(args, j, name) != GlobalMatch::Taken) {
            rest.push_back(args[at]);
        }
    }
    return command->run(rest, context);
}

} // namespace twinleaf::cli
