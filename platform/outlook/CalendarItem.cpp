// The mapping between appointments, tasks and notes and their iCalendar files.
#include "platform/outlook/CalendarItem.h"

#include "platform/outlook/ContentLine.h"
#include "platform/outlook/LocalZone.h"
#include "platform/outlook/StoreTime.h"
#include "platform/text/NoCase.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <libical/ical.h>
#include <memory>
#include <vector>

namespace twinleaf::outlook {
namespace {

constexpr std::string_view kExtensionPrefix = "X-OUTLOOK-";
// libical drops the spaces and tabs that end a property's value. A text that ends in them has
// its extension line carry them as well, quoted in this parameter, so they come back.
constexpr const char* kTrailingBlanksParam = "X-OUTLOOK-TAIL";
// What the alarm that carries a task's reminder says.
constexpr std::string_view kReminderText = "Reminder";

struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using OwnedComponent = std::unique_ptr<icalcomponent, ComponentFree>;

icalcomponent_kind componentKind(const ItemKind& kind) {
    switch (kind.type) {
    case ItemType::Appointment:
        return ICAL_VEVENT_COMPONENT;
    case ItemType::Task:
        return ICAL_VTODO_COMPONENT;
    case ItemType::Note:
        return ICAL_VJOURNAL_COMPONENT;
    case ItemType::Contact:
        break;
    }
    return ICAL_NO_COMPONENT;
}

std::string takeText(char* text) {
    std::string out = text != nullptr ? text : "";
    icalmemory_free_buffer(text);
    return out;
}

// Content we keep, as libical writes it (folded, CR LF), without the final line end.
std::string withoutFinalLineEnd(std::string text) {
    while (text.ends_with("\r\n")) {
        text.resize(text.size() - 2);
    }
    return text;
}

std::string keptText(icalproperty* property) {
    return withoutFinalLineEnd(takeText(icalproperty_as_ical_string_r(property)));
}

std::string keptText(icalcomponent* component) {
    return withoutFinalLineEnd(takeText(icalcomponent_as_ical_string_r(component)));
}

// Outlook breaks the lines of its texts with CR LF; iCalendar's escaped "\n" arrives as LF.
std::string withCrlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

CivilTime civilOf(const icaltimetype& time) {
    if (time.is_date) {
        return {time.year, time.month, time.day, 0, 0, 0};
    }
    return {time.year, time.month, time.day, time.hour, time.minute, time.second};
}

// Whether a time's zone is the local one: its times are local times as they stand. Converting
// them through UTC instead would move a time in the hour that a change to summer time leaves out.
// Zones that libical supplies from its own database carry a prefix before the location.
bool isLocalZone(const icaltimezone* zone) {
    const std::string& local = localZone().id;
    if (local.empty()) {
        return false;
    }
    auto* mutableZone = const_cast<icaltimezone*>(zone); // libical's getters take no const
    const char* tzid = icaltimezone_get_tzid(mutableZone);
    const char* location = icaltimezone_get_location(mutableZone);
    return (tzid != nullptr && local == tzid) || (location != nullptr && local == location);
}

// A DATE or DATE-TIME as a local automation date. A time in UTC or in a named zone is converted
// to local time; a floating time is local time already.
bool localDate(const icaltimetype& time, double& out) {
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time) || time.month < 1 ||
        time.month > 12 || time.day < 1 || time.day > 31) {
        return false;
    }
    CivilTime civil = civilOf(time);
    if (!time.is_date && time.zone != nullptr && !isLocalZone(time.zone)) {
        const icaltimetype utc = icaltime_convert_to_zone(time, icaltimezone_get_utc_timezone());
        if (!utcToLocal(civilOf(utc), civil)) {
            return false;
        }
    }
    if (civil.year < 100 || civil.year > 9999) {
        return false;
    }
    out = civilToOleDate(civil);
    return true;
}

bool isDateSet(double date) {
    return date > 0.00001 || date < -0.00001;
}

std::string basicDate(const CivilTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", time.year, time.month, time.day);
    return text;
}

bool isMidnight(const CivilTime& time) {
    return time.hour == 0 && time.minute == 0 && time.second == 0;
}

// Outlook's day-of-week mask: Sunday 1, Monday 2, ... Saturday 64, as RFC 5545's two letters.
constexpr const char* kWeekdays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

// OlRecurrenceType
enum Recurrence : int {
    kDaily = 0,
    kWeekly = 1,
    kMonthly = 2,
    kMonthNth = 3,
    kYearly = 5,
    kYearNth = 6
};

constexpr int kMonthsPerYear = 12;

// Outlook's Instance counts the weeks of a month from 1; 5 stands for the last.
int instanceOfPosition(int position) {
    return position < 0 ? 5 : position;
}

// Appended in place: joining temporaries (";NAME=" + value) trips GCC 12's -Wrestrict at -O3.
void addRulePart(std::string& rule, std::string_view name, std::string_view value) {
    rule += ';';
    rule += name;
    rule += '=';
    rule += value;
}

class ItemValues {
public:
    explicit ItemValues(StoredItem& item) : m_item(item) {}

    PropertyValue* find(std::string_view name) {
        const int index = m_item.kind->find(name);
        return index < 0 ? nullptr : &m_item.values[static_cast<std::size_t>(index)];
    }
    void setNumber(std::string_view name, double number) {
        if (PropertyValue* value = find(name)) {
            value->number = number;
        }
    }
    double number(std::string_view name) {
        const PropertyValue* value = find(name);
        return value != nullptr ? value->number : 0;
    }

private:
    StoredItem& m_item;
};

