// The advisory run lock: flock on a lock file, with the holder written into it.
#include "platform/files/RunLock.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace twinleaf {
namespace {

// "<pid> <what it is doing>" as the holder wrote it; a holder whose process is gone (it died
// between taking the lock and writing its name over a dead run's) is not named.
std::string recordedHolder(int fd) {
    char buffer[256] = {};
    const ssize_t size = ::pread(fd, buffer, sizeof buffer - 1, 0);
    if (size <= 0) {
        return {};
    }
    std::string text(buffer, static_cast<std::size_t>(size));
    if (const std::size_t end = text.find('\n'); end != std::string::npos) {
        text.resize(end);
    }
    const std::size_t blank = text.find(' ');
    const std::string pid = text.substr(0, blank);
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos) {
        return {};
    }
    const long number = std::stol(pid);
    if (number <= 0 || (::kill(static_cast<pid_t>(number), 0) != 0 && errno != EPERM)) {
        return {};
    }
    std::string holder = "process " + pid;
    if (blank != std::string::npos && blank + 1 < text.size()) {
        holder += " (" + text.substr(blank + 1) + ")";
    }
    return holder;
}

} // namespace

RunLock::~RunLock() {
    release();
}

RunLock::RunLock(RunLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_file(std::move(other.m_file)) {}

RunLock& RunLock::operator=(RunLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_file = std::move(other.m_file);
    }
    return *this;
}

LockState RunLock::acquire(const std::filesystem::path& file, std::string_view holder,
                           std::string& error) {
    release();
    bool writable = true;
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        // A lock file another user made, in a folder we may not write to, still locks.
        writable = false;
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        error = file.string() + ": cannot be opened as a lock file: " + std::strerror(errno);
        return LockState::Unavailable;
    }
    int locked = 0;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int reason = errno;
        const std::string who = reason == EWOULDBLOCK ? recordedHolder(fd) : std::string();
        ::close(fd);
        if (reason != EWOULDBLOCK) {
            error = file.string() + ": cannot be locked: " + std::strerror(reason);
            return LockState::Unavailable;
        }
        error = file.string() + " is locked by " + (who.empty() ? "another process" : who);
        return LockState::Busy;
    }
    if (writable) {
        // Whatever a dead holder wrote is replaced; a failed write only loses the name.
        const std::string record = std::to_string(::getpid()) + " " + std::string(holder) + "\n";
        if (::ftruncate(fd, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(fd, record.data(), record.size(), 0);
        }
    }
    m_fd = fd;
    m_file = file;
    return LockState::Taken;
}

void RunLock::release() {
    if (m_fd < 0) {
        return;
    }
    // The file stays: removing it would let a run that opened it just before lock a file
    // nobody else can see any more.
    [[maybe_unused]] const int cleared = ::ftruncate(m_fd, 0);
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
    m_file.clear();
}

} // namespace twinleaf
