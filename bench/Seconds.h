// The benchmarks' clock: a steady clock and the seconds since a point of it.
#pragma once

#include <chrono>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace bench