// Reads the item's component: the lines all kinds share, then each kind's own; whatever maps to
// nothing is kept.
class ComponentReader {
public:
    ComponentReader(StoredItem& item, icalcomponent* component)
        : m_item(item), m_values(item), m_component(component) {}

    void read() {
        for (icalproperty* property =
                 icalcomponent_get_first_property(m_component, ICAL_ANY_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(m_component, ICAL_ANY_PROPERTY)) {
            if (!consume(property)) {
                m_item.keptLines.push_back(keptText(property));
            }
        }
        for (icalcomponent* inner =
                 icalcomponent_get_first_component(m_component, ICAL_ANY_COMPONENT);
             inner != nullptr;
             inner = icalcomponent_get_next_component(m_component, ICAL_ANY_COMPONENT)) {
            if (!consumeReminder(inner)) {
                m_item.keptLines.push_back(keptText(inner));
            }
        }
        if (!m_categories.empty()) {
            if (PropertyValue* categories = m_values.find("Categories")) {
                categories->text = m_categories;
            }
        }
        if (m_item.kind->type == ItemType::Appointment) {
            finishAppointment();
        }
        for (icalproperty* extension : m_extensions) {
            readExtension(extension);
        }
    }

private:
    // Whether this is the first line of that name; later ones are kept as they were.
    bool once(std::string_view name) {
        const std::string key(name);
        if (std::find(m_seen.begin(), m_seen.end(), key) != m_seen.end()) {
            return false;
        }
        m_seen.push_back(key);
        return true;
    }

    bool text(icalproperty* property, std::string_view name, std::string_view target) {
        PropertyValue* value = m_values.find(target);
        if (value == nullptr || !once(name)) {
            return false;
        }
        const char* text = icalvalue_get_text(icalproperty_get_value(property));
        value->text = withCrlf(text != nullptr ? text : "");
        return true;
    }

    bool date(icalproperty* property, std::string_view name, std::string_view target) {
        double date = 0;
        if (m_values.find(target) == nullptr || !once(name) ||
            !localDate(icalproperty_get_datetime_with_component(property, m_component), date)) {
            return false;
        }
        m_values.setNumber(target, date);
        return true;
    }

    bool consume(icalproperty* property) {
        const std::string name = upperAscii(icalproperty_get_property_name(property));
        if (name == "X-LIC-ERROR") {
            return true; // what libical reports of a value it dropped; never written back
        }
        if (name.starts_with(kExtensionPrefix) &&
            m_item.kind->find(name.substr(kExtensionPrefix.size())) >= 0) {
            m_extensions.push_back(property);
            return true;
        }
        if (name == "UID") {
            if (!once(name)) {
                return false;
            }
            const char* uid = icalproperty_get_uid(property);
            m_item.id = uid != nullptr ? uid : "";
            return true;
        }
        if (name == "DTSTAMP") {
            return once(name); // when the file was made; written anew on every save
        }
        if (name == "CREATED") {
            return date(property, name, "CreationTime");
        }
        if (name == "LAST-MODIFIED") {
            return date(property, name, "LastModificationTime");
        }
        if (name == "SUMMARY") {
            return text(property, name, "Subject");
        }
        if (name == "DESCRIPTION") {
            return text(property, name, "Body");
        }
        if (name == "CLASS") {
            return sensitivity(property);
        }
        if (name == "CATEGORIES" && m_values.find("Categories") != nullptr) {
            const char* category = icalproperty_get_categories(property);
            if (category != nullptr && *category != '\0') {
                m_categories += (m_categories.empty() ? "" : ", ") + std::string(category);
            }
            return true;
        }
        switch (m_item.kind->type) {
        case ItemType::Appointment:
            return consumeAppointment(property, name);
        case ItemType::Task:
            return consumeTask(property, name);
        case ItemType::Note:
        case ItemType::Contact:
            break;
        }
        return false;
    }

    bool sensitivity(icalproperty* property) {
        if (m_values.find("Sensitivity") == nullptr || !once("CLASS")) {
            return false;
        }
        switch (icalproperty_get_class(property)) {
        case ICAL_CLASS_PUBLIC:
            m_values.setNumber("Sensitivity", 0);
            return true;
        case ICAL_CLASS_PRIVATE:
            m_values.setNumber("Sensitivity", 2);
            return true;
        case ICAL_CLASS_CONFIDENTIAL:
            m_values.setNumber("Sensitivity", 3);
            return true;
        default:
            return false; // an extension class: kept as written
        }
    }

    // A task's reminder is the alarm this store writes: shown at a fixed time, and nothing else.
    // Any other alarm (relative to the due date, sending mail, repeating) stays in the file as it
    // was, and the task keeps no reminder of ours.
    bool consumeReminder(icalcomponent* alarm) {
        if (m_item.kind->type != ItemType::Task ||
            icalcomponent_isa(alarm) != ICAL_VALARM_COMPONENT ||
            m_values.find("ReminderSet") == nullptr || !once("VALARM")) {
            return false;
        }
        bool display = false;
        double when = 0;
        for (icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_ANY_PROPERTY);
             property != nullptr;
             property = icalcomponent_get_next_property(alarm, ICAL_ANY_PROPERTY)) {
            switch (icalproperty_isa(property)) {
            case ICAL_ACTION_PROPERTY:
                display = icalproperty_get_action(property) == ICAL_ACTION_DISPLAY;
                break;
            case ICAL_TRIGGER_PROPERTY: {
                const icaltriggertype trigger = icalproperty_get_trigger(property);
                if (icaltime_is_null_time(trigger.time) || !localDate(trigger.time, when)) {
                    return false;
                }
                break;
            }
            case ICAL_DESCRIPTION_PROPERTY: {
                const char* text = icalproperty_get_description(property);
                if (text == nullptr || std::string_view(text) != kReminderText) {
                    return false;
                }
                break;
            }
            default:
                return false;
            }
        }
        if (!display || !isDateSet(when) ||
            icalcomponent_get_first_component(alarm, ICAL_ANY_COMPONENT) != nullptr) {
            return false;
        }
        m_values.setNumber("ReminderSet", 1);
        m_values.setNumber("ReminderTime", when);
        return true;
    }

