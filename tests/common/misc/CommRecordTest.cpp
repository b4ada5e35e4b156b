#include "common/misc/CommAddr.h"
#include "platform/text/FieldText.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

// Records drawn from small pools, so names, e-mails and numbers collide often; a third of them
// are copies of earlier records, some changed in one field (a letter's case, a phone, an
// identity field, a field outside the identity list).
class ContactGenerator {
public:
    explicit ContactGenerator(unsigned seed) : m_random(seed) {}

    CommAddrRec next(const std::vector<CommAddrRec>& earlier) {
        if (!earlier.empty() && pick(3) == 0) {
            CommAddrRec rec = earlier[pick(static_cast<int>(earlier.size()))];
            rec.Native = nullptr;
            nearlyTheSame(rec);
            return rec;
        }
        CommAddrRec rec{};
        copyToField(rec.FirstName, oneOf({"", "Ann", "ann", "Bob", "Carla", "Dieter"}));
        if (pick(3) == 0) {
            copyToField(rec.FirstName, "P" + std::to_string(pick(500))); // mostly unique
        }
        copyToField(rec.LastName, oneOf({"", "Meyer", "Moreau", "Meyer ", "Okafor"}));
        copyToField(rec.EMail, oneOf({"", "", "a@x.org", "b@x.org", "A@x.org"}));
        copyToField(rec.HomePhone, phoneNumber());
        copyToField(rec.WorkPhone, phoneNumber());
        copyToField(rec.MobilePhone, phoneNumber());
        copyToField(rec.MainPhone, phoneNumber());
        copyToField(rec.Company, oneOf({"", "Acme", "Initech"}));
        copyToField(rec.Note, oneOf({"", "", "call back"}));
        return rec;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    const char* oneOf(std::initializer_list<const char*> values) {
        return values.begin()[pick(static_cast<int>(values.size()))];
    }
    const char* phoneNumber() {
        return oneOf({"", "", "", "555-1", "555-2", "555-3", "555-4", "555-5", "555-6"});
    }

    void nearlyTheSame(CommAddrRec& rec) {
        switch (pick(7)) {
        case 0:
            break; // an exact duplicate
        case 1:
            if (!rec.FirstName.empty()) {
                std::string name(rec.FirstName.view());
                name[0] = static_cast<char>(name[0] ^ 0x20);
                copyToField(rec.FirstName, name);
            }
            break;
        case 2:
            copyToField(rec.MobilePhone, phoneNumber());
            break;
        case 3:
            copyToField(rec.Title, oneOf({"Dr", "Prof"}));
            break;
        case 4:
            copyToField(rec.Pager, "555-9");
            break;
        case 5:
            copyToField(rec.EMail, oneOf({"", "a@x.org", "c@x.org"}));
            break;
        default:
            copyToField(rec.LastName, oneOf({"Meyer", "Okafor"}));
            break;
        }
    }

    std::mt19937 m_random;
};

void fill(CommAddrMgr& list, ContactGenerator& generator, int count) {
    std::vector<CommAddrRec> made;
    for (int i = 0; i < count; ++i) {
        made.push_back(generator.next(made));
        list.AddCopy(&made.back());
    }
}

// FindMatch through the index against the rule walked record by record: result, match and
// position must agree for records of another list, for the list's own records, and after the list
// changed under the index (records appended, merged, and changed in place through a pointer the
// list handed out, as the Outlook access does with a match it overwrites).
TEST(CommRecordMgr, IndexedFindMatchAgreesWithTheWalkedRule) {
    for (unsigned seed : {1u, 2u, 3u, 20260101u}) {
        std::printf("[   SEED   ] %u\n", seed);
        SCOPED_TRACE("seed " + std::to_string(seed));
        ContactGenerator generator(seed);
        std::mt19937 random(seed);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
        CommAddrMgr list;
        CommAddrMgr lookups;
        fill(list, generator, 300);
        fill(lookups, generator, 400);

        int outcomes[4] = {};
        auto check = [&](CommAddrRec* rec, const char* what) {
            CommAddrRec* expectedMatch = nullptr;
            CommAddrRec* match = nullptr;
            int expectedPosition = -7;
            int position = -7;
            // The index first: the walk hands its match out, which would have the index check
            // that record again and hide a change it missed.
            const int result = list.FindMatch(rec, &match, &position);
            const int expected = list.FindMatchByWalking(rec, &expectedMatch, &expectedPosition);
            ASSERT_EQ(result, expected) << what;
            ASSERT_EQ(match, expectedMatch) << what;
            ASSERT_EQ(position, expectedPosition) << what;
            ++outcomes[result == kMatchNotFound ? 0 : result == kMatchDifferent ? 1 : 2];
        };
        std::vector<CommAddrRec> made;
        for (int round = 0; round < 4; ++round) {
            for (CommAddrRec* rec = lookups.First(); rec != nullptr; rec = lookups.Next()) {
                check(rec, "record of another list");
            }
            for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
                check(list.GetAt(i), "record of the list itself");
            }
            // Change the list between rounds in every way the index has to follow. The look-up
            // first settles the records the checks above handed out, so that a merge is seen
            // only if MergeAt itself tells the index.
            list.FindMatch(lookups.GetAt(0));
            for (int change = 0; change < 60; ++change) {
                const auto at = static_cast<std::uint32_t>(pick(static_cast<int>(list.GetCount())));
                switch (pick(4)) {
                case 0:
                    made.push_back(generator.next(made));
                    list.AddCopy(&made.back());
                    break;
                case 1:
                    list.MergeAt(lookups.GetAt(static_cast<std::uint32_t>(pick(400))),
                                 static_cast<int>(at));
                    break;
                case 2: {
                    CommAddrRec* match = nullptr;
                    const CommAddrRec* incoming =
                        lookups.GetAt(static_cast<std::uint32_t>(pick(400)));
                    if (list.FindMatch(incoming, &match) == kMatchDifferent) {
                        void* native = match->Native;
                        *match = *incoming;
                        match->Native = native;
                    }
                    break;
                }
                default:
                    copyToField(list.GetAt(at)->WorkPhone, "555-" + std::to_string(pick(7)));
                    break;
                }
            }
        }
        check(nullptr, "no record");
        // The generated lists must exercise every outcome, or the comparison proves little.
        EXPECT_GT(outcomes[0], 20);
        EXPECT_GT(outcomes[1], 20);
        EXPECT_GT(outcomes[2], 20);
    }
}

