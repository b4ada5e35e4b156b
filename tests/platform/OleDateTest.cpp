#include "platform/win/OleDate.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace twinleaf::win {
namespace {

SYSTEMTIME makeTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                    int milliseconds = 0) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    st.wMilliseconds = static_cast<WORD>(milliseconds);
    return st;
}

std::string text(const SYSTEMTIME& st) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d dow %d", st.wYear,
                  st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds,
                  st.wDayOfWeek);
    return buffer;
}

constexpr double seconds(double count) {
    return count / 86400.0;
}

struct OleCase {
    const char* name;
    double ole;
    const char* local; // with the day of week, 0 = Sunday
};

// Dates that convert exactly both ways.
const OleCase kExactCases[] = {
    {"day zero", 0.0, "1899-12-30 00:00:00.000 dow 6"},
    {"day one", 1.0, "1899-12-31 00:00:00.000 dow 0"},
    {"first of 1900", 2.0, "1900-01-01 00:00:00.000 dow 1"},
    {"noon of 1900-01-01", 2.5, "1900-01-01 12:00:00.000 dow 1"},
    {"negative whole day", -1.0, "1899-12-29 00:00:00.000 dow 5"},
    {"negative date keeps its time of day", -1.25, "1899-12-29 06:00:00.000 dow 5"},
    {"day 60 is the last of February 1900", 60.0, "1900-02-28 00:00:00.000 dow 3"},
    {"day 61 follows it: 1900 has no 29 February", 61.0, "1900-03-01 00:00:00.000 dow 4"},
    {"2000 is a leap year", 36585.0, "2000-02-29 00:00:00.000 dow 2"},
    {"and the day after", 36586.0, "2000-03-01 00:00:00.000 dow 3"},
    {"1970", 25569.0, "1970-01-01 00:00:00.000 dow 4"},
    {"an afternoon in 2004", 38051.0 + seconds(14 * 3600 + 7 * 60 + 9),
     "2004-03-05 14:07:09.000 dow 5"},
    {"first day of the range", kMinOleDate, "0100-01-01 00:00:00.000 dow 5"},
    {"last second of the first day", kMinOleDate - seconds(86399), "0100-01-01 23:59:59.000 dow 5"},
    {"last second of the range", kMaxOleDate + seconds(86399), "9999-12-31 23:59:59.000 dow 5"},
};

TEST(OleDate, ConvertsBothWaysAroundDayZeroLeapDaysAndTheRangeEnds) {
    for (const OleCase& c : kExactCases) {
        SCOPED_TRACE(c.name);
        SYSTEMTIME st{};
        ASSERT_NE(VariantTimeToSystemTime(c.ole, &st), 0);
        EXPECT_EQ(text(st), c.local);
        double back = 99.0;
        ASSERT_NE(SystemTimeToVariantTime(&st, &back), 0);
        EXPECT_DOUBLE_EQ(back, c.ole);
    }
}

TEST(OleDate, AFractionBelowZeroIsTheTimeOfDayZero) {
    SYSTEMTIME st{};
    ASSERT_NE(VariantTimeToSystemTime(-0.25, &st), 0);
    EXPECT_EQ(text(st), "1899-12-30 06:00:00.000 dow 6");
}

