// The property tables of the four item kinds.
#include "platform/outlook/OutlookSchema.h"

#include "platform/Assert.h"
#include "platform/text/NoCase.h"

#include <array>

namespace twinleaf::outlook {
namespace {

using enum PropertyType;

constexpr PropertyDef kContactProperties[] = {
    {"Account", Text},
    {"Anniversary", Date},
    {"AssistName", Text},
    {"AssistTelephoneNumber", Text},
    {"Birthday", Date},
    {"Business2TelephoneNumber", Text},
    {"BusinessAddressCity", Text},
    {"BusinessAddressCountry", Text},
    {"BusinessAddressPostalCode", Text},
    {"BusinessAddressPostOfficeBox", Text},
    {"BusinessAddressState", Text},
    {"BusinessAddressStreet", Text},
    {"BusinessAddressFaxNumber", Text},
    {"BusinessHomePage", Text},
    {"BusinessTelephoneNumber", Text},
    {"CallbackTelephoneNumber", Text},
    {"CarTelephoneNumber", Text},
    {"CompanyMainTelephoneNumber", Text},
    {"CompanyName", Text},
    {"ComputerNetworkName", Text},
    {"CustomerID", Text},
    {"Department", Text},
    {"Email1Address", Text},
    {"Email1AddressType", Text},
    {"Email1DisplayName", Text},
    {"Email2Address", Text},
    {"Email2AddressType", Text},
    {"Email2DisplayName", Text},
    {"Email3Address", Text},
    {"Email3AddressType", Text},
    {"Email3DisplayName", Text},
    {"FirstName", Text},
    {"FTPSite", Text},
    {"FullName", Text},
    {"Gender", Long},
    {"Hobby", Text},
    {"Home2TelephoneNumber", Text},
    {"HomeAddressCity", Text},
    {"HomeAddressCountry", Text},
    {"HomeAddressPostalCode", Text},
    {"HomeAddressPostOfficeBox", Text},
    {"HomeAddressState", Text},
    {"HomeAddressStreet", Text},
    {"HomeFaxNumber", Text},
    {"HomeTelephoneNumber", Text},
    {"IMAddress", Text},
    {"Initials", Text},
    {"ISDNNumber", Text},
    {"JobTitle", Text},
    {"Language", Text},
    {"LastName", Text},
    {"MailingAddressCity", Text},
    {"MailingAddressCountry", Text},
    {"MailingAddressPostalCode", Text},
    {"MailingAddressPOBox", Text},
    {"MailingAddressState", Text},
    {"MailingAddressStreet", Text},
    {"ManagerName", Text},
    {"MiddleName", Text},
    {"MobileTelephoneNumber", Text},
    {"NickName", Text},
    {"OtherAddressCity", Text},
    {"OtherAddressCountry", Text},
    {"OtherAddressPostalCode", Text},
    {"OtherAddressPostOfficeBox", Text},
    {"OtherAddressState", Text},
    {"OtherAddressStreet", Text},
    {"OtherTelephoneNumber", Text},
    {"PagerNumber", Text},
    {"PersonalHomePage", Text},
    {"PrimaryTelephoneNumber", Text},
    {"Profession", Text},
    {"RadioTelephoneNumber", Text},
    {"Spouse", Text},
    {"WebPage", Text},
    {"Body", Text},
    // Not read by the sync, but part of a contact's name, so a card's N keeps all five parts.
    {"Title", Text},
    {"Suffix", Text},
    {"EntryID", Text, true},
    {"CreationTime", Date, true},
    {"LastModificationTime", Date, true},
};

constexpr PropertyDef kAppointmentProperties[] = {
    {"AllDayEvent", Bool},
    {"Duration", Long},
    {"End", Date},
    {"IsRecurring", Bool, true},
    {"Location", Text},
    {"Start", Date},
    {"Subject", Text},
    {"Body", Text},
    {"Categories", Text},
    {"Sensitivity", Long},
    {"EntryID", Text, true},
    {"CreationTime", Date, true},
    {"LastModificationTime", Date, true},
    // OlRecurrenceType: 0 daily, 1 weekly, 2 monthly, 3 month-nth, 5 yearly, 6 year-nth.
    {"RecurrenceType", Long, false, PropertyScope::Pattern, 1},
    {"Interval", Long, false, PropertyScope::Pattern, 1},
    {"DayOfWeekMask", Long, false, PropertyScope::Pattern},
    {"DayOfMonth", Long, false, PropertyScope::Pattern},
    {"Instance", Long, false, PropertyScope::Pattern},
    {"MonthOfYear", Long, false, PropertyScope::Pattern},
    {"PatternEndDate", Date, false, PropertyScope::Pattern},
};

constexpr PropertyDef kTaskProperties[] = {
    {"Body", Text},
    {"CardData", Text},
    {"Categories", Text},
    {"Complete", Bool},
    {"DueDate", Date},
    {"EntryID", Text, true},
    {"Importance", Long, false, PropertyScope::Item, 1}, // olImportanceNormal
    {"IsRecurring", Bool, true},
    {"Mileage", Text},
    {"Ordinal", Long},
    {"PercentComplete", Long},
    {"ReminderOverrideDefault", Bool},
    {"ReminderPlaySound", Bool},
    {"ReminderSet", Bool},
    {"ReminderSoundFile", Text},
    {"ReminderTime", Date},
    {"ResponseState", Long},
    {"Role", Text},
    {"Sensitivity", Long},
    {"StartDate", Date},
    {"Status", Long},
    {"Subject", Text},
    {"TeamTask", Bool},
    {"TotalWork", Long},
    {"CreationTime", Date, true},
    {"LastModificationTime", Date, true},
};

constexpr PropertyDef kNoteProperties[] = {
    {"EntryID", Text, true},
    {"Subject", Text, true}, // the first line of the body
    {"Body", Text},
    {"Categories", Text},
    {"CreationTime", Date, true},
    {"LastModificationTime", Date, true},
    {"Saved", Bool, true},
    {"Color", Long, false, PropertyScope::Item, 3}, // olYellow
};

const ItemKind kKinds[] = {
    {ItemType::Contact, DefaultFolder::Contacts, "Contacts", ".vcf", kContactProperties},
    {ItemType::Appointment, DefaultFolder::Calendar, "Calendar", ".ics", kAppointmentProperties},
    {ItemType::Task, DefaultFolder::Tasks, "Tasks", ".ics", kTaskProperties},
    {ItemType::Note, DefaultFolder::Notes, "Notes", ".ics", kNoteProperties},
};

} // namespace

int ItemKind::find(std::string_view name) const {
    for (std::size_t i = 0; i < properties.size(); ++i) {
        const std::string_view candidate = properties[i].name;
        if (equalsAsciiNoCase(candidate, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ItemKind::require(std::string_view name) const {
    const int index = find(name);
    TL_ASSERT(index >= 0);
    return index;
}

const ItemKind& contactKind() {
    return kKinds[0];
}
const ItemKind& appointmentKind() {
    return kKinds[1];
}
const ItemKind& taskKind() {
    return kKinds[2];
}
const ItemKind& noteKind() {
    return kKinds[3];
}

const ItemKind* kindForFolder(win::LONG folderNumber) {
    for (const ItemKind& kind : kKinds) {
        if (static_cast<win::LONG>(kind.folder) == folderNumber) {
            return &kind;
        }
    }
    return nullptr;
}

const ItemKind* kindForItemType(win::LONG itemType) {
    for (const ItemKind& kind : kKinds) {
        if (static_cast<win::LONG>(kind.type) == itemType) {
            return &kind;
        }
    }
    return nullptr;
}

PropertyValues initialValues(const ItemKind& kind) {
    PropertyValues values(kind.properties.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i].number = kind.properties[i].initial;
    }
    return values;
}

} // namespace twinleaf::outlook
