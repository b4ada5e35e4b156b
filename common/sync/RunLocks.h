// The locks that keep two runs from writing the same files at once: one per home, in the
// Outlook store's folder (what every run of the home writes; a store that two homes share
// through TWINLEAF_OUTLOOK_STORE is still guarded once), and one per Palm user's data folder
// (two homes may sync the same Palm user).
#pragma once

#include "common/sync/DataKind.h"
#include "platform/files/RunLock.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace twinleaf {

struct OptionBlock;

// ".twinleaf.lock" in the store's folder, which is created when missing.
std::filesystem::path homeLockFile();
// ".twinleaf.lock" in the data folder of the Palm user with `userId` (the first user for 0);
// empty when there is no such user or folder.
std::filesystem::path palmUserLockFile(std::int32_t userId);

// The lock of the Palm data a kind's run writes: beside its "Open by File Name" file when that
// is in use, else in the data folder of the Palm user with `userId`.
std::filesystem::path palmDataLockFile(const OptionBlock& options, DataKind kind,
                                       std::int32_t userId);

// Takes `lock` on `file` for `holder`. True when it was taken, and also when the file cannot be
// made at all (a folder in which we cannot create a file is one no run of ours writes to, and the
// run's own save reports it); an empty `file` needs no lock. False with the message for the user
// when another run holds it (naming the lock file and its holder).
bool lockForRun(RunLock& lock, const std::filesystem::path& file, std::string_view holder,
                std::string& message);

} // namespace twinleaf
