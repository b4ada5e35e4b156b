// Content lines of vCard and iCalendar: line ends, reading one card, escaping, folding.
#include "platform/outlook/ContentLine.h"

#include "platform/text/NoCase.h"

#include <algorithm>

namespace twinleaf::outlook {
namespace {

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

struct LogicalLine {
    std::string text;
    std::string raw;
    int number = 0; // physical line it starts on, counted from 1
};

// The next physical line from `at` on, which is moved past its line end. Phones exporting
// through a text mode that adds a CR to every CR LF write CR CR LF; that is one line end too,
// not a blank line that would break the folding of the line after it.
std::string_view nextPhysicalLine(std::string_view bytes, std::size_t& at) {
    std::size_t end = at;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
        ++end;
    }
    const std::string_view physical = bytes.substr(at, end - at);
    at = end;
    if (bytes.substr(at, 3) == "\r\r\n") {
        at += 3;
    } else if (bytes.substr(at, 2) == "\r\n") {
        at += 2;
    } else if (at < bytes.size()) {
        ++at;
    }
    return physical;
}

// A line starting with a blank or a tab continues the one before.
std::vector<LogicalLine> unfold(std::string_view bytes) {
    std::vector<LogicalLine> lines;
    lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    std::size_t at = 0;
    int number = 0;
    while (at < bytes.size()) {
        const std::string_view physical = nextPhysicalLine(bytes, at);
        ++number;
        if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t') && !lines.empty()) {
            lines.back().text.append(physical.substr(1));
            lines.back().raw.append("\r\n").append(physical);
            continue;
        }
        lines.push_back({std::string(physical), std::string(physical), number});
    }
    return lines;
}

std::vector<std::string> splitParamValues(std::string_view text) {
    std::vector<std::string> values;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            values.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    values.push_back(std::move(current));
    return values;
}

// Takes the line's raw text from `logical`.
bool parseContentLine(LogicalLine& logical, ContentLine& line) {
    const std::string_view text = logical.text;
    std::size_t at = 0;
    while (at < text.size() && (isNameCharacter(text[at]) || text[at] == '.')) {
        ++at;
    }
    std::string_view name = text.substr(0, at);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        line.group = std::string(name.substr(0, dot));
        name = name.substr(dot + 1);
    }
    if (name.empty() || at == text.size() || (text[at] != ';' && text[at] != ':')) {
        return false;
    }
    line.name = upperAscii(name);
    while (text[at] == ';') {
        const std::size_t start = ++at;
        bool quoted = false;
        while (at < text.size() && (quoted || (text[at] != ';' && text[at] != ':'))) {
            quoted = text[at] == '"' ? !quoted : quoted;
            ++at;
        }
        if (at == text.size()) {
            return false;
        }
        const std::string_view param = text.substr(start, at - start);
        const std::size_t equals = param.find('=');
        {
            // vCard 2.1's bare values are types: read as TYPE's values are, so that written as
            // TYPE=... they read back the same.
            ContentParam parsed = equals == std::string_view::npos
                                      ? ContentParam{"TYPE", splitParamValues(param)}
                                      : ContentParam{upperAscii(param.substr(0, equals)),
                                                     splitParamValues(param.substr(equals + 1))};
            // vCard 4.0 producers quote a list of types as one value: TYPE="work,voice".
            if (parsed.name == "TYPE") {
                std::vector<std::string> types;
                for (const std::string& value : parsed.values) {
                    for (std::string& type : splitParamValues(value)) {
                        types.push_back(std::move(type));
                    }
                }
                parsed.values = std::move(types);
            }
            line.params.push_back(std::move(parsed));
        }
    }
    line.value = std::string(text.substr(at + 1));
    line.raw = std::move(logical.raw);
    return true;
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool isMarker(const ContentLine& line, std::string_view marker) {
    return line.name == marker && equalsAsciiNoCase(line.value, "VCARD");
}

// Encodings other than UTF-8 text that a card may announce line by line.
bool unreadableEncoding(const ContentLine& line, std::string& error) {
    for (const ContentParam& param : line.params) {
        for (const std::string& value : param.values) {
            if ((param.name == "ENCODING" || param.name == "TYPE") &&
                equalsAsciiNoCase(value, "QUOTED-PRINTABLE")) {
                error = "uses the quoted-printable encoding (unknown encoding)";
                return true;
            }
            if (param.name == "CHARSET" && !equalsAsciiNoCase(value, "UTF-8") &&
                !equalsAsciiNoCase(value, "US-ASCII")) {
                error = "uses the character set " + value + " (unknown encoding)";
                return true;
            }
        }
    }
    return false;
}

} // namespace

namespace {
bool parseCard(std::string_view bytes, std::vector<ContentLine>& lines, std::string& error);
} // namespace

const ContentParam* ContentLine::param(std::string_view paramName) const {
    for (const ContentParam& candidate : params) {
        if (candidate.name == paramName) {
            return &candidate;
        }
    }
    return nullptr;
}

bool ContentLine::hasType(std::string_view type) const {
    for (const ContentParam& candidate : params) {
        if (candidate.name != "TYPE") {
            continue;
        }
        for (const std::string& candidateType : candidate.values) {
            if (equalsAsciiNoCase(candidateType, type)) {
                return true;
            }
        }
    }
    return false;
}

