// The Outlook stand-in: an automation server registered as "Outlook.Application" that answers the
// members the Outlook access code calls, by name, with Outlook's published numbers:
//
//   application  GetNameSpace("MAPI")
//   namespace    GetDefaultFolder(9 calendar | 10 contacts | 12 notes | 13 tasks)
//   folder       Name, Items, DefaultItemType
//   items        GetFirst, GetNext, Item(1-based), Add(1 | 2 | 3 | 5), Count
//   item         its kind's properties (OutlookSchema), Save, GetRecurrencePattern (appointments)
//   pattern      RecurrenceType, Interval, DayOfWeekMask, DayOfMonth, Instance, MonthOfYear,
//                PatternEndDate
//
// Items live in the store (OutlookStore). Starting the application (OleRun) opens the store; a
// store that cannot be read or written makes the start fail, as an Outlook whose profile cannot
// be opened does. An item object works on its own copy: changes reach the store, and other item
// objects, only through a successful Save.
#pragma once

#include "platform/com/Com.h"

namespace twinleaf::outlook {

// Outlook's own class id, {0006F03A-0000-0000-C000-000000000046}.
inline constexpr win::CLSID kOutlookApplicationClass = {
    0x0006F03A, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Puts "Outlook.Application" into the class table (again); the store folder is looked up when an
// application object is created.
void registerOutlookApplication();

} // namespace twinleaf::outlook
