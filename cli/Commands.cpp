// The table of headless commands. Each command's code lives in a file of its own.
#include "cli/Commands.h"

#include "cli/CommandLine.h"

namespace twinleaf::cli {

std::span<const Command> commands() {
    static const std::vector<Command> table = {
        usersCommand(), showCommand(),    compareCommand(),
        syncCommand(),  historyCommand(), undoCommand(),
    };
    return table;
}

} // namespace twinleaf::cli
