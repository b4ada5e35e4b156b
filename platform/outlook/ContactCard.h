// A contact item as a vCard 3.0, both ways; a card another program wrote as vCard 4.0 is written
// back as 4.0, its own lines as read and ours in 4.0's syntax.
//
// Properties with a standard home are written there (N, FN, ORG, TITLE, ROLE, NICKNAME, BDAY,
// ANNIVERSARY, TEL, EMAIL, ADR, URL, NOTE, UID, REV), every other property as an
// X-OUTLOOK-<PROPERTY> line, so that a save and a reload give back every value with its type.
// Several TEL, EMAIL, ADR and URL lines are told apart by their TYPE values; where the types alone
// would put a value into another property (a second business number, a third address) the line
// names its property in an X-OUTLOOK-FIELD parameter, which other programs ignore.
//
// Cards written by other programs map the same way; lines that map to no property, or to one
// that an earlier line already filled, are kept as they were read and written back unchanged.
#pragma once

#include "platform/outlook/StoredItem.h"

#include <string>
#include <vector>

namespace twinleaf::outlook {

// Fills a contact's values, kept lines and line origins from the lines of its card. The item's
// values must be initialised; its id comes from UID, when there is one.
void readContactCard(const std::vector<ContentLine>& lines, StoredItem& item);

// The whole file: BEGIN:VCARD to END:VCARD, folded, CRLF line ends, UTF-8.
std::string writeContactCard(const StoredItem& item);

// What Outlook does when a contact is saved: an empty FullName is made from the name's parts.
void completeContactForSave(StoredItem& item);

} // namespace twinleaf::outlook
