// One item as the Outlook stand-in's store keeps it: its id, its file, its property values and
// whatever its file held that no property stands for, so that a save gives it back.
#pragma once

#include "platform/files/AtomicFile.h"
#include "platform/outlook/ContentLine.h"
#include "platform/outlook/OutlookSchema.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace twinleaf::outlook {

// How another program wrote a line we map: rewriting the line keeps its group (Apple's
// "item1." labels refer to it) and its parameters (PREF, custom types), and components we have
// no property for (ORG's units after the department).
struct LineOrigin {
    std::string group;
    // As formatParams writes them (";TYPE=WORK"), read back with parseParams: a store keeps an
    // origin for most lines of a card, and a text is a fraction of a list of parameters.
    std::string params;
    std::vector<std::string> extraComponents;
};

struct StoredItem {
    const ItemKind* kind = nullptr;
    std::string id; // the vCard UID or iCalendar UID; also the item's EntryID
    // The item's file. Held as a plain string: a path object also keeps each of its components,
    // which would cost more than most items' values.
    std::string file;
    FileStamp
        fileStamp; // the file as loaded or last saved, to see whether another program changed it
    PropertyValues values;
    // Content no property stands for, written back unchanged: each entry is one content line,
    // folded, or one whole nested component (an alarm), its lines joined with CR LF, without
    // the final line end. Kept lines belong to the item's own card or component; an iCalendar
    // file's other content (calendar properties, time zones, the changed occurrences of a
    // repeating event) goes before or after that component, where it was read.
    std::vector<std::string> keptLines;
    std::vector<std::string> keptBefore;
    std::vector<std::string> keptAfter;
    std::map<std::string, LineOrigin> origins; // by the line's slot, e.g. "TEL HomeTelephoneNumber"
    // The format version a card was read in when it is written back in it ("4.0"); empty for
    // the version we write ourselves.
    std::string version;

    const PropertyValue& value(std::string_view property) const {
        return values[static_cast<std::size_t>(kind->require(property))];
    }
    PropertyValue& value(std::string_view property) {
        return values[static_cast<std::size_t>(kind->require(property))];
    }
};

} // namespace twinleaf::outlook
