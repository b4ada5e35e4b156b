// One run at a time over the files of a folder: an advisory lock (flock) on a lock file in it.
//
// The lock belongs to the open file and ends with the process that took it, however that process
// ends, so a lock file left behind by a run that was killed is simply free again: the next run
// takes it over without anyone having to decide whether its holder is still alive. What the file
// holds (the holder's process id and what it is doing) only names the holder in the message a
// second run shows.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace twinleaf {

enum class LockState {
    Taken,       // this object holds the lock
    Busy,        // another open of the file holds it
    Unavailable, // the lock file can be neither opened nor created (read-only folder, ...)
};

class RunLock {
public:
    RunLock() = default;
    ~RunLock();
    RunLock(RunLock&& other) noexcept;
    RunLock& operator=(RunLock&& other) noexcept;
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    // Takes the lock on `file` without waiting, creating the file (not its folder) when missing,
    // and records this process and `holder` (what it is doing, e.g. "twinleaf sync contacts") in
    // it. When the lock is busy, `error` names the file and, where it recorded one, the holder;
    // when unavailable, it says why the file could not be opened.
    LockState acquire(const std::filesystem::path& file, std::string_view holder,
                      std::string& error);
    void release();
    bool held() const { return m_fd >= 0; }
    const std::filesystem::path& file() const { return m_file; }

private:
    int m_fd = -1;
    std::filesystem::path m_file;
};

} // namespace twinleaf
