// OLE automation date arithmetic on the proleptic Gregorian calendar.
#include "platform/win/OleDate.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace twinleaf::win {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool isLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1 March of year 0, counted in 400-year cycles of 146097 days; March first puts the
// leap day at the end of the counted year, so the month lengths before it never change.
std::int64_t daysSinceMarchOfYearZero(std::int64_t year, int month, int day) {
    if (month <= 2) {
        --year;
    }
    const std::int64_t cycle = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfCycle = year - cycle * 400;
    const int monthFromMarch = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const std::int64_t dayOfCycle =
        yearOfCycle * 365 + yearOfCycle / 4 - yearOfCycle / 100 + dayOfYear;
    return cycle * 146097 + dayOfCycle;
}

const std::int64_t kDayZero = daysSinceMarchOfYearZero(1899, 12, 30);

std::int64_t serialDay(std::int64_t year, int month, int day) {
    return daysSinceMarchOfYearZero(year, month, day) - kDayZero;
}

struct CivilDate {
    std::int64_t year;
    int month;
    int day;
};

CivilDate civilDate(std::int64_t serial) {
    const std::int64_t days = serial + kDayZero;
    const std::int64_t cycle = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfCycle = days - cycle * 146097;
    const std::int64_t yearOfCycle =
        (dayOfCycle - dayOfCycle / 1460 + dayOfCycle / 36524 - dayOfCycle / 146096) / 365;
    const std::int64_t dayOfYear =
        dayOfCycle - (365 * yearOfCycle + yearOfCycle / 4 - yearOfCycle / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilDate date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = yearOfCycle + cycle * 400 + (date.month <= 2 ? 1 : 0);
    return date;
}

} // namespace

int SystemTimeToVariantTime(const SYSTEMTIME* lpSystemTime, double* pvtime) {
    if (lpSystemTime == nullptr || pvtime == nullptr) {
        return 0;
    }
    const SYSTEMTIME& st = *lpSystemTime;
    if (st.wYear < 100 || st.wYear > 9999 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
        st.wDay > daysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
        st.wSecond > 59) {
        return 0;
    }
    const std::int64_t day = serialDay(st.wYear, st.wMonth, st.wDay);
    const double time = static_cast<double>(st.wHour * 3600 + st.wMinute * 60 + st.wSecond) /
                        static_cast<double>(kSecondsPerDay);
    // Before day zero the fraction still counts forward from the start of the day.
    *pvtime = day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
    return 1;
}

int VariantTimeToSystemTime(double vtime, SYSTEMTIME* lpSystemTime) {
    if (lpSystemTime == nullptr || !(vtime > kMinOleDate - 1.0 && vtime < kMaxOleDate + 1.0)) {
        return 0;
    }
    const double whole = std::trunc(vtime);
    const double fraction = std::fabs(vtime - whole);
    // A time written as exactly half a second may be stored a hair below it; anything within the
    // double's own precision of the half counts as the half and rounds up.
    const double magnitude = std::fabs(vtime);
    const double precision = (std::nextafter(magnitude, 2.0 * kMaxOleDate) - magnitude) *
                             static_cast<double>(kSecondsPerDay);
    std::int64_t day = static_cast<std::int64_t>(whole);
    std::int64_t seconds = static_cast<std::int64_t>(
        std::floor(fraction * static_cast<double>(kSecondsPerDay) + 0.5 + precision));
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    const CivilDate date = civilDate(day);
    if (date.year < 100 || date.year > 9999) {
        return 0;
    }
    SYSTEMTIME& st = *lpSystemTime;
    st.wYear = static_cast<WORD>(date.year);
    st.wMonth = static_cast<WORD>(date.month);
    st.wDay = static_cast<WORD>(date.day);
    // Day zero, 30 December 1899, was a Saturday.
    st.wDayOfWeek = static_cast<WORD>(((day % 7) + 7 + 6) % 7);
    st.wHour = static_cast<WORD>(seconds / 3600);
    st.wMinute = static_cast<WORD>(seconds / 60 % 60);
    st.wSecond = static_cast<WORD>(seconds % 60);
    st.wMilliseconds = 0;
    return 1;
}

void GetLocalTime(SYSTEMTIME* lpSystemTime) {
    if (lpSystemTime == nullptr) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    SYSTEMTIME& st = *lpSystemTime;
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    // A leap second reads as the last ordinary second, as Windows never shows 60.
    st.wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    st.wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

} // namespace twinleaf::win
