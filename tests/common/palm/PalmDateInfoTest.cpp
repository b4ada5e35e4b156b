#include "common/palm/PalmDateInfo.h"

#include "common/misc/CxDateTime.h"
#include "common/palm/PalmEnv.h"
#include "common/palm/PalmFileBuilder.h"
#include "platform/files/AtomicFile.h"
#include "platform/registry/Registry.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/ScopedProgramFolder.h"
#include "support/SystemTime.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::DateRowFields;
using test::le32;
using test::readBytes;
using test::repeatField;
using test::TempDir;
using test::writeBytes;

std::int32_t palmTime(const win::SYSTEMTIME& when) {
    PmTime time(1);
    EXPECT_TRUE(time.FromSystemTime(&when));
    return time.GetValue();
}

CommDateRepeat pattern(std::int32_t type, std::int32_t frequency, std::int32_t days,
                       std::int32_t dayOfMonth, std::int32_t month, std::int32_t week) {
    CommDateRepeat repeat{};
    repeat.RepeatType = type;
    repeat.RepeatFrequency = frequency;
    repeat.RepeatDays = days;
    repeat.RepeatDayOfMonth = dayOfMonth;
    repeat.RepeatMonth = month;
    repeat.RepeatWeek = week;
    return repeat;
}

CommDateRepeat ending(CommDateRepeat repeat, const win::SYSTEMTIME& end) {
    repeat.RepeatHasEnd = 1;
    repeat.RepeatEnd = end;
    return repeat;
}

