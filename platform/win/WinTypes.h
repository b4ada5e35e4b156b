// The Windows scalar types and SYSTEMTIME under their Windows names, inside our namespace, so that
// code ported from the Windows program reads as it did there. Sizes are Windows' (LLP64): a LONG
// and a DWORD are 32 bits here as there.
#pragma once

#include <cstdint>

namespace twinleaf::win {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = std::uint32_t;
using SHORT = std::int16_t;
using COLORREF = std::uint32_t;
using DATE = double; // an OLE automation date

inline constexpr std::uint32_t MAX_PATH = 260;

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16);

constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}

} // namespace twinleaf::win
