// Running the command line in a test as a user would, against a home folder, and reading what an
// independent reader (a Python script) prints about the files a command wrote.
#pragma once

#include "cli/CommandLine.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace twinleaf::test {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

inline CommandRun runCommand(const std::filesystem::path& home, std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    cli::CommandContext context{out, err};
    args.insert(args.begin(), {"--home", home.string()});
    bool startGui = false;
    const int status = cli::runCommandLine(args, context, startGui);
    return {status, out.str(), err.str()};
}

// Writes the script beside the folder's parent and prints what it says of the folder (argv[1]),
// its errors included.
inline std::string readerOutput(const std::string& python, const std::filesystem::path& script,
                                const std::string& source, const std::filesystem::path& folder) {
    writeBytes(script, source);
    const std::string command =
        python + " '" + script.string() + "' '" + folder.string() + "' 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
            output.append(buffer, got);
        }
        ::pclose(pipe);
    }
    return output;
}

} // namespace twinleaf::test
