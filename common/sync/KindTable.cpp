// The per-kind table.
#include "common/sync/KindTable.h"

#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"
#include "common/outlook/OlAddr.h"
#include "common/outlook/OlDate.h"
#include "common/outlook/OlNote.h"
#include "common/outlook/OlTask.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/palm/PalmDateInfo.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/palm/PalmTodoInfo.h"
#include "common/sync/ContactKind.h"
#include "common/sync/DateKind.h"
#include "common/sync/MemoKind.h"
#include "common/sync/Options.h"
#include "common/sync/TaskKind.h"
#include "platform/Assert.h"
#include "platform/codepage/Codepage.h"

#include <algorithm>
#include <array>
#include <vector>

namespace twinleaf {
namespace {

const KindTexts kTexts[] = {
    {"No Palm Desktop contact record is ticked. \r\n\r\nPlease tick the records that you "
     "want to update to Outlook.",
     "No Outlook contact record is ticked.\r\n\r\nPlease tick the records that you want to "
     "update to Palm Desktop.",
     "No contact information records found. Synchronization abort.",
     "Contact information synchronized successfully. %d records updated.", "contact"},
    {"No Palm Desktop calendar record is ticked. \r\n\r\nPlease tick the records that you "
     "want to update to Outlook.",
     "No Outlook calendar record is ticked.\r\n\r\nPlease tick the records that you want to "
     "update to Palm Desktop.",
     "No calendar information records found. Synchronization abort.",
     "Calendar information synchronized successfully. %d records updated.", "calendar"},
    {"No Palm Desktop task record is ticked. \r\n\r\nPlease tick the records that you want "
     "to update to Outlook.",
     "No Outlook task record is ticked.\r\n\r\nPlease tick the records that you want to "
     "update to Palm Desktop.",
     "No task information records found. Synchronization abort.",
     "Task information synchronized successfully. %d records updated.", "task"},
    {"No Palm Desktop memo record is ticked. \r\n\r\nPlease tick the records that you want "
     "to update to Outlook.",
     "No Outlook memo record is ticked.\r\n\r\nPlease tick the records that you want to "
     "update to Palm Desktop.",
     "No memo information records found. Synchronization abort.",
     "Memo information synchronized successfully. %d records updated.", "memo"},
};

const ViewColumn kContactColumns[] = {
    {"First Name", 80, 1},       {"Last Name", 80, 2},   {"Email", 100, 25},
    {"Business Phone", 100, 19}, {"Home Phone", 80, 18}, {"Mobile Phone", 80, 20},
    {"Company", 80, 37},         {"Title", 80, 38},
};
const ViewColumn kCalendarColumns[] = {
    {"Description", 200, 1}, {"Date", 80, 6}, {"Start Time", 80, 2}, {"End Time", 80, 3}};
const ViewColumn kTaskColumns[] = {
    {"Description", 200, 0}, {"Due Date", 80, 4}, {"Completed", 70, 3}, {"Priority", 0, 2}};
const ViewColumn kMemoColumns[] = {{"Description", 320, 3}};

std::string contactFieldText(const void* record, int fieldId) {
    AddrFieldDesc desc{};
    char buffer[1024] = {};
    if (FindFieldDesc(static_cast<std::uint32_t>(fieldId), &desc) &&
        GetFieldText(static_cast<const CommAddrRec*>(record), &desc, buffer, sizeof buffer)) {
        return buffer;
    }
    return {};
}

int contactStatus(const void* record) {
    return static_cast<const CommAddrRec*>(record)->CompareStatus;
}

std::unique_ptr<KindSides> contactSides(const OptionBlock& options) {
    return makeKindSides<ContactKindOf<PmAddrInfo, OlAddrUtil>>(options);
}

std::string dateFieldText(const void* record, int fieldId) {
    DateFieldDesc desc{};
    char buffer[1024] = {};
    if (fieldId >= 0 && FindFieldDesc(static_cast<std::uint32_t>(fieldId), &desc)) {
        GetFieldText(static_cast<const CommDateRec*>(record), &desc, buffer, sizeof buffer);
    }
    return buffer;
}

int dateStatus(const void* record) {
    return static_cast<const CommDateRec*>(record)->CompareStatus;
}

std::unique_ptr<KindSides> dateSides(const OptionBlock& options) {
    return makeKindSides<DateKindOf<PmDateInfo, OlDateUtil>>(options);
}

std::string taskFieldText(const void* record, int fieldId) {
    TaskFieldDesc desc{};
    char buffer[1024] = {};
    if (fieldId >= 0 && FindFieldDesc(static_cast<std::uint32_t>(fieldId), &desc)) {
        GetFieldText(static_cast<const CommTaskRec*>(record), &desc, buffer, sizeof buffer);
    }
    return buffer;
}

int taskStatus(const void* record) {
    return static_cast<const CommTaskRec*>(record)->CompareStatus;
}

std::unique_ptr<KindSides> taskSides(const OptionBlock& options) {
    return makeKindSides<TaskKindOf<PmTodoInfo, OlTaskUtil>>(options);
}

std::string memoFieldText(const void* record, int fieldId) {
    NoteFieldDesc desc{};
    char buffer[1024] = {};
    if (fieldId >= 0 && FindFieldDesc(static_cast<std::uint32_t>(fieldId), &desc)) {
        GetFieldText(static_cast<const CommNoteRec*>(record), &desc, buffer, sizeof buffer);
    }
    return buffer;
}

int memoStatus(const void* record) {
    return static_cast<const CommNoteRec*>(record)->CompareStatus;
}

std::unique_ptr<KindSides> memoSides(const OptionBlock& options) {
    return makeKindSides<MemoKindOf<PmMemoInfo, OlNoteUtil>>(options);
}

const KindDescription kKinds[] = {
    {DataKind::Addr, "contacts", kTexts[0], &OptionBlock::AddrUserID, &OptionBlock::AddrSyncMode,
     kContactColumns, contactStatus, contactFieldText, contactSides},
    {DataKind::Date, "calendar", kTexts[1], &OptionBlock::DateUserID, &OptionBlock::DateSyncMode,
     kCalendarColumns, dateStatus, dateFieldText, dateSides},
    {DataKind::Todo, "tasks", kTexts[2], &OptionBlock::TodoUserID, &OptionBlock::TodoSyncMode,
     kTaskColumns, taskStatus, taskFieldText, taskSides},
    {DataKind::Memo, "memos", kTexts[3], &OptionBlock::MemoUserID, &OptionBlock::MemoSyncMode,
     kMemoColumns, memoStatus, memoFieldText, memoSides},
};

} // namespace

const KindDescription& describeKind(DataKind kind) {
    const auto number = static_cast<int>(kind);
    TL_ASSERT(number >= 1 && number <= 4);
    const KindDescription& description = kKinds[number - 1];
    TL_ASSERT(description.kind == kind);
    return description;
}

std::span<const KindDescription* const> syncableKinds() {
    static const std::vector<const KindDescription*> kinds = [] {
        std::vector<const KindDescription*> result;
        for (const KindDescription& description : kKinds) {
            if (description.createSides != nullptr) {
                result.push_back(&description);
            }
        }
        return result;
    }();
    return kinds;
}

const KindDescription* kindNamed(std::string_view word) {
    for (const KindDescription* description : syncableKinds()) {
        if (word == description->word) {
            return description;
        }
    }
    return nullptr;
}

std::string synchronizedText(DataKind kind, int count) {
    std::string text = describeKind(kind).texts.synchronized;
    text.replace(text.find("%d"), 2, std::to_string(count));
    return text;
}

std::string palmSaveFailedText(DataKind kind, const std::string& file, const std::string& reason) {
    std::string text = std::string("The Palm Desktop ") + describeKind(kind).texts.palmData +
                       " data could not be saved";
    text += file.empty() ? ".\r\n\r\nNothing was written to its file; it still holds"
                         : " to \"" + utf8ToAnsi(file) +
                               "\".\r\n\r\nNothing was written to this file; it still holds";
    text += " what it held before this synchronization.";
    if (!reason.empty()) {
        text += "\r\n\r\n" + utf8ToAnsi(reason);
    }
    return text;
}

int compareStatusOf(DataKind kind, const void* record) {
    const KindDescription& description = describeKind(kind);
    return record == nullptr || description.compareStatus == nullptr
               ? 0
               : description.compareStatus(record);
}

std::string fieldText(DataKind kind, const void* record, int fieldId) {
    const KindDescription& description = describeKind(kind);
    return record == nullptr || description.fieldText == nullptr
               ? std::string()
               : description.fieldText(record, fieldId);
}

std::string recordName(DataKind kind, const void* record) {
    std::string name;
    const auto& columns = describeKind(kind).columns;
    for (std::size_t i = 0; i < std::min<std::size_t>(2, columns.size()); ++i) {
        const std::string text = fieldText(kind, record, columns[i].fieldId);
        name += (name.empty() || text.empty() ? "" : " ") + text;
    }
    return name;
}

std::unique_ptr<KindSides> createKindSides(DataKind kind, const OptionBlock& options) {
    const KindDescription& description = describeKind(kind);
    if (description.createSides == nullptr) {
        return std::make_unique<EmptySides>();
    }
    return description.createSides(options);
}

} // namespace twinleaf
