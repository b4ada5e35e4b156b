// The local zone's name and VTIMEZONE, from the zone database's compiled files.
#include "platform/outlook/LocalZone.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <string_view>

namespace twinleaf::outlook {
namespace {

namespace fs = std::filesystem;

fs::path zoneFolder() {
    const char* folder = std::getenv("TZDIR");
    return folder != nullptr && *folder != '\0' ? fs::path(folder)
                                                : fs::path("/usr/share/zoneinfo");
}

// A name the zone database has a file for; "Europe/Berlin" but never "../x" or a POSIX rule.
bool isZoneName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find("..") != std::string_view::npos) {
        return false;
    }
    std::error_code error;
    return fs::is_regular_file(zoneFolder() / fs::path(name), error);
}

std::string zoneName(const char* tz) {
    if (tz != nullptr) {
        std::string_view name = tz;
        if (name.starts_with(':')) {
            name.remove_prefix(1);
        }
        return isZoneName(name) ? std::string(name) : std::string();
    }
    std::error_code error;
    const std::string target = fs::read_symlink("/etc/localtime", error).string();
    const std::size_t at = target.find("zoneinfo/");
    if (error || at == std::string::npos) {
        return {};
    }
    const std::string name = target.substr(at + 9);
    return isZoneName(name) ? name : std::string();
}

// The POSIX rule that ends a version 2 or later compiled zone file: its last line.
std::string posixRuleOf(const std::string& name) {
    std::ifstream in(zoneFolder() / fs::path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string file = bytes.str();
    if (!file.starts_with("TZif") || file.size() < 2 || file.back() != '\n') {
        return {};
    }
    const std::size_t start = file.rfind('\n', file.size() - 2);
    return start == std::string::npos ? std::string()
                                      : file.substr(start + 1, file.size() - start - 2);
}

// Reads a POSIX TZ rule front to back.
struct RuleReader {
    std::string_view text;

    bool name() {
        if (!text.empty() && text.front() == '<') {
            const std::size_t end = text.find('>');
            if (end == std::string_view::npos) {
                return false;
            }
            text.remove_prefix(end + 1);
            return true;
        }
        std::size_t n = 0;
        while (n < text.size() &&
               ((text[n] >= 'A' && text[n] <= 'Z') || (text[n] >= 'a' && text[n] <= 'z'))) {
            ++n;
        }
        text.remove_prefix(n);
        return n >= 3;
    }
    std::string_view nameText(std::string_view before) const {
        std::string_view name = before.substr(0, before.size() - text.size());
        if (name.starts_with('<')) {
            name = name.substr(1, name.size() - 2);
        }
        return name;
    }
    bool number(int& out) {
        if (text.empty() || text.front() < '0' || text.front() > '9') {
            return false;
        }
        out = 0;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
            out = out * 10 + (text.front() - '0');
            text.remove_prefix(1);
            if (out > 1000) {
                return false;
            }
        }
        return true;
    }
    bool skip(char c) {
        if (!text.empty() && text.front() == c) {
            text.remove_prefix(1);
            return true;
        }
        return false;
    }
    // [+-]hh[:mm[:ss]] in seconds.
    bool time(int& seconds) {
        const bool negative = skip('-');
        if (!negative) {
            skip('+');
        }
        int hours = 0;
        int minutes = 0;
        int secs = 0;
        if (!number(hours) || (skip(':') && (!number(minutes) || (skip(':') && !number(secs))))) {
            return false;
        }
        seconds = (negative ? -1 : 1) * (hours * 3600 + minutes * 60 + secs);
        return true;
    }
};

struct Transition {
    int month = 0;
    int week = 0; // 1 to 5, 5 the last
    int weekday = 0;
    int seconds = 7200; // local time of day, in the time in force before
};

bool transition(RuleReader& reader, Transition& out) {
    if (!reader.skip('M') || !reader.number(out.month) || !reader.skip('.') ||
        !reader.number(out.week) || !reader.skip('.') || !reader.number(out.weekday)) {
        return false;
    }
    if (reader.skip('/') && !reader.time(out.seconds)) {
        return false;
    }
    // A time outside the day (allowed by newer rules) would need the day moved; such zones are
    // written as floating times instead.
    return out.month >= 1 && out.month <= 12 && out.week >= 1 && out.week <= 5 &&
           out.weekday >= 0 && out.weekday <= 6 && out.seconds >= 0 && out.seconds < 86400;
}