TEST(PmDateKind, CommonPatternsAsTheDateBookHoldsThem) {
    const std::int32_t noEnd = palm::kRepeatNoEnd;
    struct Case {
        const char* name;
        CommDateRepeat common;
        RepeatValue palm; // FirstDayOfWeek stays 0 in a new row
    };
    const Case cases[] = {
        {"none", CommDateRepeat{}, RepeatValue{0, 0, noEnd, 0, 0, 0, 0, 0, 0}},
        {"daily", pattern(1, 2, 0x7F, 0, 0, 0), RepeatValue{1, 2, noEnd, 0, 0x7F, 0, 0, 0, 0}},
        {"weekly", pattern(2, 1, 0x0A, 0, 0, 1), RepeatValue{2, 1, noEnd, 0, 1, 0x0A, 0, 0, 0}},
        {"monthly by weekday", pattern(3, 1, 0x02, 0, 0, 3),
         RepeatValue{3, 1, noEnd, 0, 0x02, 0, 3, 0, 0}},
        {"monthly by date", pattern(4, 2, 0, 15, 0, 0),
         RepeatValue{4, 2, noEnd, 0, 0, 0, 0, 0, 15}},
        {"yearly by date, ending", ending(pattern(6, 1, 0, 24, 12, 0), test::systemTime(2025, 12, 24)),
         RepeatValue{5, 1, palmTime(test::systemTime(2025, 12, 24)), 0, 0, 0, 0, 12, 24}},
        {"yearly by weekday has no place", pattern(5, 1, 0x04, 0, 11, 4),
         RepeatValue{0, 0, noEnd, 0, 0, 0, 0, 0, 0}},
        {"an end after 2020 is an end", ending(pattern(1, 1, 0, 0, 0, 0), test::systemTime(2021, 6, 1)),
         RepeatValue{1, 1, palmTime(test::systemTime(2021, 6, 1)), 0, 0, 0, 0, 0, 0}},
        {"an end the file cannot hold is none", ending(pattern(1, 1, 0, 0, 0, 0), test::systemTime(2040, 1, 1)),
         RepeatValue{1, 1, noEnd, 0, 0, 0, 0, 0, 0}},
        {"an end day without the flag is none",
         [] {
             CommDateRepeat r = pattern(1, 1, 0, 0, 0, 0);
             r.RepeatEnd = test::systemTime(2010, 1, 1);
             return r;
         }(),
         RepeatValue{1, 1, noEnd, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommDateRec common{};
        common.Repeat = c.common;
        PmDateRec row{};
        PmDateKind::CommonToClassic(common, row);
        EXPECT_EQ(row.Repeat.RepeatType, c.palm.RepeatType);
        EXPECT_EQ(row.Repeat.Interval, c.palm.Interval);
        EXPECT_EQ(row.Repeat.EndDate, c.palm.EndDate);
        EXPECT_EQ(row.Repeat.DayIndex, c.palm.DayIndex);
        EXPECT_EQ(row.Repeat.DaysMask, c.palm.DaysMask);
        EXPECT_EQ(row.Repeat.WeekIndex, c.palm.WeekIndex);
        EXPECT_EQ(row.Repeat.MonthIndex, c.palm.MonthIndex);
        EXPECT_EQ(row.Repeat.DateNumber, c.palm.DateNumber);
        common.StartDateTime = common.EndDateTime = test::systemTime(2024, 1, 1);
        EXPECT_EQ(PmDateKind::Unheld(common, PalmFormat::Classic).empty(), c.common.RepeatType != 5);
    }
}

TEST(PmDateKind, DateBookRepeatsAsCommonPatterns) {
    const std::int32_t noEnd = palm::kRepeatNoEnd;
    const std::int32_t in2025 = palmTime(test::systemTime(2025, 3, 1));
    struct Case {
        const char* name;
        RepeatValue palm;
        CommDateRepeat common; // RepeatEnd is checked apart
    };
    const Case cases[] = {
        {"none", RepeatValue{0, 1, noEnd, 0, 0, 0, 0, 0, 0}, CommDateRepeat{}},
        {"daily", RepeatValue{1, 3, noEnd, 0, 0x7F, 0, 0, 0, 0}, pattern(1, 3, 0x7F, 0, 0, 0)},
        {"weekly", RepeatValue{2, 2, noEnd, 0, 1, 0x0A, 0, 0, 0}, pattern(2, 2, 0x0A, 0, 0, 1)},
        {"monthly by day", RepeatValue{3, 1, noEnd, 0, 0x02, 0, 3, 0, 0},
         pattern(3, 1, 0x02, 0, 0, 3)},
        {"monthly by date", RepeatValue{4, 1, noEnd, 0, 0, 0, 0, 0, 15},
         pattern(4, 1, 0, 15, 0, 0)},
        {"yearly by date", RepeatValue{5, 1, noEnd, 0, 0, 0, 0, 12, 24},
         pattern(6, 1, 0, 24, 12, 0)},
        {"yearly by day has no words to map", RepeatValue{6, 1, noEnd, 0, 0, 0, 0, 0, 0},
         CommDateRepeat{}},
        {"ending in 2025", RepeatValue{1, 1, in2025, 0, 0, 0, 0, 0, 0},
         ending(pattern(1, 1, 0, 0, 0, 0), test::systemTime(2025, 3, 1))},
        {"past the no-end date", RepeatValue{1, 1, noEnd + 100, 0, 0, 0, 0, 0, 0},
         pattern(1, 1, 0, 0, 0, 0)},
        {"end -1", RepeatValue{1, 1, -1, 0, 0, 0, 0, 0, 0}, pattern(1, 1, 0, 0, 0, 0)},
        {"end 0 is the first day of 1970, not today", RepeatValue{1, 1, 0, 0, 0, 0, 0, 0, 0},
         ending(pattern(1, 1, 0, 0, 0, 0), test::systemTime(1970, 1, 1))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PmDateRec row{};
        row.Repeat = c.palm;
        CommDateRec common{};
        PmDateKind::ClassicToCommon(row, common);
        const CommDateRepeat& got = common.Repeat;
        EXPECT_EQ(got.RepeatType, c.common.RepeatType);
        EXPECT_EQ(got.RepeatHasEnd, c.common.RepeatHasEnd);
        EXPECT_EQ(got.RepeatFrequency, c.common.RepeatFrequency);
        EXPECT_EQ(got.RepeatDays, c.common.RepeatDays);
        EXPECT_EQ(got.RepeatDayOfMonth, c.common.RepeatDayOfMonth);
        EXPECT_EQ(got.RepeatMonth, c.common.RepeatMonth);
        EXPECT_EQ(got.RepeatWeek, c.common.RepeatWeek);
        if (c.common.RepeatHasEnd != 0) {
            EXPECT_EQ(CompareDate(&got.RepeatEnd, &c.common.RepeatEnd), 0);
        }
    }
}

TEST(PmDateKind, FieldsBothWays) {
    PmDateRec row{};
    copyToField(row.Description, std::string(300, 'd'));
    copyToField(row.Note, std::string(511, 'n'));
    row.StartTime = palmTime(test::systemTime(2004, 3, 5, 14, 0));
    row.EndTime = palmTime(test::systemTime(2004, 3, 5, 15, 30));
    row.Untimed = 1;
    row.Private = 1;
    CommDateRec common{};
    PmDateKind::ClassicToCommon(row, common);
    EXPECT_EQ(std::string(common.Description), std::string(255, 'd'));
    EXPECT_EQ(std::string(common.Note), std::string(511, 'n'));
    // A timeless row's times of day mean nothing: it reads at midnight, as Outlook's all-day
    // events do, so that such a pair compares the same.
    EXPECT_EQ(common.StartDateTime.wHour, 0);
    EXPECT_EQ(common.EndDateTime.wMinute, 0);
    EXPECT_EQ(common.Duration, 0);
    EXPECT_EQ(common.AllDayEvent, 1);
    EXPECT_EQ(common.Private, 1);

    CommDateRec outlook{};
    outlook.SourceType = kSourceOutlook;
    copyToField(outlook.Note, std::string(600, 'o'));
    outlook.StartDateTime = test::systemTime(2010, 1, 2, 8, 0);
    outlook.EndDateTime = test::systemTime(2010, 1, 2, 9, 0);
    PmDateKind::CommonToClassic(outlook, row);
    EXPECT_EQ(std::string(row.Description), std::string(300, 'd'))
        << "an empty text changes nothing";
    EXPECT_EQ(std::string(row.Note), std::string(511, 'o'));
    EXPECT_EQ(row.StartTime, palmTime(test::systemTime(2010, 1, 2, 8, 0)));
    EXPECT_EQ(row.EndTime, palmTime(test::systemTime(2010, 1, 2, 9, 0)));
    EXPECT_EQ(row.Untimed, 0);
    EXPECT_EQ(row.Private, 1) << "Outlook records carry no privacy to take over";
}

// A date book as Palm Desktop leaves it: live rows among deleted, archived and timeless ones.
std::vector<DateRowFields> mixedRows() {
    const auto row = [](std::int32_t id, std::int32_t status, const char* description,
                        std::string repeat = repeatField(0, "")) {
        DateRowFields f;
        f.id = id;
        f.status = status;
        f.description = description;
        f.start = palmTime(test::systemTime(2024, 5, static_cast<int>(id), 9, 0));
        f.end = palmTime(test::systemTime(2024, 5, static_cast<int>(id), 10, 0));
        f.repeat = std::move(repeat);
        return f;
    };
    DateRowFields noStart = row(4, 0, "no start");
    noStart.start = -1;
    DateRowFields noEnd = row(5, 0, "no end");
    noEnd.end = -1;
    DateRowFields privateOne =
        row(7, 0, "Anniversary",
            repeatField(6, le32(6) + le32(1) + le32(palm::kRepeatNoEnd) + le32(0)));
    privateOne.isPrivate = 1;
    return {row(1, 0, "Standup"),
            row(2, palm::kStatusDeleted, "deleted"),
            row(3, palm::kStatusArchived, "archived"),
            noStart,
            noEnd,
            row(6, palm::kStatusChanged, "Dentist"),
            privateOne};
}

class PmDateInfoOnFile : public testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(), test::dateFile(mixedRows()));
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
    }
    std::filesystem::path path() const { return m_dir.path() / "datebook.dat"; }
    CommDateRec* common(std::uint32_t index) { return m_info.GetCommMgr()->GetAt(index); }
    PmDateRec* palmRow(std::uint32_t index) { return m_info.GetClassic()->GetRecords()->At(index); }

    TempDir m_dir;
    PmDateInfo m_info;
};

