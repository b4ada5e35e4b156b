#include "common/misc/CommAddr.h"

#include "platform/text/FieldText.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace twinleaf {
namespace {

CommAddrRec person(const char* first, const char* last) {
    CommAddrRec rec{};
    copyToField(rec.FirstName, first);
    copyToField(rec.LastName, last);
    return rec;
}

TEST(CommAddrRec, KeepsTheDeclaredWidthsAndOrder) {
    static_assert(decltype(CommAddrRec::Suffix)::kWidth == 8 &&
                  decltype(CommAddrRec::Note)::kWidth == 2048);
    static_assert(offsetof(CommAddrRec, Anniversary) > offsetof(CommAddrRec, Account));
    static_assert(offsetof(CommAddrRec, Initials) > offsetof(CommAddrRec, Anniversary));
    static_assert(offsetof(CommAddrRec, Native) > offsetof(CommAddrRec, Private));
    const auto layout = AddrFieldLayoutTable();
    ASSERT_EQ(layout.size(), 79u);
    for (std::size_t i = 1; i < layout.size(); ++i) {
        EXPECT_LT(layout[i - 1].offset, layout[i].offset) << layout[i].name;
    }
    EXPECT_STREQ(layout.front().name, "FirstName");
    EXPECT_STREQ(layout.back().name, "Private");
}

// Every member of the record, as the compiler lays it out; the field table must describe each
// exactly once, with the same place, width and type.
TEST(CommAddrRec, FieldTableDescribesEveryMemberOnceAsLaidOut) {
    struct MemberCase {
        const char* name;
        std::size_t offset;
        std::size_t width;
        FieldType kind;
    };
#define TL_MEMBER(member, type)                                                                    \
    MemberCase {                                                                                   \
#member, TL_OFFSET_WIDTH(CommAddrRec, member), FieldType::type                             \
    }
    const MemberCase members[] = {
        TL_MEMBER(FirstName, Text),
        TL_MEMBER(LastName, Text),
        TL_MEMBER(MiddleName, Text),
        TL_MEMBER(Suffix, Text),
        TL_MEMBER(FullName, Text),
        TL_MEMBER(PalmSuffix, Text),
        TL_MEMBER(Account, Text),
        TL_MEMBER(Anniversary, Date),
        TL_MEMBER(Initials, Text),
        TL_MEMBER(Language, Text),
        TL_MEMBER(WorkStreet, Text),
        TL_MEMBER(WorkCity, Text),
        TL_MEMBER(WorkState, Text),
        TL_MEMBER(WorkPostal, Text),
        TL_MEMBER(WorkCountry, Text),
        TL_MEMBER(HomeStreet, Text),
        TL_MEMBER(HomeCity, Text),
        TL_MEMBER(HomeState, Text),
        TL_MEMBER(HomePostal, Text),
        TL_MEMBER(HomeCountry, Text),
        TL_MEMBER(OtherStreet, Text),
        TL_MEMBER(OtherCity, Text),
        TL_MEMBER(OtherState, Text),
        TL_MEMBER(OtherPostal, Text),
        TL_MEMBER(OtherCountry, Text),
        TL_MEMBER(HomePhone, Text),
        TL_MEMBER(WorkPhone, Text),
        TL_MEMBER(MobilePhone, Text),
        TL_MEMBER(MainPhone, Text),
        TL_MEMBER(OtherPhone, Text),
        TL_MEMBER(RadioPhone, Text),
        TL_MEMBER(CarPhone, Text),
        TL_MEMBER(CallbackPhone, Text),
        TL_MEMBER(EMail, Text),
        TL_MEMBER(EMail2, Text),
        TL_MEMBER(EMail3, Text),
        TL_MEMBER(Fax, Text),
        TL_MEMBER(HomeFax, Text),
        TL_MEMBER(Pager, Text),
        TL_MEMBER(EMail1Type, Text),
        TL_MEMBER(EMail2Type, Text),
        TL_MEMBER(EMail3Type, Text),
        TL_MEMBER(EMail1DisplayName, Text),
        TL_MEMBER(EMail2DisplayName, Text),
        TL_MEMBER(EMail3DisplayName, Text),
        TL_MEMBER(Company, Text),
        TL_MEMBER(Title, Text),
        TL_MEMBER(Department, Text),
        TL_MEMBER(AssistantName, Text),
        TL_MEMBER(AssistantPhone, Text),
        TL_MEMBER(Profession, Text),
        TL_MEMBER(Hobby, Text),
        TL_MEMBER(NickName, Text),
        TL_MEMBER(Spouse, Text),
        TL_MEMBER(ComputerNetworkName, Text),
        TL_MEMBER(CustomerID, Text),
        TL_MEMBER(FTPSite, Text),
        TL_MEMBER(IMAddress, Text),
        TL_MEMBER(IMAddress2, Text),
        TL_MEMBER(HomePage, Text),
        TL_MEMBER(PersonalHomePage, Text),
        TL_MEMBER(Note, Text),
        TL_MEMBER(Custom1, Text),
        TL_MEMBER(Custom2, Text),
        TL_MEMBER(Custom3, Text),
        TL_MEMBER(Custom4, Text),
        TL_MEMBER(Custom5, Text),
        TL_MEMBER(Custom6, Text),
        TL_MEMBER(Custom7, Text),
        TL_MEMBER(Custom8, Text),
        TL_MEMBER(Custom9, Text),
        TL_MEMBER(Category, Text),
        TL_MEMBER(Birthday, Date),
        TL_MEMBER(CreationTime, Date),
        TL_MEMBER(LastModificationTime, Date),
        TL_MEMBER(SourceType, Int32),
        TL_MEMBER(CompareStatus, Int32),
        TL_MEMBER(SourceRecordId, UInt32),
        TL_MEMBER(Private, Int32),
    };
#undef TL_MEMBER
    const auto table = AddrFieldLayoutTable();
    ASSERT_EQ(table.size(), std::size(members));
    for (const MemberCase& member : members) {
        SCOPED_TRACE(member.name);
        int seen = 0;
        for (const CommField& field : table) {
            if (std::string_view(field.name) == member.name) {
                ++seen;
                EXPECT_EQ(field.offset, member.offset);
                EXPECT_EQ(field.width, member.width);
                EXPECT_EQ(field.kind, member.kind);
            }
        }
        EXPECT_EQ(seen, 1);
    }
    // The members the table leaves out are the Native block and its size, which are not data.
    const CommField& last = table.back();
    EXPECT_EQ(last.offset + last.width, offsetof(CommAddrRec, Native));
}

// Each case builds the record looked up (r) and the one stored (x) from the same base.
struct MatchCase {
    const char* name;
    std::function<void(CommAddrRec& r, CommAddrRec& x)> change;
    int expected;
};

TEST(CommAddrMgr, FindMatchFollowsTheKeyTelephoneAndIdentityRules) {
    const MatchCase cases[] = {
        {"equal names and no phones at all match", [](CommAddrRec&, CommAddrRec&) {}, kMatchSame},
        {"equal names, all four phones different",
         [](CommAddrRec& r, CommAddrRec& x) {
             copyToField(r.HomePhone, "1");
             copyToField(x.HomePhone, "2");
             copyToField(r.WorkPhone, "3");
             copyToField(x.WorkPhone, "4");
             copyToField(r.MobilePhone, "5");
             copyToField(x.MobilePhone, "6");
             copyToField(r.MainPhone, "7");
             copyToField(x.MainPhone, "8");
         },
         kMatchNotFound},
        {"one empty phone on both sides is a shared phone",
         [](CommAddrRec& r, CommAddrRec& x) {
             copyToField(r.HomePhone, "1");
             copyToField(x.HomePhone, "2");
         },
         kMatchDifferent},
        {"same e-mail, other names, shared work number",
         [](CommAddrRec& r, CommAddrRec& x) {
             copyToField(x.FirstName, "Other");
             copyToField(r.EMail, "a@example.org");
             copyToField(x.EMail, "a@example.org");
             copyToField(r.WorkPhone, "555");
             copyToField(x.WorkPhone, "555");
             copyToField(r.HomePhone, "1");
             copyToField(x.HomePhone, "2");
         },
         kMatchDifferent},
        {"same e-mail, other names, identical identity fields",
         [](CommAddrRec& r, CommAddrRec& x) {
             copyToField(x.FirstName, "Other");
             copyToField(r.EMail, "a@example.org");
             copyToField(x.EMail, "a@example.org");
         },
         kMatchSame},
        {"two empty e-mails are no key",
         [](CommAddrRec&, CommAddrRec& x) { copyToField(x.FirstName, "Other"); }, kMatchNotFound},
        {"names differing in case do not match",
         [](CommAddrRec&, CommAddrRec& x) { copyToField(x.LastName, "SMITH"); }, kMatchNotFound},
        {"trailing blank makes names differ",
         [](CommAddrRec&, CommAddrRec& x) { copyToField(x.LastName, "Smith "); }, kMatchNotFound},
        {"fields outside the identity list never differ",
         [](CommAddrRec& r, CommAddrRec&) {
             copyToField(r.OtherPhone, "9");
             copyToField(r.Pager, "9");
             copyToField(r.Custom3, "x");
             copyToField(r.Category, "Work");
             copyToField(r.MiddleName, "Q");
             r.Birthday = 1234;
         },
         kMatchSame},
        {"the last identity field differs",
         [](CommAddrRec& r, CommAddrRec&) { copyToField(r.Note, "note"); }, kMatchDifferent},
        {"home fax differs", [](CommAddrRec& r, CommAddrRec&) { copyToField(r.HomeFax, "1"); },
         kMatchDifferent},
    };
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        CommAddrRec r = person("Ann", "Smith");
        CommAddrRec x = person("Ann", "Smith");
        c.change(r, x);
        CommAddrMgr list;
        const CommAddrRec other = person("Zed", "Zulu");
        list.AddCopy(&other);
        list.AddCopy(&x);
        CommAddrRec* match = nullptr;
        int index = -5;
        EXPECT_EQ(list.FindMatch(&r, &match, &index), c.expected);
        if (c.expected == kMatchNotFound) {
            EXPECT_EQ(index, 2);
            EXPECT_EQ(match, nullptr);
        } else {
            EXPECT_EQ(index, 1);
            EXPECT_EQ(match, list.GetAt(1));
        }
    }
}

