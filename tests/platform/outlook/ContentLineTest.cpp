#include "platform/outlook/ContentLine.h"

#include <gtest/gtest.h>

namespace twinleaf::outlook {
namespace {

std::string unfoldAll(const std::string& folded) {
    std::string out;
    for (std::size_t at = 0; at < folded.size();) {
        const std::size_t end = folded.find("\r\n", at);
        out += folded.substr(at, end - at);
        at = end + 2;
        if (at < folded.size() && folded[at] == ' ') {
            ++at;
        }
    }
    return out;
}

TEST(ContentLine, FoldsAt75OctetsWithoutSplittingACharacter) {
    std::string line = "NOTE:";
    for (int i = 0; i < 60; ++i) {
        line += "\xE2\x82\xAC\xC3\xBC-"; // euro sign, u umlaut, hyphen: 6 octets
    }
    const std::string folded = foldLine(line);
    std::size_t at = 0;
    while (at < folded.size()) {
        const std::size_t end = folded.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string physical = folded.substr(at, end - at);
        EXPECT_LE(physical.size(), 75u);
        EXPECT_TRUE(isValidUtf8(physical.substr(at == 0 ? 0 : 1))) << physical;
        at = end + 2;
    }
    EXPECT_EQ(unfoldAll(folded), line);
    EXPECT_EQ(foldLine("FN:short"), "FN:short\r\n");
}

TEST(ContentLine, EscapesTextSoEveryCharacterSurvives) {
    struct Case {
        const char* name;
        std::string text;
        std::string escaped;
    };
    const Case cases[] = {
        {"separators", "Smith, John; Jr.", "Smith\\, John\\; Jr."},
        {"backslash", "C:\\Palm\\", "C:\\\\Palm\\\\"},
        {"line break", "line one\nline two", "line one\\nline two"},
        {"non-ASCII", "K\xC3\xB6ln \xE2\x82\xAC", "K\xC3\xB6ln \xE2\x82\xAC"},
        {"escape-like text", "\\n is not a break", "\\\\n is not a break"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(escapeText(c.text), c.escaped);
        EXPECT_EQ(unescapeText(c.escaped), c.text);
    }
    bool crlf = false;
    EXPECT_EQ(escapeText("a\r\nb", &crlf), "a\\nb");
    EXPECT_TRUE(crlf);
    EXPECT_EQ(unescapeText("a\\nb\\Nc", "\r\n"), "a\r\nb\r\nc");
    EXPECT_EQ(unescapeText("odd \\x and \\: end\\"), "odd \\x and : end\\");
    EXPECT_EQ(splitComponents("Doe;John\\;Paul;;Dr.\\, PhD"),
              (std::vector<std::string>{"Doe", "John;Paul", "", "Dr., PhD"}));
}

TEST(ContentLine, RefusesFilesItCannotReadFaithfully) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\nEND:VCARD\r\n";
    const Case cases[] = {
        {"empty", "", "empty"},
        {"only blank lines", "\r\n \r\n", "empty"},
        {"UTF-16",
         std::string("\xFF\xFE"
                     "B\0E\0",
                     6),
         "unknown encoding"},
        {"Latin-1", "BEGIN:VCARD\r\nFN:K\xF6ln\r\nEND:VCARD\r\n", "unknown encoding"},
        {"quoted-printable",
         "BEGIN:VCARD\r\nFN;ENCODING=QUOTED-PRINTABLE:K=C3=B6ln\r\nEND:VCARD\r\n",
         "quoted-printable"},
        {"other character set", "BEGIN:VCARD\r\nFN;CHARSET=ISO-8859-1:Koln\r\nEND:VCARD\r\n",
         "ISO-8859-1"},
        {"two cards", card + card, "2 cards"},
        {"not a vCard", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", "BEGIN:VCARD"},
        {"cut short", "BEGIN:VCARD\r\nFN:A\r\n", "END:VCARD"},
        {"line without a value", "BEGIN:VCARD\r\nFN A\r\nEND:VCARD\r\n", "line 2"},
        {"card in a card", "BEGIN:VCARD\r\n" + card + "END:VCARD\r\n", "inside"},
        {"text after the card", card + "FN:B\r\n", "after END"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ContentLine> lines;
        std::string error;
        EXPECT_FALSE(parseSingleVCard(c.bytes, lines, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(lines.empty());
    }
}

TEST(ContentLine, ReadsWhatProducersDifferIn) {
    // UTF-8 byte order mark, LF line ends, a tab as fold marker, a group, vCard 2.1's bare
    // types, a quoted parameter value and lower-case names.
    const std::string bytes = "\xEF\xBB\xBF"
                              "begin:vcard\n"
                              "version:2.1\n"
                              "item1.TEL;HOME;voice:+49 30\n"
                              "\t 1234\n"
                              "EMAIL;TYPE=\"internet,pref\":a@example.org\n"
                              "END:VCARD\n";
    std::vector<ContentLine> lines;
    std::string error;
    ASSERT_TRUE(parseSingleVCard(bytes, lines, error)) << error;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].group, "item1");
    EXPECT_EQ(lines[1].name, "TEL");
    EXPECT_TRUE(lines[1].hasType("home"));
    EXPECT_TRUE(lines[1].hasType("VOICE"));
    EXPECT_EQ(lines[1].value, "+49 30 1234");
    EXPECT_EQ(lines[1].raw, "item1.TEL;HOME;voice:+49 30\r\n\t 1234");
    EXPECT_TRUE(lines[2].hasType("PREF"));
    EXPECT_EQ(lines[2].value, "a@example.org");
}

TEST(ContentLine, EveryFormOfLineEndEndsOneLine) {
    struct Case {
        const char* name;
        const char* end;
    };
    // CR CR LF comes from phones that export through a text mode adding a CR to each CR LF.
    const Case cases[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}, {"CR CR LF", "\r\r\n"}};
    auto card = [](const std::string& end) {
        return "BEGIN:VCARD" + end + "VERSION:3.0" + end + "NOTE:folded " + end + " on" + end +
               end + "END:VCARD" + end;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = card(c.end);
        std::vector<ContentLine> lines;
        std::string error;
        ASSERT_TRUE(parseSingleVCard(bytes, lines, error)) << error;
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[1].value, "folded on");
        EXPECT_EQ(lines[1].raw, "NOTE:folded \r\n on");
        EXPECT_EQ(normalizeLineEnds(bytes), card("\r\n"));
    }
}

} // namespace
} // namespace twinleaf::outlook
