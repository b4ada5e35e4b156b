// Starting xdg-open detached: a double fork, so the opener is adopted by init and leaves no zombie
// behind, and a close-on-exec pipe that tells the caller whether the exec itself succeeded.
#include "platform/shell/ShellOpen.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace twinleaf {
namespace {

std::string& openerProgram() {
    static std::string program = "xdg-open";
    return program;
}

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// The PATH search happens before the fork: between fork and exec only async-signal-safe calls are
// allowed, and the GUI process has threads.
std::string resolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return isExecutableFile(program) ? program : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string_view folders =
        path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        std::string candidate = std::string(folder.empty() ? "." : folder) + "/" + program;
        if (isExecutableFile(candidate)) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return std::string();
        }
        folders.remove_prefix(colon + 1);
    }
}

// Runs in the grandchild: a fresh session, no inherited signal mask, standard input and output on
// /dev/null (the handler must not read our terminal or write into a command's output).
[[noreturn]] void execOpener(const char* program, char* const argv[], int reportFd) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        if (devNull > STDERR_FILENO) {
            close(devNull);
        }
    }
    execve(program, argv, environ);
    const int error = errno;
    ssize_t written = write(reportFd, &error, sizeof error);
    (void)written;
    _exit(127);
}

} // namespace

bool shellOpen(const std::string& target) {
    if (target.empty()) {
        return false;
    }
    const std::string program = resolveProgram(openerProgram());
    if (program.empty()) {
        return false;
    }
    std::string argument = target;
    std::string name = openerProgram();
    std::vector<char*> argv = {name.data(), argument.data(), nullptr};

    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (child == 0) {
        close(report[0]);
        setsid();
        const pid_t grandchild = fork();
        if (grandchild < 0) {
            const int error = errno;
            ssize_t written = write(report[1], &error, sizeof error);
            (void)written;
            _exit(127);
        }
        if (grandchild == 0) {
            execOpener(program.c_str(), argv.data(), report[1]);
        }
        _exit(0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // The write end closes at the exec (close-on-exec) or when the grandchild exits after a
    // failed one, having written its errno first; so an empty read means the opener runs.
    int error = 0;
    ssize_t got = 0;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return got == 0;
}

ScopedShellOpener::ScopedShellOpener(std::string program) {
    openerProgram() = std::move(program);
}

ScopedShellOpener::~ScopedShellOpener() {
    openerProgram() = "xdg-open";
}

} // namespace twinleaf
