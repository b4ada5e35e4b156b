// Whole sync runs of the contacts tab as the command line makes them, files and all: an Outlook
// to Palm Desktop run onto an empty address book, then a two-way run over sides that hold the same
// contacts, which finds nothing to write. Whatever a run does per record shows here at the sizes
// a large address book has, where a 1 000-record benchmark would hide a quadratic path. Then every
// card changes and a two-way run with Outlook winning rewrites every Palm record.
#include "BenchHome.h"
#include "cli/CommandLine.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/sync/SyncHistory.h"
#include "platform/files/AtomicFile.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace twinleaf;

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void writeCards(const std::filesystem::path& home, int count, const std::string& company) {
    const std::filesystem::path cards = home / "Outlook" / "Contacts";
    std::filesystem::create_directories(cards);
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        writeFile(cards / ("c" + n + ".vcf"),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c" + n + "\r\nN:Last" + n + ";First" + n +
                      ";;;\r\nFN:First" + n + " Last" + n + "\r\nORG:" + company + " " +
                      std::to_string(i % 97) + "\r\nTEL;TYPE=WORK:+49 30 " +
                      std::to_string(1000000 + i) + "\r\nEMAIL:person" + n +
                      "@example.org\r\nEND:VCARD\r\n");
    }
}

// A home with an empty address book for Alice and `count` contact cards in the Outlook store.
void fillHome(const std::filesystem::path& home, int count) {
    const std::filesystem::path palm = home / "Palm";
    std::filesystem::create_directories(palm / "Alice" / "address");
    writeFile(home / "corvane.ini", "[Path]\r\nPDPath=" + palm.string() + "\r\n");
    PmAddrUtil book;
    book.SetSwapName(false);
    book.Save((palm / "Alice" / "address" / "address.dat").string().c_str());
    writeCards(home, count, "Company");
}

