// The columns of the calendar, to-do and memo rows, and the decimal texts kept beside them.
#include "common/palm/PalmKindsDb.h"

#include <cstddef>
#include <cstdio>

namespace twinleaf {
namespace {

const PmColumn kDateColumns[] = {
    {"Record ID", ColumnValue::Int, offsetof(PmDateEx2Rec, RecordId), 0, true, true},
    {"Status", ColumnValue::Int, offsetof(PmDateEx2Rec, Status), 0, true, true},
    {"Placement", ColumnValue::Int, offsetof(PmDateEx2Rec, Placement), 0, false, true},
    {"Private", ColumnValue::Bool, offsetof(PmDateEx2Rec, Private), 0, true, true},
    {"Category", ColumnValue::NumberText, offsetof(PmDateEx2Rec, Category), 0, true, true},
    {"Note", ColumnValue::Text, TL_OFFSET_WIDTH(PmDateEx2Rec, Note), true, true},
    {"Start Time", ColumnValue::NumberText, offsetof(PmDateEx2Rec, StartTime), 0, true, true},
    {"End Time", ColumnValue::NumberText, offsetof(PmDateEx2Rec, EndTime), 0, true, true},
    {"Untimed", ColumnValue::Bool, offsetof(PmDateEx2Rec, Untimed), 0, true, true},
    {"Time Zone", ColumnValue::Text, TL_OFFSET_WIDTH(PmDateEx2Rec, TimeZone), true, true},
    {"Location", ColumnValue::Text, TL_OFFSET_WIDTH(PmDateEx2Rec, Location), true, true},
    {"Summary", ColumnValue::Text, TL_OFFSET_WIDTH(PmDateEx2Rec, Summary), true, true},
    {"Alarm", ColumnValue::Bool, offsetof(PmDateEx2Rec, Alarm), 0, true, true},
    {"Alarm Advance", ColumnValue::Int, offsetof(PmDateEx2Rec, AlarmAdvance), 0, true, true},
    {"Alarm Unit", ColumnValue::Int, offsetof(PmDateEx2Rec, AlarmUnit), 0, true, true},
    {"Repeated Event", ColumnValue::Text, TL_OFFSET_WIDTH(PmDateEx2Rec, RepeatedEvent), true, true},
};
const PmColumn kTodoColumns[] = {
    {"Record ID", ColumnValue::Int, offsetof(PmTodoEx2Rec, RecordId), 0, true, true},
    {"Status", ColumnValue::Int, offsetof(PmTodoEx2Rec, Status), 0, true, true},
    {"Placement", ColumnValue::Int, offsetof(PmTodoEx2Rec, Placement), 0, false, true},
    {"Private", ColumnValue::Bool, offsetof(PmTodoEx2Rec, Private), 0, true, true},
    {"Category", ColumnValue::NumberText, offsetof(PmTodoEx2Rec, Category), 0, true, true},
    {"Note", ColumnValue::Text, TL_OFFSET_WIDTH(PmTodoEx2Rec, Note), true, true},
    {"Description", ColumnValue::Text, TL_OFFSET_WIDTH(PmTodoEx2Rec, Description), true, true},
    {"Due Date", ColumnValue::NumberText, offsetof(PmTodoEx2Rec, DueDate), 0, true, true},
    {"Completed", ColumnValue::Bool, offsetof(PmTodoEx2Rec, Completed), 0, true, true},
    {"Priority", ColumnValue::Int, offsetof(PmTodoEx2Rec, Priority), 0, true, true},
    {"Repeat On Complete Date", ColumnValue::Bool, offsetof(PmTodoEx2Rec, RepeatOnCompleteDate), 0,
     true, true},
    {"Complete Date", ColumnValue::NumberText, offsetof(PmTodoEx2Rec, CompleteDate), 0, false,
     true},
    {"Alarm Set", ColumnValue::Bool, offsetof(PmTodoEx2Rec, AlarmSet), 0, true, true},
    {"Alarm Time", ColumnValue::NumberText, offsetof(PmTodoEx2Rec, AlarmTime), 0, false, true},
    {"Alarm Advance", ColumnValue::Int, offsetof(PmTodoEx2Rec, AlarmAdvance), 0, true, true},
    {"Repeat Start Date", ColumnValue::NumberText, offsetof(PmTodoEx2Rec, RepeatStartDate), 0, true,
     true},
    {"Repeat Info", ColumnValue::Text, TL_OFFSET_WIDTH(PmTodoEx2Rec, RepeatInfo), true, true},
};
const PmColumn kMemoColumns[] = {
    {"Record ID", ColumnValue::Int, offsetof(PmMemoEx2Rec, RecordId), 0, true, true},
    {"Status", ColumnValue::Int, offsetof(PmMemoEx2Rec, Status), 0, true, true},
    {"Placement", ColumnValue::Int, offsetof(PmMemoEx2Rec, Placement), 0, false, true},
    {"Private", ColumnValue::Bool, offsetof(PmMemoEx2Rec, Private), 0, true, true},
    {"Category", ColumnValue::NumberText, offsetof(PmMemoEx2Rec, Category), 0, true, true},
    {"Note", ColumnValue::Text, TL_OFFSET_WIDTH(PmMemoEx2Rec, Note), true, true},
};

// Rows whose "Record ID" is 0 have no identity of their own: they are found by these.
const char* const kDateKeys[] = {"Record ID", "Start Time", "End Time", "Summary"};
const char* const kTodoKeys[] = {"Record ID", "Due Date", "Description"};
const char* const kMemoKeys[] = {"Record ID", "Note"};

const PmEx2Layout kDateLayout = {kDateColumns, kDateKeys, PmDataKind::Date, "datebook",
                                 "DateBook.mdb"};
const PmEx2Layout kTodoLayout = {kTodoColumns, kTodoKeys, PmDataKind::Todo, "todo", "Todolist.mdb"};
const PmEx2Layout kMemoLayout = {kMemoColumns, kMemoKeys, PmDataKind::Memo, "MemoPad",
                                 "MemoPad.mdb"};

template <std::size_t Width> void decimalText(TextField<Width>& text, std::int32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    copyToField(text, digits);
}

} // namespace

PmDateEx2Util::PmDateEx2Util() : PmEx2Table(kDateLayout) {}
PmDateEx2Util::PmDateEx2Util(const std::string& path) : PmDateEx2Util() {
    OpenFile(path);
}

void PmDateEx2Util::Completed(PmDateEx2Rec& record) {
    decimalText(record.StartTimeText, record.StartTime);
    decimalText(record.EndTimeText, record.EndTime);
}

PmTodoEx2Util::PmTodoEx2Util() : PmEx2Table(kTodoLayout) {}
PmTodoEx2Util::PmTodoEx2Util(const std::string& path) : PmTodoEx2Util() {
    OpenFile(path);
}

void PmTodoEx2Util::Completed(PmTodoEx2Rec& record) {
    decimalText(record.DueDateText, record.DueDate);
    decimalText(record.CompleteDateText, record.CompleteDate);
    decimalText(record.AlarmTimeText, record.AlarmTime);
}

PmMemoEx2Util::PmMemoEx2Util() : PmEx2Table(kMemoLayout) {}
PmMemoEx2Util::PmMemoEx2Util(const std::string& path) : PmMemoEx2Util() {
    OpenFile(path);
}

} // namespace twinleaf