TEST(OleDate, RoundsToTheNearestSecondAndCarriesIntoTheNextDay) {
    const double afternoon = 38051.0 + seconds(14 * 3600 + 7 * 60 + 9);
    const struct {
        const char* name;
        double ole;
        const char* local;
    } cases[] = {
        {"499 ms down", afternoon + seconds(0.499), "2004-03-05 14:07:09.000 dow 5"},
        {"500 ms up", afternoon + seconds(0.5), "2004-03-05 14:07:10.000 dow 5"},
        {"23:59:59.500 is the next day", 38051.0 + seconds(86399.5),
         "2004-03-06 00:00:00.000 dow 6"},
        {"28 February 2004 rolls into the leap day", 38045.0 + seconds(86399.5),
         "2004-02-29 00:00:00.000 dow 0"},
        {"a negative date rolls forward in the calendar", -1.0 - seconds(86399.5),
         "1899-12-30 00:00:00.000 dow 6"},
        {"a negative date rounds its time of day", -2.0 - seconds(3600.6),
         "1899-12-28 01:00:01.000 dow 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SYSTEMTIME st{};
        ASSERT_NE(VariantTimeToSystemTime(c.ole, &st), 0);
        EXPECT_EQ(text(st), c.local);
    }
}

TEST(OleDate, RefusesDatesOutsideTheYears100To9999AndLeavesTheOutputAlone) {
    const struct {
        const char* name;
        double ole;
    } cases[] = {
        {"day before the range", kMinOleDate - 1.0},
        {"day after the range", kMaxOleDate + 1.0},
        {"rounding past the last second", kMaxOleDate + seconds(86399.5)},
        {"not a number", std::numeric_limits<double>::quiet_NaN()},
        {"infinity", std::numeric_limits<double>::infinity()},
        {"minus infinity", -std::numeric_limits<double>::infinity()},
        {"huge", 1e300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SYSTEMTIME st = makeTime(2001, 2, 3, 4, 5, 6, 7);
        EXPECT_EQ(VariantTimeToSystemTime(c.ole, &st), 0);
        EXPECT_EQ(text(st), "2001-02-03 04:05:06.007 dow 0");
    }
    EXPECT_EQ(VariantTimeToSystemTime(0.0, nullptr), 0);
}

TEST(OleDate, RefusesMalformedSystemTimes) {
    const struct {
        const char* name;
        SYSTEMTIME st;
    } cases[] = {
        {"year 99", makeTime(99, 12, 31)},
        {"year 10000", makeTime(10000, 1, 1)},
        {"month 0", makeTime(2004, 0, 1)},
        {"month 13", makeTime(2004, 13, 1)},
        {"day 0", makeTime(2004, 1, 0)},
        {"31 April", makeTime(2004, 4, 31)},
        {"29 February 1900", makeTime(1900, 2, 29)},
        {"29 February 2001", makeTime(2001, 2, 29)},
        {"30 February of a leap year", makeTime(2004, 2, 30)},
        {"hour 24", makeTime(2004, 1, 1, 24)},
        {"minute 60", makeTime(2004, 1, 1, 0, 60)},
        {"second 60", makeTime(2004, 1, 1, 0, 0, 60)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double ole = 12.5;
        EXPECT_EQ(SystemTimeToVariantTime(&c.st, &ole), 0);
        EXPECT_EQ(ole, 12.5);
    }
    double ole = 0.0;
    EXPECT_EQ(SystemTimeToVariantTime(nullptr, &ole), 0);
    const SYSTEMTIME valid = makeTime(2004, 1, 1);
    EXPECT_EQ(SystemTimeToVariantTime(&valid, nullptr), 0);
}

TEST(OleDate, IgnoresDayOfWeekAndMilliseconds) {
    SYSTEMTIME st = makeTime(2004, 2, 29, 23, 59, 59, 999);
    st.wDayOfWeek = 42;
    double ole = 0.0;
    ASSERT_NE(SystemTimeToVariantTime(&st, &ole), 0);
    EXPECT_DOUBLE_EQ(ole, 38046.0 + seconds(86399));
}

TEST(OleDate, LocalTimeIsNowInTheLocalZone) {
    const std::time_t before = std::time(nullptr);
    SYSTEMTIME st{};
    GetLocalTime(&st);
    std::tm expected{};
    localtime_r(&before, &expected);
    EXPECT_EQ(st.wYear, expected.tm_year + 1900);
    EXPECT_EQ(st.wDayOfWeek, expected.tm_wday);
    EXPECT_LT(st.wMilliseconds, 1000);
    double ole = 0.0;
    EXPECT_NE(SystemTimeToVariantTime(&st, &ole), 0);
}

} // namespace
} // namespace twinleaf::win
