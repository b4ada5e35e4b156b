#include "common/palm/PalmInfo.h"

#include "common/misc/CommAddr.h"
#include "platform/text/FieldText.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

// A made-up kind over the common contact list: a Palm record with one name.
struct FakePalmRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    char Name[32];
};

struct FakeItem {
    PalmFormat format;
    void* source;
    CommAddrRec* commEntry;
    union {
        FakePalmRec classic;
    } record;
};

struct FakeKind {
    using CommRec = CommAddrRec;
    using CommMgr = CommAddrMgr;
    using Item = FakeItem;
    static bool Listed(std::int32_t status) { return IsListedStatus(status); }
};

// A storage form that bids and loads as it is told and records what the facade asks of it.
class ScriptedForm : public PmStorageForm<FakeKind> {
public:
    ScriptedForm(PalmFormat format, FormBid bid, bool loads, std::vector<std::string>& asked)
        : m_format(format), m_bid(bid), m_loads(loads), m_asked(asked) {}

    PalmFormat Format() const override { return m_format; }
    std::string PathForUser(std::uint32_t) const override { return {}; }
    FormSniff Bid(const std::string& path) override {
        m_asked.push_back(name());
        return {m_bid, path + ": " + name() + " bid"};
    }
    bool Load(const std::string& path) override {
        m_error = m_loads ? "" : path + ": " + name() + " failed to load";
        return m_loads;
    }
    void Unload() override {}
    std::string LastError() const override { return m_error; }
    void* FirstRow() override {
        m_cursor = 0;
        return NextRow();
    }
    void* NextRow() override {
        return m_cursor < rows.size() ? static_cast<void*>(&rows[m_cursor++]) : nullptr;
    }
    std::int32_t RowStatus(const void* row) const override {
        return static_cast<const FakePalmRec*>(row)->Status;
    }
    std::uint32_t RowRecordId(const void* row) const override {
        return static_cast<std::uint32_t>(static_cast<const FakePalmRec*>(row)->RecordId);
    }
    void TakeRow(void* row, FakeItem& item) override {
        item.format = m_format;
        item.source = row;
        item.record.classic = *static_cast<const FakePalmRec*>(row);
    }
    void ToCommon(const FakeItem& item, CommAddrRec& common) const override {
        copyToField(common.LastName, fieldText(item.record.classic.Name));
    }
    void PrepareRow(const CommAddrRec& common, FakeItem& item) override {
        item.format = m_format;
        copyToField(item.record.classic.Name, fieldText(common.LastName));
        item.record.classic.Status |= palm::kStatusAdded;
    }
    bool AppendRow(FakeItem& item) override {
        rows.push_back(item.record.classic);
        item.source = nullptr; // rows may move; the test looks at them by position
        return true;
    }
    bool UpdateRow(const CommAddrRec& common, FakeItem& item) override {
        copyToField(item.record.classic.Name, fieldText(common.LastName));
        item.record.classic.Status |= palm::kStatusChanged;
        return true;
    }
    bool storesRowsAtOnce() const override { return m_format == PalmFormat::Desktop6; }
    bool StoreRow(FakeItem& item) override {
        stored.emplace_back(fieldText(item.record.classic.Name));
        return true;
    }
    bool Save() override {
        ++saves;
        return true;
    }

    std::vector<FakePalmRec> rows;
    std::vector<std::string> stored;
    int saves = 0;

private:
    std::string name() const { return std::to_string(static_cast<int>(m_format)); }

    PalmFormat m_format;
    FormBid m_bid;
    bool m_loads;
    std::vector<std::string>& m_asked;
    std::string m_error;
    std::size_t m_cursor = 0;
};

class FakeInfo : public PmInfo<FakeKind> {
public:
    ScriptedForm& Add(PalmFormat format, FormBid bid, bool loads = true) {
        auto form = std::make_unique<ScriptedForm>(format, bid, loads, asked);
        ScriptedForm& added = *form;
        AddForm(std::move(form));
        return added;
    }
    std::vector<std::string> asked;
};

FakePalmRec palmRow(std::int32_t id, std::int32_t status, const char* name) {
    FakePalmRec rec{id, status, id, {}};
    copyToField(rec.Name, name);
    return rec;
}

CommAddrRec named(const char* last) {
    CommAddrRec rec{};
    copyToField(rec.LastName, last);
    rec.SourceType = kSourceOutlook;
    return rec;
}

