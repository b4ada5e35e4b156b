#include "common/misc/CxList.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace twinleaf {
namespace {

int g_values[6] = {0, 1, 2, 3, 4, 5};

void fill(CxList& list, int count) {
    for (int i = 0; i < count; ++i) {
        ASSERT_TRUE(list.Add(&g_values[i]));
    }
}

TEST(CxList, EmptyListAnswersNull) {
    CxList list;
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST(CxList, IteratesInInsertionOrderAndStopsAtTheEnd) {
    CxList list;
    fill(list, 4);
    int expected = 0;
    for (void* p = list.First(); p != nullptr; p = list.Next()) {
        EXPECT_EQ(p, &g_values[expected++]);
    }
    EXPECT_EQ(expected, 4);
    EXPECT_EQ(list.Next(), nullptr); // still on the last element
    EXPECT_EQ(list.GetAt(3), &g_values[3]);
}

TEST(CxList, GetAtWalksBothWaysAndSharesTheCursorWithNext) {
    CxList list;
    fill(list, 6);
    EXPECT_EQ(list.GetAt(5), &g_values[5]);
    EXPECT_EQ(list.GetAt(0), &g_values[0]);
    EXPECT_EQ(list.GetAt(2), &g_values[2]);
    EXPECT_EQ(list.Next(), &g_values[3]);
    EXPECT_EQ(list.GetAt(list.GetCount()), nullptr);
    EXPECT_EQ(list.Next(), &g_values[4]); // a lookup out of range leaves the cursor alone
}

TEST(CxList, RefusesNullAndRestartsIndicesAfterClear) {
    CxList list;
    fill(list, 3);
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_EQ(list.GetCount(), 3u);
    list.Clear(false);
    EXPECT_EQ(list.GetAt(0), nullptr);
    ASSERT_TRUE(list.Add(&g_values[5]));
    EXPECT_EQ(list.GetAt(0), &g_values[5]);
}

TEST(CxList, AppendingWhileIteratingEndsTheIteration) {
    CxList list;
    fill(list, 3);
    int visited = 0;
    for (void* p = list.First(); p != nullptr; p = list.Next()) {
        ++visited;
        if (visited == 1) {
            list.Add(&g_values[4]);
        }
    }
    EXPECT_EQ(visited, 1);
    EXPECT_EQ(list.GetCount(), 4u);
}

TEST(CxList, ClearWithTheFlagFreesTheElements) {
    // The sanitizer build reports a leak if the flag is ignored, and a double free if
    // Clear(false) or the destructor freed elements they do not own.
    CxList list;
    list.Add(std::malloc(16));
    list.Add(std::malloc(16));
    list.Clear(true);
    EXPECT_EQ(list.GetCount(), 0u);
    fill(list, 2);
}

} // namespace
} // namespace twinleaf
