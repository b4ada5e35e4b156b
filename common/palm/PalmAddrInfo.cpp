// The contact facade over the Palm address book forms.
#include "common/palm/PalmAddrInfo.h"

#include "common/palm/PalmDatabaseForm.h"
#include "common/palm/PalmEnv.h"
#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>

namespace twinleaf {
namespace {

// The phone slots of a record: label and text side by side, const when the record is.
template <class Rec> struct PhoneSlot {
    static constexpr bool kConst = std::is_const_v<Rec>;
    template <class Label, class Text>
    PhoneSlot(Label* slotLabel, Text* slotText)
        : label(slotLabel), text(slotText), width(MemberWidth<std::remove_cv_t<Text>>::value) {}
    std::conditional_t<kConst, const std::int32_t, std::int32_t>* label;
    std::conditional_t<kConst, const TextValue, TextValue>* text;
    std::size_t width; // the text's limit
};

// The database's seven slots: the texts of these columns, labelled by "Phone Label1" to "7".
template <class Rec> std::array<PhoneSlot<Rec>, 7> databaseSlots(Rec& r) {
    return {{
        {&r.PhoneLabel1, &r.WorkPhone},
        {&r.PhoneLabel2, &r.WorkFax},
        {&r.PhoneLabel3, &r.WorkMobile},
        {&r.PhoneLabel4, &r.HomePhone},
        {&r.PhoneLabel5, &r.HomeFax},
        {&r.PhoneLabel6, &r.HomeMobile},
        {&r.PhoneLabel7, &r.OtherPhone},
    }};
}

template <class Rec> std::array<PhoneSlot<Rec>, palm::kAddrPhoneSlots> classicSlots(Rec& r) {
    return {{
        {&r.PhoneLabel1, &r.Phone1},
        {&r.PhoneLabel2, &r.Phone2},
        {&r.PhoneLabel3, &r.Phone3},
        {&r.PhoneLabel4, &r.Phone4},
        {&r.PhoneLabel5, &r.Phone5},
    }};
}

template <class Rec> std::array<PhoneSlot<Rec>, palm::kAddrExPhoneSlots> extendedSlots(Rec& r) {
    return {{
        {&r.PhoneLabel1, &r.Phone1},
        {&r.PhoneLabel2, &r.Phone2},
        {&r.PhoneLabel3, &r.Phone3},
        {&r.PhoneLabel4, &r.Phone4},
        {&r.PhoneLabel5, &r.Phone5},
        {&r.PhoneLabel6, &r.Phone6},
        {&r.PhoneLabel7, &r.Phone7},
    }};
}

std::string_view phoneValue(const CommAddrRec& c, std::int32_t label) {
    switch (label) {
    case kPhoneWork:
        return fieldText(c.WorkPhone);
    case kPhoneHome:
        return fieldText(c.HomePhone);
    case kPhoneFax:
        return fieldText(c.Fax).empty() ? fieldText(c.HomeFax) : fieldText(c.Fax);
    case kPhoneOther:
        return fieldText(c.OtherPhone);
    case kPhoneEMail:
        return fieldText(c.EMail);
    case kPhoneMain:
        return fieldText(c.MainPhone);
    case kPhoneMobile:
        return fieldText(c.MobilePhone);
    default:
        return {};
    }
}

// Keeps an existing number where it is, fills new numbers into free slots in label order; a value
// whose label has no slot and finds no empty one is dropped. Pager has no common value.
template <class Slots> void phonesToPalm(Slots& slots, const CommAddrRec& c) {
    for (std::int32_t label = kPhoneWork; label <= kPhoneMobile; ++label) {
        if (label == kPhonePager) {
            continue;
        }
        const std::string_view value = phoneValue(c, label);
        auto* target = static_cast<typename Slots::value_type*>(nullptr);
        for (auto& slot : slots) {
            if (*slot.label == label) {
                target = &slot;
                break;
            }
        }
        if (target == nullptr) {
            for (auto& slot : slots) {
                if (slot.text->empty()) {
                    target = &slot;
                    *slot.label = label;
                    break;
                }
            }
        }
        if (target != nullptr && !value.empty()) {
            target->text->assign(value, target->width);
        }
    }
}

template <class Slots> void phonesToCommon(const Slots& slots, CommAddrRec& c) {
    for (const auto& slot : slots) {
        const std::string_view text = slot.text->view();
        if (text.empty()) {
            continue;
        }
        switch (*slot.label) {
        case kPhoneWork:
            copyToField(c.WorkPhone, text);
            break;
        case kPhoneHome:
            copyToField(c.HomePhone, text);
            break;
        case kPhoneFax:
            copyToField(c.Fax, text);
            break;
        case kPhoneOther:
            copyToField(c.OtherPhone, text);
            break;
        case kPhoneEMail:
            copyToField(c.EMail, text);
            break;
        case kPhoneMain:
            copyToField(c.MainPhone, text);
            break;
        case kPhoneMobile:
            copyToField(c.MobilePhone, text);
            break;
        default: // the pager and unknown labels have no common field
            break;
        }
    }
}

template <class To> void copyIfSet(To& to, const TextValue& from) {
    if (!from.empty()) {
        copyToField(to, from.view());
    }
}

// What the classic and the extended record both hold, under the same names.
template <class Rec> void sharedToCommon(const Rec& palmRec, CommAddrRec& common) {
    copyToField(common.LastName, fieldText(palmRec.LastName));
    copyToField(common.FirstName, fieldText(palmRec.FirstName));
    copyToField(common.Title, fieldText(palmRec.Title));
    copyToField(common.Company, fieldText(palmRec.Company));
    copyToField(common.Note, fieldText(palmRec.Note));
    copyToField(common.Custom1, fieldText(palmRec.Custom1));
    copyToField(common.Custom2, fieldText(palmRec.Custom2));
    copyToField(common.Custom3, fieldText(palmRec.Custom3));
    copyToField(common.Custom4, fieldText(palmRec.Custom4));
    copyToField(common.Category, fieldText(palmRec.CategoryName));
    common.Private = palmRec.Private != 0 ? 1 : 0;
}

template <class Rec> void sharedToPalm(const CommAddrRec& common, Rec& palmRec) {
    copyIfSet(palmRec.LastName, common.LastName);
    copyIfSet(palmRec.FirstName, common.FirstName);
    copyIfSet(palmRec.Title, common.Title);
    copyIfSet(palmRec.Company, common.Company);
    copyIfSet(palmRec.Note, common.Note);
    copyIfSet(palmRec.Custom1, common.Custom1);
    copyIfSet(palmRec.Custom2, common.Custom2);
    copyIfSet(palmRec.Custom3, common.Custom3);
    copyIfSet(palmRec.Custom4, common.Custom4);
    copyIfSet(palmRec.CategoryName, common.Category);
    // Outlook contacts carry no private mark (their Private is always 0): an update from one must
    // not make a private Palm contact public.
    if (common.Private != 0) {
        palmRec.Private = 1;
    }
}

template <std::size_t S, std::size_t C, std::size_t T, std::size_t Z, std::size_t N>
void addressToCommon(const PmAddrExAddress& from, TextField<S>& street, TextField<C>& city,
                     TextField<T>& state, TextField<Z>& zip, TextField<N>& country) {
    copyToField(street, fieldText(from.Street));
    copyToField(city, fieldText(from.City));
    copyToField(state, fieldText(from.State));
    copyToField(zip, fieldText(from.Zip));
    copyToField(country, fieldText(from.Country));
}

template <std::size_t S, std::size_t C, std::size_t T, std::size_t Z, std::size_t N>
void addressToPalm(const TextField<S>& street, const TextField<C>& city, const TextField<T>& state,
                   const TextField<Z>& zip, const TextField<N>& country, PmAddrExAddress& to) {
    copyIfSet(to.Street, street);
    copyIfSet(to.City, city);
    copyIfSet(to.State, state);
    copyIfSet(to.Zip, zip);
    copyIfSet(to.Country, country);
}

template <class Rec> bool resolveCategory(PmDBUtil& file, Rec& palmRec) {
    std::int32_t id = 0;
    if (file.GetCategoryIdByName(palmRec.CategoryName, &id, true)) {
        palmRec.Category = id;
        return true;
    }
    // The table is full: the record keeps the category it had (Unfiled for a new one) rather than
    // pointing at an id no category carries.
    palmRec.CategoryName.clear();
    file.GetCategoryName(palmRec.Category, palmRec.CategoryName);
    return false;
}

// The dates count days shifted against the common record's day numbers. A stored 0 is no date at
// all, not one three hundred thousand years before Christ.
std::int32_t databaseDateOf(win::DATE date) {
    return static_cast<std::int32_t>(std::trunc(date)) + kPalmDateOffset;
}
win::DATE commonDateOf(std::int32_t value) {
    return value == 0 ? 0.0 : static_cast<win::DATE>(value - kPalmDateOffset);
}

} // namespace

PmAddrInfo::PmAddrInfo() {
    auto desktop6 = std::make_unique<PmDatabaseForm<PmAddrKind>>();
    m_pDesktop6 = &desktop6->GetUtil();
    AddForm(std::move(desktop6));
    auto extended = std::make_unique<PmExtendedForm<PmAddrKind>>();
    m_pExtended = &extended->GetFile();
    AddForm(std::move(extended));
    auto classic = std::make_unique<PmClassicForm<PmAddrKind>>();
    m_pClassic = &classic->GetFile();
    AddForm(std::move(classic));
}

void PmAddrInfo::SetSwapName(bool swap) {
    m_pClassic->SetSwapName(swap);
    m_pDesktop6->SetSwapName(swap);
    m_pExtended->SetSwapName(swap);
}

PalmFormat PmAddrInfo::DetectFileFormat(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return PalmFormat::Invalid;
    }
    PmAddrInfo probe;
    return probe.DetectFormat(path);
}