TEST_F(PmDateInfoOnFile, ListsOnlyAppointmentsTheUserSees) {
    EXPECT_EQ(m_info.GetFormat(), PalmFormat::Classic);
    EXPECT_EQ(m_info.GetClassic()->GetRecords()->Count(), 7u);
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 3u);
    EXPECT_STREQ(common(0)->Description, "Standup");
    EXPECT_STREQ(common(1)->Description, "Dentist");
    EXPECT_EQ(common(1)->CompareStatus, palm::kStatusChanged);
    EXPECT_EQ(common(1)->SourceRecordId, 6u);
    EXPECT_EQ(common(1)->SourceType, kSourcePalm);
    EXPECT_EQ(common(1)->StartDateTime.wDay, 6);
    EXPECT_EQ(common(2)->Repeat.RepeatType, kCommRepeatNone) << "yearly by day is not mapped";
}

TEST_F(PmDateInfoOnFile, UpdatesTheRowItCameFromAndKeepsWhatOutlookCannotSay) {
    CommDateRec rec = *common(2);
    rec.SourceType = kSourceOutlook;
    rec.Private = 0;
    copyToField(rec.Note, "flowers");
    ASSERT_TRUE(m_info.WriteRecord(&rec));
    EXPECT_FALSE(m_info.WriteRecord(&rec)) << "now the same";
    const PmDateRec& row = *palmRow(6);
    EXPECT_STREQ(row.Note, "flowers");
    EXPECT_EQ(row.Status, palm::kStatusChanged);
    EXPECT_EQ(row.Private, 1);
    EXPECT_EQ(row.Repeat.RepeatType, palm::kRepeatYearlyByDay)
        << "a repeat the common record cannot show is not taken away";
    EXPECT_TRUE(m_info.TakeWarnings().empty());
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();

    PmDateInfo reread;
    ASSERT_TRUE(reread.OpenPath(path().c_str()));
    EXPECT_EQ(reread.GetClassic()->GetRecords()->Count(), 7u) << "hidden rows stay in the file";
    EXPECT_STREQ(reread.GetCommMgr()->GetAt(2)->Note, "flowers");
}

