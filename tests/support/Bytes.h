// Comparing byte strings in tests: on a difference the failure shows a hex dump of both sides
// from just before the first differing byte.
#pragma once

#include <gtest/gtest.h>
#include <string>
#include <string_view>

namespace twinleaf::test {

::testing::AssertionResult sameBytes(std::string_view expected, std::string_view actual);

// A vCard's or iCalendar file's text with its folded lines joined again, to look for a whole line.
inline std::string unfolded(std::string text) {
    for (std::size_t at = text.find("\r\n "); at != std::string::npos;
         at = text.find("\r\n ", at)) {
        text.erase(at, 3);
    }
    return text;
}

} // namespace twinleaf::test

#define EXPECT_SAME_BYTES(expected, actual)                                                        \
    EXPECT_TRUE(::twinleaf::test::sameBytes(expected, actual))
#define ASSERT_SAME_BYTES(expected, actual)                                                        \
    ASSERT_TRUE(::twinleaf::test::sameBytes(expected, actual))
