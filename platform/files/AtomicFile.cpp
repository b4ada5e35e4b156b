// Atomic replacement of a file with a checked write, flush and rename.
#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace twinleaf {
namespace {

struct Fault {
    bool active = false;
    int failOnCall = 0;
    int calls = 0;
    FaultEffect effect = FaultEffect::Fail;
};

Fault g_faults[6];
int g_withheld = 0;
ReplaceObserver g_observer;

// Counts a use of `call`; true, with errno set to `error`, when a test asked for this use to fail.
bool faultInjected(FileCall call, int error = EIO) {
    Fault& fault = g_faults[static_cast<int>(call)];
    if (!fault.active || ++fault.calls < fault.failOnCall) {
        return false;
    }
    if (fault.effect == FaultEffect::ExitProcess) {
        ::_exit(kFaultExitStatus);
    }
    errno = error;
    return true;
}

std::string describe(const std::filesystem::path& path, const char* step, int error) {
    return path.string() + ": " + step + " failed: " + std::strerror(error);
}

constexpr std::string_view kTemporaryInfix = ".tmp-";

std::filesystem::path temporaryPathFor(const std::filesystem::path& path) {
    static std::mt19937 generator{std::random_device{}()};
    // Appended piece by piece: "." + text + ... trips GCC 12's -Wrestrict false positive at -O3.
    std::string name = ".";
    name += path.filename().string();
    name += kTemporaryInfix;
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(generator() % 1000000);
    return path.parent_path() / name;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size, int& error) {
    while (size > 0) {
        const ssize_t written =
            faultInjected(FileCall::Write, ENOSPC) ? -1 : ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The backup is a hard link to the current file where the file system allows it (no copy, and
// the original's bytes are never touched), else a copy.
bool keepBackupOf(const std::filesystem::path& path, int& error) {
    if (faultInjected(FileCall::Backup)) {
        error = errno;
        return false;
    }
    const std::filesystem::path backup = backupPathFor(path);
    std::error_code ec;
    std::filesystem::remove(backup, ec);
    if (::link(path.c_str(), backup.c_str()) == 0) {
        return true;
    }
    std::filesystem::copy_file(path, backup, std::filesystem::copy_options::overwrite_existing, ec);
    error = ec.value();
    return !ec;
}

} // namespace

std::filesystem::path backupPathFor(const std::filesystem::path& path) {
    return path.parent_path() / (path.filename().string() + ".bak");
}

namespace {

// A symbolic link is written through: the file it points to is replaced and the link stays.
std::filesystem::path resolveLinks(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

// The observer hears of the backup first, then of the file: whoever keeps the old bytes of both
// must have them before either changes.
bool tellObserver(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                  bool exists, KeepBackup backup, Flush flush, std::string& error) {
    if (exists && backup == KeepBackup::Yes) {
        std::string current;
        if (!readWholeFile(path, current)) {
            error = path.string() + ": cannot be read to keep its backup";
            return false;
        }
        if (!g_observer(
                backupPathFor(path),
                std::span(reinterpret_cast<const std::uint8_t*>(current.data()), current.size()),
                flush, error)) {
            return false;
        }
    }
    return g_observer(path, bytes, flush, error);
}

} // namespace

AtomicSaveResult saveAtomically(const std::filesystem::path& requested,
                                std::span<const std::uint8_t> bytes, KeepBackup backup,
                                Flush flush) {
    AtomicSaveResult result;
    const std::filesystem::path path = resolveLinks(requested);
    const std::filesystem::path temporary = temporaryPathFor(path);

    // New files get the mode of the file they replace, so a save never widens who may read it.
    mode_t mode = 0644;
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists) {
        mode = existing.st_mode & 07777;
        // The rename would replace a file its owner made read-only (even for root, whom the mode
        // does not stop), so such a file is reported instead of replaced.
        if ((mode & 0222) == 0) {
            result.error = requested.string() + ": the file is read-only; it was not replaced";
            return result;
        }
    }

    if (writesWithheld()) {
        result.ok = true;
        return result;
    }
    if (g_observer && !tellObserver(path, bytes, exists, backup, flush, result.error)) {
        return result;
    }

    const int fd = faultInjected(FileCall::Open, EACCES)
                       ? -1
                       : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        result.error = describe(path, "creating a temporary file", errno);
        return result;
    }

    int error = 0;
    const char* step = nullptr;
    if (!writeAll(fd, bytes.data(), bytes.size(), error)) {
        step = "writing";
    } else if (flush == Flush::Yes && (faultInjected(FileCall::Sync) || ::fsync(fd) != 0)) {
        // A full disk or a lost network share may first be reported by the flush.
        step = "flushing", error = errno;
    }
    // An injected close fault still releases the descriptor; only the result is a failure.
    const bool closeFault = faultInjected(FileCall::Close);
    const bool closed = ::close(fd) == 0 && !closeFault;
    if (closeFault) {
        errno = EIO;
    }
    if (!closed && !step) {
        step = "closing", error = errno;
    }
    if (!step && exists && backup == KeepBackup::Yes && !keepBackupOf(path, error)) {
        step = "keeping the backup";
    }
    if (!step &&
        (faultInjected(FileCall::Rename) || ::rename(temporary.c_str(), path.c_str()) != 0)) {
        step = "replacing the file", error = errno;
    }
    if (step) {
        ::unlink(temporary.c_str());
        result.error = describe(path, step, error);
        return result;
    }
    result.ok = true;
    return result;
}

AtomicSaveResult saveAtomically(const std::filesystem::path& path, std::string_view text,
                                KeepBackup backup, Flush flush) {
    return saveAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), backup,
        flush);
}