void PmAddrKind::ClassicToCommon(const PmAddrRec& palmRec, CommAddrRec& common) {
    sharedToCommon(palmRec, common);
    copyToField(common.WorkStreet, fieldText(palmRec.Address));
    copyToField(common.WorkCity, fieldText(palmRec.City));
    copyToField(common.WorkState, fieldText(palmRec.State));
    copyToField(common.WorkPostal, fieldText(palmRec.Zip));
    copyToField(common.WorkCountry, fieldText(palmRec.Country));
    phonesToCommon(classicSlots(palmRec), common);
}

void PmAddrKind::CommonToClassic(const CommAddrRec& common, PmAddrRec& palmRec) {
    auto phones = classicSlots(palmRec);
    phonesToPalm(phones, common);
    sharedToPalm(common, palmRec);
    copyIfSet(palmRec.Address, common.WorkStreet);
    copyIfSet(palmRec.City, common.WorkCity);
    copyIfSet(palmRec.State, common.WorkState);
    copyIfSet(palmRec.Zip, common.WorkPostal);
    copyIfSet(palmRec.Country, common.WorkCountry);
}

// The three addresses are Work, Home and Other by their place, whatever their types say.
void PmAddrKind::ExtendedToCommon(const PmAddrExRec& palmRec, CommAddrRec& common) {
    sharedToCommon(palmRec, common);
    addressToCommon(palmRec.Address1, common.WorkStreet, common.WorkCity, common.WorkState,
                    common.WorkPostal, common.WorkCountry);
    addressToCommon(palmRec.Address2, common.HomeStreet, common.HomeCity, common.HomeState,
                    common.HomePostal, common.HomeCountry);
    addressToCommon(palmRec.Address3, common.OtherStreet, common.OtherCity, common.OtherState,
                    common.OtherPostal, common.OtherCountry);
    copyToField(common.Custom5, fieldText(palmRec.Custom5));
    copyToField(common.Custom6, fieldText(palmRec.Custom6));
    copyToField(common.Custom7, fieldText(palmRec.Custom7));
    copyToField(common.Custom8, fieldText(palmRec.Custom8));
    copyToField(common.Custom9, fieldText(palmRec.Custom9));
    // A row that never had a birthday holds 0, which shifted back would be a day some 350 000
    // years ago; it means no birthday.
    common.Birthday = palmRec.BirthdayValue == 0 ? 0 : palmRec.BirthdayValue - kPalmDateOffset;
    phonesToCommon(extendedSlots(palmRec), common);
}