    bool consumeAppointment(icalproperty* property, const std::string& name) {
        if (name == "DTSTART") {
            const bool read = date(property, name, "Start");
            if (read) {
                m_start = icalproperty_get_datetime_with_component(property, m_component);
                m_values.setNumber("AllDayEvent",
                                   icalproperty_get_dtstart(property).is_date ? 1 : 0);
            }
            return read;
        }
        if (name == "DTEND" || name == "DURATION") {
            return once("DTEND"); // the end is worked out once the start is known
        }
        if (name == "LOCATION") {
            return text(property, name, "Location");
        }
        if (name == "RRULE" && once(name)) {
            m_values.setNumber("IsRecurring", 1);
            m_rule = icalproperty_get_rrule(property);
            m_hasRule = true;
            // A rule the pattern cannot express (or one of several) stays in the file as it is;
            // the pattern holds the nearest it can, starting from the first occurrence.
            m_foreignRule = icalcomponent_count_properties(m_component, ICAL_RRULE_PROPERTY) > 1 ||
                            !isMappable(m_rule);
            return !m_foreignRule;
        }
        return false;
    }

    bool consumeTask(icalproperty* property, const std::string& name) {
        if (name == "DUE") {
            return date(property, name, "DueDate");
        }
        if (name == "DTSTART") {
            return date(property, name, "StartDate");
        }
        if (name == "PRIORITY" && once(name)) {
            // RFC 5545: 1 to 4 high, 5 medium, 6 to 9 low, 0 undefined.
            const int priority = icalproperty_get_priority(property);
            m_values.setNumber("Importance", priority >= 1 && priority <= 4 ? 2
                                             : priority >= 6                ? 0
                                                                            : 1);
            return true;
        }
        if (name == "STATUS" && once(name)) {
            switch (icalproperty_get_status(property)) {
            case ICAL_STATUS_NEEDSACTION:
                m_values.setNumber("Status", 0);
                return true;
            case ICAL_STATUS_INPROCESS:
                m_values.setNumber("Status", 1);
                return true;
            case ICAL_STATUS_COMPLETED:
                m_values.setNumber("Status", 2);
                m_values.setNumber("Complete", 1);
                return true;
            case ICAL_STATUS_CANCELLED:
                m_values.setNumber("Status", 4); // olTaskDeferred: not to be done now
                return true;
            default:
                return false;
            }
        }
        if (name == "COMPLETED" && once(name)) {
            m_values.setNumber("Complete", 1);
            return true;
        }
        if (name == "PERCENT-COMPLETE" && once(name)) {
            m_values.setNumber("PercentComplete", icalproperty_get_percentcomplete(property));
            return true;
        }
        if (name == "RRULE") {
            m_values.setNumber("IsRecurring", 1);
        }
        return false;
    }

    // Rules that a recurrence pattern holds exactly: one frequency from daily to yearly, ended
    // by a date or not at all, on one month, one day of the month or weekdays of one position.
    static bool isMappable(const icalrecurrencetype& rule) {
        auto count = [](const short* values, std::size_t size) {
            std::size_t n = 0;
            while (n < size && values[n] != ICAL_RECURRENCE_ARRAY_MAX) {
                ++n;
            }
            return n;
        };
        if (rule.freq != ICAL_DAILY_RECURRENCE && rule.freq != ICAL_WEEKLY_RECURRENCE &&
            rule.freq != ICAL_MONTHLY_RECURRENCE && rule.freq != ICAL_YEARLY_RECURRENCE) {
            return false;
        }
        if (rule.count != 0 || count(rule.by_second, ICAL_BY_SECOND_SIZE) > 0 ||
            count(rule.by_minute, ICAL_BY_MINUTE_SIZE) > 0 ||
            count(rule.by_hour, ICAL_BY_HOUR_SIZE) > 0 ||
            count(rule.by_year_day, ICAL_BY_YEARDAY_SIZE) > 0 ||
            count(rule.by_week_no, ICAL_BY_WEEKNO_SIZE) > 0 ||
            count(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE) > 1 ||
            count(rule.by_month, ICAL_BY_MONTH_SIZE) > 1 ||
            count(rule.by_set_pos, ICAL_BY_SETPOS_SIZE) > 1) {
            return false;
        }
        const std::size_t days = count(rule.by_day, ICAL_BY_DAY_SIZE);
        if (days > 0 && count(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE) > 0) {
            return false;
        }
        for (std::size_t i = 1; i < days; ++i) {
            if (icalrecurrencetype_day_position(rule.by_day[i]) !=
                icalrecurrencetype_day_position(rule.by_day[0])) {
                return false;
            }
        }
        // Weekdays of a month or a year need their one position (first to fourth, or last);
        // daily and weekly rules take none.
        const bool byPosition =
            rule.freq == ICAL_MONTHLY_RECURRENCE || rule.freq == ICAL_YEARLY_RECURRENCE;
        const bool setPosition = rule.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX;
        const int position = setPosition ? rule.by_set_pos[0]
                             : days > 0  ? icalrecurrencetype_day_position(rule.by_day[0])
                                         : 0;
        if (days > 0 && byPosition && (position < -1 || position == 0 || position > 4)) {
            return false;
        }
        if ((!byPosition || days == 0) && (position != 0 || setPosition)) {
            return false;
        }
        if (setPosition && icalrecurrencetype_day_position(rule.by_day[0]) != 0) {
            return false;
        }
        return rule.by_month_day[0] == ICAL_RECURRENCE_ARRAY_MAX || rule.by_month_day[0] > 0;
    }

