// One factory per headless command; the table in Commands.cpp lists them in --help order.
#pragma once

#include "cli/CommandLine.h"

namespace twinleaf::cli {

Command usersCommand();
Command showCommand();
Command compareCommand();
Command syncCommand();
Command historyCommand();
Command undoCommand();

} // namespace twinleaf::cli
