// A program folder of a benchmark's own, with the Outlook stand-in's store in it, shared by the
// benchmarks that read or write the store.
#pragma once

#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>

namespace twinleaf::bench {

// A temporary program folder with its own store, removed at the end. It is made in the current
// folder (the build tree), like a user's home and unlike /tmp, where the constant coming and
// going of other programs' files can make each new file cost the file system ten times as much.
class BenchHome {
public:
    BenchHome() {
        std::string pattern = (std::filesystem::current_path() / "twinleaf-bench-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        setProgramFolderOverride(m_path);
        outlook::setStoreFolderOverride(m_path / "Outlook");
        outlook::setStoreWarningHandler(nullptr);
    }
    ~BenchHome() {
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Starts a new peak of the process's resident memory at what it holds now, so that the next
// peakMegabytes() reports the most it held since; the kernel keeps one high-water mark per process,
// which would otherwise carry the largest earlier benchmark into every later one.
inline void resetPeakMemory() {
    // What earlier work freed goes back to the system first, or it would count as this peak.
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The peak resident memory of the process in MB since the last resetPeakMemory(), 0 when the
// system does not say.
inline double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
    }
    return 0;
}

// Lists a store folder of `count` items, already written, through a fresh access object per
// iteration, as a sync's start does.
template <typename Util, typename SetUp>
void ReloadEachIteration(benchmark::State& state, std::uint32_t count, SetUp setUp) {
    for (auto _ : state) {
        Util util;
        setUp(util);
        if (!util.Reload() || util.GetRecords()->GetCount() != count) {
            state.SkipWithError("the folder did not load");
            break;
        }
        benchmark::DoNotOptimize(util.GetRecords()->First());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// Compares a Palm list of mine(n) with an Outlook list of theirs(n) both ways, as the tab does;
// state.range(0) records on each side.
template <typename Mgr, typename Mine, typename Theirs>
void CompareBothWays(benchmark::State& state, Mine mine, Theirs theirs) {
    const int count = static_cast<int>(state.range(0));
    Mgr palm;
    Mgr outlook;
    for (int n = 0; n < count; ++n) {
        const auto palmRec = mine(n);
        palm.AddCopy(&palmRec);
        const auto outlookRec = theirs(n);
        outlook.AddCopy(&outlookRec);
    }
    for (auto _ : state) {
        palm.CompareWith(&outlook);
        outlook.CompareWith(&palm);
        benchmark::DoNotOptimize(palm.GetAt(0)->CompareStatus);
    }
    state.SetItemsProcessed(state.iterations() * count * 2);
}

} // namespace twinleaf::bench