    void finishAppointment() {
        const PropertyValue* start = m_values.find("Start");
        double end = 0;
        if (!localDate(icalcomponent_get_dtend(m_component), end)) {
            end = start->number + (m_values.number("AllDayEvent") != 0 ? 1 : 0);
        }
        m_values.setNumber("End", end);
        m_values.setNumber("Duration", std::round((end - start->number) * 1440));
        if (m_hasRule) {
            readPattern(start->number);
        }
    }

    void readPattern(double start) {
        CivilTime first;
        if (!oleDateToCivil(start, first)) {
            first = {2000, 1, 1, 0, 0, 0};
        }
        if (m_rule.freq != ICAL_DAILY_RECURRENCE && m_rule.freq != ICAL_WEEKLY_RECURRENCE &&
            m_rule.freq != ICAL_MONTHLY_RECURRENCE && m_rule.freq != ICAL_YEARLY_RECURRENCE) {
            // Hourly and finer repeats have no pattern; the item shows as a single occurrence
            // and its file keeps the rule.
            m_values.setNumber("IsRecurring", 0);
            return;
        }
        int mask = 0;
        int position = 0;
        for (std::size_t i = 0;
             i < ICAL_BY_DAY_SIZE && m_rule.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
            const int weekday = static_cast<int>(
                icalrecurrencetype_day_day_of_week(m_rule.by_day[i])); // 1 Sunday .. 7 Saturday
            if (weekday >= 1 && weekday <= 7) {
                mask |= 1 << (weekday - 1);
            }
            if (i == 0) {
                position = icalrecurrencetype_day_position(m_rule.by_day[i]);
            }
        }
        if (m_rule.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX) {
            position = m_rule.by_set_pos[0];
        }
        // Days counted from the month's end have no pattern: the first occurrence's day stands.
        const int dayOfMonth =
            m_rule.by_month_day[0] != ICAL_RECURRENCE_ARRAY_MAX && m_rule.by_month_day[0] > 0
                ? m_rule.by_month_day[0]
                : first.day;
        const int month = m_rule.by_month[0] != ICAL_RECURRENCE_ARRAY_MAX
                              ? icalrecurrencetype_month_month(m_rule.by_month[0])
                              : first.month;
        int type = kDaily;
        switch (m_rule.freq) {
        case ICAL_WEEKLY_RECURRENCE:
            type = kWeekly;
            if (mask == 0) {
                mask = weekdayMask(first);
            }
            break;
        case ICAL_MONTHLY_RECURRENCE:
            type = mask != 0 ? kMonthNth : kMonthly;
            break;
        case ICAL_YEARLY_RECURRENCE:
            type = mask != 0 ? kYearNth : kYearly;
            break;
        default:
            break;
        }
        m_values.setNumber("RecurrenceType", type);
        const int every = m_rule.interval > 0 ? m_rule.interval : 1;
        m_values.setNumber("Interval",
                           type == kYearly || type == kYearNth ? every * kMonthsPerYear : every);
        m_values.setNumber("DayOfWeekMask", mask);
        if (type == kMonthly || type == kYearly) {
            m_values.setNumber("DayOfMonth", dayOfMonth);
        }
        if (type == kMonthNth || type == kYearNth) {
            // Every such weekday of the month is no pattern; the first occurrence's week is.
            m_values.setNumber("Instance",
                               position != 0 ? instanceOfPosition(position) : (first.day + 6) / 7);
        }
        if (type == kYearly || type == kYearNth) {
            m_values.setNumber("MonthOfYear", month);
        }
        double until = 0;
        CivilTime last;
        if ((localDate(m_rule.until, until) || lastCounted(until)) && oleDateToCivil(until, last)) {
            // Outlook's end of a pattern is the day of its last occurrence.
            m_values.setNumber("PatternEndDate",
                               civilToOleDate({last.year, last.month, last.day, 0, 0, 0}));
        }
    }

    // A rule ended by a number of occurrences ends, as a pattern, on the day of its last one.
    // Past a bound the walk stops and the pattern is taken as endless.
    bool lastCounted(double& date) const {
        constexpr int kMostCounted = 10000;
        if (m_rule.count <= 0 || m_rule.count > kMostCounted || icaltime_is_null_time(m_start)) {
            return false;
        }
        icalrecur_iterator* walk = icalrecur_iterator_new(m_rule, m_start);
        if (walk == nullptr) {
            return false;
        }
        icaltimetype last = icaltime_null_time();
        for (icaltimetype next = icalrecur_iterator_next(walk); !icaltime_is_null_time(next);
             next = icalrecur_iterator_next(walk)) {
            last = next;
        }
        icalrecur_iterator_free(walk);
        return localDate(last, date);
    }

    static int weekdayMask(const CivilTime& day) {
        icaltimetype time = icaltime_null_date();
        time.year = day.year;
        time.month = day.month;
        time.day = day.day;
        return 1 << (icaltime_day_of_week(time) - 1);
    }

