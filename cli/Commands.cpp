// The table of headless commands. Each command's code lives in a file of its own.
#include "cli/CommandLine.h"

#include "cli/Commands.h"

namespace twinleaf::cli {

std::span<const Command> commands() {
    static const std::vector<Command> table = {
        usersCommand(),
    };
    return table;
}

} // namespace twinleaf::cli
