// The common calendar record: what the Palm date book facade and the Outlook calendar access both
// convert their appointments into. Appointments are matched by their description; a matched pair
// differs when its texts, its days (not the times of day), its alarm or its repeat pattern differ.
// Described by one field table, as the other kinds are.
#pragma once

#include "common/misc/CommRecord.h"
#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace twinleaf {

// How an appointment repeats. One group, so that a merge takes the whole pattern at once.
// RepeatHasEnd is kept as a 32-bit 0 or 1, like every flag of the common records, so that each
// member is one of the field table's types.
struct CommDateRepeat {
    std::int32_t RepeatType; // CommRepeatType
    std::int32_t RepeatHasEnd;
    win::SYSTEMTIME RepeatEnd; // the last day of the repeat, local time
    std::int32_t RepeatFrequency;
    std::int32_t RepeatDays; // bit 0 Sunday ... bit 6 Saturday
    std::int32_t RepeatDayOfMonth;
    std::int32_t RepeatMonth; // 1 to 12
    std::int32_t RepeatWeek;  // 1 to 5
};

enum CommRepeatType : std::int32_t {
    kCommRepeatNone = 0,
    kCommRepeatDaily = 1,
    kCommRepeatWeekly = 2,
    kCommRepeatMonthlyByWeekday = 3,
    kCommRepeatMonthlyByDate = 4,
    kCommRepeatYearlyByWeekday = 5,
    kCommRepeatYearlyByDate = 6,
};

// Times are local SYSTEMTIME values.
struct CommDateRec {
    TextField<256> Description;
    std::int32_t AllDayEvent;
    win::SYSTEMTIME StartDateTime;
    win::SYSTEMTIME EndDateTime;
    std::int32_t Alarm;
    std::int32_t Duration; // minutes from the start's time of day to the end's
    TextField<8192> Note;
    TextField<256> Location;
    CommDateRepeat Repeat;
    std::int32_t Private;
    TextField<64> Category;
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    std::int32_t SourceType;
    std::int32_t CompareStatus; // 0 same, 1 new, 2 different; the loader's status word before that
    std::uint32_t SourceRecordId;
    void* Native; // owned, from malloc; copied with the record
    std::uint32_t NativeSize;
};

// An all-day event's start and end at midnight: each side keeps some time of day of its own on
// such events (Palm whatever the row had, Outlook midnight), which must not make a pair differ.
void ClearAllDayTimes(CommDateRec& rec);

// One row of the calendar descriptor table (columns, the conflict alert).
struct DateFieldDesc {
    std::uint32_t nId;
    char szName[32];
    std::uint32_t nSize;
};

inline constexpr std::size_t kDateFieldDescRows = 13;

// Every member of CommDateRec in declaration order but Native and NativeSize (the repeat pattern's
// members one by one), then the descriptor rows that show a member a second way.
std::span<const CommField> DateFieldLayoutTable();

// Two records are the same appointment: texts equal, start and end at the same minutes, the same
// alarm and the same repeat pattern (its end aside). Both records must be given.
bool RecordsEqual(const CommDateRec* pRec1, const CommDateRec* pRec2);

// Copies the row with that id; false for an id the table lacks.
bool FindFieldDesc(std::uint32_t id, DateFieldDesc* pDesc);

// Writes the display text of one field into szBuf, cut to nBufLen - 1 characters; an id without
// text gives an empty text. A missing record, descriptor or buffer is a programming error.
bool GetFieldText(const CommDateRec* pRec, const DateFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen);

// Two appointments are candidates for each other when their descriptions agree.
struct DateRecordTraits {
    using Record = CommDateRec;
    static constexpr std::size_t kMaxKeys = 1;
    static std::span<const CommField> Fields() { return DateFieldLayoutTable(); }
    static std::size_t Keys(const CommDateRec& rec, MatchKey* keys) {
        keys[0] = MatchKey{0, 1, {KeyPart(rec.Description), {}, {}}};
        return 1;
    }
};

class CommDateMgr : public CommRecordMgr<DateRecordTraits> {};

} // namespace twinleaf