    void readExtension(icalproperty* property) {
        const std::string name = icalproperty_get_property_name(property);
        const int index = m_item.kind->find(std::string_view(name).substr(kExtensionPrefix.size()));
        const PropertyDef& def = m_item.kind->properties[static_cast<std::size_t>(index)];
        PropertyValue& value = m_item.values[static_cast<std::size_t>(index)];
        const char* raw = icalvalue_get_x(icalproperty_get_value(property));
        const std::string text = raw != nullptr ? raw : "";
        if (std::string_view(def.name) == "EntryID") {
            return; // the id is the UID
        }
        switch (def.type) {
        case PropertyType::Text: {
            std::string held = withCrlf(text);
            for (icalparameter* param =
                     icalproperty_get_first_parameter(property, ICAL_X_PARAMETER);
                 param != nullptr;
                 param = icalproperty_get_next_parameter(property, ICAL_X_PARAMETER)) {
                const char* tail = icalparameter_get_xvalue(param);
                if (equalsAsciiNoCase(icalparameter_get_xname(param), kTrailingBlanksParam) &&
                    tail != nullptr &&
                    std::string_view(tail).find_first_not_of(" \t") == std::string_view::npos) {
                    held += tail;
                }
            }
            value.text = held;
            break;
        }
        case PropertyType::Long:
        case PropertyType::Bool: {
            char* end = nullptr;
            const long number = std::strtol(text.c_str(), &end, 10);
            if (end != text.c_str() && *end == '\0') {
                value.number = static_cast<double>(static_cast<std::int32_t>(number));
            }
            break;
        }
        case PropertyType::Date:
            isoToOleDate(text, value.number);
            break;
        }
    }

    StoredItem& m_item;
    ItemValues m_values;
    icalcomponent* m_component;
    std::vector<std::string> m_seen;
    std::vector<icalproperty*> m_extensions;
    std::string m_categories;
    icalrecurrencetype m_rule{};
    bool m_hasRule = false;
    bool m_foreignRule = false;
    icaltimetype m_start = icaltime_null_time();
};

// Whether the item's own component kept a rule of its file: one no recurrence pattern holds.
bool hasKeptRule(const StoredItem& item) {
    return std::any_of(item.keptLines.begin(), item.keptLines.end(), [](const std::string& kept) {
        return kept.size() > 5 && equalsAsciiNoCase(std::string_view(kept).substr(0, 5), "RRULE") &&
               (kept[5] == ':' || kept[5] == ';');
    });
}

// Writes the lines of the item's component that have a standard home.
class ComponentWriter {
public:
    explicit ComponentWriter(const StoredItem& item) : m_item(item) {}

    std::string write() {
        line("UID", escapeText(m_item.id));
        double stamp = number("LastModificationTime");
        utcTime("DTSTAMP", isDateSet(stamp) ? stamp : nowAsOleDate());
        utcTime("CREATED", number("CreationTime"));
        utcTime("LAST-MODIFIED", stamp);
        text("SUMMARY", "Subject");
        text("DESCRIPTION", "Body");
        if (const PropertyValue* sensitivity = find("Sensitivity")) {
            const int level = static_cast<int>(sensitivity->number);
            if (level == 1 || level == 2) {
                line("CLASS", "PRIVATE");
            } else if (level == 3) {
                line("CLASS", "CONFIDENTIAL");
            }
        }
        categories();
        switch (m_item.kind->type) {
        case ItemType::Appointment:
            writeAppointment();
            break;
        case ItemType::Task:
            writeTask();
            break;
        case ItemType::Note:
        case ItemType::Contact:
            break;
        }
        return std::move(m_out);
    }

private:
    const PropertyValue* find(std::string_view name) const {
        const int index = m_item.kind->find(name);
        return index < 0 ? nullptr : &m_item.values[static_cast<std::size_t>(index)];
    }
    double number(std::string_view name) const {
        const PropertyValue* value = find(name);
        return value != nullptr ? value->number : 0;
    }

    void line(std::string_view name, std::string_view value, std::string_view params = {}) {
        std::string text(name);
        text += params;
        text += ':';
        text += value;
        m_out += foldLine(text);
    }

    void text(std::string_view name, std::string_view property) {
        const PropertyValue* value = find(property);
        if (value != nullptr && !value->text.empty()) {
            line(name, escapeText(value->text));
        }
    }

    void utcTime(std::string_view name, double date) {
        CivilTime local;
        CivilTime utc;
        if (isDateSet(date) && oleDateToCivil(date, local) && localToUtc(local, utc)) {
            line(name, formatUtcTimestamp(utc));
        }
    }

    // The stand-in's times are local, as Outlook's automation dates are. A task's dates stay
    // floating times, which give them back unchanged; an appointment's name the local zone, so
    // that calendars elsewhere place them, and read back as they stand all the same.
    void localTime(std::string_view name, double date, bool dateOnly, bool zoned = false) {
        CivilTime local;
        if (!isDateSet(date) || !oleDateToCivil(date, local)) {
            return;
        }
        if (dateOnly) {
            line(name, basicDate(local), ";VALUE=DATE");
        } else if (const std::string& zone = localZone().id; zoned && !zone.empty()) {
            line(name, formatLocalTimestamp(local), ";TZID=" + zone);
        } else {
            line(name, formatLocalTimestamp(local));
        }
    }