TEST(CommAddrMgr, FindMatchTakesTheFirstCandidateAndKnowsTheRecordItself) {
    CommAddrMgr list;
    CommAddrRec differing = person("Ann", "Smith");
    copyToField(differing.Company, "Old Co");
    const CommAddrRec same = person("Ann", "Smith");
    list.AddCopy(&differing);
    list.AddCopy(&same);
    int index = -1;
    EXPECT_EQ(list.FindMatch(&same, nullptr, &index), kMatchDifferent);
    EXPECT_EQ(index, 0);

    CommAddrRec* stored = list.GetAt(1);
    CommAddrRec* match = nullptr;
    EXPECT_EQ(list.FindMatch(stored, &match, &index), kMatchDifferent)
        << "the first candidate decides before the record itself is reached";
    CommAddrRec* first = list.GetAt(0);
    EXPECT_EQ(list.FindMatch(first, &match, &index), kMatchSame);
    EXPECT_EQ(match, first);
    EXPECT_EQ(list.FindMatch(nullptr, &match, &index), kMatchNoRecord);
}

TEST(CommAddrMgr, CompareWithMarksNewDifferentAndSameInBothDirections) {
    CommAddrMgr palm;
    CommAddrMgr outlook;
    CommAddrRec ann = person("Ann", "Smith");
    CommAddrRec bob = person("Bob", "Jones");
    CommAddrRec carl = person("Carl", "Brown");
    CommAddrRec bobChanged = bob;
    copyToField(bobChanged.Title, "Dr");
    CommAddrRec dora = person("Dora", "White");
    for (const CommAddrRec* r : {&ann, &bob, &carl}) {
        palm.AddCopy(r);
    }
    for (const CommAddrRec* r : {&bobChanged, &ann, &dora}) {
        outlook.AddCopy(r);
    }
    ASSERT_TRUE(palm.CompareWith(&outlook));
    ASSERT_TRUE(outlook.CompareWith(&palm));
    EXPECT_EQ(palm.GetAt(0)->CompareStatus, 0);
    EXPECT_EQ(palm.GetAt(1)->CompareStatus, 2);
    EXPECT_EQ(palm.GetAt(2)->CompareStatus, 1);
    EXPECT_EQ(outlook.GetAt(0)->CompareStatus, 2);
    EXPECT_EQ(outlook.GetAt(1)->CompareStatus, 0);
    EXPECT_EQ(outlook.GetAt(2)->CompareStatus, 1);
    EXPECT_FALSE(palm.CompareWith(nullptr));
    // A list compared with itself finds every record as itself.
    ASSERT_TRUE(palm.CompareWith(&palm));
    for (CommAddrRec* r = palm.First(); r != nullptr; r = palm.Next()) {
        EXPECT_EQ(r->CompareStatus, 0);
    }
}

