// Parsing of Wine's text hive format. A hive starts with "WINE REGISTRY Version 2"; each key is a
// header line "[Software\\Vendor\\Key] <time stamp>" followed by its values, one a line:
//   "Name"="text"            REG_SZ
//   @="text"                 the default value
//   "Name"=str(2):"text"     a string of another type (here REG_EXPAND_SZ); type numbers in hex
//   "Name"=dword:0000001f    REG_DWORD
//   "Name"=hex(7):41,00,\    bytes of the given type (plain "hex:" is REG_BINARY), continued on
//     00,00                  the next line after a trailing backslash
// Names and strings escape '\\', '"' and ']' with a backslash, control characters as \n, \t or
// octal, and characters past ASCII as \x with up to four hex digits; raw bytes past ASCII are
// UTF-8. Lines starting with '#' or ';' carry Wine's own notes and are skipped.
#include "platform/registry/RegistryView.h"

#include "platform/codepage/Codepage.h"
#include "platform/files/AtomicFile.h"
#include "platform/text/NoCase.h"

#include <cstdlib>

namespace twinleaf {
namespace {

constexpr std::string_view kSignature = "WINE REGISTRY Version 2";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Decodes an escaped text from `pos` up to the first unescaped `terminator` and moves `pos` past
// it; false when the terminator never comes.
bool parseEscaped(std::string_view line, std::size_t& pos, char terminator, std::u16string& out) {
    out.clear();
    std::string utf8; // bytes past ASCII, decoded together so multi-byte characters stay whole
    const auto flush = [&] {
        if (!utf8.empty()) {
            out += utf8ToUtf16(utf8);
            utf8.clear();
        }
    };
    while (pos < line.size()) {
        const char c = line[pos++];
        if (static_cast<unsigned char>(c) >= 0x80) {
            utf8 += c;
            continue;
        }
        flush();
        if (c == terminator) {
            return true;
        }
        if (c != '\\') {
            out += static_cast<char16_t>(c);
            continue;
        }
        if (pos >= line.size()) {
            return false;
        }
        const char escape = line[pos++];
        switch (escape) {
        case 'a':
            out += u'\a';
            break;
        case 'b':
            out += u'\b';
            break;
        case 'e':
            out += char16_t{27};
            break;
        case 'f':
            out += u'\f';
            break;
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 't':
            out += u'\t';
            break;
        case 'v':
            out += u'\v';
            break;
        case 'x': {
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && hexDigit(line[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(hexDigit(line[pos++]));
                ++digits;
            }
            out += digits == 0 ? u'x' : static_cast<char16_t>(value);
            break;
        }
        default:
            if (escape >= '0' && escape <= '7') {
                unsigned value = static_cast<unsigned>(escape - '0');
                for (int digits = 1;
                     digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                     ++digits) {
                    value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
                }
                out += static_cast<char16_t>(value);
            } else if (static_cast<unsigned char>(escape) >= 0x80) {
                utf8 += escape;
            } else {
                out += static_cast<char16_t>(escape);
            }
        }
    }
    flush();
    return false;
}

std::vector<std::uint8_t> utf16Bytes(const std::u16string& text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// A hex number up to `close`, e.g. the 2 of "str(2):"; moves `pos` past `close`.
bool parseTypeNumber(std::string_view text, std::size_t& pos, win::DWORD& type) {
    type = 0;
    const std::size_t start = pos;
    while (pos < text.size() && hexDigit(text[pos]) >= 0 && pos - start < 8) {
        type = type * 16 + static_cast<win::DWORD>(hexDigit(text[pos++]));
    }
    if (pos == start || pos + 1 >= text.size() || text[pos] != ')' || text[pos + 1] != ':') {
        return false;
    }
    pos += 2;
    return true;
}

bool parseHexBytes(std::string_view text, std::vector<std::uint8_t>& out) {
    out.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == ',' || c == ' ' || c == '\t' || c == '\\' || c == '\r') {
            ++pos;
            continue;
        }
        if (pos + 1 >= text.size() || hexDigit(c) < 0 || hexDigit(text[pos + 1]) < 0) {
            return false;
        }
        out.push_back(static_cast<std::uint8_t>(hexDigit(c) * 16 + hexDigit(text[pos + 1])));
        pos += 2;
    }
    return true;
}

// The data after "=": one of the forms listed at the top of the file.
bool parseData(std::string_view text, RegistryValue& value) {
    std::size_t pos = 0;
    std::u16string decoded;
    if (startsWith(text, "\"")) {
        pos = 1;
        value.type = win::REG_SZ;
        if (!parseEscaped(text, pos, '"', decoded)) {
            return false;
        }
        value.data = utf16Bytes(decoded);
        return true;
    }
    if (startsWith(text, "str(")) {
        pos = 4;
        if (!parseTypeNumber(text, pos, value.type) || pos >= text.size() || text[pos] != '"') {
            return false;
        }
        ++pos;
        if (!parseEscaped(text, pos, '"', decoded)) {
            return false;
        }
        value.data = utf16Bytes(decoded);
        return true;
    }
    if (startsWith(text, "dword:")) {
        std::uint32_t number = 0;
        std::size_t digits = 0;
        for (pos = 6; pos < text.size() && hexDigit(text[pos]) >= 0 && digits < 8;
             ++pos, ++digits) {
            number = number * 16 + static_cast<std::uint32_t>(hexDigit(text[pos]));
        }
        if (digits == 0) {
            return false;
        }
        value.type = win::REG_DWORD;
        value.data = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                      static_cast<std::uint8_t>(number >> 16),
                      static_cast<std::uint8_t>(number >> 24)};
        return true;
    }
    if (startsWith(text, "hex:")) {
        value.type = win::REG_BINARY;
        return parseHexBytes(text.substr(4), value.data);
    }
    if (startsWith(text, "hex(")) {
        pos = 4;
        return parseTypeNumber(text, pos, value.type) &&
               parseHexBytes(text.substr(pos), value.data);
    }
    return false;
}

bool parseValueLine(std::string_view line, std::string& name, RegistryValue& value) {
    std::size_t pos = 0;
    if (startsWith(line, "@")) {
        name.clear();
        pos = 1;
    } else if (startsWith(line, "\"")) {
        pos = 1;
        std::u16string decoded;
        if (!parseEscaped(line, pos, '"', decoded)) {
            return false;
        }
        name = utf16ToAnsi(decoded);
    } else {
        return false;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    if (pos >= line.size() || line[pos] != '=') {
        return false;
    }
    ++pos;
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
        ++pos;
    }
    return parseData(line.substr(pos), value);
}

// The key name of a header line, Windows-1252; false for a line that is not a header.
bool parseHeader(std::string_view line, std::string& name) {
    if (!startsWith(line, "[")) {
        return false;
    }
    std::size_t pos = 1;
    std::u16string decoded;
    if (!parseEscaped(line, pos, ']', decoded)) {
        return false;
    }
    name = utf16ToAnsi(decoded);
    return true;
}

std::string_view trimBackslashes(std::string_view path) {
    while (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
    }
    while (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    return path;
}

// Splits the text into lines, cutting the '\r' of CRLF ends.
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}
    bool next(std::string_view& line) {
        if (m_pos >= m_text.size()) {
            return false;
        }
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) {
            end = m_text.size();
        }
        line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return true;
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

const RegistryValue* RegistryKey::find(std::string_view name) const {
    for (const auto& [valueName, value] : values) {
        if (equalsNoCase(valueName, name)) {
            return &value;
        }
    }
    return nullptr;
}

std::optional<RegistryKey> findKeyInHive(std::string_view hiveText, std::string_view path) {
    if (!startsWith(hiveText, kSignature)) {
        return std::nullopt;
    }
    path = trimBackslashes(path);
    std::optional<RegistryKey> key;
    if (path.empty()) {
        key = RegistryKey{}; // the hive's root always exists
    }
    LineReader reader(hiveText);
    std::string_view line;
    std::string header;
    bool inKey = false;
    while (reader.next(line)) {
        if (parseHeader(line, header)) {
            if (inKey) {
                break; // the first header of a name is the key; Wine writes each once
            }
            if (equalsNoCase(header, path)) {
                key = RegistryKey{header, {}};
                inKey = true;
            } else if (!key && header.size() > path.size() && header[path.size()] == '\\' &&
                       equalsNoCase(std::string_view(header).substr(0, path.size()), path)) {
                // Wine does not write keys that hold nothing but sub-keys.
                key = RegistryKey{header.substr(0, path.size()), {}};
            }
            continue;
        }
        if (!inKey) {
            continue;
        }
        std::string joined;
        if (!line.empty() && line.back() == '\\') {
            // Long hex data goes on over lines ending with a backslash.
            joined = line;
            std::string_view more;
            while (!joined.empty() && joined.back() == '\\' && reader.next(more)) {
                joined.pop_back();
                joined += more;
            }
            line = joined;
        }
        std::string name;
        RegistryValue value;
        if (parseValueLine(line, name, value)) {
            key->values.emplace_back(std::move(name), std::move(value));
        }
    }
    return key;
}

RegistryView::RegistryView(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

std::filesystem::path RegistryView::defaultPrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".wine";
}

std::filesystem::path RegistryView::hiveFile(Hive hive) const {
    return m_prefix / (hive == Hive::CurrentUser ? "user.reg" : "system.reg");
}

std::optional<RegistryKey> RegistryView::openKey(Hive hive, std::string_view path) const {
    std::string text;
    if (!readWholeFile(hiveFile(hive), text)) {
        return std::nullopt;
    }
    return findKeyInHive(text, path);
}

std::optional<std::string> RegistryView::readString(Hive hive, std::string_view path,
                                                    std::string_view name) const {
    const std::optional<RegistryKey> key = openKey(hive, path);
    const RegistryValue* value = key ? key->find(name) : nullptr;
    if (value == nullptr || (value->type != win::REG_SZ && value->type != win::REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value->data.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        text += unit;
    }
    return utf16ToAnsi(text);
}

} // namespace twinleaf
