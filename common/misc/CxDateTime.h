// CxDateTime and the free date helpers: the common records keep OLE automation dates, Palm files
// seconds since 1970 and the list views texts; these are the conversions between them and the
// display texts. Everything is local time; no time-zone conversion takes place.
//
// 32-bit time values are seconds since 1970-01-01 00:00 UTC, read in the local time zone, with the
// range a 32-bit time_t had on the system these values come from: 0 to 2147483647
// (2038-01-19 03:14:07 UTC). -1 means "no time": VariantTimeToTimeT answers it for every moment
// outside that range, and TimeTToVariantTime and SetTimeT refuse every negative value, so a missing
// date read from one side is never written to the other as a day in 1969 or 1970.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>

namespace twinleaf {

class CxDateTime {
public:
    // The current local time.
    CxDateTime();
    virtual ~CxDateTime();
    CxDateTime(const CxDateTime&) = default;
    CxDateTime& operator=(const CxDateTime&) = default;

    // Each setter fills one form and converts it into the other. A failed conversion clears the
    // valid flag and leaves the other form as it was.
    void SetVariantTime(double dtVariant);
    void SetSystemTime(const win::SYSTEMTIME& st);
    // A value that cannot be broken down into local time (a negative one) clears the valid flag
    // and changes nothing else.
    void SetTimeT(std::int32_t nTime);

    win::SYSTEMTIME GetSystemTime() const { return m_SystemTime; }
    double GetVariantTime() const { return m_VariantTime; }
    bool IsValid() const { return m_bValid; }

    // "MM/DD/YYYY", "hh:mm:ss" and the two joined by one blank, cut to `size` bytes (terminator
    // included). The buffer is returned. kTextSize always holds the whole text.
    static constexpr std::size_t kTextSize = 40;
    char* DateText(char* szBuf, std::size_t size) const;
    char* TimeText(char* szBuf, std::size_t size) const;
    char* DateTimeText(char* szBuf, std::size_t size) const;

private:
    enum class Conversion { ToVariantTime, ToSystemTime };
    void Convert(Conversion conversion);

    double m_VariantTime = 0.0;
    win::SYSTEMTIME m_SystemTime{};
    bool m_bValid = false;
};

// Compares the calendar days only (year, month, day): -1, 0 or 1. A missing first value gives -1,
// a missing second one 1.
int CompareDate(const win::SYSTEMTIME* pFirst, const win::SYSTEMTIME* pSecond);

// (hour * 60 + minute) of the first minus the same of the second; dates and seconds are ignored.
// The values are passed whole, as the callers keep them.
int MinutesBetween(win::SYSTEMTIME first, win::SYSTEMTIME second);

// The OLE date as a 32-bit time value, read as local time; -1 when the date cannot be converted
// or lies outside the range above. Around a change of daylight saving time the answer is fixed:
// a time that occurs twice is its first occurrence, and a time the change skips is read with the
// offset before it (02:30 on the morning clocks go from 02:00 to 03:00 is 03:30).
std::int32_t VariantTimeToTimeT(double dtVariant);

// The same for a local time held as a SYSTEMTIME (milliseconds and day of week ignored), with the
// same answers around a change of daylight saving time; -1 when it cannot be converted.
std::int32_t SystemTimeToTimeT(const win::SYSTEMTIME& st);

// A 32-bit time value as local time, milliseconds 0; false, leaving *pst untouched, for a negative
// value or a missing pointer.
bool TimeTToSystemTime(std::int32_t nTime, win::SYSTEMTIME* pst);

// False, leaving *pdtVariant untouched, for a negative value or a missing pointer.
bool TimeTToVariantTime(std::int32_t nTime, double* pdtVariant);

// "MM-DD-YYYY hh:mm:ss" cut to `size` bytes; false, leaving the buffer untouched, when the date
// cannot be converted or there is no buffer. kTextSize always holds the whole text.
bool FormatVariantTime(double dtVariant, char* szBuf, std::size_t size);

} // namespace twinleaf