void PmAddrKind::CommonToExtended(const CommAddrRec& common, PmAddrExRec& palmRec) {
    auto phones = extendedSlots(palmRec);
    phonesToPalm(phones, common);
    sharedToPalm(common, palmRec);
    addressToPalm(common.WorkStreet, common.WorkCity, common.WorkState, common.WorkPostal,
                  common.WorkCountry, palmRec.Address1);
    addressToPalm(common.HomeStreet, common.HomeCity, common.HomeState, common.HomePostal,
                  common.HomeCountry, palmRec.Address2);
    addressToPalm(common.OtherStreet, common.OtherCity, common.OtherState, common.OtherPostal,
                  common.OtherCountry, palmRec.Address3);
    palmRec.AddressType1 = 0;
    palmRec.AddressType2 = 1;
    palmRec.AddressType3 = 2;
    copyIfSet(palmRec.Custom5, common.Custom5);
    copyIfSet(palmRec.Custom6, common.Custom6);
    copyIfSet(palmRec.Custom7, common.Custom7);
    copyIfSet(palmRec.Custom8, common.Custom8);
    copyIfSet(palmRec.Custom9, common.Custom9);
    copyIfSet(palmRec.IM1Text, common.IMAddress);
    copyIfSet(palmRec.IM2Text, common.IMAddress2);
    // A record without a birthday leaves the one the row has: Outlook contacts often carry none,
    // and an update from one must not erase the Palm birthday. A row without one gets the
    // shifted zero Palm Desktop writes.
    if (common.Birthday != 0 || palmRec.BirthdayValue == 0) {
        palmRec.BirthdayValue = common.Birthday + kPalmDateOffset;
    }
}

