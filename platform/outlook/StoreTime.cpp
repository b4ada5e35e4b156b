// Calendar arithmetic for the store's automation dates and ISO 8601 texts.
#include "platform/outlook/StoreTime.h"

#include "platform/win/OleDate.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace twinleaf::outlook {
namespace {

constexpr std::chrono::sys_days kOleEpoch =
    std::chrono::year{1899} / std::chrono::December / std::chrono::day{30};

bool validCivil(const CivilTime& time) {
    const std::chrono::year_month_day date{std::chrono::year{time.year},
                                           std::chrono::month{static_cast<unsigned>(time.month)},
                                           std::chrono::day{static_cast<unsigned>(time.day)}};
    return time.year >= 100 && time.year <= 9999 && date.ok() && time.hour >= 0 && time.hour < 24 &&
           time.minute >= 0 && time.minute < 60 && time.second >= 0 && time.second < 61;
}

std::tm toTm(const CivilTime& time) {
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    tm.tm_isdst = -1;
    return tm;
}

CivilTime fromTm(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// A cursor over the digits of an ISO text.
struct Reader {
    std::string_view text;
    std::size_t at = 0;
    bool digits(int count, int& out) {
        if (at + static_cast<std::size_t>(count) > text.size()) {
            return false;
        }
        out = 0;
        for (int i = 0; i < count; ++i) {
            const char c = text[at++];
            if (c < '0' || c > '9') {
                return false;
            }
            out = out * 10 + (c - '0');
        }
        return true;
    }
    bool skip(char c) {
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    bool done() const { return at == text.size(); }
};

// Moves a time by whole minutes through the calendar, so that days, months and years carry.
CivilTime shiftedByMinutes(const CivilTime& time, int minutes) {
    using namespace std::chrono;
    const sys_days day{year{time.year} / month{static_cast<unsigned>(time.month)} /
                       std::chrono::day{static_cast<unsigned>(time.day)}};
    const sys_seconds moved =
        day + hours{time.hour} + std::chrono::minutes{time.minute + minutes} + seconds{time.second};
    const sys_days movedDay = floor<days>(moved);
    const year_month_day ymd{movedDay};
    const hh_mm_ss clock{moved - movedDay};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()),
            static_cast<int>(clock.seconds().count())};
}

} // namespace

// The rounding to whole seconds and the range are those of the variant-time conversion.
bool oleDateToCivil(double date, CivilTime& out) {
    win::SYSTEMTIME system{};
    if (win::VariantTimeToSystemTime(date, &system) == 0) {
        return false;
    }
    out = {system.wYear, system.wMonth, system.wDay, system.wHour, system.wMinute, system.wSecond};
    return true;
}

double civilToOleDate(const CivilTime& time) {
    const std::chrono::sys_days day{std::chrono::year{time.year} /
                                    std::chrono::month{static_cast<unsigned>(time.month)} /
                                    std::chrono::day{static_cast<unsigned>(time.day)}};
    const double days = static_cast<double>((day - kOleEpoch).count());
    const double fraction = (time.hour * 3600 + time.minute * 60 + time.second) / 86400.0;
    return days >= 0 ? days + fraction : days - fraction;
}

double nowAsOleDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return civilToOleDate(fromTm(local));
}

bool localToUtc(const CivilTime& local, CivilTime& utc) {
    std::tm tm = toTm(local);
    const std::time_t instant = std::mktime(&tm);
    std::tm broken{};
    if (instant == static_cast<std::time_t>(-1) && tm.tm_year != 69) {
        return false;
    }
    if (::gmtime_r(&instant, &broken) == nullptr) {
        return false;
    }
    utc = fromTm(broken);
    return true;
}

bool utcToLocal(const CivilTime& utc, CivilTime& local) {
    std::tm tm = toTm(utc);
    tm.tm_isdst = 0;
    const std::time_t instant = ::timegm(&tm);
    std::tm broken{};
    if (::localtime_r(&instant, &broken) == nullptr) {
        return false;
    }
    local = fromTm(broken);
    return true;
}

std::string formatDate(const CivilTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
    return text;
}

std::string formatDateTime(const CivilTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::string formatUtcTimestamp(const CivilTime& utc) {
    return formatLocalTimestamp(utc) + "Z";
}

std::string formatLocalTimestamp(const CivilTime& local) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    return text;
}

bool parseIsoDateTime(std::string_view text, CivilTime& out, TimeForm& form) {
    Reader reader{text};
    CivilTime time;
    if (!reader.digits(4, time.year)) {
        return false;
    }
    const bool extended = reader.skip('-');
    if (!reader.digits(2, time.month) || (extended && !reader.skip('-')) ||
        !reader.digits(2, time.day)) {
        return false;
    }
    form = TimeForm::DateOnly;
    if (reader.skip('T') || reader.skip('t')) {
        form = TimeForm::Local;
        if (!reader.digits(2, time.hour)) {
            return false;
        }
        const bool colons = reader.skip(':');
        if (!reader.digits(2, time.minute)) {
            return false;
        }
        const bool secondsFollow =
            colons ? reader.skip(':')
                   : !reader.done() && text[reader.at] >= '0' && text[reader.at] <= '9';
        if (secondsFollow) {
            if (!reader.digits(2, time.second)) {
                return false;
            }
        }
        if (reader.skip('.') || reader.skip(',')) {
            while (!reader.done() && text[reader.at] >= '0' && text[reader.at] <= '9') {
                ++reader.at;
            }
        }
        if (reader.skip('Z') || reader.skip('z')) {
            form = TimeForm::Utc;
        } else if (!reader.done() && (text[reader.at] == '+' || text[reader.at] == '-')) {
            const int sign = text[reader.at++] == '-' ? -1 : 1;
            int hours = 0;
            int minutes = 0;
            if (!reader.digits(2, hours)) {
                return false;
            }
            reader.skip(':');
            if (!reader.done() && !reader.digits(2, minutes)) {
                return false;
            }
            if (!validCivil(time)) {
                return false;
            }
            time = shiftedByMinutes(time, -sign * (hours * 60 + minutes));
            form = TimeForm::Utc;
        }
    }
    if (!reader.done() || !validCivil(time)) {
        return false;
    }
    out = time;
    return true;
}

bool isoToOleDate(std::string_view text, double& date) {
    CivilTime time;
    TimeForm form{};
    if (!parseIsoDateTime(text, time, form)) {
        return false;
    }
    if (form == TimeForm::Utc && !utcToLocal(time, time)) {
        return false;
    }
    date = civilToOleDate(time);
    return true;
}

} // namespace twinleaf::outlook