    void categories() {
        const PropertyValue* value = find("Categories");
        if (value == nullptr || value->text.empty()) {
            return;
        }
        // Outlook lists categories as "a, b"; iCalendar as "a,b".
        std::string list;
        std::size_t start = 0;
        const std::string_view text = value->text;
        while (start <= text.size()) {
            std::size_t end = text.find(',', start);
            end = end == std::string::npos ? text.size() : end;
            std::string_view category = std::string_view(text).substr(start, end - start);
            while (!category.empty() && category.front() == ' ') {
                category.remove_prefix(1);
            }
            if (!list.empty() || start > 0) {
                list += ',';
            }
            list += escapeText(category);
            start = end + 1;
        }
        line("CATEGORIES", list);
    }

    void writeAppointment() {
        const bool allDay = number("AllDayEvent") != 0;
        localTime("DTSTART", number("Start"), allDay, true);
        localTime("DTEND", number("End"), allDay, true);
        text("LOCATION", "Location");
        // A rule read from the file that no pattern holds stays there as it was, and the
        // pattern's values, if they change, go as X-OUTLOOK- lines beside it.
        if (number("IsRecurring") != 0 && !hasKeptRule(m_item)) {
            const std::string rule = recurrenceRule(allDay);
            if (!rule.empty()) {
                line("RRULE", rule);
            }
        }
    }

    std::string recurrenceRule(bool allDay) const {
        const int type = static_cast<int>(number("RecurrenceType"));
        const int interval = static_cast<int>(number("Interval"));
        const int mask = static_cast<int>(number("DayOfWeekMask"));
        const int dayOfMonth = static_cast<int>(number("DayOfMonth"));
        const int instance = static_cast<int>(number("Instance"));
        const int month = static_cast<int>(number("MonthOfYear"));
        std::string rule;
        switch (type) {
        case kDaily:
            rule = "FREQ=DAILY";
            break;
        case kWeekly:
            rule = "FREQ=WEEKLY";
            break;
        case kMonthly:
        case kMonthNth:
            rule = "FREQ=MONTHLY";
            break;
        case kYearly:
        case kYearNth:
            rule = "FREQ=YEARLY";
            break;
        default:
            return {}; // no rule says this; the pattern's values go as X-OUTLOOK- lines
        }
        // Outlook counts the yearly kinds' interval in months.
        const int every =
            type == kYearly || type == kYearNth ? interval / kMonthsPerYear : interval;
        if (every > 1) {
            addRulePart(rule, "INTERVAL", std::to_string(every));
        }
        if (type == kYearly || type == kYearNth) {
            if (month >= 1 && month <= 12) {
                addRulePart(rule, "BYMONTH", std::to_string(month));
            }
        }
        if ((type == kMonthly || type == kYearly) && dayOfMonth >= 1 && dayOfMonth <= 31) {
            addRulePart(rule, "BYMONTHDAY", std::to_string(dayOfMonth));
        }
        if (type != kMonthly && type != kYearly && mask != 0) {
            std::string days;
            for (int day = 0; day < 7; ++day) {
                if ((mask & (1 << day)) != 0) {
                    days += days.empty() ? "" : ",";
                    days += kWeekdays[day];
                }
            }
            addRulePart(rule, "BYDAY", days);
            if ((type == kMonthNth || type == kYearNth) && instance >= 1 && instance <= 5) {
                addRulePart(rule, "BYSETPOS", std::to_string(instance == 5 ? -1 : instance));
            }
        }
        double end = number("PatternEndDate");
        CivilTime last;
        CivilTime start;
        if (isDateSet(end) && oleDateToCivil(end, last)) {
            if (allDay) {
                addRulePart(rule, "UNTIL", basicDate(last));
            } else {
                // The last occurrence starts on that day at the event's time of day. With a
                // zoned start the end must be given in UTC.
                if (oleDateToCivil(number("Start"), start)) {
                    last.hour = start.hour;
                    last.minute = start.minute;
                    last.second = start.second;
                }
                CivilTime utc;
                if (!localZone().id.empty() && localToUtc(last, utc)) {
                    addRulePart(rule, "UNTIL", formatUtcTimestamp(utc));
                } else {
                    addRulePart(rule, "UNTIL", formatLocalTimestamp(last));
                }
            }
        }
        return rule;
    }

    void writeTask() {
        for (const auto& [name, property] :
             {std::pair{"DTSTART", "StartDate"}, std::pair{"DUE", "DueDate"}}) {
            // Outlook's task dates are days; a time of day is kept all the same.
            CivilTime local;
            const double date = number(property);
            localTime(name, date, oleDateToCivil(date, local) && isMidnight(local));
        }
        const int importance = static_cast<int>(number("Importance"));
        line("PRIORITY", importance == 2 ? "1" : importance == 0 ? "9" : "5");
        const int status = static_cast<int>(number("Status"));
        line("STATUS", status == 1   ? "IN-PROCESS"
                       : status == 2 ? "COMPLETED"
                       : status == 4 ? "CANCELLED"
                                     : "NEEDS-ACTION");
        if (number("Complete") != 0) {
            utcTime("COMPLETED", number("LastModificationTime"));
        }
        const int percent = static_cast<int>(number("PercentComplete"));
        if (percent != 0) {
            line("PERCENT-COMPLETE", std::to_string(percent));
        }
    }

    const StoredItem& m_item;
    std::string m_out;
};