std::string offsetText(int utcOffset) {
    const char sign = utcOffset < 0 ? '-' : '+';
    const int value = utcOffset < 0 ? -utcOffset : utcOffset;
    char text[16];
    if (value % 60 != 0) {
        std::snprintf(text, sizeof text, "%c%02d%02d%02d", sign, value / 3600, value / 60 % 60,
                      value % 60);
    } else {
        std::snprintf(text, sizeof text, "%c%02d%02d", sign, value / 3600, value / 60 % 60);
    }
    return text;
}

constexpr const char* kRuleDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// One observance, starting with its first transition in 1970 and repeating every year.
std::string observance(const char* type, std::string_view name, int from, int to,
                       const Transition* rule) {
    using namespace std::chrono;
    std::string out = std::string("BEGIN:") + type + "\r\n";
    char text[64];
    if (rule == nullptr) {
        out += "DTSTART:19700101T000000\r\n";
    } else {
        const weekday day{static_cast<unsigned>(rule->weekday)};
        const month m{static_cast<unsigned>(rule->month)};
        const year_month_day date =
            rule->week == 5
                ? year_month_day{year{1970} / m / day[last]}
                : year_month_day{year{1970} / m / day[static_cast<unsigned>(rule->week)]};
        std::snprintf(text, sizeof text, "DTSTART:%04d%02u%02uT%02d%02d%02d\r\n",
                      static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                      static_cast<unsigned>(date.day()), rule->seconds / 3600,
                      rule->seconds / 60 % 60, rule->seconds % 60);
        out += text;
        // The parts in the order libical writes them, so that a file read back and written
        // again keeps the definition as it was.
        out += "RRULE:FREQ=YEARLY;BYDAY=" +
               (rule->week == 5 ? std::string("-1") : std::to_string(rule->week)) +
               kRuleDays[rule->weekday] + ";BYMONTH=" + std::to_string(rule->month) + "\r\n";
    }
    out += "TZOFFSETFROM:" + offsetText(from) + "\r\n";
    out += "TZOFFSETTO:" + offsetText(to) + "\r\n";
    out += "TZNAME:" + std::string(name) + "\r\n";
    out += std::string("END:") + type + "\r\n";
    return out;
}

struct CachedZone {
    std::mutex lock;
    std::optional<std::string> tz; // the TZ value the zone was looked up for; "\1" for unset
    LocalZone zone;
};

} // namespace

std::string zoneDefinition(const std::string& id, const std::string& posixRule) {
    RuleReader reader{posixRule};
    std::string_view before = reader.text;
    int standardOffset = 0;
    if (!reader.name()) {
        return {};
    }
    const std::string_view standardName = reader.nameText(before);
    if (!reader.time(standardOffset)) {
        return {};
    }
    // POSIX counts the offset westwards; iCalendar eastwards.
    const int standard = -standardOffset;
    std::string out = "BEGIN:VTIMEZONE\r\nTZID:" + id + "\r\n";
    if (reader.text.empty()) {
        out += observance("STANDARD", standardName, standard, standard, nullptr);
        return out + "END:VTIMEZONE";
    }
    before = reader.text;
    if (!reader.name()) {
        return {};
    }
    const std::string_view daylightName = reader.nameText(before);
    int daylight = standard + 3600;
    int daylightOffset = 0;
    if (!reader.text.empty() && reader.text.front() != ',') {
        if (!reader.time(daylightOffset)) {
            return {};
        }
        daylight = -daylightOffset;
    }
    Transition start;
    Transition end;
    if (!reader.skip(',') || !transition(reader, start) || !reader.skip(',') ||
        !transition(reader, end) || !reader.text.empty()) {
        return {};
    }
    out += observance("DAYLIGHT", daylightName, standard, daylight, &start);
    out += observance("STANDARD", standardName, daylight, standard, &end);
    return out + "END:VTIMEZONE";
}

const LocalZone& localZone() {
    static CachedZone cache;
    const std::lock_guard<std::mutex> hold(cache.lock);
    const char* tz = std::getenv("TZ");
    const std::string key = tz != nullptr ? std::string(tz) : std::string("\1");
    if (!cache.tz || *cache.tz != key) {
        cache.tz = key;
        cache.zone = {};
        const std::string name = zoneName(tz);
        if (!name.empty()) {
            std::string definition = zoneDefinition(name, posixRuleOf(name));
            if (!definition.empty()) {
                cache.zone = {name, std::move(definition)};
            }
        }
    }
    return cache.zone;
}

} // namespace twinleaf::outlook
