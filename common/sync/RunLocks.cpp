// Where the run locks live, and the message a run gets when another holds one.
#include "common/sync/RunLocks.h"

#include "common/palm/PalmEnv.h"
#include "common/sync/Options.h"
#include "platform/outlook/OutlookStore.h"

namespace twinleaf {
namespace {

constexpr const char* kLockFileName = ".twinleaf.lock";

} // namespace

std::filesystem::path homeLockFile() {
    const std::filesystem::path store = outlook::storeFolder();
    std::error_code ec;
    std::filesystem::create_directories(store, ec);
    return store / kLockFileName;
}

std::filesystem::path palmUserLockFile(std::int32_t userId) {
    CxList& users = palmUserList();
    if (userId == 0 && users.GetCount() > 0) {
        if (const auto* first = static_cast<const PalmUserRec*>(users.GetAt(0))) {
            userId = static_cast<std::int32_t>(first->id);
        }
    }
    char folder[win::MAX_PATH] = {};
    if (userId == 0 || !GetUserDataFolder(static_cast<win::DWORD>(userId), folder)) {
        return {};
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return {};
    }
    return std::filesystem::path(folder) / kLockFileName;
}

std::filesystem::path palmDataLockFile(const OptionBlock& options, DataKind kind,
                                       std::int32_t userId) {
    if (const std::string file = usablePalmFile(options, kind); !file.empty()) {
        return std::filesystem::path(file).parent_path() / kLockFileName;
    }
    return palmUserLockFile(userId);
}

bool lockForRun(RunLock& lock, const std::filesystem::path& file, std::string_view holder,
                std::string& message) {
    if (file.empty()) {
        return true;
    }
    std::string error;
    if (lock.acquire(file, holder, error) != LockState::Busy) {
        return true;
    }
    message = "Another Twinleaf run is using these files: " + error + ".";
    return false;
}

} // namespace twinleaf
