// The calendar tab's Palm side at the sizes users have: loading a classic date book of 10 000
// appointments, a third of them repeating, through the facade (read, parse, list, convert each
// into a common calendar record).
#include "bench/BenchHome.h"
#include "common/misc/CommDate.h"
#include "common/palm/PalmDateInfo.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace twinleaf;

using bench::BenchHome;

// Every third appointment repeats, going round the five patterns the date book can hold.
CommDateRec appointment(int n) {
    CommDateRec rec{};
    copyToField(rec.Description, "Meeting with customer " + std::to_string(n));
    copyToField(rec.Note, "Room " + std::to_string(n % 40) + "; bring the offer.");
    const auto day = static_cast<win::WORD>(1 + n % 28);
    const auto month = static_cast<win::WORD>(1 + (n / 28) % 12);
    rec.StartDateTime = win::SYSTEMTIME{2024, month, 0, day, 9, 0, 0, 0};
    rec.EndDateTime = win::SYSTEMTIME{2024, month, 0, day, 10, 30, 0, 0};
    if (n % 3 == 0) {
        static constexpr std::int32_t kPatterns[] = {
            kCommRepeatDaily, kCommRepeatWeekly, kCommRepeatMonthlyByWeekday,
            kCommRepeatMonthlyByDate, kCommRepeatYearlyByDate};
        CommDateRepeat& repeat = rec.Repeat;
        repeat.RepeatType = kPatterns[(n / 3) % 5];
        repeat.RepeatFrequency = 1 + n % 2;
        repeat.RepeatDays = 0x0A;
        repeat.RepeatWeek = 2;
        repeat.RepeatDayOfMonth = day;
        repeat.RepeatMonth = month;
        repeat.RepeatHasEnd = n % 2;
        repeat.RepeatEnd = win::SYSTEMTIME{2026, 12, 0, 31, 0, 0, 0, 0};
    }
    return rec;
}

void LoadTenThousandAppointments(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    const std::string file = (home.path() / "datebook.dat").string();
    {
        PmDateUtil empty;
        empty.Save(file.c_str());
        PmDateInfo palm;
        palm.OpenPath(file.c_str());
        for (int n = 0; n < count; ++n) {
            const CommDateRec rec = appointment(n);
            palm.AddRecord(&rec);
        }
        palm.Save();
    }
    for (auto _ : state) {
        PmDateInfo palm;
        if (!palm.OpenPath(file.c_str()) ||
            palm.GetCommMgr()->GetCount() != static_cast<std::uint32_t>(count)) {
            state.SkipWithError("the date book did not load");
            break;
        }
        benchmark::DoNotOptimize(palm.GetCommMgr()->First());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(LoadTenThousandAppointments)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
