// The sizes of the generated-mesh benchmarks: 10,000 to 1,000,000 facets, in milliseconds.
#pragma once

#include <benchmark/benchmark.h>

namespace bench {

inline void MeshSizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)
        ->Arg(100000)
        ->Arg(1000000)
        ->Unit(benchmark::kMillisecond)
        ->Complexity(benchmark::oN);
}

} // namespace bench
