// The calendar facade over the Palm date book forms, and the mappings of the classic date book.
#include "common/palm/PalmDateInfo.h"

#include "common/misc/CxDateTime.h"
#include "common/palm/PalmDatabaseForm.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

namespace twinleaf {
namespace {

// A time of the file as local time; PmTime's constructor would take 0 for "now", a row's 0 is 1970.
void toLocalTime(std::int32_t value, win::SYSTEMTIME& local) {
    PmTime time(1);
    time.SetValue(value);
    time.ToSystemTime(&local);
}

// The row's classic repeat type for a common one; -1 for a pattern the row has no words for.
std::int32_t palmRepeatTypeOf(std::int32_t commonType) {
    switch (commonType) {
    case kCommRepeatDaily:
        return palm::kRepeatDaily;
    case kCommRepeatWeekly:
        return palm::kRepeatWeekly;
    case kCommRepeatMonthlyByWeekday:
        return palm::kRepeatMonthlyByDay;
    case kCommRepeatMonthlyByDate:
        return palm::kRepeatMonthlyByDate;
    case kCommRepeatYearlyByDate:
        return palm::kRepeatYearlyByDate;
    case kCommRepeatNone:
        return 0;
    default:
        return -1;
    }
}

void toPalmRepeat(const CommDateRepeat& from, RepeatValue& to) {
    to.EndDate = palm::kRepeatNoEnd;
    PmTime end(palm::kRepeatNoEnd);
    if (from.RepeatHasEnd != 0 && end.FromSystemTime(&from.RepeatEnd) &&
        PalmRepeatHasEnd(end.GetValue())) {
        to.EndDate = end.GetValue();
    }
    const std::int32_t type = palmRepeatTypeOf(from.RepeatType);
    to.RepeatType = std::max(type, 0);
    switch (type) {
    case palm::kRepeatDaily:
        to.DayIndex = from.RepeatDays;
        break;
    case palm::kRepeatWeekly:
        to.DayIndex = 1;
        to.DaysMask = static_cast<std::uint8_t>(from.RepeatDays & 0xFF);
        break;
    case palm::kRepeatMonthlyByDay:
        to.DayIndex = from.RepeatDays;
        to.WeekIndex = from.RepeatWeek;
        break;
    case palm::kRepeatMonthlyByDate:
        to.DateNumber = from.RepeatDayOfMonth;
        break;
    case palm::kRepeatYearlyByDate:
        to.DateNumber = from.RepeatDayOfMonth;
        to.MonthIndex = from.RepeatMonth;
        break;
    default:
        return;
    }
    to.Interval = from.RepeatFrequency;
}

void toCommonRepeat(const RepeatValue& from, CommDateRepeat& to) {
    to = CommDateRepeat{};
    switch (from.RepeatType) {
    case palm::kRepeatDaily:
        to.RepeatType = kCommRepeatDaily;
        to.RepeatDays = from.DayIndex;
        break;
    case palm::kRepeatWeekly:
        to.RepeatType = kCommRepeatWeekly;
        to.RepeatWeek = 1;
        to.RepeatDays = from.DaysMask;
        break;
    case palm::kRepeatMonthlyByDay:
        to.RepeatType = kCommRepeatMonthlyByWeekday;
        to.RepeatDays = from.DayIndex;
        to.RepeatWeek = from.WeekIndex;
        break;
    case palm::kRepeatMonthlyByDate:
        to.RepeatType = kCommRepeatMonthlyByDate;
        to.RepeatDayOfMonth = from.DateNumber;
        break;
    case palm::kRepeatYearlyByDate:
        to.RepeatType = kCommRepeatYearlyByDate;
        to.RepeatDayOfMonth = from.DateNumber;
        to.RepeatMonth = from.MonthIndex;
        break;
    default: // no repeat, and the yearly repeat by day, which has no words to map
        return;
    }
    to.RepeatFrequency = from.Interval;
    toLocalTime(from.EndDate, to.RepeatEnd);
    to.RepeatHasEnd = PalmRepeatHasEnd(from.EndDate) ? 1 : 0;
}

// What a date book row of any form gives the common record; the forms name the description and
// the all-day flag differently, and the classic row keeps no location.
template <class Row>
void rowToCommon(const Row& row, std::string_view description, std::string_view location,
                 std::int32_t untimed, CommDateRec& common) {
    copyIfSetWithin(common.Description, description, 255);
    copyIfSetWithin(common.Note, fieldText(row.Note), 8191);
    copyIfSetWithin(common.Location, location, 255);
    toLocalTime(row.StartTime, common.StartDateTime);
    toLocalTime(row.EndTime, common.EndDateTime);
    common.AllDayEvent = untimed != 0 ? 1 : 0;
    ClearAllDayTimes(common);
    common.Duration = MinutesBetween(common.EndDateTime, common.StartDateTime);
    common.Private = row.Private != 0 ? 1 : 0;
    toCommonRepeat(row.Repeat, common.Repeat);
}

// The times and marks every form keeps. Outlook's records carry no privacy: taking their "not
// private" over would make every private appointment they update public.
template <class Row, class Flag>
void timesToPalm(const CommDateRec& common, Row& row, Flag& untimed) {
    PmTime start(row.StartTime);
    if (start.FromSystemTime(&common.StartDateTime)) {
        row.StartTime = start.GetValue();
    }
    PmTime end(row.EndTime);
    if (end.FromSystemTime(&common.EndDateTime)) {
        row.EndTime = end.GetValue();
    }
    if (common.SourceType != kSourceOutlook) {
        row.Private = common.Private != 0 ? 1 : 0;
    }
    untimed = static_cast<Flag>(common.AllDayEvent != 0 ? 1 : 0);
}

// How many characters of a text the row takes.
struct TextLimits {
    std::size_t description;
    std::size_t note;
};

// The classic and the extended row: the same names but the all-day flag, and a repeat.
template <class Rec>
void appointmentToPalm(const CommDateRec& common, Rec& palmRec, std::int32_t& untimed,
                       TextLimits limits) {
    copyIfSetWithin(palmRec.Description, fieldText(common.Description), limits.description);
    copyIfSetWithin(palmRec.Note, fieldText(common.Note), limits.note);
    timesToPalm(common, palmRec, untimed);
    // A repeat the common record has no words for (yearly by day) reads as none; writing "none"
    // back would drop it from an appointment whose other fields changed.
    const bool rowRepeatUnread = palmRec.Repeat.RepeatType >= palm::kRepeatYearlyByDay;
    if (common.Repeat.RepeatType != kCommRepeatNone || !rowRepeatUnread) {
        toPalmRepeat(common.Repeat, palmRec.Repeat);
    }
}

} // namespace

// Any end the file can hold counts: an end in 2021 or 2030 is as real as one in 2005.
bool PalmRepeatHasEnd(std::int32_t endDate) {
    return endDate != -1 && endDate < palm::kRepeatNoEnd;
}

PmDateInfo::PmDateInfo() {
    auto desktop6 = std::make_unique<PmDatabaseForm<PmDateKind>>();
    m_pDesktop6 = &desktop6->GetUtil();
    AddForm(std::move(desktop6));
    auto extended = std::make_unique<PmExtendedForm<PmDateKind>>();
    m_pExtended = &extended->GetFile();
    AddForm(std::move(extended));
    auto classic = std::make_unique<PmClassicForm<PmDateKind>>();
    m_pClassic = &classic->GetFile();
    AddForm(std::move(classic));
}

PalmFormat PmDateInfo::DetectFileFormat(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return PalmFormat::Invalid;
    }
    PmDateInfo probe;
    return probe.DetectFormat(path);
}