TEST(CommAddrMgr, AddCopyOwnsItsOwnNativeBlock) {
    CommAddrMgr list;
    CommAddrRec rec = person("Ann", "Smith");
    rec.NativeSize = 5;
    rec.Native = std::malloc(5);
    std::memcpy(rec.Native, "abcde", 5);
    CommAddrRec* copy = list.AddCopy(&rec);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->Native, rec.Native);
    EXPECT_EQ(std::memcmp(copy->Native, "abcde", 5), 0);
    std::free(rec.Native);

    CommAddrRec sizeless = person("Bob", "Jones");
    sizeless.Native = &sizeless; // a block of size 0 is not copied
    CommAddrRec* second = list.AddCopy(&sizeless);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Native, nullptr);
    EXPECT_EQ(list.AddCopy(nullptr), nullptr);
    EXPECT_EQ(list.GetCount(), 2u);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.First(), nullptr);
}

TEST(CommAddrMgr, MergeAtNeverErasesTheStoredSideExceptTheBirthday) {
    CommAddrMgr list;
    CommAddrRec stored = person("Ann", "Smith");
    copyToField(stored.Company, "Acme");
    copyToField(stored.PalmSuffix, "Jr");
    stored.Birthday = 30000;
    stored.Anniversary = 31000;
    stored.SourceType = kSourcePalm;
    list.AddCopy(&stored);

    CommAddrRec incoming{};
    copyToField(incoming.LastName, "Smyth");
    copyToField(incoming.PalmSuffix, "Sr");
    copyToField(incoming.Category, "Work");
    copyToField(incoming.Custom9, "nine");
    incoming.Anniversary = 1;
    incoming.SourceType = kSourceOutlook;
    ASSERT_TRUE(list.MergeAt(&incoming, 0));
    const CommAddrRec* s = list.GetAt(0);
    EXPECT_EQ(fieldText(s->FirstName), "Ann");
    EXPECT_EQ(fieldText(s->LastName), "Smyth");
    EXPECT_EQ(fieldText(s->Company), "Acme");
    EXPECT_EQ(fieldText(s->PalmSuffix), "Jr");
    EXPECT_EQ(fieldText(s->Category), "Work");
    EXPECT_EQ(fieldText(s->Custom9), "nine");
    EXPECT_EQ(s->Birthday, 0.0);
    EXPECT_EQ(s->Anniversary, 31000.0);
    EXPECT_EQ(s->SourceType, kSourcePalm);

    EXPECT_FALSE(list.MergeAt(nullptr, 0));
    EXPECT_FALSE(list.MergeAt(&incoming, 1));
    EXPECT_FALSE(list.MergeAt(&incoming, -1));
}