// A task's reminder as an alarm at its time; empty without one. Alarms follow every property of
// the component, so this goes last.
std::string reminderAlarm(const StoredItem& item) {
    const int set = item.kind->find("ReminderSet");
    const int time = item.kind->find("ReminderTime");
    if (item.kind->type != ItemType::Task || set < 0 || time < 0 ||
        item.values[static_cast<std::size_t>(set)].number == 0) {
        return {};
    }
    CivilTime local;
    CivilTime utc;
    const double when = item.values[static_cast<std::size_t>(time)].number;
    if (!isDateSet(when) || !oleDateToCivil(when, local) || !localToUtc(local, utc)) {
        return {};
    }
    return "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:" + std::string(kReminderText) + "\r\n" +
           foldLine("TRIGGER;VALUE=DATE-TIME:" + formatUtcTimestamp(utc)) + "END:VALARM\r\n";
}

std::string extensionLine(const PropertyDef& def, const PropertyValue& value) {
    std::string text = std::string(kExtensionPrefix) + upperAscii(def.name);
    if (def.type == PropertyType::Text) {
        const std::string_view held = value.text;
        const std::size_t end = held.find_last_not_of(" \t");
        const std::size_t tail = end == std::string::npos ? 0 : end + 1;
        if (tail < held.size()) {
            text += std::string(";") + kTrailingBlanksParam + "=\"" +
                    std::string(held.substr(tail)) + "\"";
        }
        text += ":" + escapeText(held.substr(0, tail));
        return foldLine(text);
    }
    text += ":";
    switch (def.type) {
    case PropertyType::Text:
        break;
    case PropertyType::Long:
    case PropertyType::Bool:
        text += std::to_string(static_cast<std::int32_t>(value.number));
        break;
    case PropertyType::Date: {
        CivilTime time;
        if (!oleDateToCivil(value.number, time)) {
            return {};
        }
        text += formatLocalTimestamp(time);
        break;
    }
    }
    return foldLine(text);
}

// Whether the file the item came from defines that zone already (ours, written before).
bool keepsZone(const StoredItem& item, const std::string& id) {
    const std::string tzid = "\r\nTZID:" + id + "\r\n";
    return std::any_of(
        item.keptBefore.begin(), item.keptBefore.end(), [&](const std::string& kept) {
            return kept.starts_with("BEGIN:VTIMEZONE") && kept.find(tzid) != std::string::npos;
        });
}

std::string calendarFile(const StoredItem& item, std::string_view lines,
                         std::string_view alarm = {}) {
    const char* component = icalcomponent_kind_to_string(componentKind(*item.kind));
    std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Twinleaf//Outlook store//EN\r\n";
    auto keep = [&](const std::vector<std::string>& kept) {
        for (const std::string& entry : kept) {
            out += entry;
            out += "\r\n";
        }
    };
    keep(item.keptBefore);
    if (const LocalZone& zone = localZone();
        !zone.id.empty() && lines.find(";TZID=" + zone.id + ":") != std::string_view::npos &&
        !keepsZone(item, zone.id)) {
        out += zone.definition;
        out += "\r\n";
    }
    out += "BEGIN:";
    out += component;
    out += "\r\n";
    out += lines;
    keep(item.keptLines);
    out += alarm;
    out += "END:";
    out += component;
    out += "\r\n";
    keep(item.keptAfter);
    out += "END:VCALENDAR\r\n";
    return out;
}

// libical reports what it could not read as X-LIC-ERROR properties. An empty value is dropped
// with such a report, which loses nothing; anything else means a file we cannot rewrite
// faithfully.
bool checkParseErrors(icalcomponent* component, std::string& error) {
    std::vector<icalproperty*> dropped;
    for (icalproperty* property =
             icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY);
         property != nullptr;
         property = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        const char* text = icalproperty_get_xlicerror(property);
        const std::string_view message = text != nullptr ? text : "";
        if (!message.starts_with("No value for ")) {
            error = "is damaged (" + std::string(message) + ")";
            return false;
        }
        dropped.push_back(property);
    }
    for (icalproperty* property : dropped) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
    for (icalcomponent* inner = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT);
         inner != nullptr;
         inner = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        if (!checkParseErrors(inner, error)) {
            return false;
        }
    }
    return true;
}

bool isItemComponent(icalcomponent_kind kind) {
    return kind == ICAL_VEVENT_COMPONENT || kind == ICAL_VTODO_COMPONENT ||
           kind == ICAL_VJOURNAL_COMPONENT;
}

std::string uidOf(icalcomponent* component) {
    icalproperty* uid = icalcomponent_get_first_property(component, ICAL_UID_PROPERTY);
    const char* text = uid != nullptr ? icalproperty_get_uid(uid) : nullptr;
    return text != nullptr ? text : "";
}

// The item's own component: the one without a RECURRENCE-ID (the others are its changed
// occurrences), else the first of its kind.
icalcomponent* mainComponent(icalcomponent* calendar, icalcomponent_kind kind) {
    icalcomponent* first = nullptr;
    for (icalcomponent* candidate = icalcomponent_get_first_component(calendar, kind);
         candidate != nullptr; candidate = icalcomponent_get_next_component(calendar, kind)) {
        if (icalcomponent_get_first_property(candidate, ICAL_RECURRENCEID_PROPERTY) == nullptr) {
            return candidate;
        }
        first = first != nullptr ? first : candidate;
    }
    return first;
}

// Some files hold one bare VEVENT, VTODO or VJOURNAL (exports of a single item, other
// libraries' samples); they are read as the calendar they leave out, and written with it.
void wrapBareComponent(OwnedComponent& component) {
    icalcomponent* calendar = icalcomponent_new_vcalendar();
    icalcomponent_add_component(calendar, component.release());
    component.reset(calendar);
}

