// The memos tab at the sizes users have: 10 000 memos of mixed length, up to 8 KB. Loading a
// classic memo pad through the facade (read, parse, list, convert to common records), reading a
// store folder of 10 000 note files into common records, and comparing two lists both ways.
#include "bench/BenchHome.h"
#include "common/misc/CommNote.h"
#include "common/outlook/OlNote.h"
#include "common/palm/PalmMemoInfo.h"
#include "platform/outlook/CalendarItem.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace twinleaf;

using bench::BenchHome;

// A title line, then lines of text up to a length between 20 characters and 8 KB.
std::string memoText(int n) {
    const std::size_t length = 20 + static_cast<std::size_t>(n) * 7919 % 8150;
    std::string text = "Meeting notes " + std::to_string(n) + "\r\n";
    while (text.size() < length) {
        text +=
            "Agreed to send the figures by Friday; item " + std::to_string(text.size()) + ".\r\n";
    }
    text.resize(length);
    return text;
}

CommNoteRec memo(const std::string& text) {
    CommNoteRec rec{};
    copyToField(rec.Note, text);
    copyToField(rec.Subject, MemoSubjectOf(text));
    return rec;
}

void LoadTenThousandMemos(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    const std::string file = (home.path() / "memopad.dat").string();
    {
        PmMemoUtil empty;
        empty.Save(file.c_str());
        PmMemoInfo palm;
        palm.OpenPath(file.c_str());
        for (int n = 0; n < count; ++n) {
            const CommNoteRec rec = memo(memoText(n));
            palm.AddRecord(&rec);
        }
        palm.Save();
    }
    for (auto _ : state) {
        PmMemoInfo palm;
        if (!palm.OpenPath(file.c_str()) ||
            palm.GetCommMgr()->GetCount() != static_cast<std::uint32_t>(count)) {
            state.SkipWithError("the memo pad did not load");
            break;
        }
        benchmark::DoNotOptimize(palm.GetCommMgr()->First());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(LoadTenThousandMemos)->Arg(10000)->Unit(benchmark::kMillisecond);

void EnumerateTenThousandNotes(benchmark::State& state) {
    BenchHome home;
    const int count = static_cast<int>(state.range(0));
    const std::filesystem::path folder = home.path() / "Outlook" / "Notes";
    std::filesystem::create_directories(folder);
    for (int n = 0; n < count; ++n) {
        outlook::StoredItem item;
        item.kind = &outlook::noteKind();
        item.values = outlook::initialValues(outlook::noteKind());
        item.id = "bench" + std::to_string(1000000 + n);
        item.value("Body").text = memoText(n);
        item.value("LastModificationTime").number = 46000;
        outlook::completeCalendarItemForSave(item);
        std::ofstream(folder / (item.id + ".ics"), std::ios::binary)
            << outlook::writeCalendarItem(item);
    }
    bench::ReloadEachIteration<OlNoteUtil>(state, static_cast<std::uint32_t>(count),
                                           [](OlNoteUtil&) {});
}
BENCHMARK(EnumerateTenThousandNotes)->Arg(10000)->Unit(benchmark::kMillisecond);

// Half the memos on both sides, a tenth of those with another text, the rest on one side only.
void CompareTenThousandMemos(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bench::CompareBothWays<CommNoteMgr>(
        state, [](int n) { return memo(memoText(n)); },
        [count](int n) {
            std::string text = memoText(n % 2 == 0 ? n : n + count);
            if (n % 20 == 0) {
                text += "\r\nchanged in Outlook";
            }
            return memo(text);
        });
}
BENCHMARK(CompareTenThousandMemos)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