TEST(PmInfo, FormsBidInOrderAndTheFirstThatLoadsWins) {
    using B = FormBid;
    struct Case {
        const char* name;
        B desktop6, extended, classic;
        bool desktop6Loads;
        PalmFormat expected;
        const char* asked;
        const char* error; // part of the error left behind; empty for none
    };
    const Case cases[] = {
        {"all readable: Desktop 6 first", B::Readable, B::Readable, B::Readable, true,
         PalmFormat::Desktop6, "3", ""},
        {"the classic file when the others are not there", B::NotMine, B::NotMine, B::Readable,
         true, PalmFormat::Classic, "321", ""},
        {"a form that cannot load passes to the next", B::Readable, B::NotMine, B::Readable, false,
         PalmFormat::Classic, "321", ""},
        {"nothing recognised: the last form says why", B::NotMine, B::NotMine, B::NotMine, true,
         PalmFormat::Invalid, "321", "1 bid"},
        {"a recognised form explains more than a later not-mine", B::Readable, B::NotMine,
         B::NotMine, false, PalmFormat::Invalid, "321", "3 failed to load"},
        {"a damaged file is named as damaged", B::NotMine, B::NotMine, B::Damaged, true,
         PalmFormat::Invalid, "321", "1 bid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeInfo info;
        info.Add(PalmFormat::Desktop6, c.desktop6, c.desktop6Loads);
        info.Add(PalmFormat::Extended, c.extended);
        info.Add(PalmFormat::Classic, c.classic);
        EXPECT_EQ(info.OpenPath("file"), c.expected != PalmFormat::Invalid);
        EXPECT_EQ(info.GetFormat(), c.expected);
        std::string asked;
        for (const std::string& form : info.asked) {
            asked += form;
        }
        EXPECT_EQ(asked, c.asked);
        if (c.error[0] == '\0') {
            EXPECT_EQ(info.GetLastError(), "");
        } else {
            EXPECT_NE(info.GetLastError().find(c.error), std::string::npos) << info.GetLastError();
        }
    }
}

TEST(PmInfo, DeletedAndArchivedRowsAreNotListedButStayWithTheForm) {
    FakeInfo info;
    ScriptedForm& form = info.Add(PalmFormat::Classic, FormBid::Readable);
    form.rows = {palmRow(1, 0, "Live"),
                 palmRow(2, 0x04, "Deleted"),
                 palmRow(3, 0x80, "Archived"),
                 palmRow(4, 0x184, "Both"),
                 palmRow(5, 0x100, "High bits only"),
                 palmRow(6, 0x02, "Changed")};
    ASSERT_TRUE(info.OpenPath("file"));
    std::vector<std::uint32_t> listed;
    for (FakeItem* item = info.First(); item != nullptr; item = info.Next()) {
        listed.push_back(static_cast<std::uint32_t>(item->record.classic.RecordId));
        const auto* native = static_cast<const FakeItem*>(item->commEntry->Native);
        EXPECT_EQ(native->record.classic.RecordId, item->record.classic.RecordId)
            << "the common record carries a copy of its item";
    }
    EXPECT_EQ(listed, (std::vector<std::uint32_t>{1, 5, 6}));
    ASSERT_EQ(info.GetCommMgr()->GetCount(), 3u);
    EXPECT_EQ(info.GetCommMgr()->GetAt(1)->SourceRecordId, 5u);
    EXPECT_EQ(info.GetCommMgr()->GetAt(2)->CompareStatus, 0x02);
    EXPECT_EQ(info.GetCommMgr()->GetAt(0)->SourceType, kSourcePalm);

    CommAddrRec added = named("New");
    ASSERT_TRUE(info.WriteRecord(&added));
    ASSERT_TRUE(info.Save());
    EXPECT_EQ(form.saves, 1);
    EXPECT_EQ(form.rows.size(), 7u) << "hidden rows are still there to be written back";
}

TEST(PmInfo, WriteRecordAddsUpdatesOrLeavesAloneAndADatabaseStoresAtOnce) {
    for (PalmFormat format : {PalmFormat::Classic, PalmFormat::Desktop6}) {
        const bool atOnce = format == PalmFormat::Desktop6;
        SCOPED_TRACE(atOnce ? "database form" : "file form");
        FakeInfo info;
        ScriptedForm& form = info.Add(format, FormBid::Readable);
        form.rows = {palmRow(1, 0, "Smith")};
        ASSERT_TRUE(info.OpenPath("file"));

        CommAddrRec same = *info.GetCommMgr()->GetAt(0);
        same.Native = nullptr;
        same.NativeSize = 0;
        EXPECT_FALSE(info.WriteRecord(&same)) << "the same record is not written";

        copyToField(same.Title, "Dr");
        ASSERT_TRUE(info.WriteRecord(&same));
        EXPECT_EQ(info.First()->record.classic.Status, palm::kStatusChanged);
        EXPECT_EQ(fieldText(info.GetCommMgr()->GetAt(0)->Title), "Dr");

        CommAddrRec added = named("Jones");
        ASSERT_TRUE(info.WriteRecord(&added));
        ASSERT_EQ(info.GetCommMgr()->GetCount(), 2u);
        ASSERT_EQ(form.rows.size(), 2u);
        EXPECT_EQ(form.rows[1].Status, palm::kStatusAdded);
        EXPECT_EQ(fieldText(form.rows[1].Name), "Jones");

        EXPECT_EQ(form.stored, atOnce ? (std::vector<std::string>{"Smith", "Jones"})
                                      : std::vector<std::string>{});
        EXPECT_TRUE(info.Save());
        // A database form stored its rows at once; Save makes them lasting, as a file form's
        // Save writes its file.
        EXPECT_EQ(form.saves, 1);

        info.Close();
        EXPECT_FALSE(info.WriteRecord(&added));
        EXPECT_FALSE(info.Save());
    }
}

} // namespace
} // namespace twinleaf
