// The shell's "open" verb: hands a document, folder or web address to the desktop's default
// handler. On Linux that is xdg-open, started detached so that the caller never waits for the
// handler (some handlers run the opened program in the foreground until it ends).
#pragma once

#include <string>

namespace twinleaf {

// True when the opener was started. False for an empty target and when the opener cannot be
// started at all (not installed, not executable). What the handler itself does afterwards (no
// application for the type, a file that does not exist) is not seen: it runs on its own.
// The target is passed as one argument, never through a shell, so blanks, quotes and "$(...)"
// in it are just characters.
bool shellOpen(const std::string& target);

// Replaces the opener program ("xdg-open", looked up in PATH) for the life of the object, so a
// test can watch what would have been opened. Not nestable.
class ScopedShellOpener {
public:
    explicit ScopedShellOpener(std::string program);
    ~ScopedShellOpener();
    ScopedShellOpener(const ScopedShellOpener&) = delete;
    ScopedShellOpener& operator=(const ScopedShellOpener&) = delete;
};

} // namespace twinleaf