TEST(CommRecordMgr, EmptyListFindsNothingAndReportsPositionZero) {
    CommAddrMgr list;
    CommAddrRec rec{};
    CommAddrRec* match = &rec;
    int position = -1;
    EXPECT_EQ(list.FindMatch(&rec, &match, &position), kMatchNotFound);
    EXPECT_EQ(match, &rec);
    EXPECT_EQ(position, 0);
}

TEST(CommRecordMgr, RemoveAllForgetsTheIndexedRecords) {
    CommAddrMgr list;
    CommAddrRec rec{};
    copyToField(rec.LastName, "Meyer");
    list.AddCopy(&rec);
    ASSERT_EQ(list.FindMatch(&rec), kMatchSame);
    list.RemoveAll();
    int position = -1;
    EXPECT_EQ(list.FindMatch(&rec, nullptr, &position), kMatchNotFound);
    EXPECT_EQ(position, 0);
    list.AddCopy(&rec);
    EXPECT_EQ(list.FindMatch(&rec, nullptr, &position), kMatchSame);
    EXPECT_EQ(position, 0);
}

// The Palm facade appends an empty record and fills it in place afterwards: the record must be
// found under the keys it has when the lookup comes, not those it had when it was added.
TEST(CommRecordMgr, FindsARecordFilledInPlaceAfterItWasAdded) {
    CommAddrMgr list;
    const CommAddrRec blank{};
    CommAddrRec ann{};
    copyToField(ann.FirstName, "Ann");
    list.AddCopy(&blank);
    ASSERT_EQ(list.FindMatch(&blank), kMatchSame) << "indexed while still empty";
    CommAddrRec* entry = list.AddCopy(&blank);
    copyToField(entry->FirstName, "Ann");
    copyToField(list.GetAt(0)->FirstName, "Bob");
    int position = -1;
    EXPECT_EQ(list.FindMatch(&ann, nullptr, &position), kMatchSame);
    EXPECT_EQ(position, 1);
    EXPECT_EQ(list.FindMatch(&blank, nullptr, &position), kMatchNotFound);
}

TEST(CommRecordMgr, CompareWithSetsTheStatusesOfTheWalkedRule) {
    ContactGenerator generator(7);
    CommAddrMgr palm;
    CommAddrMgr outlook;
    fill(palm, generator, 300);
    fill(outlook, generator, 300);
    for (CommAddrMgr* own : {&palm, &outlook}) {
        CommAddrMgr* other = own == &palm ? &outlook : &palm;
        std::vector<int> expected;
        for (std::uint32_t i = 0; i < own->GetCount(); ++i) {
            expected.push_back(CompareStatusFor(other->FindMatchByWalking(own->GetAt(i))));
            own->GetAt(i)->CompareStatus = 99;
        }
        ASSERT_TRUE(own->CompareWith(other));
        for (std::uint32_t i = 0; i < own->GetCount(); ++i) {
            ASSERT_EQ(own->GetAt(i)->CompareStatus, expected[i]) << "record " << i;
        }
    }
}

} // namespace
} // namespace twinleaf
