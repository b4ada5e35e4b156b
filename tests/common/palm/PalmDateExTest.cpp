#include "common/palm/PalmDateEx.h"

#include "common/palm/ContactsDateBookBuilder.h"
#include "common/palm/PalmDateInfo.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/SystemTime.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using namespace test;

// Three appointments: one repeating monthly on the 15th with two exception dates, one without a
// start (which the classic date book would drop), and one with a location longer than its slot.
struct DateBook {
    TempDir dir;
    std::filesystem::path path = dir.path() / "datebook.dat";
    std::string bytes;

    DateBook() {
        std::vector<std::string> monthly = dateExRow(11, 4100, 1700000000, 1700003600);
        monthly[8] = blobField(65, 1, "sync", 1, 2);
        monthly[15] = textField("Rent");
        monthly[17] = textField("standing order");
        monthly[19] = intField(1, 6);
        monthly[22] = repeatField(4, le32(4) + le32(1) + le32(0x749DCEFF) + le32(0) + le32(15),
                                  {1702000000, 1704000000});
        monthly[23] = textField("Bank");
        monthly[26] = textField("carried");
        std::vector<std::string> timeless = dateExRow(12, 4101, -1, -1);
        timeless[18] = intField(1, 6);
        std::vector<std::string> far = dateExRow(13, 4102, 1700100000, 1700103600);
        far[23] = textField(std::string(300, 'L'));
        bytes = dateExHeader(path.string(), 0x1003) + rows(27, {monthly, timeless, far});
        writeBytes(path, bytes);
    }
};

TEST(PmDateExUtil, ReadsRowsTheClassicDateBookWouldDrop) {
    DateBook book;
    PmDateExUtil file(book.path.c_str());
    ASSERT_TRUE(file.IsLoaded()) << file.GetLastError();
    ASSERT_EQ(file.GetRecords()->Count(), 3u);

    const PmDateExRec& rent = *file.GetRecords()->At(0);
    EXPECT_EQ(rent.StartTime, 1700000000);
    EXPECT_EQ(fieldText(rent.Description), "Rent");
    EXPECT_EQ(fieldText(rent.Note), "standing order");
    EXPECT_EQ(fieldText(rent.Location), "Bank");
    EXPECT_EQ(rent.Carried19, 1);
    EXPECT_EQ(fieldText(rent.Carried26), "carried");
    EXPECT_EQ(rent.Blob2.Size, 4);
    EXPECT_EQ(rent.Repeat.RepeatType, 4);
    EXPECT_EQ(rent.Repeat.Interval, 1);
    EXPECT_EQ(rent.Repeat.DateNumber, 15) << "monthly by date carries one word of its own";

    const PmDateExRec& timeless = *file.GetRecords()->At(1);
    EXPECT_EQ(timeless.StartTime, -1);
    EXPECT_EQ(timeless.AllDayEvent, 1);

    EXPECT_EQ(std::string(file.GetRecords()->At(2)->Location), std::string(255, 'L'));
}

TEST(PmDateExUtil, WritesBackWhatItReadAndKeepsExceptionsOfAChangedRepeat) {
    DateBook book;
    PmDateExUtil file(book.path.c_str());
    ASSERT_TRUE(file.IsLoaded()) << file.GetLastError();
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(file.SaveToBytes(saved)) << file.GetLastError();
    EXPECT_SAME_BYTES(book.bytes, std::string(saved.begin(), saved.end()));

    // Another day of the month: the repeat is re-encoded with its exception dates.
    file.GetRecords()->At(0)->Repeat.DateNumber = 16;
    std::string expected = book.bytes;
    const std::string before = repeatField(
        4, le32(4) + le32(1) + le32(0x749DCEFF) + le32(0) + le32(15), {1702000000, 1704000000});
    const std::string after = repeatField(
        4, le32(4) + le32(1) + le32(0x749DCEFF) + le32(0) + le32(16), {1702000000, 1704000000});
    expected.replace(expected.find(before), before.size(), after);
    saved.clear();
    ASSERT_TRUE(file.SaveToBytes(saved)) << file.GetLastError();
    EXPECT_SAME_BYTES(expected, std::string(saved.begin(), saved.end()));

    // Reading the new bytes gives the changed repeat back.
    TempDir dir;
    writeBytes(dir.path() / "datebook.dat", saved);
    PmDateExUtil reread((dir.path() / "datebook.dat").c_str());
    ASSERT_TRUE(reread.IsLoaded()) << reread.GetLastError();
    EXPECT_EQ(reread.GetRecords()->At(0)->Repeat.DateNumber, 16);
    EXPECT_EQ(reread.GetRecords()->At(0)->Repeat.RepeatType, 4);
}

