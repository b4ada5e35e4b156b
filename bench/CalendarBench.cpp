// The calendar tab at the sizes users have: reading a store folder of 10 000 appointment files (a
// third repeating, all in the local zone) into common records, and comparing two lists of 10 000
// appointments both ways. Loading the date book is measured in DateBookBench.cpp.
#include "bench/BenchHome.h"
#include "common/misc/CommDate.h"
#include "common/outlook/OlDate.h"
#include "platform/outlook/CalendarItem.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/outlook/StoreTime.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace twinleaf;

using bench::BenchHome;

CommDateRec appointment(int n) {
    CommDateRec rec{};
    copyToField(rec.Description, "Meeting with customer " + std::to_string(n));
    copyToField(rec.Note, "Agenda: the offer of " + std::to_string(n % 97) + " units.");
    rec.StartDateTime = win::SYSTEMTIME{2027,
                                        static_cast<win::WORD>(1 + n % 12),
                                        0,
                                        static_cast<win::WORD>(1 + n % 28),
                                        static_cast<win::WORD>(8 + n % 10),
                                        0,
                                        0,
                                        0};
    rec.EndDateTime = rec.StartDateTime;
    rec.EndDateTime.wHour = static_cast<win::WORD>(rec.EndDateTime.wHour + 1);
    if (n % 3 == 0) {
        rec.Repeat = CommDateRepeat{kCommRepeatWeekly, 0, {}, 1, 1 << (n % 7), 0, 0, 1};
    }
    return rec;
}

void EnumerateTenThousandAppointments(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    const std::filesystem::path folder = home.path() / "Outlook" / "Calendar";
    std::filesystem::create_directories(folder);
    for (int n = 0; n < count; ++n) {
        outlook::StoredItem item;
        item.kind = &outlook::appointmentKind();
        item.values = outlook::initialValues(outlook::appointmentKind());
        item.id = "bench" + std::to_string(1000000 + n);
        const CommDateRec rec = appointment(n);
        item.value("Subject").text = rec.Description.view();
        item.value("Body").text = rec.Note.view();
        const double start =
            outlook::civilToOleDate({rec.StartDateTime.wYear, rec.StartDateTime.wMonth,
                                     rec.StartDateTime.wDay, rec.StartDateTime.wHour, 0, 0});
        item.value("Start").number = start;
        item.value("End").number = start + 1.0 / 24;
        item.value("Duration").number = 60;
        item.value("LastModificationTime").number = 46000;
        if (rec.Repeat.RepeatType != kCommRepeatNone) {
            item.value("IsRecurring").number = 1;
            item.value("RecurrenceType").number = 1;
            item.value("DayOfWeekMask").number = rec.Repeat.RepeatDays;
        }
        std::ofstream(folder / (item.id + ".ics"), std::ios::binary)
            << outlook::writeCalendarItem(item);
    }
    bench::ReloadEachIteration<OlDateUtil>(state, static_cast<std::uint32_t>(count),
                                           [](OlDateUtil& dates) { dates.SetIncludeBody(1); });
}
BENCHMARK(EnumerateTenThousandAppointments)->Arg(10000)->Unit(benchmark::kMillisecond);

// Half the appointments on both sides, a tenth of those with another note, the rest on one side
// only.
void CompareTenThousandAppointments(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bench::CompareBothWays<CommDateMgr>(state, appointment, [count](int n) {
        CommDateRec theirs = appointment(n % 2 == 0 ? n : n + count);
        if (n % 20 == 0) {
            copyToField(theirs.Note, "changed in Outlook");
        }
        return theirs;
    });
}
BENCHMARK(CompareTenThousandAppointments)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
