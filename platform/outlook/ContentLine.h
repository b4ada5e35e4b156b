// The content lines vCard (RFC 2426, RFC 6350) and iCalendar (RFC 5545) share: line ends,
// unfolding and folding at 75 octets, splitting a line into group, name, parameters and value,
// and the escaping of text values. It knows nothing of contacts or events: ContactCard maps a
// card's lines to a contact's properties; CalendarItem reads iCalendar through libical and
// writes its lines with the functions here.
//
// Reading is strict about structure (one card, every line a "name:value" line, UTF-8) because a
// file we cannot read faithfully is one we must not rewrite; it is lenient about what producers
// differ in (CR LF, LF, CR or CR CR LF line ends, tabs as fold markers, vCard 2.1's bare
// parameter values, letter case of names).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::outlook {

struct ContentParam {
    std::string name;                // upper case; "TYPE" for vCard 2.1's bare values
    std::vector<std::string> values; // unquoted, split at commas
};

struct ContentLine {
    std::string group; // as written, without the dot
    std::string name;  // upper case
    std::vector<ContentParam> params;
    std::string value; // raw: still escaped
    std::string raw;   // the physical lines as read, joined with CRLF, without the final one

    const ContentParam* param(std::string_view name) const;
    // TYPE values and vCard 2.1 bare values, compared without regard to case.
    bool hasType(std::string_view type) const;
};

// Whether a file's bytes are text we read: not empty or blank, UTF-8, no NUL. A UTF-8 byte
// order mark is removed from `bytes`; false with a reason that fits after the file's name.
bool checkContentText(std::string_view& bytes, std::string& error);

// The bytes with every line end (CR LF, LF, a lone CR, or the CR CR LF some phones write) made
// CR LF, the form the formats prescribe.
std::string normalizeLineEnds(std::string_view bytes);

// Splits one file into the lines of its one card (BEGIN and END left out). False, with a reason
// that fits after the file's name, when the bytes are empty, not UTF-8, not a vCard, damaged,
// use an encoding we do not read (quoted-printable, a non-UTF-8 CHARSET) or hold more than one
// card.
bool parseSingleVCard(std::string_view bytes, std::vector<ContentLine>& lines, std::string& error);

bool isValidUtf8(std::string_view text);

// TEXT values: backslash, comma, semicolon and line breaks escaped. Line breaks of any form are
// written as "\n"; `crlf` tells whether they were CR LF pairs, so the caller can say so.
std::string escapeText(std::string_view text, bool* crlf = nullptr);
// Undoes escapeText; "\n" and "\N" become `lineBreak`. Unknown escapes are kept as written.
std::string unescapeText(std::string_view value, std::string_view lineBreak = "\n");
// Structured values (N, ADR, ORG): split at unescaped semicolons, each part unescaped.
std::vector<std::string> splitComponents(std::string_view value, std::string_view lineBreak = "\n");

std::string formatParams(const std::vector<ContentParam>& params);
// The parameters formatParams wrote ("" for none); what is not a parameter list reads as none.
std::vector<ContentParam> parseParams(std::string_view formatted);
// Whether the parameters, written by formatParams, read back as they are. A parameter name may
// hold what no written form carries back (a quote, a colon); such a line is kept as it was read.
bool paramsReadBack(const std::vector<ContentParam>& params);

// One content line, folded at 75 octets (never inside a UTF-8 sequence), ending in CRLF.
std::string foldLine(std::string_view line);

} // namespace twinleaf::outlook
