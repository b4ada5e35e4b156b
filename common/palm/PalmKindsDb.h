// The calendar, to-dos and memos of a Palm Desktop 6 user: the table "Main" of DateBook.mdb,
// Todolist.mdb and MemoPad.mdb, one record per row, read whole and stored row by row. They share
// everything but their columns with the contacts (PalmAddrDb.h).
#pragma once

#include "common/palm/PalmDatabase.h"
#include "common/palm/PalmRow.h"

#include <cstdint>
#include <string>

namespace twinleaf {

// One event row, fields in column order.
struct PmDateEx2Rec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Placement;
    std::uint8_t Private;
    std::int32_t Category;
    TextField<2048> Note;
    std::int32_t StartTime;
    std::int32_t EndTime;
    std::uint8_t Untimed;
    TextField<64> TimeZone;
    TextField<256> Location;
    TextField<256> Summary;
    std::uint8_t Alarm;
    std::int32_t AlarmAdvance;
    std::int32_t AlarmUnit;
    TextField<256> RepeatedEvent;
    // Not columns: the times as decimal texts, and the repeat block the facade reads and writes,
    // which the database does not hold (its own repeat is the "Repeated Event" text).
    TextField<64> StartTimeText;
    TextField<64> EndTimeText;
    RepeatValue Repeat;
};

// One to-do row, fields in column order.
struct PmTodoEx2Rec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Placement;
    std::uint8_t Private;
    std::int32_t Category;
    TextField<2048> Note;
    TextField<256> Description;
    std::int32_t DueDate;
    std::uint8_t Completed;
    std::int32_t Priority;
    std::uint8_t RepeatOnCompleteDate;
    std::int32_t CompleteDate;
    std::uint8_t AlarmSet;
    std::int32_t AlarmTime;
    std::int32_t AlarmAdvance;
    std::int32_t RepeatStartDate;
    TextField<256> RepeatInfo;
    // Not columns: the dates as decimal texts, made when the row is read.
    TextField<32> DueDateText;
    TextField<32> CompleteDateText;
    TextField<32> AlarmTimeText;
};

// One memo row.
struct PmMemoEx2Rec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Placement;
    std::uint8_t Private;
    std::int32_t Category;
    TextField<8196> Note;
};

class PmDateEx2DataMgr : public PmRecordList<PmDateEx2Rec> {};
class PmTodoEx2DataMgr : public PmRecordList<PmTodoEx2Rec> {};
class PmMemoEx2DataMgr : public PmRecordList<PmMemoEx2Rec> {};

class PmDateEx2Util : public PmEx2Table<PmDateEx2Rec> {
public:
    PmDateEx2Util();
    explicit PmDateEx2Util(const std::string& path);

protected:
    void Completed(PmDateEx2Rec& record) override;
    void Prepared(PmDateEx2Rec& record) override { Completed(record); }
};

class PmTodoEx2Util : public PmEx2Table<PmTodoEx2Rec> {
public:
    PmTodoEx2Util();
    explicit PmTodoEx2Util(const std::string& path);

protected:
    void Completed(PmTodoEx2Rec& record) override;
    void Prepared(PmTodoEx2Rec& record) override { Completed(record); }
};

class PmMemoEx2Util : public PmEx2Table<PmMemoEx2Rec> {
public:
    PmMemoEx2Util();
    explicit PmMemoEx2Util(const std::string& path);
};

} // namespace twinleaf
