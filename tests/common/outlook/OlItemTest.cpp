// The table loops every Outlook kind shares, driven by a small made-up kind over the stand-in's
// appointments: one property of each automation type and one on the recurrence pattern.
#include "common/outlook/OlItem.h"

#include "platform/com/DispatchObject.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

struct TinyImage {
    char Subject[16];
    win::LONG Duration;
    win::DATE Start;
    win::BYTE AllDayEvent;
    win::LONG Interval;
    win::DATE CreationTime;
    char FolderName[32];
    win::IDispatch* pItem;
};

// Fields of other widths than the image's, so the loops have to cut and convert.
struct TinyRecord {
    TextField<32> Title;
    std::int16_t Minutes;
    win::DATE When;
    std::int32_t AllDay;
    std::int32_t Every;
    win::DATE Created;
    std::int32_t SourceType;
    void* Native;
    std::uint32_t NativeSize;
};

class TinyList {
public:
    ~TinyList() { RemoveAll(); }
    void RemoveAll() {
        for (TinyRecord& rec : m_records) {
            std::free(rec.Native);
        }
        m_records.clear();
    }
    TinyRecord* AddCopy(const TinyRecord* rec) {
        TinyRecord copy = *rec;
        copy.Native = std::malloc(rec->NativeSize);
        std::memcpy(copy.Native, rec->Native, rec->NativeSize);
        return &m_records.emplace_back(copy);
    }
    TinyRecord* Add(TinyRecord&& rec) { return &m_records.emplace_back(std::move(rec)); }

private:
    std::vector<TinyRecord> m_records;
};

#define IMAGE(field) OL_FIELD(TinyImage, field)
#define RECORD(field) OL_RECORD(TinyRecord, field)
const OlProperty kTinyProperties[] = {
    {u"Subject", OlValue::Text, OlScope::Item, 0, IMAGE(Subject), RECORD(Title)},
    {u"Duration", OlValue::Long, OlScope::Item, 0, IMAGE(Duration), RECORD(Minutes)},
    {u"Start", OlValue::Date, OlScope::Item, 0, IMAGE(Start), RECORD(When)},
    {u"AllDayEvent", OlValue::Bool, OlScope::Item, 0, IMAGE(AllDayEvent), RECORD(AllDay)},
    {u"Interval", OlValue::Long, OlScope::Pattern, kOlPositiveOnly, IMAGE(Interval), RECORD(Every)},
    {u"CreationTime", OlValue::Date, OlScope::Item, kOlReadOnly, IMAGE(CreationTime),
     RECORD(Created)},
};
#undef RECORD
#undef IMAGE

constexpr const char* kFolderOpened = "Get Outlook Calendar root folder successfully.";

struct TinyKind {
    using Record = TinyRecord;
    using List = TinyList;
    using Image = TinyImage;
    static constexpr bool kUpdateFromStoredImage = false;
    static const OlItemKind& Description() {
        static const OlItemKind kind{9, 1, kTinyProperties, kFolderOpened, nullptr};
        return kind;
    }
};

class TinyAccess : public OlItemUtil<TinyKind> {
public:
    std::unique_ptr<CDispCmd> NewItem() { return AddNewItem(); }
    bool withPattern = true;

protected:
    bool UsesProperty(const OlProperty& property, const void*, OlDirection) const override {
        return withPattern || property.scope != OlScope::Pattern;
    }
};

class OlItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        setProgramFolderOverride(m_home.path());
        outlook::setStoreFolderOverride(m_home.path() / "Outlook");
        writeBytes(m_home.path() / "corvane.ini", "[OlComm]\r\nEnableLog=1\r\n");
        m_access = std::make_unique<TinyAccess>();
    }
    void TearDown() override {
        m_access.reset();
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_EQ(win::DispatchObject::liveObjects(), 0);
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
    }
    // The record as it comes back after a write to a new item and a read of that item.
    TinyRecord roundTrip(const TinyRecord& rec) {
        const std::unique_ptr<CDispCmd> item = m_access->NewItem();
        EXPECT_NE(item, nullptr);
        TinyImage image{};
        m_access->RecordToImage(&rec, &image);
        m_access->WriteItem(*item, &image);
        TinyImage read{};
        m_access->ReadItem(*item, &read);
        TinyRecord back{};
        m_access->ImageToRecord(&read, &back);
        return back;
    }

    TempDir m_home;
    outlook::ScopedStoreWarnings m_warnings;
    std::unique_ptr<TinyAccess> m_access;
};

TEST_F(OlItemTest, EveryKindOfPropertyTravelsThroughAnItem) {
    struct Case {
        const char* name;
        TinyRecord in;
        TinyRecord out;
    };
    const Case cases[] = {
        {"one of each",
         {"Review", 90, 40000.5, 1, 2, 0, 0, nullptr, 0},
         {"Review", 90, 40000.5, 1, 2, 0, 3, nullptr, 0}},
        {"a text is cut to the image's field, a negative number kept in a narrow one",
         {"A subject longer than fifteen", -1320, 40000.25, 0, 3, 0, 0, nullptr, 0},
         {"A subject longe", -1320, 40000.25, 0, 3, 0, 3, nullptr, 0}},
        {"a boolean goes as 1",
         {"Flag", 0, 0, 7, 1, 0, 0, nullptr, 0},
         {"Flag", 0, 0, 1, 1, 0, 3, nullptr, 0}},
        {"a zero interval is not written: the pattern keeps its own",
         {"Once", 0, 0, 0, 0, 0, 0, nullptr, 0},
         {"Once", 0, 0, 0, 1, 0, 3, nullptr, 0}},
        {"a read-only date is never taken from the record",
         {"Stamp", 0, 0, 0, 1, 41000.0, 0, nullptr, 0},
         {"Stamp", 0, 0, 0, 1, 0, 3, nullptr, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TinyRecord back = roundTrip(c.in);
        EXPECT_STREQ(back.Title, c.out.Title);
        EXPECT_EQ(back.Minutes, c.out.Minutes);
        EXPECT_EQ(back.When, c.out.When);
        EXPECT_EQ(back.AllDay, c.out.AllDay);
        EXPECT_EQ(back.Every, c.out.Every);
        // The store stamps an item when it saves it; the record's own value never gets there.
        if (c.in.Created != 0) {
            EXPECT_NE(back.Created, c.in.Created);
        }
        EXPECT_EQ(back.SourceType, c.out.SourceType);
    }
}

TEST_F(OlItemTest, APatternTheKindDoesNotUseIsNeitherWrittenNorRead) {
    m_access->withPattern = false;
    const std::unique_ptr<CDispCmd> item = m_access->NewItem();
    ASSERT_NE(item, nullptr);
    TinyImage image{};
    image.Interval = 4;
    m_access->WriteItem(*item, &image);
    win::BYTE recurring = 9;
    EXPECT_EQ(item->GetBool(u"IsRecurring", &recurring), win::S_OK);
    EXPECT_EQ(recurring, 0); // writing a pattern property would have made it recurring
    TinyImage read{};
    m_access->ReadItem(*item, &read);
    EXPECT_EQ(read.Interval, 0);
}

TEST_F(OlItemTest, OpeningTheFolderWritesTheKindsLogLine) {
    EXPECT_NE(readBytes(m_home.path() / "OlCommLog.log").find(kFolderOpened), std::string::npos);
}

} // namespace
} // namespace twinleaf