void PmAddrKind::DatabaseToCommon(const PmAddrEx2Rec& row, CommAddrRec& common) {
    copyToField(common.LastName, fieldText(row.LastName));
    copyToField(common.FirstName, fieldText(row.FirstName));
    copyToField(common.Title, fieldText(row.JobTitle));
    copyToField(common.Company, fieldText(row.Company));
    copyToField(common.MiddleName, fieldText(row.MiddleName));
    copyToField(common.Initials, fieldText(row.Prefix));
    copyToField(common.PalmSuffix, fieldText(row.Suffix));
    copyToField(common.FullName, fieldText(row.EnglishName));
    copyToField(common.NickName, fieldText(row.NickName));
    copyToField(common.AssistantName, fieldText(row.AssistantName));
    copyToField(common.AssistantPhone, fieldText(row.AssistantPhone));
    copyToField(common.WorkStreet, fieldText(row.WorkStreet));
    copyToField(common.WorkCity, fieldText(row.WorkCity));
    copyToField(common.WorkState, fieldText(row.WorkState));
    copyToField(common.WorkPostal, fieldText(row.WorkZip));
    copyToField(common.WorkCountry, fieldText(row.WorkCountry));
    copyToField(common.HomeStreet, fieldText(row.HomeStreet));
    copyToField(common.HomeCity, fieldText(row.HomeCity));
    copyToField(common.HomeState, fieldText(row.HomeState));
    copyToField(common.HomePostal, fieldText(row.HomeZip));
    copyToField(common.HomeCountry, fieldText(row.HomeCountry));
    copyToField(common.OtherStreet, fieldText(row.OtherStreet));
    copyToField(common.OtherCity, fieldText(row.OtherCity));
    copyToField(common.OtherState, fieldText(row.OtherState));
    copyToField(common.OtherPostal, fieldText(row.OtherZip));
    copyToField(common.OtherCountry, fieldText(row.OtherCountry));
    copyToField(common.Note, fieldText(row.Note));
    copyToField(common.IMAddress, fieldText(row.Chat1));
    copyToField(common.IMAddress2, fieldText(row.Chat2));
    common.Birthday = commonDateOf(row.Birthday);
    common.Anniversary = commonDateOf(row.Anniversary);
    phonesToCommon(databaseSlots(row), common);
}

void PmAddrKind::CommonToDatabase(const CommAddrRec& common, PmAddrEx2Rec& row) {
    auto phones = databaseSlots(row);
    phonesToPalm(phones, common);
    copyIfSet(row.LastName, common.LastName);
    copyIfSet(row.FirstName, common.FirstName);
    copyIfSet(row.JobTitle, common.Title);
    copyIfSet(row.Company, common.Company);
    copyIfSet(row.MiddleName, common.MiddleName);
    copyIfSet(row.Prefix, common.Initials);
    copyIfSet(row.Suffix, common.PalmSuffix);
    copyIfSet(row.EnglishName, common.FullName);
    copyIfSet(row.NickName, common.NickName);
    copyIfSet(row.AssistantName, common.AssistantName);
    copyIfSet(row.AssistantPhone, common.AssistantPhone);
    copyIfSet(row.WorkStreet, common.WorkStreet);
    copyIfSet(row.WorkCity, common.WorkCity);
    copyIfSet(row.WorkState, common.WorkState);
    copyIfSet(row.WorkZip, common.WorkPostal);
    copyIfSet(row.WorkCountry, common.WorkCountry);
    copyIfSet(row.HomeStreet, common.HomeStreet);
    copyIfSet(row.HomeCity, common.HomeCity);
    copyIfSet(row.HomeState, common.HomeState);
    copyIfSet(row.HomeZip, common.HomePostal);
    copyIfSet(row.HomeCountry, common.HomeCountry);
    copyIfSet(row.OtherStreet, common.OtherStreet);
    copyIfSet(row.OtherCity, common.OtherCity);
    copyIfSet(row.OtherState, common.OtherState);
    copyIfSet(row.OtherZip, common.OtherPostal);
    copyIfSet(row.OtherCountry, common.OtherCountry);
    copyIfSet(row.Note, common.Note);
    copyIfSet(row.Chat1, common.IMAddress);
    copyIfSet(row.Chat2, common.IMAddress2);
    copyIfSet(row.CategoryName, common.Category);
    row.Birthday = databaseDateOf(common.Birthday);
    row.Anniversary = databaseDateOf(common.Anniversary);
}

bool PmAddrKind::ResolveCategory(PmAddrUtil& file, PmAddrRec& palmRec) {
    return resolveCategory(file, palmRec);
}

bool PmAddrKind::ResolveCategory(PmAddrExUtil& file, PmAddrExRec& palmRec) {
    return resolveCategory(file, palmRec);
}

} // namespace twinleaf