bool sync(const std::filesystem::path& home, const std::vector<std::string>& args) {
    std::vector<std::string> line = {"--home", home.string(), "sync", "contacts"};
    line.insert(line.end(), args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    cli::CommandContext context{out, err, false, nullptr};
    bool startGui = false;
    return cli::runCommandLine(line, context, startGui) == 0;
}

// One iteration: the o2p run that fills the empty book, the two-way run after it over all-same
// sides, and a two-way run once every card has changed, which Outlook wins; each timed on its own.
void SyncRunContacts(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        bench::BenchHome home;
        const ScopedRegistryPrefix registry(home.path() / "wine");
        fillHome(home.path(), count);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const bool filled = sync(home.path(), {"--mode", "o2p", "--select", "all"});
        const auto middle = std::chrono::steady_clock::now();
        const bool same = sync(home.path(), {"--mode", "all", "--conflicts", "palm"});
        const auto end = std::chrono::steady_clock::now();
        state.PauseTiming();
        writeCards(home.path(), count, "Other");
        state.ResumeTiming();
        const auto again = std::chrono::steady_clock::now();
        const bool different = sync(home.path(), {"--mode", "all", "--conflicts", "outlook"});
        const auto last = std::chrono::steady_clock::now();
        state.counters["o2p_empty_s"] = std::chrono::duration<double>(middle - start).count();
        state.counters["all_same_s"] = std::chrono::duration<double>(end - middle).count();
        state.counters["all_different_s"] = std::chrono::duration<double>(last - again).count();
        state.PauseTiming();
        if (!filled || !same || !different) {
            state.SkipWithError("a run failed");
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(SyncRunContacts)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The other side of a whole run: empty, holding the same contacts, or holding them all changed.
enum class Other { Empty, Same, Different };

// One whole run of `mode` ("p2o", "o2p" or "all") with every row selected, timed on the wall
// clock with the peak memory it reached, over sides of `count` contacts set up untimed. "Onto an
// empty side" is the Outlook store for p2o and the address book otherwise. Two-way runs let Palm
// win, so that with changed cards every Outlook item is rewritten.
void WholeRun(benchmark::State& state, const std::string& mode, Other other) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        bench::BenchHome home;
        const ScopedRegistryPrefix registry(home.path() / "wine");
        fillHome(home.path(), count);
        bool ready = true;
        if (other != Other::Empty || mode == "p2o") {
            ready = sync(home.path(), {"--mode", "o2p", "--select", "all"});
        }
        if (other == Other::Empty && mode == "p2o") {
            const std::filesystem::path cards = home.path() / "Outlook" / "Contacts";
            std::filesystem::remove_all(cards);
            std::filesystem::create_directories(cards);
        }
        if (other == Other::Different) {
            writeCards(home.path(), count, "Other");
        }
        const std::vector<std::string> args =
            mode == "all" ? std::vector<std::string>{"--mode", "all",         "--select",
                                                     "all",    "--conflicts", "palm"}
                          : std::vector<std::string>{"--mode", mode, "--select", "all"};
        bench::resetPeakMemory();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        // A run that finds nothing to do may say so by its exit code: only the time counts.
        sync(home.path(), args);
        const auto end = std::chrono::steady_clock::now();
        state.PauseTiming();
        state.counters["wall_s"] = std::chrono::duration<double>(end - start).count();
        state.counters["peak_MB"] = bench::peakMegabytes();
        if (!ready) {
            state.SkipWithError("the sides could not be set up");
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// 10 000 contacts always; 100 000 when TWINLEAF_BENCH_LARGE is set, since setting up and running
// a hundred thousand files per case takes minutes.
const bool kWholeRunsRegistered = [] {
    const bool large = std::getenv("TWINLEAF_BENCH_LARGE") != nullptr;
    for (const char* mode : {"p2o", "o2p", "all"}) {
        for (const auto& [other, word] :
             {std::pair{Other::Empty, "empty"}, std::pair{Other::Same, "same"},
              std::pair{Other::Different, "different"}}) {
            auto* run = benchmark::RegisterBenchmark(
                (std::string("WholeRun/") + mode + "/" + word).c_str(),
                [mode = std::string(mode), other = other](benchmark::State& state) {
                    WholeRun(state, mode, other);
                });
            run->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
            if (large) {
                run->Arg(100000);
            }
        }
    }
    return true;
}();

// Seconds of processor time (user and system) the process has used.
double cpuNow() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// The plan of a two-way run over 10 000 Palm contacts and 10 000 cards that all differ: the whole
// command, both sides' loads included, writing nothing.
void DryRunContacts(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    bench::BenchHome home;
    const ScopedRegistryPrefix registry(home.path() / "wine");
    fillHome(home.path(), count);
    if (!sync(home.path(), {"--mode", "o2p", "--select", "all"})) {
        state.SkipWithError("the Palm side could not be filled");
        return;
    }
    writeCards(home.path(), count, "Other");
    for (auto _ : state) {
        if (!sync(home.path(),
                  {"--mode", "all", "--conflicts", "outlook", "--dry-run", "--json"})) {
            state.SkipWithError("the dry run failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(DryRunContacts)->Arg(10000)->Iterations(3)->Unit(benchmark::kMillisecond);

// What keeping the history costs a run that changes `count` cards: the run itself through the
// command line (history kept), and the same number of card replacements as the store makes them
// (no flush), with and without the run's journal; the difference is the history's share. In
// processor time (user and system) of the process: on a shared machine the wall clock mostly
// measures the neighbours.
void HistoryOfARun(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        bench::BenchHome home;
        const ScopedRegistryPrefix registry(home.path() / "wine");
        fillHome(home.path(), count);
        const bool filled = sync(home.path(), {"--mode", "o2p", "--select", "all"});
        writeCards(home.path(), count, "Other");
        state.ResumeTiming();
        const auto start = cpuNow();
        const bool ran = sync(home.path(), {"--mode", "p2o", "--select", "all"});
        const auto end = cpuNow();

        const std::filesystem::path cards = home.path() / "Outlook" / "Contacts";
        const std::string bytes(400, 'x');
        const auto replaceAll = [&] {
            bool ok = true;
            for (int i = 0; i < count; ++i) {
                ok = saveAtomically(cards / ("c" + std::to_string(i) + ".vcf"), bytes,
                                    KeepBackup::No, Flush::No) &&
                     ok;
            }
            return ok;
        };
        // Alternated and the fastest of five of each kept: one round is within the noise.
        double plainBest = 1e9;
        double journalBest = 1e9;
        bool plain = true;
        bool journaled = true;
        for (int round = 0; round < 5; ++round) {
            const double plainStart = cpuNow();
            plain = replaceAll() && plain;
            const double journalStart = cpuNow();
            {
                RunJournal journal(home.path() / "history", {"contacts", "p2o", 0});
                journaled = replaceAll() && journaled;
                journal.finish(count, "done", kDefaultHistoryRuns);
            }
            const double journalEnd = cpuNow();
            plainBest = std::min(plainBest, journalStart - plainStart);
            journalBest = std::min(journalBest, journalEnd - journalStart);
        }
        const double run = end - start;
        const double added = journalBest - plainBest;
        state.counters["run_s"] = run;
        state.counters["history_s"] = added;
        state.counters["history_share_pct"] = 100.0 * added / run;
        if (!filled || !ran || !plain || !journaled) {
            state.SkipWithError("a run failed");
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(HistoryOfARun)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
