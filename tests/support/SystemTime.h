// A local SYSTEMTIME from its parts, for the calendar's tests.
#pragma once

#include "platform/win/WinTypes.h"

namespace twinleaf::test {

inline win::SYSTEMTIME systemTime(int year, int month, int day, int hour = 0, int minute = 0,
                                  int second = 0) {
    win::SYSTEMTIME when{};
    when.wYear = static_cast<win::WORD>(year);
    when.wMonth = static_cast<win::WORD>(month);
    when.wDay = static_cast<win::WORD>(day);
    when.wHour = static_cast<win::WORD>(hour);
    when.wMinute = static_cast<win::WORD>(minute);
    when.wSecond = static_cast<win::WORD>(second);
    return when;
}

} // namespace twinleaf::test
