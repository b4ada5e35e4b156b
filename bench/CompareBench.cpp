// How long comparing the two sides of the contacts tab takes: both directions, as after every
// load and every run that changed something. Items are FindMatch look-ups.
#include "BenchHome.h"
#include "common/misc/CommAddr.h"
#include "common/sync/ContactKind.h"
#include "common/sync/Options.h"
#include "common/sync/SyncController.h"
#include "platform/text/FieldText.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

using namespace twinleaf;

// An address book of `count` contacts and its Outlook counterpart: about half the contacts on
// both sides (a fifth of those changed in an identity field), the rest on one side only, a few
// people sharing a name, and company entries without any name or number.
void makeSides(int count, CommAddrMgr& palm, CommAddrMgr& outlook) {
    std::mt19937 random(42);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int i = 0; i < count; ++i) {
        CommAddrRec rec{};
        if (pick(20) == 0) {
            copyToField(rec.Company, "Company " + std::to_string(pick(count)));
        } else {
            copyToField(rec.FirstName, "First" + std::to_string(pick(count)));
            copyToField(rec.LastName, "Last" + std::to_string(i % (count / 2 + 1)));
            copyToField(rec.WorkPhone, "+49 30 " + std::to_string(1000000 + pick(9000000)));
            if (pick(2) == 0) {
                copyToField(rec.EMail, "person" + std::to_string(i) + "@example.org");
            }
            if (pick(3) == 0) {
                copyToField(rec.MobilePhone, "+49 170 " + std::to_string(1000000 + i));
            }
        }
        palm.AddCopy(&rec);
        switch (pick(10)) {
        case 0:
            copyToField(rec.Title, "Dr");
            [[fallthrough]];
        case 1:
        case 2:
        case 3:
        case 4:
            outlook.AddCopy(&rec);
            break;
        default: {
            CommAddrRec other{};
            copyToField(other.FirstName, "Other" + std::to_string(i));
            copyToField(other.LastName, "Person" + std::to_string(pick(count)));
            copyToField(other.HomePhone, "+49 40 " + std::to_string(1000000 + pick(9000000)));
            outlook.AddCopy(&other);
            break;
        }
        }
    }
}

// Sides that only hold their lists: what CompareKind touches.
struct ListOnlyFacade {
    CommAddrMgr list;
    void SetSwapName(bool) {}
    bool Open(std::uint32_t) { return true; }
    bool OpenPath(const char*) { return true; }
    bool IsOpen() const { return true; }
    CommAddrMgr* GetCommMgr() { return &list; }
    bool WriteRecord(CommAddrRec*) { return false; }
    bool AddRecord(CommAddrRec*) { return false; }
    bool UpdateRecord(CommAddrRec*, int) { return false; }
    bool Save() { return true; }
    std::string GetLastError() const { return {}; }
};

struct ListOnlyAccess {
    CommAddrMgr list;
    bool Reload() { return true; }
    CommAddrMgr* GetRecords() { return &list; }
    void SetCustomMap(const std::int32_t*) {}
    bool SaveRecord(const CommAddrRec*) { return false; }
    bool CreateAndAdd(const CommAddrRec*) { return false; }
    bool UpdateItem(CommAddrRec*, int) { return false; }
};

class NoWindow : public SyncUi {
public:
    void setRows(DataKind, ViewSide, std::vector<void*>) override {}
    void refreshRows(DataKind, ViewSide) override {}
    std::vector<bool> checkedRows(DataKind, ViewSide) const override { return {}; }
    void setChecked(DataKind, ViewSide, std::size_t, bool) override {}
    void setAllChecked(DataKind, ViewSide, const std::vector<bool>&) override {}
    void fillUserSelector(DataKind, std::int32_t) override {}
    void setProgress(int) override {}
    void setProgressVisible(bool) override {}
    void setBusyCursor(bool) override {}
    void showMessage(const std::string&, const std::string&, win::UINT) override {}
    ConflictAnswer askConflict(DataKind, void*, void*) override { return {}; }
};

