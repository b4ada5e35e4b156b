// Comparing names the way Windows does: without regard to letter case. Section and key names in
// settings files and registry key names are 8-bit Windows-1252 texts, so the accented capitals of
// that code page fold too (a hand-edited "[Übersicht]" finds "[übersicht]").
#pragma once

#include <string>
#include <string_view>

namespace twinleaf {

// The lower-case form of one Windows-1252 character; other bytes come back unchanged.
constexpr unsigned char foldAnsiCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<unsigned char>(c + 0x20);
    }
    switch (c) {
    case 0x8A: // S with caron
    case 0x8C: // OE ligature
    case 0x8E: // Z with caron
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Y with diaeresis
        return 0xFF;
    default:
        return c;
    }
}

constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAnsiCase(static_cast<unsigned char>(a[i])) !=
            foldAnsiCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Only ASCII letters fold: file names on Linux are UTF-8, where a Windows-1252 fold would
// corrupt multi-byte characters.
constexpr bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x + 0x20);
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y + 0x20);
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// The text with its ASCII letters in upper case: vCard and iCalendar names and parameters are
// ASCII and case-insensitive, and are written in upper case.
inline std::string upperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

} // namespace twinleaf
