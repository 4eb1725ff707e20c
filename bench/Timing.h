// The benchmarks' timing: each iteration timed beside its base, the medians of a row's times
// and ratios, and this run's results by row and size for the table of goals.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BareParse.h"
#include "Seconds.h"

namespace bench {

inline double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// ---- this run's results, by row and size ----

struct Result {
    double seconds = 0; // median of the row's own times (or its value, for memory)
    double ratio = 0;   // median of the ratios to the base measured beside it
};

inline std::map<std::string, std::map<long, Result>>& Results() {
    static std::map<std::string, std::map<long, Result>> results;
    return results;
}

inline bool Find(const std::string& row, long facets, Result& result) {
    auto r = Results().find(row);
    if (r == Results().end())
        return false;
    auto f = r->second.find(facets);
    if (f == r->second.end())
        return false;
    result = f->second;
    return true;
}

// One bare parse of the size's file, in seconds.
inline double TimeBare(const std::string& path) {
    const Clock::time_point start = Clock::now();
    benchmark::DoNotOptimize(BareParse(path));
    return Since(start);
}

// One row's samples: each iteration's seconds with those of its base.
class Samples {
public:
    Samples(benchmark::State& state, std::string row, std::string base = "bare")
        : m_state(state), m_row(std::move(row)), m_base(std::move(base)) {}
    void Add(double seconds, double baseSeconds) {
        m_state.SetIterationTime(seconds);
        m_seconds.push_back(seconds);
        m_ratios.push_back(seconds / baseSeconds);
    }
    // Records the medians and reports them as counters.
    Result Finish() {
        const Result result{Median(m_seconds), Median(m_ratios)};
        Results()[m_row][m_state.range(0)] = result;
        m_state.counters["median_s"] = result.seconds;
        m_state.counters["x_" + m_base] = result.ratio;
        m_state.SetComplexityN(m_state.range(0));
        return result;
    }

private:
    benchmark::State& m_state;
    std::string m_row, m_base;
    std::vector<double> m_seconds, m_ratios;
};

} // namespace bench