std::string palmFileName(ListOnlyFacade&) {
    return {};
}

// The controller's CompareKind on the contacts tab: both directions and the repaint requests.
void CompareKindContacts(benchmark::State& state) {
    OptionBlock options{};
    NoWindow window;
    CommAddrMgr* palm = nullptr;
    CommAddrMgr* outlook = nullptr;
    SyncController controller(
        options, window, [&](DataKind, const OptionBlock& block) -> std::unique_ptr<KindSides> {
            auto facade = std::make_unique<ListOnlyFacade>();
            auto access = std::make_unique<ListOnlyAccess>();
            palm = &facade->list;
            outlook = &access->list;
            return std::make_unique<KindSidesOf<ContactKindOf<ListOnlyFacade, ListOnlyAccess>>>(
                std::move(facade), std::move(access), block);
        });
    bench::resetPeakMemory();
    controller.OpenKind(DataKind::Addr);
    makeSides(static_cast<int>(state.range(0)), *palm, *outlook);
    for (auto _ : state) {
        controller.CompareKind(DataKind::Addr);
    }
    // Both lists and the comparison: what holding the sides of that many contacts costs.
    state.counters["peak_MB"] = bench::peakMegabytes();
    state.SetItemsProcessed(state.iterations() * (palm->GetCount() + outlook->GetCount()));
}
BENCHMARK(CompareKindContacts)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The lists' CompareWith, answered through their match indexes.
void CompareBothWaysIndexed(benchmark::State& state) {
    CommAddrMgr palm;
    CommAddrMgr outlook;
    makeSides(static_cast<int>(state.range(0)), palm, outlook);
    for (auto _ : state) {
        palm.CompareWith(&outlook);
        outlook.CompareWith(&palm);
    }
    state.SetItemsProcessed(state.iterations() * (palm.GetCount() + outlook.GetCount()));
}
BENCHMARK(CompareBothWaysIndexed)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The matching rule walked record by record, without the index: the quadratic baseline.
void CompareBothWaysByWalking(benchmark::State& state) {
    CommAddrMgr palm;
    CommAddrMgr outlook;
    makeSides(static_cast<int>(state.range(0)), palm, outlook);
    for (auto _ : state) {
        for (CommAddrMgr* own : {&palm, &outlook}) {
            CommAddrMgr& other = own == &palm ? outlook : palm;
            for (std::uint32_t i = 0; i < own->GetCount(); ++i) {
                CommAddrRec* rec = own->GetAt(i);
                rec->CompareStatus = CompareStatusFor(other.FindMatchByWalking(rec));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * (palm.GetCount() + outlook.GetCount()));
}
BENCHMARK(CompareBothWaysByWalking)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// The look-ups of a "Palm Desktop to Outlook" run with every Palm record ticked, as the Outlook
// access makes them: each record is looked up, and a match that differs is overwritten in place,
// which the list must notice before its next look-up. The first pass changes the differing
// matches; later passes find them the same.
template <bool Walk> void SyncRunLookups(benchmark::State& state) {
    CommAddrMgr palm;
    CommAddrMgr outlook;
    makeSides(static_cast<int>(state.range(0)), palm, outlook);
    for (auto _ : state) {
        for (std::uint32_t i = 0; i < palm.GetCount(); ++i) {
            const CommAddrRec* rec = palm.GetAt(i);
            CommAddrRec* match = nullptr;
            const int result =
                Walk ? outlook.FindMatchByWalking(rec, &match) : outlook.FindMatch(rec, &match);
            if (result == kMatchDifferent) {
                void* native = match->Native;
                *match = *rec;
                match->Native = native;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * palm.GetCount());
}
BENCHMARK(SyncRunLookups<false>)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(SyncRunLookups<true>)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace
