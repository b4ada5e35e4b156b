// The common task record described once: its field table, the descriptor table and the field
// texts read off it.
#include "common/misc/CommTask.h"

#include "common/misc/CxDateTime.h"
#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace twinleaf {
namespace {

std::int32_t intOf(const void* member) {
    std::int32_t value = 0;
    std::memcpy(&value, member, sizeof value);
    return value;
}

bool priorityText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    const std::int32_t priority = intOf(member);
    copyToField(szBuf, nBufLen,
                priority == kTaskHigh  ? "High"
                : priority == kTaskLow ? "Low"
                                       : "Normal");
    return true;
}

// Any set due date shows, whatever its year: a column that hid dates past some year would show a
// task due then as having none.
bool dueDateText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    const std::int32_t due = intOf(member);
    CxDateTime when;
    if (due != 0) {
        when.SetTimeT(due);
    }
    if (due == 0 || !when.IsValid()) {
        copyToField(szBuf, nBufLen, "N/A");
        return true;
    }
    const win::SYSTEMTIME day = when.GetSystemTime();
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", day.wMonth, day.wDay, day.wYear);
    copyToField(szBuf, nBufLen, text);
    return true;
}

constexpr bool kCompared = true;
constexpr bool kIgnored = false;

#define TL_ROW(name, kind, compared, merge)                                                        \
    CommField {                                                                                    \
#name, TL_OFFSET_WIDTH(CommTaskRec, name), FieldType::kind, compared, merge, 0, nullptr,   \
            0, nullptr                                                                             \
    }
#define TL_DESC(name, kind, compared, merge, id, size, format)                                     \
    CommField {                                                                                    \
#name, TL_OFFSET_WIDTH(CommTaskRec, name), FieldType::kind, compared, merge, id, #name,    \
            size, format                                                                           \
    }

// A merge takes the incoming subject and note only when they are set, so it never erases a text;
// the values Palm keeps (due date, alarm, privacy, completion, priority) are taken as they come.
// The Outlook-only values stay as the stored record has them.
const CommField kFields[] = {
    TL_DESC(Subject, Text, kCompared, FieldMerge::IfNotEmpty, 0, 256, nullptr),
    TL_DESC(Note, Text, kCompared, FieldMerge::IfNotEmpty, 1, 8192, nullptr),
    TL_DESC(Priority, Int32, kIgnored, FieldMerge::Always, 2, 4, priorityText),
    TL_DESC(Completed, Int32, kCompared, FieldMerge::Always, 3, 4, YesNoFieldText),
    TL_DESC(DueDate, Int32, kIgnored, FieldMerge::Always, 4, 4, dueDateText),
    TL_DESC(Alarm, Int32, kIgnored, FieldMerge::Always, 5, 4, YesNoFieldText),
    TL_DESC(Private, Int32, kIgnored, FieldMerge::Always, 6, 4, YesNoFieldText),
    TL_ROW(ReminderSet, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(ReminderOverrideDefault, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(ReminderPlaySound, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(ReminderSoundFile, Text, kIgnored, FieldMerge::Keep),
    TL_ROW(ReminderTime, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(Role, Text, kIgnored, FieldMerge::Keep),
    TL_ROW(EntryID, Text, kIgnored, FieldMerge::Keep),
    TL_ROW(Mileage, Text, kIgnored, FieldMerge::Keep),
    TL_ROW(CardData, Text, kIgnored, FieldMerge::Keep),
    TL_ROW(Ordinal, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(TeamTask, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(TotalWork, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(PercentComplete, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(IsRecurring, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(StartDate, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(Sensitivity, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(Status, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(ResponseState, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(CreationTime, Date, kIgnored, FieldMerge::Keep),
    TL_ROW(LastModificationTime, Date, kIgnored, FieldMerge::Keep),
    TL_ROW(SourceType, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(CompareStatus, Int32, kIgnored, FieldMerge::Keep),
    TL_ROW(SourceRecordId, UInt32, kIgnored, FieldMerge::Keep),
};

#undef TL_ROW
#undef TL_DESC

// The descriptor table lists Private before Alarm, as the columns were first laid out.
constexpr std::uint32_t kDescOrder[kTaskFieldDescRows] = {0, 1, 2, 3, 4, 6, 5};

} // namespace

std::span<const CommField> TaskFieldLayoutTable() {
    return kFields;
}

bool FindFieldDesc(std::uint32_t id, TaskFieldDesc* pDesc) {
    if (pDesc == nullptr) {
        return false;
    }
    for (std::uint32_t row : kDescOrder) {
        if (row == id) {
            const CommField& field = *FieldWithDescriptor(kFields, id);
            *pDesc = TaskFieldDesc{};
            pDesc->nId = id;
            copyToField(pDesc->szName, field.descName);
            pDesc->nSize = field.descSize;
            return true;
        }
    }
    return false;
}

bool GetFieldText(const CommTaskRec* pRec, const TaskFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen) {
    TL_ASSERT(pRec && pField && szBuf);
    return FieldTextOfRow(FieldWithDescriptor(kFields, pField->nId), pRec, szBuf, nBufLen);
}

} // namespace twinleaf