bool isValidUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++at;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07;
        } else {
            return false;
        }
        if (at + length > text.size()) {
            return false;
        }
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        at += length;
    }
    return true;
}

bool checkContentText(std::string_view& bytes, std::string& error) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        error = "is empty";
        return false;
    }
    if (bytes.find('\0') != std::string_view::npos || !isValidUtf8(bytes)) {
        error = "is not UTF-8 text (unknown encoding)";
        return false;
    }
    return true;
}

std::string normalizeLineEnds(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 32);
    std::size_t at = 0;
    while (at < bytes.size()) {
        out.append(nextPhysicalLine(bytes, at));
        out += "\r\n";
    }
    return out;
}

bool parseSingleVCard(std::string_view bytes, std::vector<ContentLine>& lines, std::string& error) {
    lines.clear();
    const bool ok = parseCard(bytes, lines, error);
    if (!ok) {
        lines.clear();
    }
    return ok;
}

namespace {

bool parseCard(std::string_view bytes, std::vector<ContentLine>& lines, std::string& error) {
    if (!checkContentText(bytes, error)) {
        return false;
    }
    enum class State { Before, Inside, After } state = State::Before;
    int cards = 0;
    std::vector<LogicalLine> logicalLines = unfold(bytes);
    lines.reserve(logicalLines.size());
    for (LogicalLine& logical : logicalLines) {
        if (isBlank(logical.text)) {
            continue;
        }
        ContentLine line;
        if (!parseContentLine(logical, line)) {
            error = "line " + std::to_string(logical.number) + " is not a vCard line";
            return false;
        }
        if (isMarker(line, "BEGIN")) {
            ++cards;
            if (state == State::Inside) {
                error = "holds a card inside a card (not a valid vCard)";
                return false;
            }
            state = State::Inside;
            continue;
        }
        if (state == State::Before) {
            error = "does not begin with BEGIN:VCARD (not a vCard)";
            return false;
        }
        if (state == State::After) {
            error = "has lines after END:VCARD (not a valid vCard)";
            return false;
        }
        if (isMarker(line, "END")) {
            state = State::After;
            continue;
        }
        if (line.name == "BEGIN" || line.name == "END") {
            error = "line " + std::to_string(logical.number) + " ends or begins something else";
            return false;
        }
        if (unreadableEncoding(line, error)) {
            return false;
        }
        if (cards == 1) {
            lines.push_back(std::move(line));
        }
    }
    if (cards > 1) {
        error = "holds " + std::to_string(cards) + " cards";
        return false;
    }
    if (state != State::After) {
        error = "ends before END:VCARD (damaged)";
        return false;
    }
    return true;
}

} // namespace

std::string escapeText(std::string_view text, bool* crlf) {
    std::string out;
    out.reserve(text.size() + 8);
    bool sawCrlf = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case ',':
            out += "\\,";
            break;
        case ';':
            out += "\\;";
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                sawCrlf = true;
                ++i;
            }
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    if (crlf != nullptr) {
        *crlf = sawCrlf;
    }
    return out;
}

std::string unescapeText(std::string_view value, std::string_view lineBreak) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[++i];
        switch (next) {
        case 'n':
        case 'N':
            out += lineBreak;
            break;
        case '\\':
        case ',':
        case ';':
        case ':':
            out += next;
            break;
        default:
            out += c;
            out += next;
        }
    }
    return out;
}

std::vector<std::string> splitComponents(std::string_view value, std::string_view lineBreak) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i == value.size() || value[i] == ';') {
            parts.push_back(unescapeText(value.substr(start, i - start), lineBreak));
            start = i + 1;
        } else if (value[i] == '\\') {
            ++i;
        }
    }
    return parts;
}

std::vector<ContentParam> parseParams(std::string_view formatted) {
    LogicalLine logical{"X" + std::string(formatted) + ":", {}, 0};
    ContentLine line;
    if (!parseContentLine(logical, line)) {
        return {};
    }
    return std::move(line.params);
}

bool paramsReadBack(const std::vector<ContentParam>& params) {
    const std::vector<ContentParam> read = parseParams(formatParams(params));
    return std::equal(read.begin(), read.end(), params.begin(), params.end(),
                      [](const ContentParam& a, const ContentParam& b) {
                          return a.name == b.name && a.values == b.values;
                      });
}

std::string formatParams(const std::vector<ContentParam>& params) {
    std::string out;
    for (const ContentParam& param : params) {
        out += ';';
        out += param.name;
        out += '=';
        for (std::size_t i = 0; i < param.values.size(); ++i) {
            const std::string& value = param.values[i];
            if (i > 0) {
                out += ',';
            }
            if (value.find_first_of(";:,") != std::string::npos) {
                out += '"' + value + '"';
            } else {
                out += value;
            }
        }
    }
    return out;
}

std::string foldLine(std::string_view line) {
    constexpr std::size_t kLimit = 75;
    std::string out;
    out.reserve(line.size() + line.size() / 64 * 3 + 2);
    std::size_t at = 0;
    std::size_t room = kLimit;
    while (line.size() - at > room) {
        std::size_t cut = at + room;
        while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        out.append(line.substr(at, cut - at));
        out += "\r\n ";
        at = cut;
        room = kLimit - 1;
    }
    out.append(line.substr(at));
    out += "\r\n";
    return out;
}

} // namespace twinleaf::outlook