TEST_F(PmDateInfoOnFile, APatternTheDateBookCannotHoldIsWrittenWithoutItAndReported) {
    CommDateRec rec{};
    rec.SourceType = kSourceOutlook;
    copyToField(rec.Description, "Thanksgiving");
    rec.StartDateTime = test::systemTime(2024, 11, 28, 12, 0);
    rec.EndDateTime = test::systemTime(2024, 11, 28, 18, 0);
    rec.Repeat = pattern(kCommRepeatYearlyByWeekday, 1, 0x10, 0, 11, 4);
    ASSERT_TRUE(m_info.WriteRecord(&rec));
    const PmDateRec& added = *palmRow(7);
    EXPECT_STREQ(added.Description, "Thanksgiving");
    EXPECT_EQ(added.Repeat.RepeatType, 0);
    EXPECT_EQ(added.Status & palm::kStatusAdded, palm::kStatusAdded);
    EXPECT_EQ(added.Position, palm::kNewRecordPosition);
    const std::vector<std::string> warnings = m_info.TakeWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("\"Thanksgiving\""), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("yearly on a weekday"), std::string::npos) << warnings[0];
    EXPECT_TRUE(m_info.TakeWarnings().empty());

    EXPECT_FALSE(m_info.WriteRecord(&rec)) << "compared as the date book holds it: the same";

    CommDateRec later{};
    copyToField(later.Description, "Moon landing anniversary");
    later.StartDateTime = test::systemTime(2069, 7, 20, 22, 0);
    later.EndDateTime = test::systemTime(2069, 7, 20, 23, 0);
    ASSERT_TRUE(m_info.WriteRecord(&later));
    const std::vector<std::string> outOfRange = m_info.TakeWarnings();
    ASSERT_EQ(outOfRange.size(), 1u);
    EXPECT_NE(outOfRange[0].find("\"Moon landing anniversary\": starts or ends outside"),
              std::string::npos)
        << outOfRange[0];
}

