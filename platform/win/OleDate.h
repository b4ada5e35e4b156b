// OLE automation dates (days since 30 December 1899 as a double) and their conversions to and from
// SYSTEMTIME, reproducing oleaut32's rules because stored dates and the Outlook stand-in must give
// the same moments Windows gives:
// - the whole part counts days; for a negative date the fraction is still the time of day after
//   that day, so -1.25 is 29 December 1899, 06:00 (and -0.25 is the same moment as 0.25);
// - the calendar is the proleptic Gregorian one: there is no 29 February 1900, day 60 is
//   28 February 1900 and day 61 is 1 March 1900;
// - only the years 100 to 9999 can be converted;
// - the precision is one second: a date's fraction of a second is rounded to the nearest second
//   (half a second up, carrying into the next day), and wMilliseconds of a SYSTEMTIME is ignored.
//
// Where oleaut32 silently repairs a malformed SYSTEMTIME (a day 0 or 31 February rolled into the
// neighbouring month, years 0 to 99 read as two-digit years) these functions refuse it instead,
// so that a damaged date in a data file is noticed rather than moved to another day.
// No time-zone conversion takes place anywhere: both forms are local time.
#pragma once

#include "platform/win/WinTypes.h"

namespace twinleaf::win {

// 1 January 100 and 31 December 9999 as OLE dates.
inline constexpr double kMinOleDate = -657434.0;
inline constexpr double kMaxOleDate = 2958465.0;

// Non-zero on success. wDayOfWeek is ignored. Fails for a missing argument, a field out of its
// range (month 1-12, day within the month, hour < 24, minute < 60, second < 60) and a year outside
// 100-9999; *pvtime is then untouched.
int SystemTimeToVariantTime(const SYSTEMTIME* lpSystemTime, double* pvtime);

// Non-zero on success; fills every field including wDayOfWeek (0 = Sunday); wMilliseconds is 0.
// Fails for a missing argument, NaN, and dates outside 100-01-01 00:00:00 to 9999-12-31 23:59:59
// after rounding; *lpSystemTime is then untouched.
int VariantTimeToSystemTime(double vtime, SYSTEMTIME* lpSystemTime);

// The current local time (from the C library's time zone), with milliseconds.
void GetLocalTime(SYSTEMTIME* lpSystemTime);

} // namespace twinleaf::win
