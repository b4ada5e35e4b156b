#include "common/sync/ContactMatchIndex.h"

#include "platform/text/FieldText.h"

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
            rec.FirstName[0] = static_cast<char>(rec.FirstName[0] ^ 0x20);
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

TEST(ContactMatchIndex, GivesTheSameCodeMatchAndPositionAsFindMatch) {
    for (unsigned seed : {1u, 2u, 3u, 20260101u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ContactGenerator generator(seed);
        CommAddrMgr list;
        CommAddrMgr lookups;
        fill(list, generator, 400);
        fill(lookups, generator, 400);
        ContactMatchIndex index(list);

        int outcomes[4] = {};
        auto check = [&](CommAddrRec* rec, const char* what) {
            CommAddrRec* expectedMatch = nullptr;
            CommAddrRec* match = nullptr;
            int expectedPosition = -7;
            int position = -7;
            const int expected = list.FindMatch(rec, &expectedMatch, &expectedPosition);
            const int result = index.FindMatch(rec, &match, &position);
            ASSERT_EQ(result, expected) << what;
            ASSERT_EQ(match, expectedMatch) << what;
            ASSERT_EQ(position, expectedPosition) << what;
            ++outcomes[result == kMatchNotFound ? 0 : result == kMatchDifferent ? 1 : 2];
        };
        for (CommAddrRec* rec = lookups.First(); rec != nullptr; rec = lookups.Next()) {
            check(rec, "record of another list");
        }
        for (std::uint32_t i = 0; i < list.GetCount(); ++i) {
            check(list.GetAt(i), "record of the list itself");
        }
        check(nullptr, "no record");
        // The generated lists must exercise every outcome, or the comparison proves little.
        EXPECT_GT(outcomes[0], 20);
        EXPECT_GT(outcomes[1], 20);
        EXPECT_GT(outcomes[2], 20);
    }
}

TEST(ContactMatchIndex, EmptyListFindsNothingAndReportsPositionZero) {
    CommAddrMgr list;
    ContactMatchIndex index(list);
    CommAddrRec rec{};
    CommAddrRec* match = &rec;
    int position = -1;
    EXPECT_EQ(index.FindMatch(&rec, &match, &position), kMatchNotFound);
    EXPECT_EQ(match, &rec);
    EXPECT_EQ(position, 0);
}

TEST(CompareContacts, SetsTheStatusesCompareWithSets) {
    ContactGenerator generator(7);
    CommAddrMgr palm;
    CommAddrMgr outlook;
    fill(palm, generator, 300);
    fill(outlook, generator, 300);
    for (CommAddrMgr* own : {&palm, &outlook}) {
        CommAddrMgr* other = own == &palm ? &outlook : &palm;
        ASSERT_TRUE(own->CompareWith(other));
        std::vector<int> expected;
        for (std::uint32_t i = 0; i < own->GetCount(); ++i) {
            expected.push_back(own->GetAt(i)->CompareStatus);
            own->GetAt(i)->CompareStatus = 99;
        }
        ASSERT_TRUE(CompareContacts(*own, *other));
        for (std::uint32_t i = 0; i < own->GetCount(); ++i) {
            ASSERT_EQ(own->GetAt(i)->CompareStatus, expected[i]) << "record " << i;
        }
    }
}

} // namespace
} // namespace twinleaf
