// Outlook appointments: reading the calendar folder into common records and writing records back.
#include "common/outlook/OlDate.h"

#include "common/misc/CxDateTime.h"
#include "platform/win/OleDate.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace twinleaf {

using namespace win;

namespace {

constexpr LONG kCalendarFolder = 9;  // olFolderCalendar
constexpr LONG kAppointmentItem = 1; // olAppointmentItem
constexpr LONG kMonthsPerYear = 12;

#define IMAGE(field) OL_FIELD(OlAppointmentImage, field)
#define RECORD(field) OL_RECORD(CommDateRec, field)
#define PROPERTY(property, value, flags, record)                                                   \
    { u## #property, OlValue::value, OlScope::Item, flags, IMAGE(property), record }
#define PATTERN(property, value, flags)                                                            \
    { u## #property, OlValue::value, OlScope::Pattern, flags, IMAGE(property), OL_IMAGE_ONLY }

// In the order the properties are written; IsRecurring comes before the pattern, whose reading
// depends on it. Times, the body and the pattern are converted by hand.
const OlProperty kAppointmentProperties[] = {
    PROPERTY(AllDayEvent, Bool, 0, RECORD(AllDayEvent)),
    PROPERTY(Duration, Long, 0, OL_IMAGE_ONLY),
    PROPERTY(End, Date, kOlPositiveOnly, OL_IMAGE_ONLY),
    PROPERTY(Start, Date, kOlPositiveOnly, OL_IMAGE_ONLY),
    PROPERTY(Subject, Text, 0, RECORD(Description)),
    PROPERTY(Body, Text, 0, OL_IMAGE_ONLY),
    PROPERTY(Location, Text, 0, OL_IMAGE_ONLY),
    PROPERTY(IsRecurring, Bool, kOlReadOnly, OL_IMAGE_ONLY),
    PATTERN(RecurrenceType, Long, 0),
    PATTERN(Interval, Long, kOlPositiveOnly),
    PATTERN(DayOfWeekMask, Long, kOlPositiveOnly),
    PATTERN(DayOfMonth, Long, kOlPositiveOnly),
    PATTERN(Instance, Long, kOlPositiveOnly),
    PATTERN(MonthOfYear, Long, kOlPositiveOnly),
    PATTERN(PatternEndDate, Date, kOlPositiveOnly),
    {nullptr, OlValue::Text, OlScope::Item, kOlReadOnly, IMAGE(FolderName), OL_IMAGE_ONLY},
    PROPERTY(CreationTime, Date, kOlReadOnly, RECORD(CreationTime)),
    PROPERTY(LastModificationTime, Date, kOlReadOnly, RECORD(LastModificationTime)),
};

#undef PATTERN
#undef PROPERTY
#undef RECORD
#undef IMAGE

// An automation date as a SYSTEMTIME; no date (0) stays all zero.
SYSTEMTIME systemTimeOf(DATE date) {
    SYSTEMTIME time{};
    if (date > 1.0 && VariantTimeToSystemTime(date, &time) == 0) {
        time = SYSTEMTIME{};
    }
    return time;
}

// A SYSTEMTIME as an automation date; an all-zero one (no date) gives 0.
DATE dateOf(const SYSTEMTIME& time) {
    DATE date = 0;
    if (time.wYear == 0 || SystemTimeToVariantTime(&time, &date) == 0) {
        return 0;
    }
    return date;
}

} // namespace

template class OlItemUtil<OlDateKind>;

const OlItemKind& OlDateKind::Description() {
    static const OlItemKind kind{kCalendarFolder, kAppointmentItem, kAppointmentProperties,
                                 "Get Outlook Calendar root folder successfully.",
                                 "Failed to get Calendar Items property."};
    return kind;
}

void RepeatToPattern(const CommDateRepeat& repeat, OlAppointmentImage& image) {
    image.RecurrenceType = kOlNoRecurrence;
    image.Interval = 0;
    image.DayOfWeekMask = 0;
    image.DayOfMonth = 0;
    image.Instance = 0;
    image.MonthOfYear = 0;
    image.PatternEndDate = 0;
    switch (repeat.RepeatType) {
    case kCommRepeatDaily:
    case kCommRepeatWeekly:
        image.RecurrenceType =
            repeat.RepeatType == kCommRepeatDaily ? kOlRecursDaily : kOlRecursWeekly;
        image.Interval = repeat.RepeatFrequency;
        image.DayOfWeekMask = repeat.RepeatDays;
        break;
    case kCommRepeatMonthlyByWeekday:
        image.RecurrenceType = kOlRecursMonthNth;
        image.Interval = repeat.RepeatFrequency;
        image.Instance = repeat.RepeatWeek;
        image.DayOfWeekMask = repeat.RepeatDays;
        break;
    case kCommRepeatMonthlyByDate:
        image.RecurrenceType = kOlRecursMonthly;
        image.Interval = repeat.RepeatFrequency;
        image.DayOfMonth = repeat.RepeatDayOfMonth;
        break;
    case kCommRepeatYearlyByWeekday:
        image.RecurrenceType = kOlRecursYearNth;
        image.Interval = repeat.RepeatFrequency * kMonthsPerYear;
        image.Instance = repeat.RepeatWeek;
        image.MonthOfYear = repeat.RepeatMonth;
        image.DayOfWeekMask = repeat.RepeatDays;
        break;
    case kCommRepeatYearlyByDate:
        image.RecurrenceType = kOlRecursYearly;
        image.Interval = repeat.RepeatFrequency * kMonthsPerYear;
        image.DayOfMonth = repeat.RepeatDayOfMonth;
        image.MonthOfYear = repeat.RepeatMonth;
        break;
    default:
        return; // no repeat, or a kind no pattern stands for
    }
    if (repeat.RepeatHasEnd != 0) {
        image.PatternEndDate = dateOf(repeat.RepeatEnd);
    }
}

void PatternToRepeat(const OlAppointmentImage& image, CommDateRepeat& repeat) {
    repeat = CommDateRepeat{};
    if (image.RecurrenceType < 0) {
        return;
    }
    // Outlook's yearly interval is in months; a stray value below 12 still means every year.
    const LONG years = image.Interval >= kMonthsPerYear ? image.Interval / kMonthsPerYear : 1;
    switch (image.RecurrenceType) {
    case kOlRecursDaily:
    case kOlRecursWeekly:
        repeat.RepeatType =
            image.RecurrenceType == kOlRecursDaily ? kCommRepeatDaily : kCommRepeatWeekly;
        repeat.RepeatFrequency = image.Interval;
        repeat.RepeatDays = image.DayOfWeekMask;
        // The date book reads every weekly repeat as one of week 1; the Outlook side says the
        // same, or the two sides of a weekly appointment would never compare alike.
        if (repeat.RepeatType == kCommRepeatWeekly) {
            repeat.RepeatWeek = 1;
        }
        break;
    case kOlRecursMonthly:
        repeat.RepeatType = kCommRepeatMonthlyByDate;
        repeat.RepeatFrequency = image.Interval;
        repeat.RepeatDayOfMonth = image.DayOfMonth;
        break;
    case kOlRecursMonthNth:
        repeat.RepeatType = kCommRepeatMonthlyByWeekday;
        repeat.RepeatWeek = image.Instance;
        repeat.RepeatFrequency = image.Interval;
        repeat.RepeatDays = image.DayOfWeekMask;
        break;
    case kOlRecursYearly:
        repeat.RepeatType = kCommRepeatYearlyByDate;
        repeat.RepeatFrequency = years;
        repeat.RepeatMonth = image.MonthOfYear;
        repeat.RepeatDayOfMonth = image.DayOfMonth;
        break;
    case kOlRecursYearNth:
        repeat.RepeatType = kCommRepeatYearlyByWeekday;
        repeat.RepeatFrequency = years;
        repeat.RepeatMonth = image.MonthOfYear;
        repeat.RepeatWeek = image.Instance;
        repeat.RepeatDays = image.DayOfWeekMask;
        break;
    default:
        break;
    }
    if (image.PatternEndDate > 1.0) {
        repeat.RepeatHasEnd = 1;
        repeat.RepeatEnd = systemTimeOf(image.PatternEndDate);
    }
}

void OlDateUtil::ReadItem(CDispCmd& item, OlAppointmentImage* pImage) {
    OlItemUtil::ReadItem(item, pImage);
    if (pImage->IsRecurring == 0) {
        pImage->RecurrenceType = kOlNoRecurrence;
    }
}

void OlDateUtil::ImageToRecord(const OlAppointmentImage* pImage, CommDateRec* pRec) {
    OlItemUtil::ImageToRecord(pImage, pRec);
    copyToField(pRec->Note, fieldText(pImage->Body));
    pRec->StartDateTime = systemTimeOf(pImage->Start);
    // Outlook ends an all-day event at the midnight after its last day; the record, as the date
    // book, holds that last day.
    const bool allDay = pImage->AllDayEvent != 0;
    pRec->EndDateTime =
        systemTimeOf(allDay && pImage->End >= pImage->Start + 1 ? pImage->End - 1 : pImage->End);
    pRec->Duration = MinutesBetween(pRec->EndDateTime, pRec->StartDateTime);
    pRec->AllDayEvent = pImage->AllDayEvent != 0 ? 1 : 0;
    ClearAllDayTimes(*pRec);
    PatternToRepeat(*pImage, pRec->Repeat);
}

void OlDateUtil::RecordToImage(const CommDateRec* pRec, OlAppointmentImage* pImage) {
    OlItemUtil::RecordToImage(pRec, pImage);
    copyToField(pImage->Body, fieldText(pRec->Note));
    pImage->Start = dateOf(pRec->StartDateTime);
    pImage->End = dateOf(pRec->EndDateTime);
    pImage->AllDayEvent = pRec->AllDayEvent != 0 ? 1 : 0;
    if (pImage->AllDayEvent != 0 && pImage->Start > 1.0) {
        pImage->End = std::max(std::floor(pImage->End), std::floor(pImage->Start)) + 1;
    }
    pImage->Duration =
        pImage->AllDayEvent != 0 ? 1440 : MinutesBetween(pRec->EndDateTime, pRec->StartDateTime);
    RepeatToPattern(pRec->Repeat, *pImage);
}

bool OlDateUtil::UpdateItem(const CommDateRec* pRec, int nIndex) {
    if (!OlItemUtil::UpdateItem(pRec, nIndex)) {
        return false;
    }
    if (m_pRecs != nullptr) {
        m_pRecs->MergeAt(pRec, nIndex);
    }
    return true;
}

bool OlDateUtil::UsesProperty(const OlProperty& property, const void* pImage,
                              OlDirection direction) const {
    const auto* image = static_cast<const OlAppointmentImage*>(pImage);
    if (std::u16string_view(property.name) == u"Body") {
        return m_bIncludeBody != 0;
    }
    if (property.scope != OlScope::Pattern) {
        return true;
    }
    // A record without repeat sends no pattern, so an appointment's own pattern stays.
    return direction == OlDirection::Read ? image->IsRecurring != 0 : image->RecurrenceType >= 0;
}

} // namespace twinleaf
