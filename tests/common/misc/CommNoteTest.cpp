#include "common/misc/CommNote.h"

#include "platform/text/FieldText.h"

#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

CommNoteRec memo(const char* subject, const char* note, std::int32_t color = 0) {
    CommNoteRec rec{};
    copyToField(rec.Subject, subject);
    copyToField(rec.Note, note);
    rec.Color = color;
    return rec;
}

std::string textOf(const CommNoteRec& rec, std::uint32_t id) {
    NoteFieldDesc desc{};
    EXPECT_TRUE(FindFieldDesc(id, &desc));
    char buffer[64] = "stale";
    EXPECT_TRUE(GetFieldText(&rec, &desc, buffer, sizeof buffer));
    return buffer;
}

TEST(CommNoteMgr, MatchedBySubjectComparedByText) {
    struct Case {
        const char* name;
        CommNoteRec incoming;
        int result;
        int position;
    };
    CommNoteRec other = memo("Shopping", "Shopping\r\nmilk");
    other.Private = 1;
    other.Color = 4;
    const Case cases[] = {
        {"same first line, other text", memo("Shopping", "Shopping\r\nbread"), kMatchDifferent, 1},
        {"same text, other colour and privacy", other, kMatchSame, 1},
        {"same text, other subject", memo("Groceries", "Shopping\r\nmilk"), kMatchNotFound, 3},
        {"subjects differ in case only", memo("shopping", "Shopping\r\nmilk"), kMatchNotFound, 3},
    };
    for (const Case& c : cases) {
        CommNoteMgr list;
        for (const CommNoteRec& rec :
             {memo("Ideas", "Ideas"), memo("Shopping", "Shopping\r\nmilk", 1),
              memo("Shopping", "Shopping\r\nbread")}) {
            list.AddCopy(&rec);
        }
        int position = -1;
        EXPECT_EQ(list.FindMatch(&c.incoming, nullptr, &position), c.result) << c.name;
        EXPECT_EQ(position, c.position) << c.name;
        int walked = -1;
        EXPECT_EQ(list.FindMatchByWalking(&c.incoming, nullptr, &walked), c.result) << c.name;
        EXPECT_EQ(walked, c.position) << c.name;
    }
}

TEST(CommNoteMgr, MergeTakesColourAndPrivacyAndOnlySetTexts) {
    CommNoteMgr list;
    CommNoteRec stored = memo("Plan", "Plan\r\nstep one", 3);
    stored.CompareStatus = 2;
    copyToField(stored.IDString, "abc");
    list.AddCopy(&stored);
    CommNoteRec incoming = memo("", "", 0);
    incoming.Private = 1;
    ASSERT_TRUE(list.MergeAt(&incoming, 0));
    const CommNoteRec& merged = *list.GetAt(0);
    EXPECT_STREQ(merged.Subject, "Plan");
    EXPECT_STREQ(merged.Note, "Plan\r\nstep one");
    EXPECT_EQ(merged.Color, 0);
    EXPECT_EQ(merged.Private, 1);
    EXPECT_EQ(merged.CompareStatus, 0);
    EXPECT_STREQ(merged.IDString, "abc");
    const CommNoteRec stepTwo = memo("Plan", "Plan\r\nstep two");
    ASSERT_TRUE(list.MergeAt(&stepTwo, 0));
    EXPECT_STREQ(list.GetAt(0)->Note, "Plan\r\nstep two");
    EXPECT_FALSE(list.MergeAt(&incoming, 1));
    EXPECT_FALSE(list.MergeAt(nullptr, 0));
}

TEST(CommNoteRec, DescriptorTableAndFieldTexts) {
    const char* const names[] = {"Color",
                                 "Private",
                                 "Subject",
                                 "Note",
                                 "Category",
                                 "Creation Time",
                                 "Last Modification Time",
                                 "Source",
                                 "Status",
                                 "ID(Integer)",
                                 "ID(String)"};
    const std::uint32_t sizes[] = {4, 4, 256, 8192, 64, 8, 8, 4, 4, 4, 32};
    for (std::uint32_t id = 0; id < kNoteFieldDescRows; ++id) {
        NoteFieldDesc desc{};
        ASSERT_TRUE(FindFieldDesc(id, &desc));
        EXPECT_EQ(desc.nId, id);
        EXPECT_STREQ(desc.szName, names[id]);
        EXPECT_EQ(desc.nSize, sizes[id]);
    }
    NoteFieldDesc none{};
    EXPECT_FALSE(FindFieldDesc(11, &none));

    CommNoteRec rec = memo("Title", "Title\r\nbody", 16777215);
    rec.Private = 1;
    copyToField(rec.Category, "Business");
    rec.IDInteger = 7;
    copyToField(rec.IDString, "0001");
    rec.SourceType = 3;
    rec.CreationTime = 40179.5; // 1 January 2010, noon
    EXPECT_EQ(textOf(rec, 0), "#ffffff");
    EXPECT_EQ(textOf(memo("", "", 0x123), 0), "#000123");
    EXPECT_EQ(textOf(rec, 1), "Yes");
    EXPECT_EQ(textOf(memo("", ""), 1), "No");
    EXPECT_EQ(textOf(rec, 2), "Title");
    EXPECT_EQ(textOf(rec, 3), "Title\r\nbody");
    EXPECT_EQ(textOf(rec, 5), "01-01-2010 12:00:00");
    EXPECT_EQ(textOf(rec, 6), ""); // no date
    for (std::uint32_t empty : {4u, 7u, 8u, 9u, 10u}) {
        EXPECT_EQ(textOf(rec, empty), "") << empty;
    }
    // The memos tab's column shows the whole text, cut to its buffer.
    CommNoteRec longMemo = memo("x", std::string(3000, 'x').c_str());
    NoteFieldDesc note{};
    ASSERT_TRUE(FindFieldDesc(3, &note));
    char column[1024];
    GetFieldText(&longMemo, &note, column, sizeof column);
    EXPECT_EQ(std::string(column).size(), 1023u);
}

} // namespace
} // namespace twinleaf
