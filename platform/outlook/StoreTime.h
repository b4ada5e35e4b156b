// Dates as the Outlook stand-in keeps them: automation dates (days since 30 December 1899, the
// fraction being the local time of day) inside, ISO 8601 texts in the files. Conversions use
// whole seconds, as Windows' own variant-time functions do, so a date written and read back is
// the same double.
#pragma once

#include <string>
#include <string_view>

namespace twinleaf::outlook {

struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// False outside the years 100 to 9999 and for values that are not numbers.
bool oleDateToCivil(double date, CivilTime& out);
double civilToOleDate(const CivilTime& time);

// The current local time as an automation date, in whole seconds.
double nowAsOleDate();

bool localToUtc(const CivilTime& local, CivilTime& utc);
bool utcToLocal(const CivilTime& utc, CivilTime& local);

std::string formatDate(const CivilTime& time);            // 2008-03-07
std::string formatDateTime(const CivilTime& time);        // 2008-03-07T09:05:03
std::string formatUtcTimestamp(const CivilTime& utc);     // 20080307T080503Z
std::string formatLocalTimestamp(const CivilTime& local); // 20080307T090503

enum class TimeForm { DateOnly, Local, Utc };

// Reads the date and date-time forms vCard and iCalendar producers write: basic or extended
// format, with or without seconds, fractions of a second ignored, "Z" or a UTC offset (which is
// applied, giving TimeForm::Utc). False for anything else, e.g. a date without a year.
bool parseIsoDateTime(std::string_view text, CivilTime& out, TimeForm& form);

// A parsed date-time as a local automation date: UTC forms are converted, date-only is midnight.
bool isoToOleDate(std::string_view text, double& date);

} // namespace twinleaf::outlook