bool parseCalendar(std::string_view bytes, OwnedComponent& calendar, std::string& error) {
    if (!checkContentText(bytes, error)) {
        return false;
    }
    static const bool quiet = [] {
        icalerror_set_errors_are_fatal(0); // a damaged file is reported, never the end
        return true;
    }();
    (void)quiet;
    calendar.reset(icalparser_parse_string(normalizeLineEnds(bytes).c_str()));
    if (!calendar) {
        error = "does not begin with BEGIN:VCALENDAR (not an iCalendar file)";
        return false;
    }
    if (icalcomponent_isa(calendar.get()) == ICAL_XROOT_COMPONENT) {
        error = "holds " +
                std::to_string(
                    icalcomponent_count_components(calendar.get(), ICAL_VCALENDAR_COMPONENT)) +
                " calendars";
        return false;
    }
    if (isItemComponent(icalcomponent_isa(calendar.get()))) {
        wrapBareComponent(calendar);
    }
    if (icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT) {
        error = "does not begin with BEGIN:VCALENDAR (not an iCalendar file)";
        return false;
    }
    return checkParseErrors(calendar.get(), error);
}

} // namespace

bool readCalendarItem(std::string_view bytes, StoredItem& item, std::string& error) {
    OwnedComponent calendar;
    if (!parseCalendar(bytes, calendar, error)) {
        return false;
    }
    const icalcomponent_kind wanted = componentKind(*item.kind);
    icalcomponent* main = mainComponent(calendar.get(), wanted);
    if (main == nullptr) {
        error = std::string("holds no ") + icalcomponent_kind_to_string(wanted);
        return false;
    }
    const std::string uid = uidOf(main);
    item.keptBefore.clear();
    item.keptLines.clear();
    item.keptAfter.clear();
    for (icalproperty* property =
             icalcomponent_get_first_property(calendar.get(), ICAL_ANY_PROPERTY);
         property != nullptr;
         property = icalcomponent_get_next_property(calendar.get(), ICAL_ANY_PROPERTY)) {
        const icalproperty_kind kind = icalproperty_isa(property);
        if (kind != ICAL_VERSION_PROPERTY && kind != ICAL_PRODID_PROPERTY) {
            item.keptBefore.push_back(keptText(property));
        }
    }
    // libical lists a calendar's time zones in the reverse of their order in the file; they are
    // put back in file order, so that a file written again does not swap them.
    std::vector<std::string> zones;
    std::vector<std::pair<std::vector<std::string>*, std::size_t>> zoneSlots;
    bool before = true;
    for (icalcomponent* other =
             icalcomponent_get_first_component(calendar.get(), ICAL_ANY_COMPONENT);
         other != nullptr;
         other = icalcomponent_get_next_component(calendar.get(), ICAL_ANY_COMPONENT)) {
        if (other == main) {
            before = false;
            continue;
        }
        const icalcomponent_kind kind = icalcomponent_isa(other);
        const std::string otherUid = uidOf(other);
        // A changed occurrence carries a RECURRENCE-ID and the item's UID, or none.
        const bool occurrence =
            kind == wanted &&
            icalcomponent_get_first_property(other, ICAL_RECURRENCEID_PROPERTY) != nullptr &&
            (otherUid == uid || otherUid.empty());
        if (!occurrence && (isItemComponent(kind) || !otherUid.empty())) {
            error = "holds a second item (";
            error += icalcomponent_kind_to_string(kind);
            error.append(" \"").append(otherUid).append("\") beside \"").append(uid).append("\"");
            return false;
        }
        std::vector<std::string>& kept = before ? item.keptBefore : item.keptAfter;
        if (kind == ICAL_VTIMEZONE_COMPONENT) {
            zones.push_back(keptText(other));
            zoneSlots.emplace_back(&kept, kept.size());
            kept.emplace_back();
            continue;
        }
        kept.push_back(keptText(other));
    }
    for (std::size_t i = 0; i < zoneSlots.size(); ++i) {
        (*zoneSlots[i].first)[zoneSlots[i].second] = std::move(zones[zones.size() - 1 - i]);
    }
    ComponentReader(item, main).read();
    return true;
}

std::string writeCalendarItem(const StoredItem& item) {
    const std::string standard = ComponentWriter(item).write();
    const std::string alarm = reminderAlarm(item);
    // Every value those lines would not give back goes as an X-OUTLOOK- line too: what a reader
    // makes of the file without them is the measure.
    StoredItem echo;
    echo.kind = item.kind;
    echo.values = initialValues(*item.kind);
    std::string ignored;
    if (!readCalendarItem(calendarFile(item, standard, alarm), echo, ignored)) {
        echo.values = initialValues(*item.kind);
    }
    std::string extensions;
    const auto& properties = item.kind->properties;
    for (std::size_t i = 0; i < properties.size() && i < item.values.size(); ++i) {
        if (std::string_view(properties[i].name) != "EntryID" &&
            !(echo.values[i] == item.values[i])) {
            extensions += extensionLine(properties[i], item.values[i]);
        }
    }
    return calendarFile(item, standard + extensions, alarm);
}

void completeCalendarItemForSave(StoredItem& item) {
    for (std::size_t i = 0; i < item.values.size(); ++i) {
        if (item.kind->properties[i].type == PropertyType::Text) {
            item.values[i].text = withCrlf(item.values[i].text);
        }
    }
    if (item.kind->type == ItemType::Note) {
        const std::string_view body = item.value("Body").text;
        item.value("Subject").text = body.substr(0, body.find_first_of("\r\n"));
    }
}

} // namespace twinleaf::outlook