TEST(PmDateExUtil, RefusesAnAddressBookAndAClassicDateBook) {
    TempDir dir;
    const auto path = dir.path() / "datebook.dat";
    for (const std::string& bytes :
         {addrExHeader("C:\\address.dat", 0x1000, labelBlock({})) + le32(0),
          dateHeader() + le32(0)}) {
        writeBytes(path, bytes);
        PmDateExUtil file;
        EXPECT_FALSE(file.Load(path.c_str()));
        EXPECT_EQ(file.GetLoadResult(), LoadResult::NotThisFormat) << file.GetLastError();
    }
}

TEST(PmDateKindExtended, TextsAreCutToTheRowsSlotsAndTheLocationTravels) {
    CommDateRec common{};
    copyToField(common.Description, std::string(300, 'd'));
    copyToField(common.Note, std::string(9000, 'n'));
    copyToField(common.Location, std::string(300, 'l'));
    common.StartDateTime = systemTime(2026, 3, 1, 9);
    common.EndDateTime = systemTime(2026, 3, 1, 10);
    common.AllDayEvent = 1;
    common.Repeat.RepeatType = kCommRepeatMonthlyByDate;
    common.Repeat.RepeatDayOfMonth = 15;
    common.Repeat.RepeatFrequency = 2;
    PmDateExRec palm{};
    PmDateKind::CommonToExtended(common, palm);
    EXPECT_EQ(std::string(palm.Description), std::string(255, 'd'));
    EXPECT_EQ(std::string(palm.Note), std::string(8191, 'n'));
    EXPECT_EQ(std::string(palm.Location), std::string(255, 'l'));
    EXPECT_EQ(palm.AllDayEvent, 1);
    EXPECT_EQ(palm.Repeat.RepeatType, 4);
    EXPECT_EQ(palm.Repeat.DateNumber, 15);
    EXPECT_EQ(palm.Repeat.EndDate, palm::kRepeatNoEnd);

    CommDateRec back{};
    PmDateKind::ExtendedToCommon(palm, back);
    EXPECT_EQ(std::string(back.Location), std::string(255, 'l'));
    EXPECT_EQ(back.AllDayEvent, 1);
    EXPECT_EQ(back.Repeat.RepeatType, kCommRepeatMonthlyByDate);
    EXPECT_EQ(back.Repeat.RepeatDayOfMonth, 15);
    EXPECT_EQ(back.Repeat.RepeatFrequency, 2);
}

TEST(PmDateInfoExtended, ListsEveryLiveRowAndWritesChangesBack) {
    DateBook book;
    PmDateInfo info;
    ASSERT_TRUE(info.OpenPath(book.path.c_str())) << info.GetLastError();
    EXPECT_EQ(info.GetFormat(), PalmFormat::Extended);
    EXPECT_EQ(PmDateInfo::DetectFileFormat(book.path.c_str()), PalmFormat::Extended);
    ASSERT_EQ(info.GetCommMgr()->GetCount(), 3u) << "a row without a start is listed too";
    const CommDateRec& rent = *info.GetCommMgr()->GetAt(0);
    EXPECT_EQ(fieldText(rent.Location), "Bank");
    EXPECT_EQ(rent.SourceType, kSourcePalmExtended);
    EXPECT_EQ(rent.Repeat.RepeatType, kCommRepeatMonthlyByDate);

    CommDateRec moved = rent;
    moved.Native = nullptr;
    moved.NativeSize = 0;
    copyToField(moved.Location, "Branch office");
    ASSERT_TRUE(info.UpdateRecord(&moved, 0));
    CommDateRec added{};
    copyToField(added.Description, "Dentist");
    added.StartDateTime = systemTime(2026, 5, 4, 8);
    added.EndDateTime = systemTime(2026, 5, 4, 9);
    ASSERT_TRUE(info.AddRecord(&added));
    const PmDateExRec& dentist = *info.GetExtended()->GetRecords()->At(3);
    EXPECT_EQ(dentist.SequenceNo, 4103) << "after the highest number, which passes the counter";
    EXPECT_EQ(dentist.EntryIndex, 3 * 27);
    EXPECT_EQ(dentist.Repeat.EndDate, palm::kRepeatNoEnd);
    ASSERT_TRUE(info.Save()) << info.GetLastError();

    PmDateExUtil reread(book.path.c_str());
    ASSERT_TRUE(reread.IsLoaded()) << reread.GetLastError();
    ASSERT_EQ(reread.GetRecords()->Count(), 4u);
    EXPECT_EQ(fieldText(reread.GetRecords()->At(0)->Location), "Branch office");
    EXPECT_EQ(fieldText(reread.GetRecords()->At(3)->Description), "Dentist");
    const std::string repeat = repeatField(
        4, le32(4) + le32(1) + le32(0x749DCEFF) + le32(0) + le32(15), {1702000000, 1704000000});
    EXPECT_NE(readBytes(book.path).find(repeat), std::string::npos)
        << "the changed row keeps its repeat with its exception dates";
}

} // namespace
} // namespace twinleaf
