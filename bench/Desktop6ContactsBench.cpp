// Palm Desktop 6 contacts in a database of the SQLite form: loading 10 000 of them through the
// contact facade (select, read every row, list, convert to common records), and storing 1 000
// changed ones as one sync run does (one UPDATE each, one transaction, committed by Save).
#include "common/palm/PalmAddrInfo.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using namespace twinleaf;

const char* const kFirst[] = {"Anna", "Bernd", "Clara", "Dieter", "Emma", "Felix", "Greta"};
const char* const kLast[] = {"Schmidt", "Meyer", "Weber", "Wagner", "Becker", "Kr\xFCger"};
const char* const kCity[] = {"Berlin", "Hamburg", "M\xFCnchen", "K\xF6ln"};

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "d6-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A database of `count` contacts of realistic size, written through the access itself.
std::string database(const TempFolder& folder, int count) {
    const std::string path =
        (folder.path() / ("Address-" + std::to_string(count) + ".mdb")).string();
    PmAddrEx2Util contacts;
    std::string error;
    if (!CreateEx2Database(path, contacts.Columns(), error) ||
        !contacts.OpenDatabase(PmDataKind::Addr, path) || !contacts.BeginChanges()) {
        throw std::runtime_error(error + contacts.GetLastError());
    }
    std::mt19937 random(static_cast<unsigned>(count));
    for (int i = 0; i < count; ++i) {
        PmAddrEx2Rec rec{};
        rec.RecordId = i + 1;
        rec.Placement = i;
        copyToField(rec.FirstName, kFirst[random() % std::size(kFirst)]);
        copyToField(rec.LastName, kLast[random() % std::size(kLast)]);
        copyToField(rec.Company, i % 4 == 0 ? "Acme Widgets GmbH" : "");
        copyToField(rec.WorkPhone, "+49 30 " + std::to_string(1000000 + random() % 9000000));
        copyToField(rec.HomeMobile, "+49 170 " + std::to_string(1000000 + random() % 9000000));
        rec.PhoneLabel1 = 0;
        rec.PhoneLabel6 = 7;
        copyToField(rec.WorkStreet, std::to_string(random() % 200) + " Hauptstra\xDF"
                                                                     "e");
        copyToField(rec.WorkCity, kCity[random() % std::size(kCity)]);
        copyToField(rec.Note, i % 5 == 0 ? "Met at the trade fair; prefers calls after 10." : "");
        if (!contacts.StoreRecord(rec)) {
            throw std::runtime_error(contacts.GetLastError());
        }
    }
    if (!contacts.CommitChanges()) {
        throw std::runtime_error(contacts.GetLastError());
    }
    return path;
}

void LoadAndConvert(benchmark::State& state) {
    const TempFolder folder;
    const std::string path = database(folder, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PmAddrInfo info;
        if (!info.OpenPath(path.c_str())) {
            state.SkipWithError(info.GetLastError().c_str());
            break;
        }
        benchmark::DoNotOptimize(info.GetCommMgr()->GetCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
// Several rounds: the first pays for the fresh memory of the lists, which later loads reuse.
BENCHMARK(LoadAndConvert)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);

void StoreChangedInOneRun(benchmark::State& state) {
    const TempFolder folder;
    const std::string path = database(folder, 10000);
    const int changed = static_cast<int>(state.range(0));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PmAddrInfo info;
        if (!info.OpenPath(path.c_str())) {
            state.SkipWithError(info.GetLastError().c_str());
            break;
        }
        ++round;
        state.ResumeTiming();
        for (int i = 0; i < changed; ++i) {
            CommAddrRec rec = *info.GetCommMgr()->GetAt(static_cast<std::uint32_t>(i));
            rec.Native = nullptr;
            rec.NativeSize = 0;
            copyToField(rec.Title, "Buyer " + std::to_string(round));
            if (!info.UpdateRecord(&rec, i)) {
                state.SkipWithError("a record could not be stored");
                break;
            }
        }
        if (!info.Save()) {
            state.SkipWithError(info.GetLastError().c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(StoreChangedInOneRun)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
