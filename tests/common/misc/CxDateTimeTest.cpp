#include "common/misc/CxDateTime.h"

#include "platform/win/OleDate.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

using win::kMaxOleDate;
using win::SYSTEMTIME;

SYSTEMTIME makeTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    SYSTEMTIME st{};
    st.wYear = static_cast<win::WORD>(year);
    st.wMonth = static_cast<win::WORD>(month);
    st.wDay = static_cast<win::WORD>(day);
    st.wHour = static_cast<win::WORD>(hour);
    st.wMinute = static_cast<win::WORD>(minute);
    st.wSecond = static_cast<win::WORD>(second);
    return st;
}

constexpr double seconds(double count) {
    return count / 86400.0;
}

// 5 March 2004, 14:07:09.
const double kAfternoon = 38051.0 + seconds(14 * 3600 + 7 * 60 + 9);
constexpr std::int32_t kAfternoonTimeT = 1078492029; // 13:07:09 UTC

// The runner pins the zone; a test started by hand gets the same one.
class CxDateTimeInBerlin : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* zone = std::getenv("TZ")) {
            m_savedZone = zone;
        }
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override {
        if (m_savedZone.empty()) {
            unsetenv("TZ");
        } else {
            setenv("TZ", m_savedZone.c_str(), 1);
        }
        tzset();
    }

private:
    std::string m_savedZone;
};

TEST(CxDateTime, ComparesCalendarDaysOnly) {
    const SYSTEMTIME morning = makeTime(2004, 3, 1, 10);
    const SYSTEMTIME evening = makeTime(2004, 3, 1, 23);
    EXPECT_EQ(CompareDate(&morning, &evening), 0);
    const struct {
        const char* name;
        SYSTEMTIME first;
        SYSTEMTIME second;
        int expected;
    } cases[] = {
        {"earlier day, later time", makeTime(2004, 3, 1, 23), makeTime(2004, 3, 2, 1), -1},
        {"later month, earlier day", makeTime(2004, 4, 1), makeTime(2004, 3, 31), 1},
        {"later year, earlier month", makeTime(2005, 1, 1), makeTime(2004, 12, 31), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CompareDate(&c.first, &c.second), c.expected);
        EXPECT_EQ(CompareDate(&c.second, &c.first), -c.expected);
    }
    EXPECT_EQ(CompareDate(nullptr, &morning), -1);
    EXPECT_EQ(CompareDate(&morning, nullptr), 1);
    EXPECT_EQ(CompareDate(nullptr, nullptr), -1);
}

TEST(CxDateTime, MinutesBetweenIgnoresTheDates) {
    EXPECT_EQ(MinutesBetween(makeTime(2004, 3, 1, 9, 15), makeTime(1999, 7, 20, 8, 45)), 30);
    EXPECT_EQ(MinutesBetween(makeTime(2004, 3, 2, 0, 30, 59), makeTime(2004, 3, 1, 23, 45)), -1395);
}

