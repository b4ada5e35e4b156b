#include "platform/codepage/Codepage.h"
#include "platform/text/FieldText.h"

#include <gtest/gtest.h>

namespace twinleaf {
namespace {

TEST(Codepage, EveryAnsiByteSurvivesBothRoundTrips) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    EXPECT_EQ(utf8ToAnsi(ansiToUtf8(all)), all);
    EXPECT_EQ(utf16ToAnsi(ansiToUtf16(all)), all);
}

TEST(Codepage, MapsTheWindowsSpecificCharacters) {
    struct Case { const char* name; std::string ansi; const char* utf8; };
    const Case cases[] = {
        {"euro sign", "\x80", "\u20AC"},
        {"curly quotes", "\x93quoted\x94", "\u201Cquoted\u201D"},
        {"Latin-1 umlaut", "M\xFCller", "M\u00FCller"},
        {"undefined byte keeps its value", "\x81", "\u0081"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ansiToUtf8(c.ansi), c.utf8);
        EXPECT_EQ(utf8ToAnsi(c.utf8), c.ansi);
    }
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(utf8ToAnsi("\u65E5\u672C x \U0001F600"), "?? x ?");
    EXPECT_EQ(utf16ToAnsi(u"\u65E5\U0001F600"), "??");
}

TEST(Codepage, InvalidUtf8IsReadAsWindows1252) {
    EXPECT_EQ(utf8ToAnsi("caf\xE9"), "caf\xE9");
    EXPECT_EQ(utf8ToAnsi("\xC3"), "\xC3");          // sequence cut short at the end
    EXPECT_EQ(utf8ToAnsi("\xC0\xAF"), "\xC0\xAF"); // overlong form is not accepted
}

TEST(Codepage, Utf16AndUtf8ConvertIncludingSurrogatePairs) {
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16("a\u00E9\u20AC\U0001F600")), "a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(utf8ToUtf16("\U0001F600").size(), 2u);
    EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\uFFFD"); // lone surrogate
}

TEST(FieldText, CopyCutsToTheWidthAndAlwaysTerminates) {
    char field[4];
    copyToField(field, "abcdef");
    EXPECT_EQ(std::string(field), "abc");
    copyToField(field, "");
    EXPECT_EQ(std::string(field), "");
    const char unterminated[3] = {'x', 'y', 'z'};
    EXPECT_EQ(fieldText(unterminated), "xyz");
}

} // namespace
} // namespace twinleaf
