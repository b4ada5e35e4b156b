// What reading both sides of the contacts tab again after every run costs at 10 000 contacts:
// the classic address book read from its file through the facade, the open Outlook folder
// enumerated again, and both lists compared in both directions. Items are records read.
#include "bench/BenchHome.h"
#include "common/misc/CommAddr.h"
#include "common/outlook/OlAddr.h"
#include "common/palm/PalmAddrInfo.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace twinleaf;

using bench::BenchHome;

// An address book of `count` people with names, company, phones and an e-mail address.
bool writeBook(const std::string& path, int count) {
    PmAddrUtil file;
    file.SetSwapName(false);
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(i);
        PmAddrRec rec{};
        rec.RecordId = 0x00B00000 + i;
        rec.Position = i;
        copyToField(rec.FirstName, "First" + number);
        copyToField(rec.LastName, "Last" + number);
        copyToField(rec.Company, "Company " + number);
        rec.PhoneLabel1 = 0;
        rec.PhoneLabel2 = 1;
        rec.PhoneLabel3 = 4;
        copyToField(rec.Phone1, "+49 30 " + number);
        copyToField(rec.Phone2, "+49 40 " + number);
        copyToField(rec.Phone3, "person" + number + "@example.org");
        copyToField(rec.City, "Berlin");
        file.GetRecords()->Add(&rec);
    }
    return file.Save(path.c_str());
}

void ReloadBothSidesAfterARun(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    BenchHome home;
    const std::string book = (home.path() / "address.dat").string();
    PmAddrInfo palm;
    OlAddrUtil contacts;
    // The Outlook folder holds the same people, as after a first synchronisation.
    if (!writeBook(book, count) || !palm.OpenPath(book.c_str()) || !contacts.Reload()) {
        state.SkipWithError("the sides could not be made");
        return;
    }
    CommAddrMgr& palmList = *palm.GetCommMgr();
    for (CommAddrRec* rec = palmList.First(); rec != nullptr; rec = palmList.Next()) {
        contacts.SaveRecord(rec);
    }
    for (auto _ : state) {
        if (!palm.OpenPath(book.c_str()) || !contacts.Reload()) {
            state.SkipWithError(palm.GetLastError().c_str());
            break;
        }
        palm.GetCommMgr()->CompareWith(contacts.GetRecords());
        contacts.GetRecords()->CompareWith(palm.GetCommMgr());
        benchmark::DoNotOptimize(contacts.GetRecords()->First());
    }
    state.SetItemsProcessed(state.iterations() * 2 * count);
    state.counters["outlook"] = static_cast<double>(contacts.GetRecords()->GetCount());
}
BENCHMARK(ReloadBothSidesAfterARun)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
