// The main() of the benchmarks: Outlook's stand-in is installed as the program's main() installs
// it, then Google Benchmark runs what the command line selects.
#include "platform/outlook/OutlookApplication.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    twinleaf::outlook::registerOutlookApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
