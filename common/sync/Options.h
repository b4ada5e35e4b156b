// The user's settings: one block in memory, loaded from section "Twinleaf" of the settings file
// once at start-up and written back once at shut-down. Everything between (the sync controller,
// the main window, the options dialog) works on the block.
#pragma once

#include "common/sync/DataKind.h"
#include "platform/win/WinTypes.h"

#include <cstdint>
#include <string>

namespace twinleaf {

struct OptionBlock {
    std::int32_t AddrUserID;    // Palm user id chosen for contacts (0 = none yet)
    bool bAddrFile;             // "Open by File Name" for contacts
    char AddrFile[260];         // the contact file name of the options dialog
    bool AddrSwapName;          // swap first and last name of Palm contacts
    bool bAddrCustom;           // custom field mapping switched on
    std::int32_t AddrCustom[9]; // Outlook contact property mapped to Custom 1..9 (0 = none)
    std::int32_t AddrType;      // address type code, kept and stored
    std::int32_t AddrSyncMode;  // SyncMode 1, 2 or 4
    std::int32_t DateUserID;
    bool bDateFile;
    char DateFile[260];
    std::int32_t DateSyncMode;
    std::int32_t TodoUserID;
    bool bTodoFile;
    char TodoFile[260];
    std::int32_t TodoSyncMode;
    std::int32_t MemoUserID;
    bool bMemoFile;
    char MemoFile[260];
    std::int32_t MemoSyncMode;
    bool ShowColor;          // colour list rows by compare status
    win::COLORREF DiffColor; // rows that differ
    win::COLORREF NewColor;  // rows without counterpart
    win::COLORREF SameColor; // rows that are the same
    std::int32_t ConfMode;   // 1 Palm wins, 2 Outlook wins, 0 and 3 ask

    bool operator==(const OptionBlock&) const = default;
};

// Zeroes the block, then reads every key; a missing file or key gives the key's default. The
// settings that live outside the block (ItemFileLimitMB) take effect here too.
void LoadOptions(OptionBlock& block, const std::string& settingsFile);

// Key "ItemFileLimitMB": the largest Outlook item file the store reads, in megabytes (64 when
// missing, zero, negative or not a number). Set by hand; never written back.
std::uint64_t ItemFileLimitSetting(const std::string& settingsFile);
// Key "HistoryRuns": how many sync runs the history keeps for undo (20 when missing, zero,
// negative or not a number). Set by hand; never written back.
int HistoryRunsSetting(const std::string& settingsFile);
// Writes every field; false when a write failed (the settings are then partly old).
bool SaveOptions(const OptionBlock& block, const std::string& settingsFile);

// A kind's "Open by File Name" switch and file name in the block.
struct PalmFileFields {
    bool OptionBlock::*use;
    char (OptionBlock::*file)[260];
};
PalmFileFields palmFileFields(DataKind kind);

// The file the kind's Palm side is opened from in place of its Palm user's data: the "Open by
// File Name" file when that is switched on and names a file; empty otherwise. Whether the file
// is still there is the caller's question.
std::string palmFileOverride(const OptionBlock& block, DataKind kind);
// The same file only while it is there (a regular file); empty otherwise.
std::string usablePalmFile(const OptionBlock& block, DataKind kind);

// The process-wide block, and loading and saving it with the program's settings file.
OptionBlock* GetOptionBlock();
void LoadOptions();
bool SaveOptions();

} // namespace twinleaf
