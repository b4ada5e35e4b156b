#include "platform/ini/Profile.h"

#include "platform/files/AtomicFile.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace twinleaf::win {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::string readString(const std::string& file, const char* section, const char* key,
                       const char* fallback = "<default>", DWORD size = 256) {
    std::string buffer(size, 'x');
    const DWORD length =
        GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
    EXPECT_EQ(length, std::char_traits<char>::length(buffer.c_str()));
    return buffer.substr(0, length);
}

// What Windows reads from files as people and other programs write them.
TEST(Profile, ReadsValuesAsWindowsDoes) {
    const std::string file = "\xEF\xBB\xBF"
                             "; settings\r\n"
                             "orphan=before any section\r\n"
                             "[Twinleaf]\r\n"
                             "AddrUserID=12\r\n"
                             "  Spaced  =   padded value   \r\n"
                             "Quoted=\"  keeps inner blanks  \"\r\n"
                             "Single='single'\r\n"
                             "Mismatched=\"open\r\n"
                             "Lone=\"\r\n"
                             "EmptyQuotes=\"\"\r\n"
                             "Empty=\r\n"
                             "NoEquals\r\n"
                             ";Commented=1\r\n"
                             "this line is garbage ]]] ===\r\n"
                             "[unterminated section\r\n"
                             "Dup=first\r\n"
                             "Dup=second\r\n"
                             "Equals=a=b\r\n"
                             "[ Path ]\r\n"
                             "PDPath=/home/u/Palm\r\n"
                             "[twinleaf]\r\n"
                             "OnlyInSecond=1\r\n"
                             "[Last]\n"
                             "NoFinalNewline=yes";
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"plain", "Twinleaf", "AddrUserID", "12"},
        {"names compared without case", "TWINLEAF", "addruserid", "12"},
        {"blanks around name and value", "Twinleaf", "Spaced", "padded value"},
        {"blanks around the asked-for names", " Twinleaf ", " Spaced ", "padded value"},
        {"double quotes removed, inner blanks kept", "Twinleaf", "Quoted",
         "  keeps inner blanks  "},
        {"single quotes removed", "Twinleaf", "Single", "single"},
        {"unmatched quote kept", "Twinleaf", "Mismatched", "\"open"},
        {"a lone quote kept", "Twinleaf", "Lone", "\""},
        {"empty quotes", "Twinleaf", "EmptyQuotes", ""},
        {"empty value is a value", "Twinleaf", "Empty", ""},
        {"key without '=' reads as missing", "Twinleaf", "NoEquals", "<default>"},
        {"comment is not a key", "Twinleaf", "Commented", "<default>"},
        {"comment is not a key either with ';'", "Twinleaf", ";Commented", "<default>"},
        {"key before any section belongs to none", "", "orphan", "<default>"},
        {"garbage after garbage still reads", "Twinleaf", "Dup", "first"},
        {"value with '='", "Twinleaf", "Equals", "a=b"},
        {"blanks inside the brackets", "Path", "PDPath", "/home/u/Palm"},
        {"a repeated section is not read", "Twinleaf", "OnlyInSecond", "<default>"},
        {"LF line and no final line end", "Last", "NoFinalNewline", "yes"},
        {"missing section", "Nowhere", "AddrUserID", "<default>"},
        {"missing key", "Twinleaf", "Nothing", "<default>"},
    };
    TempDir dir;
    const std::string path = (dir.path() / "corvane.ini").string();
    writeBytes(path, file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readString(path, c.section, c.key), c.expected);
    }
}

TEST(Profile, FindsTheFileWhateverTheCaseOfItsName) {
    TempDir dir;
    writeBytes(dir.path() / "Corvane.INI", "[Path]\nPDPath=x\n");
    const std::string asked = (dir.path() / "corvane.ini").string();
    EXPECT_EQ(readString(asked, "Path", "PDPath"), "x");
    ASSERT_TRUE(WritePrivateProfileStringA("Path", "PDPath", "y", asked.c_str()));
    EXPECT_EQ(readBytes(dir.path() / "Corvane.INI"), "[Path]\nPDPath=y\n");
    EXPECT_FALSE(std::filesystem::exists(asked));
}

