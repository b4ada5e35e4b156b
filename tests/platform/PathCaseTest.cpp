#include "platform/files/PathCase.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace twinleaf {
namespace {

using test::TempDir;
using test::writeBytes;

TEST(PathCase, FindsComponentsThatDifferOnlyInCase) {
    TempDir dir;
    const auto root = dir.path();
    writeBytes(root / "Palm" / "Alice" / "MemoPad" / "memopad.DAT", "x");
    writeBytes(root / "Palm" / "Alice" / "address" / "Address.mdb", "x");
    std::filesystem::create_directories(root / "Palm" / "Bob");
    std::filesystem::create_directories(root / "Palm" / "BOB");
    struct Case {
        const char* name;
        std::filesystem::path asked;
        std::filesystem::path found;
    };
    const Case cases[] = {
        {"as written", root / "Palm/Alice/MemoPad/memopad.DAT",
         root / "Palm/Alice/MemoPad/memopad.DAT"},
        {"every level differs", root / "palm/ALICE/memopad/MemoPad.dat",
         root / "Palm/Alice/MemoPad/memopad.DAT"},
        {"trailing separator kept", root / "PALM/alice/", root / "Palm/Alice/"},
        {"rest kept from the first missing component", root / "palm/Carol/todo/todo.dat",
         root / "Palm/Carol/todo/todo.dat"},
        {"exact name wins over another case", root / "palm/BOB", root / "Palm/BOB"},
        {"several candidates: first in byte order", root / "palm/bob", root / "Palm/BOB"},
        {"dot components kept", root / "palm/./alice/../Alice/Address",
         root / "Palm/./Alice/../Alice/address"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(resolvePathCase(c.asked), c.found);
    }
}

TEST(PathCase, FoldsOnlyAsciiLetters) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "\xC3\x9C"
                                                     "bersicht"); // "Übersicht"
    EXPECT_EQ(resolvePathCase(dir.path() / "\xC3\xBC"
                                           "BERSICHT"),
              dir.path() / "\xC3\xBC"
                           "BERSICHT");
    EXPECT_EQ(resolvePathCase(dir.path() / "\xC3\x9C"
                                           "BERSICHT"),
              dir.path() / "\xC3\x9C"
                           "bersicht");
}

} // namespace
} // namespace twinleaf
