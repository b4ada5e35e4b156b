// The headless side of the twinleaf executable: `twinleaf COMMAND ...` runs one command on the
// core and never opens a display. Commands live in one table (Commands.cpp) that --help is made
// from.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace twinleaf::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

// What to tell a user whose Palm Desktop folder was not found or does not exist.
inline constexpr const char* kPalmFolderHint =
    "Name the folder with --palm-dir DIR, or set PDPath in section [Path] of the settings file.";

struct CommandContext {
    std::ostream& out;
    std::ostream& err;
    bool stdinIsTerminal = false;
    std::istream* in = nullptr;
};

struct Command {
    const char* name;
    const char* usage;   // e.g. "users"
    const char* summary; // one line for the overview
    const char* help;    // the command's own --help text, after its usage line
    std::function<int(const std::vector<std::string>& args, CommandContext& context)> run;
};

std::span<const Command> commands();

// Parses the options of one command: "--name value", "--name=value" and flags. Anything it was
// not told about is an error, so a mistyped option is never silently ignored.
class Arguments {
public:
    Arguments(const std::vector<std::string>& args, const std::vector<std::string>& flags,
              const std::vector<std::string>& valued);
    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    const std::vector<std::string>& positional() const { return m_positional; }

private:
    std::vector<std::pair<std::string, std::string>> m_values;
    std::vector<std::string> m_positional;
    std::string m_error;
};

// Prints "twinleaf: <message>" and the command's usage line to err; returns kExitUsage.
int usageError(const Command& command, const std::string& message, CommandContext& context);

// Runs the command line (without the program name). Global options: --home DIR, --palm-dir DIR,
// --help, --version. `startGui` is set when no command was given and the caller should open the
// window.
int runCommandLine(const std::vector<std::string>& args, CommandContext& context, bool& startGui);

} // namespace twinleaf::cli
