// The classic date book, datebook.dat of Palm Desktop 4.x: its record, its record list and its
// field table, and PmTime, through which the calendar turns local calendar times into the file's
// seconds since 1970 and back. The load and save steps are those every classic file shares
// (PmClassicFile); the repeat field is the row engine's (RepeatValue).
#pragma once

#include "common/palm/PalmClassic.h"
#include "platform/win/WinTypes.h"

#include <array>
#include <cstdint>

namespace twinleaf {

namespace palm {
inline constexpr std::uint32_t kDateVersionTag = 0x44420100; // bytes 00 01 42 44
inline constexpr Schema kDateSchema = {54, 15, 0, 1, 2};
inline constexpr int kDateFieldCount = 15;
// The type list Palm Desktop writes: the end time is listed as an integer, not as a date, and is
// tagged so in every row.
inline constexpr std::array<std::int16_t, kDateFieldCount> kDateFieldTypes = {
    1, 1, 1, 3, 1, 5, 1, 5, 6, 6, 1, 6, 1, 1, 8};
// The end date of a repeat without end: 31 December 2031, 15:59:59 UTC.
inline constexpr std::int32_t kRepeatNoEnd = 0x749DCEFF;
} // namespace palm

// One date book row. Texts are zero-terminated and cut to their slot on reading; what the file
// held beyond a slot is written back from the file as long as the program leaves the field alone.
struct PmDateRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    std::int32_t StartTime; // seconds since 1970; -1 in rows Palm Desktop keeps but never shows
    std::int32_t EndTime;
    TextField<512> Description;
    std::int32_t Duration;
    TextField<512> Note;
    std::int32_t Untimed;
    std::int32_t Private;
    std::int32_t Category;
    std::int32_t AlarmSet;
    std::int32_t AlarmAdvanceUnits;
    std::int32_t AlarmAdvanceType;
    RepeatValue Repeat;
    std::uint32_t FileRow; // not in the file: 1-based row it was read from, 0 for a new record
};

// Every row of the file, deleted, archived and timeless ones too, so that a save keeps them.
class PmDateDataMgr : public PmRecordList<PmDateRec> {};

extern const ClassicFileKind kDateClassicFile;

class PmDateUtil : public PmClassicFile<PmDateRec, PmDateDataMgr> {
public:
    PmDateUtil();
    // Loads the file at once; IsLoaded() tells how that went.
    explicit PmDateUtil(const char* path);

protected:
    const RowCodec& Codec() const override;
};

// One moment as the date book keeps it: seconds since 1970-01-01 00:00:00 UTC, read in the local
// time zone.
class PmTime {
public:
    // 0 takes the current time.
    explicit PmTime(std::int32_t value = 0);

    void SetValue(std::int32_t value) { m_value = value; }
    std::int32_t GetValue() const { return m_value; }

    // The local calendar time of the year, month, day, hour, minute and second given. Around a
    // change of daylight saving time a time that occurs twice is its first occurrence and a time
    // the change skips is read with the offset before it. False for no input or a time the file
    // cannot hold (before 1970, after January 2038); the value is then left as it was.
    bool FromSystemTime(const win::SYSTEMTIME* pst);
    // The value as local calendar time, day of week and milliseconds 0. False for no output or a
    // value that cannot be broken down (a negative one); the output is then left as it was.
    bool ToSystemTime(win::SYSTEMTIME* pst) const;

private:
    std::int32_t m_value;
};

} // namespace twinleaf