int removeStaleTemporaryFiles(const std::filesystem::path& folder) {
    int removed = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        const std::size_t infix = name.rfind(kTemporaryInfix);
        if (name.empty() || name[0] != '.' || infix == std::string::npos || infix < 2) {
            continue;
        }
        // ".<name>.tmp-<pid>-<number>": only files of processes that are gone are left-overs.
        const std::string rest = name.substr(infix + kTemporaryInfix.size());
        const std::size_t dash = rest.find('-');
        if (dash == std::string::npos || dash == 0 || dash > 18 ||
            rest.find_first_not_of("0123456789-") != std::string::npos) {
            continue;
        }
        const long pid = std::stol(rest.substr(0, dash));
        const bool alive = pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
        if (pid == ::getpid() || alive) {
            continue;
        }
        std::error_code removeError;
        if (std::filesystem::remove(entry.path(), removeError)) {
            ++removed;
        }
    }
    return removed;
}

bool flushFileSystem(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = ::syncfs(fd) == 0;
    ::close(fd);
    return flushed;
}

ScopedFileFault::ScopedFileFault(FileCall call, int failOnCall, FaultEffect effect) : m_call(call) {
    g_faults[static_cast<int>(call)] = Fault{true, failOnCall, 0, effect};
}

ScopedFileFault::~ScopedFileFault() {
    g_faults[static_cast<int>(m_call)] = Fault{};
}

ScopedWithheldWrites::ScopedWithheldWrites() {
    ++g_withheld;
}

ScopedWithheldWrites::~ScopedWithheldWrites() {
    --g_withheld;
}

bool writesWithheld() {
    return g_withheld > 0;
}

namespace {

bool g_inPlace = false;

bool tellInPlace(const std::filesystem::path& path, std::string& error) {
    if (!g_observer) {
        return true;
    }
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        error = path.string() + ": cannot be read to keep it in the history";
        return false;
    }
    g_inPlace = true;
    const bool ok = g_observer(
        path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
        Flush::Yes, error);
    g_inPlace = false;
    return ok;
}

} // namespace

bool announceChangeInPlace(const std::filesystem::path& path, std::string& error) {
    return tellInPlace(path, error);
}

void announceChangedInPlace(const std::filesystem::path& path) {
    // The change has happened; an observer that cannot note its result leaves the history with
    // the bytes before, and undo then asks before it puts them back.
    std::string ignored;
    tellInPlace(path, ignored);
}

bool changingInPlace() {
    return g_inPlace;
}

ScopedReplaceObserver::ScopedReplaceObserver(ReplaceObserver observer)
    : m_previous(std::exchange(g_observer, std::move(observer))) {}

ScopedReplaceObserver::~ScopedReplaceObserver() {
    g_observer = std::move(m_previous);
}

namespace {

constexpr std::uint64_t kChecksumStart = 1469598103934665603ULL; // FNV-1a

std::uint64_t continueChecksum(std::uint64_t hash, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::uint64_t checksumOf(std::span<const std::uint8_t> bytes) {
    return continueChecksum(kChecksumStart, bytes);
}

std::uint64_t checksumOf(std::string_view bytes) {
    return checksumOf(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

namespace {

// What a file's status says of it: its size and time, the checksum still to be taken.
FileStamp statusStamp(const struct stat& info) {
    FileStamp stamp;
    stamp.known = true;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.mtimeNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

} // namespace

FileStamp stampOf(const struct stat& info, std::string_view bytes) {
    FileStamp stamp = statusStamp(info);
    stamp.checksum = checksumOf(bytes);
    return stamp;
}

FileStamp stampOf(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return {};
    }
    return stampOf(info,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

FileStamp stampOf(const std::filesystem::path& path, std::string_view bytes) {
    return stampOf(path,
                   std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

bool changedSince(const std::filesystem::path& path, const FileStamp& loaded) {
    if (!loaded.known) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    struct stat info {};
    FileStamp now;
    bool readable = ::fstat(fd, &info) == 0;
    if (readable) {
        now = statusStamp(info);
    }
    // Another size or time is a change already; only a file that agrees in both has its bytes
    // summed, a piece at a time, as a save checks files of tens of megabytes.
    if (readable && now.size == loaded.size && now.mtimeNs == loaded.mtimeNs) {
        std::vector<std::uint8_t> piece(std::size_t{1} << 20);
        std::uint64_t hash = kChecksumStart;
        std::uint64_t total = 0;
        for (;;) {
            const ssize_t got = ::read(fd, piece.data(), piece.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                readable = got == 0;
                break;
            }
            hash = continueChecksum(hash, std::span(piece.data(), static_cast<std::size_t>(got)));
            total += static_cast<std::uint64_t>(got);
        }
        now.checksum = hash;
        now.size = total; // what was read, should the file have changed while it was
    }
    ::close(fd);
    return !readable || now != loaded;
}

bool readWholeFile(const std::filesystem::path& path, std::string& out) {
    // One read into a string of the file's size: address books run to tens of megabytes, and
    // a stream copy would grow and copy its buffer many times over.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    std::string bytes;
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && info.st_size > 0) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
    }
    std::size_t done = 0;
    while (ok) {
        if (done == bytes.size()) {
            // The file may have grown since it was measured: read on until its end.
            bytes.resize(bytes.size() + 65536);
        }
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (!ok) {
        return false;
    }
    bytes.resize(done);
    out = std::move(bytes);
    return true;
}

} // namespace twinleaf
