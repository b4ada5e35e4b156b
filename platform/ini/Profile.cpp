// The INI reader and in-place writer behind the profile functions. The file is read whole on every
// call (settings files are a few hundred bytes) and split into lines that remember where they lie
// in the text, so a write can splice one line and leave every other byte as it was.
#include "platform/ini/Profile.h"

#include "platform/files/AtomicFile.h"
#include "platform/files/PathCase.h"
#include "platform/text/NoCase.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace twinleaf::win {
namespace {

constexpr BOOL kTrue = 1;
constexpr BOOL kFalse = 0;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

enum class LineKind { Blank, Comment, Section, Key };

struct Line {
    std::size_t begin = 0; // first byte of the line in the file's text
    std::size_t end = 0;   // one past its line end
    bool terminated = false;
    LineKind kind = LineKind::Blank;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // trimmed, quotes still on; only when hasValue
    bool hasValue = false;
    std::size_t nameEnd = 0; // where the key's name ends in the text (before blanks and '=')
};

class IniText {
public:
    explicit IniText(std::string text) : m_text(std::move(text)) { split(); }
    // The lines point into the text, so the object stays where it was made.
    IniText(const IniText&) = delete;
    IniText& operator=(const IniText&) = delete;

    const std::string& text() const { return m_text; }
    const std::vector<Line>& lines() const { return m_lines; }

    // The line end the file uses, judged by its first line; CRLF for a file that has none.
    std::string_view lineEnd() const {
        const std::size_t newline = m_text.find('\n');
        if (newline == std::string::npos) {
            return "\r\n";
        }
        return newline > 0 && m_text[newline - 1] == '\r' ? "\r\n" : "\n";
    }

    std::size_t findSection(std::string_view name) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == LineKind::Section && equalsNoCase(m_lines[i].name, name)) {
                return i;
            }
        }
        return kNone;
    }

    // One past the last line of the section whose header is at `header`.
    std::size_t sectionEnd(std::size_t header) const {
        std::size_t i = header + 1;
        while (i < m_lines.size() && m_lines[i].kind != LineKind::Section) {
            ++i;
        }
        return i;
    }

    std::size_t findKey(std::size_t header, std::string_view name) const {
        const std::size_t end = sectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (m_lines[i].kind == LineKind::Key && equalsNoCase(m_lines[i].name, name)) {
                return i;
            }
        }
        return kNone;
    }

private:
    void split() {
        std::size_t begin = 0;
        while (begin < m_text.size()) {
            Line line;
            line.begin = begin;
            const std::size_t newline = m_text.find('\n', begin);
            line.terminated = newline != std::string::npos;
            line.end = line.terminated ? newline + 1 : m_text.size();
            std::string_view content(m_text.data() + begin, line.end - begin);
            if (begin == 0 && content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
                content.remove_prefix(kByteOrderMark.size());
            }
            classify(line, content);
            m_lines.push_back(line);
            begin = line.end;
        }
    }

    void classify(Line& line, std::string_view content) const {
        content = trim(content);
        if (content.empty()) {
            line.kind = LineKind::Blank;
            return;
        }
        if (content.front() == ';') {
            line.kind = LineKind::Comment;
            return;
        }
        if (content.front() == '[') {
            // The name runs to the last ']' so that a comment after the header does not count.
            const std::size_t close = content.rfind(']');
            if (close != std::string_view::npos) {
                line.kind = LineKind::Section;
                line.name = trim(content.substr(1, close - 1));
                return;
            }
            // Without its ']' the line is taken as a key line, as Windows does.
        }
        line.kind = LineKind::Key;
        const std::size_t equals = content.find('=');
        line.name = trim(content.substr(0, equals));
        line.nameEnd =
            static_cast<std::size_t>(line.name.data() - m_text.data()) + line.name.size();
        if (equals != std::string_view::npos) {
            line.hasValue = true;
            line.value = trim(content.substr(equals + 1));
        }
    }

    std::string m_text;
    std::vector<Line> m_lines;
};