TEST(Profile, DefaultsLoseTrailingBlanksAndEverythingIsCutToTheBuffer) {
    TempDir dir;
    const std::string path = (dir.path() / "a.ini").string();
    EXPECT_EQ(readString(path, "S", "K", "fallback   "), "fallback") << "missing file";
    EXPECT_EQ(readString(path, "S", "K", nullptr), "");
    writeBytes(path, "[S]\nK=abcdefgh\n");

    char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buffer, 5, path.c_str()), 4U);
    EXPECT_STREQ(buffer, "abcd");
    EXPECT_EQ(GetPrivateProfileStringA("S", "Missing", "123456", buffer, 5, path.c_str()), 4U);
    EXPECT_STREQ(buffer, "1234");
    buffer[0] = 'x';
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buffer, 0, path.c_str()), 0U);
    EXPECT_EQ(buffer[0], 'x') << "a zero-sized buffer is not touched";
    EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", nullptr, 5, path.c_str()), 0U);
}

TEST(Profile, ListsSectionAndKeyNamesDoublyTerminated) {
    TempDir dir;
    const std::string path = (dir.path() / "a.ini").string();
    writeBytes(path, "[One]\nalpha=1\n;c=3\nbeta=2\nALPHA=9\n[Two]\n[one]\ngamma=3\n");
    char buffer[64];
    DWORD length =
        GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path.c_str());
    EXPECT_EQ(std::string(buffer, length + 1), std::string("One\0Two\0", 9));
    length = GetPrivateProfileStringA("one", nullptr, "", buffer, sizeof buffer, path.c_str());
    EXPECT_EQ(std::string(buffer, length + 1), std::string("alpha\0beta\0", 12));

    // Cut inside the last name that does not fit, ending with two terminators.
    length = GetPrivateProfileStringA("One", nullptr, "", buffer, 9, path.c_str());
    EXPECT_EQ(length, 7U);
    EXPECT_EQ(std::string(buffer, 9), std::string("alpha\0be\0", 9).substr(0, 7) + '\0' + '\0');
}

TEST(Profile, ReadsIntegersAsWindowsDoes) {
    struct Case {
        const char* name;
        const char* line;
        UINT expected;
    };
    const Case cases[] = {
        {"plain", "N=12", 12},
        {"trailing text ignored", "N=12 days", 12},
        {"text only is zero, not the default", "N=abc", 0},
        {"negative wraps", "N=-5", static_cast<UINT>(-5)},
        {"plus sign", "N=+7", 7},
        {"padded", "N=   42   ", 42},
        {"quoted", "N=\"8\"", 8},
        {"no hexadecimal", "N=0x10", 0},
        {"wraps at 32 bits", "N=4294967297", 1},
        {"empty value is the default", "N=", 77},
        {"missing key is the default", "Other=1", 77},
    };
    TempDir dir;
    const std::string path = (dir.path() / "a.ini").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, std::string("[S]\r\n") + c.line + "\r\n");
        EXPECT_EQ(GetPrivateProfileIntA("s", "n", 77, path.c_str()), c.expected);
    }
    EXPECT_EQ(GetPrivateProfileIntA("S", "N", -3, (dir.path() / "none.ini").c_str()),
              static_cast<UINT>(-3));
}

TEST(Profile, FirstWriteCreatesTheFileWithSectionAndKey) {
    TempDir dir;
    const std::string path = (dir.path() / "corvane.ini").string();
    ASSERT_TRUE(WritePrivateProfileStringA("Twinleaf", "AddrUserID", "12", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Twinleaf", "DateUserID", "7", path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Path", "PDPath", "/p", path.c_str()));
    EXPECT_SAME_BYTES("[Twinleaf]\r\nAddrUserID=12\r\nDateUserID=7\r\n\r\n[Path]\r\nPDPath=/p\r\n",
                      readBytes(path));
    EXPECT_EQ(GetPrivateProfileIntA("Twinleaf", "DateUserID", 0, path.c_str()), 7U);
}

