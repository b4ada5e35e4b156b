// The common task record: what the Palm to-do facade and the Outlook task access both convert
// their items into. It is wide so that a task written back to Outlook keeps the Outlook properties
// Palm has no place for; only the subject (the key), the note and the completion decide between
// "same" and "different". Described by one field table, as the contacts are.
#pragma once

#include "common/misc/CommRecord.h"
#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace twinleaf {

// Flags are kept as 32-bit numbers, 0 or 1, so that every member is one of the field table's
// types. Time values are seconds since 1970, local time; 0 is "no date".
struct CommTaskRec {
    TextField<256> Subject;
    TextField<8192> Note;
    std::int32_t Priority; // 0 normal, 1 high, 2 low
    std::int32_t Completed;
    std::int32_t DueDate;
    std::int32_t Alarm;
    std::int32_t Private;
    std::int32_t ReminderSet;
    std::int32_t ReminderOverrideDefault;
    std::int32_t ReminderPlaySound;
    TextField<260> ReminderSoundFile;
    std::int32_t ReminderTime;
    TextField<32> Role;
    TextField<32> EntryID;
    TextField<32> Mileage;
    TextField<255> CardData;
    std::int32_t Ordinal;
    std::int32_t TeamTask;
    std::int32_t TotalWork;
    std::int32_t PercentComplete;
    std::int32_t IsRecurring;
    std::int32_t StartDate;
    std::int32_t Sensitivity; // 0 normal, 1 personal, 2 private, 3 confidential
    std::int32_t Status;      // 0 not started ... 4 deferred
    std::int32_t ResponseState;
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    std::int32_t SourceType;
    std::int32_t CompareStatus; // 0 same, 1 new, 2 different; the loader's status word before that
    std::uint32_t SourceRecordId;
    void* Native; // owned, from malloc; copied with the record
    std::uint32_t NativeSize;
};

enum TaskPriority : std::int32_t { kTaskNormal = 0, kTaskHigh = 1, kTaskLow = 2 };

// One row of the task descriptor table (columns, the conflict alert).
struct TaskFieldDesc {
    std::uint32_t nId;
    char szName[32];
    std::uint32_t nSize;
};

inline constexpr std::size_t kTaskFieldDescRows = 7;

// Every member of CommTaskRec in declaration order but Native and NativeSize.
std::span<const CommField> TaskFieldLayoutTable();

// Copies the row with that id; false for an id the table lacks.
bool FindFieldDesc(std::uint32_t id, TaskFieldDesc* pDesc);

// Writes the display text of one field into szBuf, cut to nBufLen - 1 characters; an id without
// text gives an empty text. A missing record, descriptor or buffer is a programming error.
bool GetFieldText(const CommTaskRec* pRec, const TaskFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen);

// Two tasks are candidates for each other when their subjects agree.
struct TaskRecordTraits {
    using Record = CommTaskRec;
    static constexpr std::size_t kMaxKeys = 1;
    static std::span<const CommField> Fields() { return TaskFieldLayoutTable(); }
    static std::size_t Keys(const CommTaskRec& rec, MatchKey* keys) {
        keys[0] = MatchKey{0, 1, {KeyPart(rec.Subject), {}, {}}};
        return 1;
    }
};

class CommTaskMgr : public CommRecordMgr<TaskRecordTraits> {};

} // namespace twinleaf