TEST(CxDateTime, TextsOfOneMoment) {
    CxDateTime moment;
    moment.SetVariantTime(kAfternoon);
    ASSERT_TRUE(moment.IsValid());
    char buffer[CxDateTime::kTextSize];
    EXPECT_STREQ(moment.DateText(buffer, sizeof buffer), "03/05/2004");
    EXPECT_STREQ(moment.TimeText(buffer, sizeof buffer), "14:07:09");
    EXPECT_STREQ(moment.DateTimeText(buffer, sizeof buffer), "03/05/2004 14:07:09");
    EXPECT_STREQ(moment.DateTimeText(buffer, 11), "03/05/2004"); // cut, terminated

    ASSERT_TRUE(FormatVariantTime(kAfternoon, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "03-05-2004 14:07:09");
    EXPECT_FALSE(FormatVariantTime(kMaxOleDate + 2.0, buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "03-05-2004 14:07:09");
    EXPECT_FALSE(FormatVariantTime(kAfternoon, nullptr, 20));
}

TEST(CxDateTime, TextsOfAnUnconvertibleTimeStayInsideTheBuffer) {
    SYSTEMTIME garbage;
    std::memset(&garbage, 0xFF, sizeof garbage);
    CxDateTime moment;
    moment.SetSystemTime(garbage);
    EXPECT_FALSE(moment.IsValid());
    char buffer[CxDateTime::kTextSize];
    EXPECT_STREQ(moment.DateTimeText(buffer, sizeof buffer), "65535/65535/65535 65535:65535:65535");
}

TEST(CxDateTimeDeathTest, TextsWithoutABufferStopTheProgram) {
    const CxDateTime moment;
    EXPECT_DEATH(moment.DateText(nullptr, 32), "szBuf!=NULL");
    EXPECT_DEATH(moment.TimeText(nullptr, 32), "szBuf!=NULL");
}

TEST(CxDateTime, AFailedConversionLeavesTheOtherFormAsItWas) {
    CxDateTime moment;
    moment.SetVariantTime(kAfternoon);
    const SYSTEMTIME before = moment.GetSystemTime();

    moment.SetVariantTime(-700000.0);
    EXPECT_FALSE(moment.IsValid());
    const SYSTEMTIME after = moment.GetSystemTime();
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);

    moment.SetVariantTime(kAfternoon);
    moment.SetSystemTime(makeTime(2004, 2, 30));
    EXPECT_FALSE(moment.IsValid());
    EXPECT_EQ(moment.GetVariantTime(), kAfternoon);
    EXPECT_EQ(moment.GetSystemTime().wDay, 30); // the given form is kept as given

    moment.SetSystemTime(makeTime(2004, 3, 5, 14, 7, 9));
    EXPECT_TRUE(moment.IsValid());
    EXPECT_DOUBLE_EQ(moment.GetVariantTime(), kAfternoon);
}

TEST(CxDateTime, StartsAtTheCurrentLocalTime) {
    const CxDateTime now;
    EXPECT_TRUE(now.IsValid());
    double expected = 0.0;
    ASSERT_TRUE(TimeTToVariantTime(static_cast<std::int32_t>(std::time(nullptr)), &expected));
    EXPECT_NEAR(now.GetVariantTime(), expected, seconds(5));
}

TEST_F(CxDateTimeInBerlin, ConvertsTimeValuesAsLocalTime) {
    EXPECT_EQ(VariantTimeToTimeT(kAfternoon), kAfternoonTimeT);
    double ole = 0.0;
    ASSERT_TRUE(TimeTToVariantTime(kAfternoonTimeT, &ole));
    EXPECT_DOUBLE_EQ(ole, kAfternoon);

    CxDateTime moment;
    moment.SetTimeT(kAfternoonTimeT);
    ASSERT_TRUE(moment.IsValid());
    EXPECT_DOUBLE_EQ(moment.GetVariantTime(), kAfternoon);
    EXPECT_EQ(moment.GetSystemTime().wDayOfWeek, 5);
    EXPECT_EQ(moment.GetSystemTime().wMilliseconds, 0);
}

TEST_F(CxDateTimeInBerlin, KeepsToTheRangeOfA32BitTimeValue) {
    const double firstOfJanuary1970 = 25569.0;
    const double lastOf2038 = 50424.0; // 2038-01-19
    const struct {
        const char* name;
        double ole;
        std::int32_t expected;
    } cases[] = {
        {"1970-01-01 01:00 in Berlin is the epoch", firstOfJanuary1970 + seconds(3600), 0},
        {"a second before it", firstOfJanuary1970 + seconds(3599), -1},
        {"the zero date", 0.0, -1},
        {"last second a 32-bit value holds", lastOf2038 + seconds(4 * 3600 + 14 * 60 + 7),
         INT32_MAX},
        {"the second after", lastOf2038 + seconds(4 * 3600 + 14 * 60 + 8), -1},
        {"Outlook's 'none' date, 4501-01-01", 949998.0, -1},
        {"unconvertible", kMaxOleDate + 2.0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VariantTimeToTimeT(c.ole), c.expected);
    }

    double ole = 0.0;
    ASSERT_TRUE(TimeTToVariantTime(INT32_MAX, &ole));
    EXPECT_DOUBLE_EQ(ole, lastOf2038 + seconds(4 * 3600 + 14 * 60 + 7));
    ASSERT_TRUE(TimeTToVariantTime(0, &ole));
    EXPECT_DOUBLE_EQ(ole, firstOfJanuary1970 + seconds(3600));

    // -1 is "no time": it must not come back as a day in 1970.
    ole = 7.0;
    EXPECT_FALSE(TimeTToVariantTime(-1, &ole));
    EXPECT_FALSE(TimeTToVariantTime(INT32_MIN, &ole));
    EXPECT_EQ(ole, 7.0);
    CxDateTime moment;
    moment.SetVariantTime(kAfternoon);
    moment.SetTimeT(-1);
    EXPECT_FALSE(moment.IsValid());
    EXPECT_EQ(moment.GetVariantTime(), kAfternoon);
    EXPECT_EQ(moment.GetSystemTime().wHour, 14);
}

TEST_F(CxDateTimeInBerlin, AnswersTheDaylightSavingChangesTheSameWayEveryTime) {
    const double spring = 38074.0;                // 2004-03-28, 02:00 CET -> 03:00 CEST
    const double autumn = 38291.0;                // 2004-10-31, 03:00 CEST -> 02:00 CET
    const std::int32_t springChange = 1080435600; // 01:00 UTC
    const std::int32_t autumnChange = 1099184400; // 01:00 UTC
    const struct {
        const char* name;
        double ole;
        std::int32_t expected;
    } cases[] = {
        {"last second before spring", spring + seconds(2 * 3600 - 1), springChange - 1},
        {"03:00 in spring", spring + seconds(3 * 3600), springChange},
        {"skipped 02:30 reads as 03:30", spring + seconds(2 * 3600 + 1800), springChange + 1800},
        {"02:30 twice in autumn is the first", autumn + seconds(2 * 3600 + 1800),
         autumnChange - 1800},
        {"03:00 in autumn", autumn + seconds(3 * 3600), autumnChange + 3600},
        {"01:59:59 in autumn", autumn + seconds(2 * 3600 - 1), autumnChange - 3600 - 1},
    };
    // Twice, with other conversions between: the C library's mktime would answer the repeated
    // hour from what it guessed in its previous call.
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(VariantTimeToTimeT(c.ole), c.expected);
            VariantTimeToTimeT(c.ole + 120.0);
        }
    }

    // Both moments of the repeated hour read back as 02:30.
    double ole = 0.0;
    ASSERT_TRUE(TimeTToVariantTime(autumnChange + 1800, &ole));
    EXPECT_DOUBLE_EQ(ole, autumn + seconds(2 * 3600 + 1800));
    ASSERT_TRUE(TimeTToVariantTime(autumnChange - 1800, &ole));
    EXPECT_DOUBLE_EQ(ole, autumn + seconds(2 * 3600 + 1800));
}

} // namespace
} // namespace twinleaf