enum class ReadResult { Read, Missing, Failed };

ReadResult readIni(const std::filesystem::path& path, std::string& text) {
    text.clear();
    if (readWholeFile(path, text)) {
        return ReadResult::Read;
    }
    std::error_code ec;
    return std::filesystem::exists(path, ec) || ec ? ReadResult::Failed : ReadResult::Missing;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

DWORD copyText(std::string_view text, char* out, DWORD size) {
    const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
    return static_cast<DWORD>(length);
}

// Names one after another, each terminated, and a final terminator; cut as Windows cuts.
DWORD copyNameList(const std::vector<std::string_view>& names, char* out, DWORD size) {
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    std::size_t used = 0;
    for (std::string_view name : names) {
        if (used + name.size() + 2 > size) {
            const std::size_t room = size - 2 - used;
            std::memcpy(out + used, name.data(), room);
            out[size - 2] = '\0';
            out[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(out + used, name.data(), name.size());
        used += name.size();
        out[used++] = '\0';
    }
    out[used] = '\0';
    return static_cast<DWORD>(used);
}

void addUnique(std::vector<std::string_view>& names, std::string_view name) {
    if (std::none_of(names.begin(), names.end(),
                     [&](std::string_view known) { return equalsNoCase(known, name); })) {
        names.push_back(name);
    }
}

// The value of section/key, unquoted; false when the key is missing or has no '='.
bool lookUp(const IniText& ini, std::string_view section, std::string_view key,
            std::string_view& value) {
    const std::size_t header = ini.findSection(section);
    if (header == kNone) {
        return false;
    }
    const std::size_t line = ini.findKey(header, key);
    if (line == kNone || !ini.lines()[line].hasValue) {
        return false;
    }
    value = unquote(ini.lines()[line].value);
    return true;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// True when the key would read back as the key it was written as.
bool isWritableKey(std::string_view key) {
    return !key.empty() && !hasLineBreak(key) && key.find('=') == std::string_view::npos &&
           key.front() != ';' && key.front() != '[';
}

} // namespace

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName) {
    const UINT fallback = static_cast<UINT>(defaultValue);
    if (section == nullptr || key == nullptr || fileName == nullptr) {
        return fallback;
    }
    std::string text;
    if (readIni(resolvePathCase(fileName), text) != ReadResult::Read) {
        return fallback;
    }
    const IniText ini(std::move(text));
    std::string_view value;
    if (!lookUp(ini, trim(section), trim(key), value) || value.empty()) {
        return fallback;
    }
    // Windows converts with the system's string-to-integer routine: blanks, a sign, then digits
    // until the first character that is not one, in 32-bit arithmetic that wraps.
    std::size_t i = 0;
    while (i < value.size() && static_cast<unsigned char>(value[i]) <= ' ') {
        ++i;
    }
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) {
        negative = value[i] == '-';
        ++i;
    }
    UINT result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10U + static_cast<UINT>(value[i] - '0');
    }
    return negative ? 0U - result : result;
}

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* out, DWORD size, const char* fileName) {
    if (out == nullptr || size == 0) {
        return 0;
    }
    std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
    while (!fallback.empty() && fallback.back() == ' ') {
        fallback.remove_suffix(1);
    }
    std::string text;
    if (fileName != nullptr) {
        readIni(resolvePathCase(fileName), text);
    }
    const IniText ini(std::move(text));

    if (section == nullptr) {
        std::vector<std::string_view> names;
        for (const Line& line : ini.lines()) {
            if (line.kind == LineKind::Section) {
                addUnique(names, line.name);
            }
        }
        return copyNameList(names, out, size);
    }
    if (key == nullptr) {
        std::vector<std::string_view> names;
        const std::size_t header = ini.findSection(trim(section));
        if (header != kNone) {
            const std::size_t end = ini.sectionEnd(header);
            for (std::size_t i = header + 1; i < end; ++i) {
                if (ini.lines()[i].kind == LineKind::Key && !ini.lines()[i].name.empty()) {
                    addUnique(names, ini.lines()[i].name);
                }
            }
        }
        if (names.empty()) {
            return copyText(fallback, out, size);
        }
        return copyNameList(names, out, size);
    }
    std::string_view value;
    if (!lookUp(ini, trim(section), trim(key), value)) {
        value = fallback;
    }
    return copyText(value, out, size);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
    if (section == nullptr && key == nullptr && value == nullptr) {
        return kTrue; // Windows' way of asking to flush its cache; there is none here
    }
    if (section == nullptr || fileName == nullptr) {
        return kFalse;
    }
    const std::string_view sectionName = trim(section);
    const std::string_view keyName = key != nullptr ? trim(key) : std::string_view();
    // A line break or a stray '=' would make the file read back differently from what was
    // written, or let a value plant keys of its own; Windows writes them anyway.
    if (hasLineBreak(sectionName) || (key != nullptr && !isWritableKey(keyName)) ||
        (value != nullptr && hasLineBreak(value))) {
        return kFalse;
    }

    const std::filesystem::path path = resolvePathCase(fileName);
    std::string text;
    const ReadResult read = readIni(path, text);
    if (read == ReadResult::Failed) {
        return kFalse; // never replace a file we could not read
    }
    const IniText ini(std::move(text));
    const std::vector<Line>& lines = ini.lines();
    const std::string& original = ini.text();
    const std::string_view eol = ini.lineEnd();
    std::string changed;

    const std::size_t header = ini.findSection(sectionName);
    if (key == nullptr) {
        if (header == kNone) {
            return kTrue;
        }
        const std::size_t end = ini.sectionEnd(header);
        const std::size_t cutFrom = lines[header].begin;
        const std::size_t cutTo = end < lines.size() ? lines[end].begin : original.size();
        changed = original.substr(0, cutFrom) + original.substr(cutTo);
    } else if (value == nullptr) {
        const std::size_t line = header == kNone ? kNone : ini.findKey(header, keyName);
        if (line == kNone) {
            return kTrue;
        }
        changed = original.substr(0, lines[line].begin) + original.substr(lines[line].end);
    } else if (header == kNone) {
        changed = original;
        if (!changed.empty() && changed.back() != '\n') {
            changed += eol;
        }
        if (!lines.empty() && lines.back().kind != LineKind::Blank) {
            changed += eol; // a blank line between sections, for whoever reads the file
        }
        changed.append("[").append(sectionName).append("]").append(eol);
        changed.append(keyName).append("=").append(value).append(eol);
    } else if (const std::size_t line = ini.findKey(header, keyName); line != kNone) {
        const Line& old = lines[line];
        if (old.hasValue && old.value == value) {
            return kTrue; // nothing to change: leave the file and its time stamp alone
        }
        // The key keeps its spelling and indentation from the file; only what follows changes.
        std::string_view terminator;
        if (old.terminated) {
            const bool crlf = old.end >= 2 && original[old.end - 2] == '\r';
            terminator = crlf ? "\r\n" : "\n";
        }
        changed = original.substr(0, old.nameEnd);
        changed.append("=").append(value).append(terminator);
        changed += original.substr(old.end);
    } else {
        // New keys go after the section's last key, so blank lines and comments that lead into
        // the next section stay where they are.
        std::size_t after = header;
        for (std::size_t i = header + 1; i < ini.sectionEnd(header); ++i) {
            if (lines[i].kind == LineKind::Key) {
                after = i;
            }
        }
        const std::size_t at = lines[after].end;
        changed = original.substr(0, at);
        if (!lines[after].terminated) {
            changed += eol;
        }
        changed.append(keyName).append("=").append(value).append(eol);
        changed += original.substr(at);
    }

    if (changed == original && read == ReadResult::Read) {
        return kTrue;
    }
    return saveAtomically(path, changed, KeepBackup::No).ok ? kTrue : kFalse;
}

} // namespace twinleaf::win
