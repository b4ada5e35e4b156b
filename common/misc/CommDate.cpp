// The common calendar record described once: its field table, the descriptor table and the field
// texts read off it.
#include "common/misc/CommDate.h"

#include "common/misc/CxDateTime.h"
#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <cstdio>
#include <cstring>

namespace twinleaf {
namespace {

win::SYSTEMTIME timeOf(const void* member) {
    win::SYSTEMTIME value{};
    std::memcpy(&value, member, sizeof value);
    return value;
}

bool timeOfDayText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    const win::SYSTEMTIME when = timeOf(member);
    char text[CxDateTime::kTextSize];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", when.wHour, when.wMinute, when.wSecond);
    copyToField(szBuf, nBufLen, text);
    return true;
}

bool dayText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    const win::SYSTEMTIME when = timeOf(member);
    char text[CxDateTime::kTextSize];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", when.wMonth, when.wDay, when.wYear);
    copyToField(szBuf, nBufLen, text);
    return true;
}

constexpr bool kCompared = true;
constexpr bool kIgnored = false;
constexpr FieldMerge kIfSet = FieldMerge::IfNotEmpty;
constexpr FieldMerge kKeep = FieldMerge::Keep;
constexpr FieldMerge kAlways = FieldMerge::Always;

#define TL_ROW(name, member, kind, compared, merge)                                                \
    CommField {                                                                                    \
        name, TL_OFFSET_WIDTH(CommDateRec, member), FieldType::kind, compared, merge, 0, nullptr,  \
            0, nullptr                                                                             \
    }
#define TL_DESC(name, member, kind, compared, merge, id, label, size, format)                      \
    CommField {                                                                                    \
        name, TL_OFFSET_WIDTH(CommDateRec, member), FieldType::kind, compared, merge, id, label,   \
            size, format                                                                           \
    }
// A second way of showing a member: no member of its own, so neither compared, merged nor listed.
#define TL_VIEW(member, id, label, size, format)                                                   \
    CommField {                                                                                    \
        "", TL_OFFSET_WIDTH(CommDateRec, member), FieldType::None, kIgnored, kKeep, id, label,     \
            size, format                                                                           \
    }

// A merge takes the incoming texts only when they are set, so it never erases a stored text; the
// flags, the times and the whole repeat pattern are taken as they come. Duration, the time stamps
// and the bookkeeping stay as the stored record has them.
const CommField kFields[] = {
    TL_DESC("Description", Description, Text, kCompared, kIfSet, 1, "Description", 256, nullptr),
    TL_DESC("AllDayEvent", AllDayEvent, Int32, kIgnored, kAlways, 13, "All Day Event", 8,
            YesNoFieldText),
    TL_DESC("StartDateTime", StartDateTime, SystemTime, kCompared, kAlways, 4, "Start Date Time",
            32, nullptr),
    TL_DESC("EndDateTime", EndDateTime, SystemTime, kCompared, kAlways, 5, "End Date Time", 32,
            nullptr),
    TL_DESC("Alarm", Alarm, Int32, kCompared, kAlways, 12, "Alarm", 8, YesNoFieldText),
    TL_ROW("Duration", Duration, Int32, kIgnored, kKeep),
    TL_DESC("Note", Note, Text, kCompared, kIfSet, 7, "Note", 4096, nullptr),
    TL_DESC("Location", Location, Text, kCompared, kIfSet, 9, "Location", 256, nullptr),
    TL_ROW("RepeatType", Repeat.RepeatType, Int32, kCompared, kAlways),
    TL_ROW("RepeatHasEnd", Repeat.RepeatHasEnd, Int32, kIgnored, kAlways),
    TL_ROW("RepeatEnd", Repeat.RepeatEnd, SystemTime, kIgnored, kAlways),
    TL_ROW("RepeatFrequency", Repeat.RepeatFrequency, Int32, kCompared, kAlways),
    TL_ROW("RepeatDays", Repeat.RepeatDays, Int32, kCompared, kAlways),
    TL_ROW("RepeatDayOfMonth", Repeat.RepeatDayOfMonth, Int32, kCompared, kAlways),
    TL_ROW("RepeatMonth", Repeat.RepeatMonth, Int32, kCompared, kAlways),
    TL_ROW("RepeatWeek", Repeat.RepeatWeek, Int32, kCompared, kAlways),
    TL_DESC("Private", Private, Int32, kIgnored, kAlways, 8, "Private", 8, YesNoFieldText),
    TL_DESC("Category", Category, Text, kIgnored, kIfSet, 11, "Category", 32, NoFieldText),
    TL_ROW("CreationTime", CreationTime, Date, kIgnored, kKeep),
    TL_ROW("LastModificationTime", LastModificationTime, Date, kIgnored, kKeep),
    TL_ROW("SourceType", SourceType, Int32, kIgnored, kKeep),
    TL_ROW("CompareStatus", CompareStatus, Int32, kIgnored, kKeep),
    TL_ROW("SourceRecordId", SourceRecordId, UInt32, kIgnored, kKeep),
    TL_VIEW(StartDateTime, 2, "Start Time", 32, timeOfDayText),
    TL_VIEW(EndDateTime, 3, "End Time", 32, timeOfDayText),
    TL_VIEW(StartDateTime, 6, "Date", 32, dayText),
    TL_VIEW(Description, 10, "Importance", 8, NoFieldText),
};

#undef TL_ROW
#undef TL_DESC
#undef TL_VIEW

} // namespace

std::span<const CommField> DateFieldLayoutTable() {
    return kFields;
}

void ClearAllDayTimes(CommDateRec& rec) {
    if (rec.AllDayEvent == 0) {
        return;
    }
    for (win::SYSTEMTIME* when : {&rec.StartDateTime, &rec.EndDateTime}) {
        when->wHour = 0;
        when->wMinute = 0;
        when->wSecond = 0;
        when->wMilliseconds = 0;
    }
}

bool RecordsEqual(const CommDateRec* pRec1, const CommDateRec* pRec2) {
    TL_ASSERT(pRec1 && pRec2);
    return FieldsEqual(kFields, pRec1, pRec2);
}

bool FindFieldDesc(std::uint32_t id, DateFieldDesc* pDesc) {
    const CommField* field = pDesc != nullptr ? FieldWithDescriptor(kFields, id) : nullptr;
    if (field == nullptr) {
        return false;
    }
    *pDesc = DateFieldDesc{};
    pDesc->nId = id;
    copyToField(pDesc->szName, field->descName);
    pDesc->nSize = field->descSize;
    return true;
}

bool GetFieldText(const CommDateRec* pRec, const DateFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen) {
    TL_ASSERT(pRec && pField && szBuf);
    return FieldTextOfRow(FieldWithDescriptor(kFields, pField->nId), pRec, szBuf, nBufLen);
}

} // namespace twinleaf