TEST_F(PmDateInfoOnFile, SavingWithoutChangesLeavesTheFileAlone) {
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
    EXPECT_SAME_BYTES(test::dateFile(mixedRows()), readBytes(path()));
    EXPECT_FALSE(std::filesystem::exists(backupPathFor(path())));
}

// The file names the Windows path Palm Desktop last saved it under; the save goes to the file
// that was loaded, found whatever the letter case of its folder and name.
TEST(PmDateInfo, OpensTheUsersDateBookAndSavesItWhereItWasFound) {
    TempDir dir;
    test::ScopedProgramFolder home(dir.path() / "home");
    ScopedRegistryPrefix prefix(dir.path() / "wine");
    const auto palmFolder = dir.path() / "Palm";
    writeBytes(dir.path() / "home" / "corvane.ini",
               "[Path]\r\nPDPath=" + palmFolder.string() + "\r\n");
    const auto file = palmFolder / "Alice" / "DateBook" / "DATEBOOK.DAT";
    writeBytes(file, test::dateFile(mixedRows()));
    ASSERT_TRUE(OpenPalmEnvironment());
    const auto* alice = static_cast<const PalmUserRec*>(palmUserList().First());
    ASSERT_NE(alice, nullptr);
    PmDateInfo info;
    ASSERT_TRUE(info.Open(alice->id)) << info.GetLastError();
    EXPECT_EQ(info.GetCommMgr()->GetCount(), 3u);
    CommDateRec rec = *info.GetCommMgr()->GetAt(0);
    copyToField(rec.Note, "room 4");
    ASSERT_TRUE(info.UpdateRecord(&rec, 0));
    ASSERT_TRUE(info.Save()) << info.GetLastError();
    ClosePalmEnvironment();

    std::vector<DateRowFields> expected = mixedRows();
    expected[0].note = "room 4";
    expected[0].status = palm::kStatusChanged;
    EXPECT_SAME_BYTES(test::dateFile(expected), readBytes(file));
    EXPECT_SAME_BYTES(test::dateFile(mixedRows()), readBytes(backupPathFor(file)));
    const auto entries = [](const std::filesystem::path& folder) {
        return std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator());
    };
    EXPECT_EQ(entries(file.parent_path()), 2) << "the file and its backup, nothing else";
    EXPECT_FALSE(std::filesystem::exists("C:\\Palm\\datebook.dat"));
}

TEST(PmDateInfo, DetectsTheClassicDateBookOnly) {
    TempDir dir;
    const auto datebook = dir.path() / "datebook.dat";
    writeBytes(datebook, test::dateFile({}));
    EXPECT_EQ(PmDateInfo::DetectFileFormat(datebook.c_str()), PalmFormat::Classic);
    const auto address = dir.path() / "address.dat";
    writeBytes(address, test::addrFile({}));
    EXPECT_EQ(PmDateInfo::DetectFileFormat(address.c_str()), PalmFormat::Invalid);
    EXPECT_EQ(PmDateInfo::DetectFileFormat(""), PalmFormat::Invalid);

    PmDateInfo info;
    EXPECT_FALSE(info.OpenPath(address.c_str()));
    EXPECT_EQ(info.GetFormat(), PalmFormat::Invalid);
    CommDateRec rec{};
    EXPECT_FALSE(info.AddRecord(&rec));
    EXPECT_FALSE(info.Save());
}

} // namespace
} // namespace twinleaf