void PmDateKind::ClassicToCommon(const PmDateRec& palmRec, CommDateRec& common) {
    rowToCommon(palmRec, fieldText(palmRec.Description), {}, palmRec.Untimed, common);
}

void PmDateKind::CommonToClassic(const CommDateRec& common, PmDateRec& palmRec) {
    appointmentToPalm(common, palmRec, palmRec.Untimed, {511, 511});
}

void PmDateKind::ExtendedToCommon(const PmDateExRec& palmRec, CommDateRec& common) {
    rowToCommon(palmRec, fieldText(palmRec.Description), fieldText(palmRec.Location),
                palmRec.AllDayEvent, common);
}

void PmDateKind::CommonToExtended(const CommDateRec& common, PmDateExRec& palmRec) {
    appointmentToPalm(common, palmRec, palmRec.AllDayEvent, {255, 8191});
    copyIfSetWithin(palmRec.Location, fieldText(common.Location), 255);
}

void PmDateKind::DatabaseToCommon(const PmDateEx2Rec& row, CommDateRec& common) {
    rowToCommon(row, fieldText(row.Summary), fieldText(row.Location), row.Untimed, common);
}

void PmDateKind::CommonToDatabase(const CommDateRec& common, PmDateEx2Rec& row) {
    copyIfSetWithin(row.Summary, fieldText(common.Description), 255);
    copyIfSetWithin(row.Note, fieldText(common.Note), 2047);
    copyIfSetWithin(row.Location, fieldText(common.Location), 255);
    timesToPalm(common, row, row.Untimed);
    // The database has no place for a repeat: the row keeps none, so that the pair compares as
    // what was stored, and the write is reported (Unheld).
}

std::string PmDateKind::Unheld(const CommDateRec& common, PalmFormat format) {
    std::string what;
    if (format == PalmFormat::Desktop6 && common.Repeat.RepeatType != kCommRepeatNone) {
        what = "repeats, which a Palm Desktop 6 date book cannot hold; written without its repeat";
    } else if (palmRepeatTypeOf(common.Repeat.RepeatType) < 0) {
        what = "repeats yearly on a weekday, which a Palm date book cannot hold; written without "
               "its repeat";
    }
    // A time before 1970 or after January 2038 has no 32-bit value: the row keeps the time it had.
    PmTime time(1);
    if (!time.FromSystemTime(&common.StartDateTime) || !time.FromSystemTime(&common.EndDateTime)) {
        what +=
            std::string(what.empty() ? "" : "; ") +
            "starts or ends outside the years a Palm date book can hold (1970 to January 2038); "
            "written without that time";
    }
    return what.empty() ? what : "\"" + std::string(fieldText(common.Description)) + "\": " + what;
}

} // namespace twinleaf
