// The tasks tab at the sizes users have: loading a classic to-do list of 10 000 to-dos through the
// facade (read, parse, list, convert to common records), reading a store folder of 10 000 task
// files into common records, and comparing two lists of 10 000 tasks both ways.
#include "bench/BenchHome.h"
#include "common/misc/CommTask.h"
#include "common/outlook/OlTask.h"
#include "common/palm/PalmTodoInfo.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/CalendarItem.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace twinleaf;

using bench::BenchHome;

CommTaskRec task(int n) {
    CommTaskRec rec{};
    copyToField(rec.Subject, "Follow up with customer " + std::to_string(n));
    copyToField(rec.Note, "Call before noon; the offer of " + std::to_string(n % 97) +
                              " units is still open.");
    rec.DueDate = 1800000000 + n * 3600;
    rec.Priority = n % 3;
    rec.Completed = n % 5 == 0 ? 1 : 0;
    return rec;
}

void LoadTenThousandToDos(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    const std::string file = (home.path() / "todo.dat").string();
    {
        PmTodoUtil empty;
        empty.Save(file.c_str());
        PmTodoInfo palm;
        palm.OpenPath(file.c_str());
        for (int n = 0; n < count; ++n) {
            const CommTaskRec rec = task(n);
            palm.AddRecord(&rec);
        }
        palm.Save();
    }
    for (auto _ : state) {
        PmTodoInfo palm;
        if (!palm.OpenPath(file.c_str()) ||
            palm.GetCommMgr()->GetCount() != static_cast<std::uint32_t>(count)) {
            state.SkipWithError("the to-do list did not load");
            break;
        }
        benchmark::DoNotOptimize(palm.GetCommMgr()->First());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(LoadTenThousandToDos)->Arg(10000)->Unit(benchmark::kMillisecond);

void EnumerateTenThousandTasks(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    const std::filesystem::path folder = home.path() / "Outlook" / "Tasks";
    std::filesystem::create_directories(folder);
    for (int n = 0; n < count; ++n) {
        outlook::StoredItem item;
        item.kind = &outlook::taskKind();
        item.values = outlook::initialValues(outlook::taskKind());
        item.id = "bench" + std::to_string(1000000 + n);
        const CommTaskRec rec = task(n);
        item.value("Subject").text = rec.Subject.view();
        item.value("Body").text = rec.Note.view();
        item.value("DueDate").number = 46000 + n / 24.0;
        item.value("Importance").number = n % 3;
        item.value("Complete").number = rec.Completed;
        item.value("LastModificationTime").number = 46000;
        std::ofstream(folder / (item.id + ".ics"), std::ios::binary)
            << outlook::writeCalendarItem(item);
    }
    bench::ReloadEachIteration<OlTaskUtil>(state, static_cast<std::uint32_t>(count),
                                           [](OlTaskUtil&) {});
}
BENCHMARK(EnumerateTenThousandTasks)->Arg(10000)->Unit(benchmark::kMillisecond);

// Half the tasks on both sides, a tenth of those with another note, the rest on one side only.
void CompareTenThousandTasks(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bench::CompareBothWays<CommTaskMgr>(state, task, [count](int n) {
        CommTaskRec theirs = task(n % 2 == 0 ? n : n + count);
        if (n % 20 == 0) {
            copyToField(theirs.Note, "changed in Outlook");
        }
        return theirs;
    });
}
BENCHMARK(CompareTenThousandTasks)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
