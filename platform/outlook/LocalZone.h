// The local time zone as an iCalendar file names and defines it. The stand-in's times are local,
// as Outlook's automation dates are; writing them with the zone's TZID and a VTIMEZONE lets other
// calendars place them correctly, while a file that names our own zone gives its times back as
// the local times they were, even in the hour a change to summer time leaves out.
#pragma once

#include <string>

namespace twinleaf::outlook {

struct LocalZone {
    // The zone database name ("Europe/Berlin"); empty when the local zone has none we can tell,
    // and times are then written floating (without a zone), as local times.
    std::string id;
    // BEGIN:VTIMEZONE to END:VTIMEZONE, CR LF line ends, without the final one: the zone's
    // current rules, which is what calendar programs write as well.
    std::string definition;
};

// Looked up from TZ (a zone name), else /etc/localtime, each time TZ changes.
const LocalZone& localZone();

// Builds the definition from a POSIX TZ rule such as "CET-1CEST,M3.5.0,M10.5.0/3" (the last line
// of a compiled zone file); empty for a rule this does not read (rules by day of the year).
std::string zoneDefinition(const std::string& id, const std::string& posixRule);

} // namespace twinleaf::outlook