// A hand-edited file: every byte but the changed line must survive.
TEST(Profile, AWriteChangesOnlyItsOwnLine) {
    const std::string original = "\xEF\xBB\xBF; my settings\n"
                                 "[Twinleaf]\n"
                                 "  addruserid = 12   ; chosen by hand\n"
                                 "ShowColor=1\n"
                                 "\n"
                                 "; the next one is for the Palm side\n"
                                 "[Path]\r\n"
                                 "PDPath=/old";
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
    };
    const Case cases[] = {
        {"replace keeps spelling, indentation and line end", "TWINLEAF", "AddrUserID", "99",
         "\xEF\xBB\xBF; my settings\n[Twinleaf]\n  addruserid=99\nShowColor=1\n\n"
         "; the next one is for the Palm side\n[Path]\r\nPDPath=/old"},
        {"replace on a last line without line end", "Path", "PDPath", "/new",
         "\xEF\xBB\xBF; my settings\n[Twinleaf]\n  addruserid = 12   ; chosen by hand\n"
         "ShowColor=1\n\n; the next one is for the Palm side\n[Path]\r\nPDPath=/new"},
        {"new key after the section's last key", "Twinleaf", "ConfMode", "0",
         "\xEF\xBB\xBF; my settings\n[Twinleaf]\n  addruserid = 12   ; chosen by hand\n"
         "ShowColor=1\nConfMode=0\n\n; the next one is for the Palm side\n[Path]\r\nPDPath=/old"},
        {"new key in a section ending the file", "Path", "Extra", "1",
         "\xEF\xBB\xBF; my settings\n[Twinleaf]\n  addruserid = 12   ; chosen by hand\n"
         "ShowColor=1\n\n; the next one is for the Palm side\n[Path]\r\nPDPath=/old\nExtra=1\n"},
        {"new section at the end", "OlComm", "EnableLog", "1",
         "\xEF\xBB\xBF; my settings\n[Twinleaf]\n  addruserid = 12   ; chosen by hand\n"
         "ShowColor=1\n\n; the next one is for the Palm side\n[Path]\r\nPDPath=/old\n\n"
         "[OlComm]\nEnableLog=1\n"},
        {"NULL value removes the key", "Twinleaf", "ShowColor", nullptr,
         "\xEF\xBB\xBF; my settings\n[Twinleaf]\n  addruserid = 12   ; chosen by hand\n\n"
         "; the next one is for the Palm side\n[Path]\r\nPDPath=/old"},
        {"NULL key removes the section", "twinleaf", nullptr, nullptr,
         "\xEF\xBB\xBF; my settings\n[Path]\r\nPDPath=/old"},
        {"removing what is not there changes nothing", "Twinleaf", "Nothing", nullptr, original},
        {"the same value again changes nothing", "Path", "PDPath", "/old", original},
    };
    TempDir dir;
    const std::string path = (dir.path() / "corvane.ini").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path, original);
        ASSERT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, path.c_str()));
        EXPECT_SAME_BYTES(c.expected, readBytes(path));
    }
}

TEST(Profile, WritesToTheFirstOfRepeatedSectionsAndKeys) {
    TempDir dir;
    const std::string path = (dir.path() / "a.ini").string();
    writeBytes(path, "[S]\nK=1\nK=2\n[S]\nK=3\n");
    ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "9", path.c_str()));
    EXPECT_EQ(readBytes(path), "[S]\nK=9\nK=2\n[S]\nK=3\n");
    EXPECT_EQ(readString(path, "S", "K"), "9");
}

TEST(Profile, RefusesWhatWouldNotReadBackAndLeavesTheFile) {
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"line break in the value", "S", "K", "a\r\n[Other]\r\nX=1"},
        {"line break in the section", "S\nT", "K", "v"},
        {"'=' in the key", "S", "K=L", "v"},
        {"key that reads as a comment", "S", ";K", "v"},
        {"key that reads as a section", "S", "[K]", "v"},
        {"no section", nullptr, "K", "v"},
    };
    TempDir dir;
    const std::string path = (dir.path() / "a.ini").string();
    writeBytes(path, "[S]\nK=1\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, path.c_str()));
        EXPECT_EQ(readBytes(path), "[S]\nK=1\n");
    }
}

TEST(Profile, AFailedSaveReportsFalseAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = (dir.path() / "a.ini").string();
    writeBytes(path, "[S]\nK=1\n");
    {
        ScopedFileFault fault(FileCall::Write, 1);
        EXPECT_FALSE(WritePrivateProfileStringA("S", "K", "2", path.c_str()));
        EXPECT_TRUE(WritePrivateProfileStringA("S", "K", "1", path.c_str())) << "no save needed";
    }
    EXPECT_EQ(readBytes(path), "[S]\nK=1\n");

    // Something that cannot be read is never overwritten with a fresh file.
    const auto folder = dir.path() / "folder.ini";
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "K", "2", folder.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

} // namespace
} // namespace twinleaf::win
