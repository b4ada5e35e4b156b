// Parsing of the command line and the general --help.
#include "cli/CommandLine.h"

#include "platform/files/ProgramFolder.h"

#include <algorithm>
#include <ostream>

namespace twinleaf::cli {
namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void printOverview(std::ostream& out) {
    out << "Usage: twinleaf [--home DIR] [COMMAND [OPTIONS]]\n\n"
           "Synchronises Palm Desktop's contacts, calendar, tasks and memos with Outlook.\n"
           "Without a command the desktop program starts.\n\n"
           "Commands:\n";
    for (const Command& command : commands()) {
        out << "  " << command.usage << "\n      " << command.summary << "\n";
    }
    out << "\nOptions:\n"
           "  --home DIR   use DIR as the program folder (settings, log, Outlook store);\n"
           "               default: $TWINLEAF_HOME, else the folder of the executable\n"
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
    context.err << "twinleaf: " << message << "\nUsage: twinleaf [--home DIR] " << command.usage
                << "\nTry 'twinleaf " << command.name << " --help' for more.\n";
    return kExitUsage;
}

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
        if (arg == "--home" || arg.rfind("--home=", 0) == 0) {
            std::string folder;
            if (arg == "--home") {
                if (i + 1 >= args.size()) {
                    context.err << "twinleaf: option --home needs a folder\n";
                    return kExitUsage;
                }
                folder = args[++i];
            } else {
                folder = arg.substr(7);
            }
            setProgramFolderOverride(folder);
            continue;
        }
        break;
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
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
    // --home may also follow the command, where users tend to put it.
    for (auto it = rest.begin(); it != rest.end();) {
        if (*it == "--help" || *it == "-h") {
            context.out << "Usage: twinleaf [--home DIR] " << command->usage << "\n\n"
                        << command->summary << "\n"
                        << command->help;
            return kExitOk;
        }
        if (*it == "--home" && it + 1 != rest.end()) {
            setProgramFolderOverride(*(it + 1));
            it = rest.erase(it, it + 2);
        } else if (it->rfind("--home=", 0) == 0) {
            setProgramFolderOverride(it->substr(7));
            it = rest.erase(it);
        } else {
            ++it;
        }
    }
    return command->run(rest, context);
}

} // namespace twinleaf::cli
