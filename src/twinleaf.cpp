// int main(): a command goes to the headless command line, no command starts the desktop program.
#include "cli/CommandLine.h"
#include "platform/outlook/OutlookApplication.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#ifdef TWINLEAF_WITH_GUI
#include "src/Desktop.h"
#endif

int main(int argc, char** argv) {
    // Outlook is "installed" wherever the program runs: its stand-in enters the class table here,
    // so the Outlook access code itself never depends on which server answers it.
    twinleaf::outlook::registerOutlookApplication();
    std::vector<std::string> args(argv + 1, argv + argc);
    twinleaf::cli::CommandContext context{std::cout, std::cerr, ::isatty(STDIN_FILENO) == 1,
                                          &std::cin};
    bool startGui = false;
    const int status = twinleaf::cli::runCommandLine(args, context, startGui);
    if (!startGui) {
        return status;
    }
#ifdef TWINLEAF_WITH_GUI
    if (!twinleaf::displayAvailable()) {
        std::cerr << "twinleaf: no display to open the window on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set); see 'twinleaf --help' for the commands\n";
        return twinleaf::cli::kExitUsage;
    }
    return twinleaf::runDesktop(argc, argv);
#else
    std::cerr << "twinleaf: this build has no desktop program; see 'twinleaf --help' for the "
                 "commands\n";
    return twinleaf::cli::kExitError;
#endif
}
