// Saving a file users own so that a failure at any point leaves the old file in place: the new
// content goes to a temporary file in the same folder, every write and the flush are checked,
// and only then is it renamed over the original. Optionally the previous version is kept beside
// it as "<name>.bak".
//
// The few system calls a save makes go through a table whose entries a test can swap for the
// length of a scope (ScopedFileFault), so every failure path is reachable from tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace twinleaf {

enum class FileCall { Open, Write, Sync, Close, Rename, Backup };

struct AtomicSaveResult {
    bool ok = false;
    std::string error; // names the file and the step that failed; empty on success
    explicit operator bool() const { return ok; }
};

enum class KeepBackup { No, Yes };

// Flush::No leaves out the flush to the disk: the replacement is still atomic (no reader ever
// sees half a file), but after a power failure the file may be empty. For stores of many small
// files that flush once at the end (see flushFileSystem).
enum class Flush { Yes, No };

AtomicSaveResult saveAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes,
                                KeepBackup backup = KeepBackup::No, Flush flush = Flush::Yes);
AtomicSaveResult saveAtomically(const std::filesystem::path& path, std::string_view text,
                                KeepBackup backup = KeepBackup::No, Flush flush = Flush::Yes);

// Removes the temporary files that saves of processes no longer running left in `folder` (only
// names of the pattern saves use); returns how many were removed.
int removeStaleTemporaryFiles(const std::filesystem::path& folder);

// Flushes everything written to the file system that holds `path` to the disk.
bool flushFileSystem(const std::filesystem::path& path);

// The backup that a save with KeepBackup::Yes leaves beside `path`.
std::filesystem::path backupPathFor(const std::filesystem::path& path);

// What an injected fault does: the call fails, or the process ends on the spot (_exit, status
// kFaultExitStatus) as a process killed just before that call would.
enum class FaultEffect { Fail, ExitProcess };
inline constexpr int kFaultExitStatus = 86;

// Makes the `failOnCall`-th use (1-based) of `call`, and every later one, fail with EIO (ENOSPC
// for writes) until the object goes out of scope.
class ScopedFileFault {
public:
    ScopedFileFault(FileCall call, int failOnCall, FaultEffect effect = FaultEffect::Fail);
    ~ScopedFileFault();
    ScopedFileFault(const ScopedFileFault&) = delete;
    ScopedFileFault& operator=(const ScopedFileFault&) = delete;

private:
    FileCall m_call;
};

// While one lives, saveAtomically writes nothing and answers success: a run that only shows
// what it would do goes through every step of a real one, and no file changes. A refusal that
// needs no write (a read-only file) is still reported.
class ScopedWithheldWrites {
public:
    ScopedWithheldWrites();
    ~ScopedWithheldWrites();
    ScopedWithheldWrites(const ScopedWithheldWrites&) = delete;
    ScopedWithheldWrites& operator=(const ScopedWithheldWrites&) = delete;
};
bool writesWithheld();

// Told by saveAtomically before it changes a file: the file it is about to replace or create
// and the bytes the file will hold afterwards, and whether the save flushes them to the disk. A
// save that keeps a backup tells about the backup first (its new bytes are the file's current
// ones). False stops the save before anything is written, with `error` naming why.
using ReplaceObserver =
    std::function<bool(const std::filesystem::path& file, std::span<const std::uint8_t> after,
                       Flush flush, std::string& error)>;
// Installs an observer for the length of a scope; the previous one comes back afterwards.
class ScopedReplaceObserver {
public:
    explicit ScopedReplaceObserver(ReplaceObserver observer);
    ~ScopedReplaceObserver();
    ScopedReplaceObserver(const ScopedReplaceObserver&) = delete;
    ScopedReplaceObserver& operator=(const ScopedReplaceObserver&) = delete;

private:
    ReplaceObserver m_previous;
};

// A file that changes in place instead of being replaced (a database committing its own
// changes) is told about around the change: before it, with the bytes it holds now, so that
// whoever keeps old bytes copies them (a second link would change with the file), and after it,
// with the bytes it came to hold. False from the first stops the change, with `error` naming why.
bool announceChangeInPlace(const std::filesystem::path& path, std::string& error);
void announceChangedInPlace(const std::filesystem::path& path);
// True while an observer hears of a file that changes in place.
bool changingInPlace();

// The 64-bit FNV-1a checksum of `bytes`, as file stamps and the sync history keep it.
std::uint64_t checksumOf(std::span<const std::uint8_t> bytes);
std::uint64_t checksumOf(std::string_view bytes);

// What a file was when it was loaded, to see before a save whether another program changed it
// since: its size, modification time and a checksum of its bytes (which catches a rewrite of the
// same size within the file system's time resolution).
struct FileStamp {
    bool known = false;
    std::uint64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::uint64_t checksum = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of `path` holding `bytes` (as just read or written); unknown when it cannot be seen.
FileStamp stampOf(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
FileStamp stampOf(const std::filesystem::path& path, std::string_view bytes);
// The stamp of a file whose status was taken when `bytes` were read from it.
FileStamp stampOf(const struct stat& info, std::string_view bytes);
// True when `path` is no longer what `loaded` says (changed, gone); false for an unknown stamp.
bool changedSince(const std::filesystem::path& path, const FileStamp& loaded);

// What a save refused for that reason says after the file's name; a run that sees it in a
// failure can offer to read its data again.
inline constexpr std::string_view kChangedSinceLoaded =
    ": changed by another program since it was loaded; not written";

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::filesystem::path& path, std::string& out);

} // namespace twinleaf
