// Windows-1252, the ANSI code page the Palm files and the fixed-width record texts are in.
// Texts stay 8-bit inside the core; these conversions are used only at its edges: UTF-16 for the
// automation and database boundaries, UTF-8 for the GUI, the terminal, JSON, vCard and iCalendar.
#pragma once

#include <string>
#include <string_view>

namespace twinleaf {

// Every byte has a meaning: the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 controls of the same value, as Windows' own conversion does, so any byte
// string survives a round trip.
std::string ansiToUtf8(std::string_view ansi);
std::u16string ansiToUtf16(std::string_view ansi);

// Characters without a Windows-1252 form become '?', as Windows' default character does.
// Invalid UTF-8 bytes are taken as Windows-1252 bytes themselves, so text from an editor that
// saved in the legacy code page is not lost.
std::string utf8ToAnsi(std::string_view utf8);
std::string utf16ToAnsi(std::u16string_view utf16);

std::string utf16ToUtf8(std::u16string_view utf16);
std::u16string utf8ToUtf16(std::string_view utf8);

} // namespace twinleaf