TEST(AddrFieldDesc, TableHoldsFortyFourRowsInOrderThenZeros) {
    const auto table = AddrFieldDescTable();
    EXPECT_EQ(table[0].nId, 1u);
    EXPECT_EQ(table[2].nId, 37u);
    EXPECT_STREQ(table[43].szName, "Account");
    EXPECT_EQ(table[44].nId, 0u);
    EXPECT_EQ(table[89].nId, 0u);

    AddrFieldDesc desc{};
    ASSERT_TRUE(FindFieldDesc(27, &desc));
    EXPECT_STREQ(desc.szName, "Note");
    EXPECT_EQ(desc.nSize, 4096u);
    ASSERT_TRUE(FindFieldDesc(0, &desc));
    EXPECT_EQ(desc.szName[0], '\0');
    EXPECT_FALSE(FindFieldDesc(45, &desc));
    EXPECT_FALSE(FindFieldDesc(1, nullptr));
}

TEST(GetFieldText, GuardsTheBufferAndCopiesTheNamedField) {
    CommAddrRec rec = person("Ann", "Smith");
    std::string mail(63, 'm');
    copyToField(rec.EMail, mail);
    copyToField(rec.Note, std::string(3000, 'n'));
    copyToField(rec.Title, "Dr");
    char buf[1024];
    AddrFieldDesc desc{};

    ASSERT_TRUE(FindFieldDesc(27, &desc));
    EXPECT_FALSE(GetFieldText(&rec, &desc, buf, sizeof buf)) << "4096 is not below 1024";
    char big[4097];
    EXPECT_TRUE(GetFieldText(&rec, &desc, big, sizeof big));
    EXPECT_EQ(std::strlen(big), 2047u);

    ASSERT_TRUE(FindFieldDesc(25, &desc));
    char small[64];
    ASSERT_TRUE(GetFieldText(&rec, &desc, small, sizeof small));
    EXPECT_EQ(std::string(small), mail);
    char tooSmall[24];
    EXPECT_FALSE(GetFieldText(&rec, &desc, tooSmall, sizeof tooSmall));
    char justAbove[25];
    ASSERT_TRUE(GetFieldText(&rec, &desc, justAbove, sizeof justAbove));
    EXPECT_EQ(std::string(justAbove), mail.substr(0, 24));

    ASSERT_TRUE(FindFieldDesc(38, &desc));
    ASSERT_TRUE(GetFieldText(&rec, &desc, buf, sizeof buf));
    EXPECT_STREQ(buf, "Dr");

    ASSERT_TRUE(FindFieldDesc(42, &desc));
    rec.SourceType = kSourcePalmExtended;
    ASSERT_TRUE(GetFieldText(&rec, &desc, buf, sizeof buf));
    EXPECT_STREQ(buf, "Palm(4.1.2 and aboves)");
    rec.SourceType = kSourcePalmDesktop6;
    EXPECT_FALSE(GetFieldText(&rec, &desc, buf, sizeof buf));

    rec.CreationTime = 38051.588298611111; // 2004-03-05 14:07:09
    ASSERT_TRUE(FindFieldDesc(40, &desc));
    ASSERT_TRUE(GetFieldText(&rec, &desc, buf, sizeof buf));
    EXPECT_STREQ(buf, "03/05/2004 14:07:09");
    char cut[12];
    ASSERT_TRUE(GetFieldText(&rec, &desc, cut, sizeof cut));
    EXPECT_STREQ(cut, "03/05/2004 ");
    rec.LastModificationTime = 1.0e9; // beyond the year 9999
    ASSERT_TRUE(FindFieldDesc(41, &desc));
    ASSERT_TRUE(GetFieldText(&rec, &desc, buf, sizeof buf));
    EXPECT_STREQ(buf, "");

    for (std::uint32_t id : {0u, 43u, 44u}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(FindFieldDesc(id, &desc));
        EXPECT_FALSE(GetFieldText(&rec, &desc, buf, sizeof buf));
    }
    EXPECT_FALSE(GetFieldText(nullptr, &desc, buf, sizeof buf));
    EXPECT_FALSE(GetFieldText(&rec, nullptr, buf, sizeof buf));
    EXPECT_FALSE(GetFieldText(&rec, &desc, nullptr, sizeof buf));
}

} // namespace
} // namespace twinleaf
