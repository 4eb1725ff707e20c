// The benchmark program's entry point: Google Benchmark, plus the sphere benchmarks' own
// options and their closing table of goals.
#include <benchmark/benchmark.h>

#include "Goals.h"

int main(int argc, char** argv) {
    int exitCode = 0;
    if (bench::HandleOptions(argc, argv, exitCode))
        return exitCode;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    bench::PrintGoals();
    benchmark::Shutdown();
    return 0;
}
