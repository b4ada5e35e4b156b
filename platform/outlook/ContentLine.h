// The content-line layer of vCard (RFC 2426, RFC 6350): unfolding and folding at 75 octets,
// splitting a line into group, name, parameters and value, and the escaping of text values.
// It knows nothing of contacts; ContactCard maps lines to an item's properties.
//
// Reading is strict about structure (one card, every line a "name:value" line, UTF-8) because a
// file we cannot read faithfully is one we must not rewrite; it is lenient about what producers
// differ in (LF or CRLF line ends, tabs as fold markers, vCard 2.1's bare parameter values,
// letter case of names).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::outlook {

struct VCardParam {
    std::string name;                // upper case; "TYPE" for vCard 2.1's bare values
    std::vector<std::string> values; // unquoted, split at commas
};

struct VCardLine {
    std::string group; // as written, without the dot
    std::string name;  // upper case
    std::vector<VCardParam> params;
    std::string value; // raw: still escaped
    std::string raw;   // the physical lines as read, joined with CRLF, without the final one

    const VCardParam* param(std::string_view name) const;
    // TYPE values and vCard 2.1 bare values, compared without regard to case.
    bool hasType(std::string_view type) const;
};

// Splits one file into the lines of its one card (BEGIN and END left out). False, with a reason
// that fits after the file's name, when the bytes are empty, not UTF-8, not a vCard, damaged,
// use an encoding we do not read (quoted-printable, a non-UTF-8 CHARSET) or hold more than one
// card.
bool parseSingleVCard(std::string_view bytes, std::vector<VCardLine>& lines, std::string& error);

bool isValidUtf8(std::string_view text);

// TEXT values: backslash, comma, semicolon and line breaks escaped. Line breaks of any form are
// written as "\n"; `crlf` tells whether they were CR LF pairs, so the caller can say so.
std::string escapeText(std::string_view text, bool* crlf = nullptr);
// Undoes escapeText; "\n" and "\N" become `lineBreak`. Unknown escapes are kept as written.
std::string unescapeText(std::string_view value, std::string_view lineBreak = "\n");
// Structured values (N, ADR, ORG): split at unescaped semicolons, each part unescaped.
std::vector<std::string> splitComponents(std::string_view value, std::string_view lineBreak = "\n");

std::string formatParams(const std::vector<VCardParam>& params);

// One content line, folded at 75 octets (never inside a UTF-8 sequence), ending in CRLF.
std::string foldLine(std::string_view line);

} // namespace twinleaf::outlook
