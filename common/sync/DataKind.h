// The four kinds of data, each on a tab of its own, and the three directions of a sync run. The
// numbers are the ones stored in the settings file and passed to the conflict alert.
#pragma once

#include <array>

namespace twinleaf {

enum class DataKind : int { Addr = 1, Date = 2, Todo = 3, Memo = 4 };

inline constexpr std::array<DataKind, 4> kDataKinds = {DataKind::Addr, DataKind::Date,
                                                       DataKind::Todo, DataKind::Memo};

// P2O "Palm Desktop to Outlook", O2P "Outlook to Palm Desktop", Sync "Synchronize All".
enum class SyncMode : int { P2O = 1, O2P = 2, Sync = 4 };

// A stored mode other than 1, 2 or 4 is read as "Palm Desktop to Outlook".
constexpr SyncMode syncModeFromSetting(int value) {
    return value == 2 ? SyncMode::O2P : value == 4 ? SyncMode::Sync : SyncMode::P2O;
}

} // namespace twinleaf
