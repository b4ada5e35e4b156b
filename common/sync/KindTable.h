// Everything about the sync controller that differs from kind to kind, in one place: the
// messages, the settings each kind keeps, how its row records are read, and which facade and
// Outlook access it opens.
#pragma once

#include "common/sync/DataKind.h"
#include "common/sync/KindSides.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace twinleaf {

struct OptionBlock;

struct KindTexts {
    const char* noPalmSelection;    // P2O with no Palm row checked
    const char* noOutlookSelection; // O2P with no Outlook row checked
    const char* nothingToSync;      // Sync with both views empty
    const char* synchronized;       // after a run; "%d" stands for the count
    const char* palmData;           // what the kind's Palm data is called in a save failure
};

const KindTexts& kindTexts(DataKind kind);

// The message after a run, with the count in place of "%d".
std::string synchronizedText(DataKind kind, int count);
// The message that replaces it when the Palm data could not be written back; `file` and
// `reason` are UTF-8, as the file system and the writers give them.
std::string palmSaveFailedText(DataKind kind, const std::string& file, const std::string& reason);

std::int32_t& userIdSetting(OptionBlock& options, DataKind kind);
std::int32_t& syncModeSetting(OptionBlock& options, DataKind kind);

// CompareStatus of one row's record: 0 same, 1 new, 2 different.
int compareStatusOf(DataKind kind, const void* record);

// A column of the kind's list views: caption, width in pixels (0: the view's default) and the
// field id of the kind's descriptor table.
struct ViewColumn {
    const char* caption;
    int width;
    int fieldId;
};
std::span<const ViewColumn> viewColumns(DataKind kind);
// The display text of one field of a row's record (Windows-1252), empty when the field has none.
std::string fieldText(DataKind kind, const void* record, int fieldId);

// The kind's facade and Outlook access, made and set up as opening the kind makes them.
std::unique_ptr<KindSides> createKindSides(DataKind kind, const OptionBlock& options,
                                           ContactFieldMap& fieldMap);

} // namespace twinleaf
