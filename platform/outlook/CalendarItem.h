// An appointment, a task or a note as an iCalendar 2.0 file (RFC 5545), both ways: the file's
// one VEVENT, VTODO or VJOURNAL.
//
// What all three share is mapped once (UID, DTSTAMP, CREATED, LAST-MODIFIED, SUMMARY,
// DESCRIPTION, CLASS, CATEGORIES); each kind adds its few own lines (an appointment's DTSTART,
// DTEND, LOCATION and RRULE, a task's DUE, DTSTART, PRIORITY, STATUS, COMPLETED and
// PERCENT-COMPLETE, and an alarm at a fixed time for its reminder). Any property whose value those
// lines do not give back exactly is written as an X-OUTLOOK-<PROPERTY> line as well, so a save and
// a reload give back every value unchanged.
//
// Files are read with libical. A file from another program may hold more than the one
// component: the changed occurrences of a repeating event (further components with the same UID
// and a RECURRENCE-ID), the time zones its times refer to, alarms, properties we have no home
// for. All of that is kept and written back around the item; a second item (another UID) makes
// the file one we cannot rewrite faithfully, so it is refused.
#pragma once

#include "platform/outlook/StoredItem.h"

#include <string>
#include <string_view>

namespace twinleaf::outlook {

// Fills an item (kind set, values initialised) from a file's bytes; false with a reason that
// fits after the file's name. Texts are handed out with CR LF line breaks, as Outlook's are.
bool readCalendarItem(std::string_view bytes, StoredItem& item, std::string& error);

// The whole file: BEGIN:VCALENDAR to END:VCALENDAR, folded, CR LF line ends, UTF-8.
std::string writeCalendarItem(const StoredItem& item);

// What Outlook does when an item is saved: line breaks in texts become CR LF, and a note's
// subject is the first line of its body.
void completeCalendarItemForSave(StoredItem& item);

} // namespace twinleaf::outlook
