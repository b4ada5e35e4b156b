// Everything that differs from kind to kind, in one table: the messages, the settings each kind
// keeps, the columns its list views and the conflict alert show, how its records are read, the
// word the command line knows it by, and how its facade and Outlook access are made. The sync
// controller, the window, the conflict alert and the command line all read this table; a new
// kind is one more row.
#pragma once

#include "common/sync/DataKind.h"
#include "common/sync/KindSides.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace twinleaf {

struct OptionBlock;

struct KindTexts {
    const char* noPalmSelection;    // P2O with no Palm row checked
    const char* noOutlookSelection; // O2P with no Outlook row checked
    const char* nothingToSync;      // Sync with both views empty
    const char* synchronized;       // after a run; "%d" stands for the count
    const char* palmData;           // what the kind's Palm data is called in a save failure
};

// A column of the kind's list views and of the conflict alert: caption, width in pixels (0: the
// view's default) and the field id of the kind's descriptor table.
struct ViewColumn {
    const char* caption;
    int width;
    int fieldId;
};

struct KindDescription {
    DataKind kind;
    const char* word; // what the command line calls it: "contacts", "calendar", "tasks", "memos"
    KindTexts texts;
    std::int32_t OptionBlock::*userId;   // the kind's Palm user
    std::int32_t OptionBlock::*syncMode; // the kind's stored SyncMode
    std::span<const ViewColumn> columns;
    // The kind's records, reached through the untyped row pointers; null while the kind has no
    // records of its own yet.
    int (*compareStatus)(const void* record);
    std::string (*fieldText)(const void* record, int fieldId);
    // The kind's facade and Outlook access, made and set up as opening the kind makes them; null
    // while they do not exist, and the kind then opens with empty sides.
    std::unique_ptr<KindSides> (*createSides)(const OptionBlock& options);
};

const KindDescription& describeKind(DataKind kind);
// The kinds whose sides exist, in tab order.
std::span<const KindDescription* const> syncableKinds();
// The kind the command line word names, or null.
const KindDescription* kindNamed(std::string_view word);

// The message after a run, with the count in place of "%d".
std::string synchronizedText(DataKind kind, int count);
// The message that replaces it when the Palm data could not be written back; `file` and
// `reason` are UTF-8, as the file system and the writers give them.
std::string palmSaveFailedText(DataKind kind, const std::string& file, const std::string& reason);

// CompareStatus of one row's record (0 same, 1 new, 2 different); 0 for no record.
int compareStatusOf(DataKind kind, const void* record);
// The display text of one field of a row's record (Windows-1252), empty when the field has none.
std::string fieldText(DataKind kind, const void* record, int fieldId);

// What names a record in a message: the texts of the first two columns of its list view (first
// and last name, description and date), Windows-1252.
std::string recordName(DataKind kind, const void* record);

// The kind's facade and Outlook access, as the kind's row makes them, or empty sides.
std::unique_ptr<KindSides> createKindSides(DataKind kind, const OptionBlock& options);

} // namespace twinleaf
