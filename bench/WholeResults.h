// The whole-process benchmark's measurements: which processes are paired, the runs of each pair
// by size, and their medians and spreads; printed as the goals table by WholeGoals.cpp.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Spawn.h"

namespace bench {

/// What is compared of two paired processes.
enum class Measure {
    Wall,   // the whole process, as its parent sees it
    Step,   // the one step the process times itself (the first number it prints)
    Replay, // the drawing processes' replayed frame (the second number)
    Peak    // the process's peak resident memory
};

inline double ValueOf(const ProcessRun& run, Measure measure) {
    switch (measure) {
    case Measure::Wall:
        return run.wall;
    case Measure::Step:
        return run.printed.empty() ? 0 : run.printed[0];
    case Measure::Replay:
        return run.printed.size() < 2 ? 0 : run.printed[1];
    case Measure::Peak:
        return run.peakKib;
    }
    return 0;
}

/// A row's process and its base, the base run just before it on the same sphere.
struct Pairing {
    const char* name;
    const char* row;
    const char* base;
    Measure measure; // what the row is judged by
};

inline const Pairing kPairings[] = {
    {"LoadSTL", "mgmesh_process load-stl (ASCII)", "bare parse process", Measure::Wall},
    {"admesh ASCII", "admesh --exact (ASCII)", "mgmesh_process load-stl", Measure::Wall},
    {"LoadBinarySTL", "mgmesh_process load-binary-stl", "admesh --exact (binary)", Measure::Wall},
    {"binary / ASCII", "mgmesh_process load-binary-stl", "mgmesh_process load-stl", Measure::Wall},
    {"RebuildEdges", "RebuildEdges, first in its process", "CGAL Surface_mesh build",
     Measure::Step},
    {"mgtool info", "mgtool info", "load + RebuildEdges + ReportMesh process", Measure::Wall},
    {"mgtool peak", "mgtool info", "process holding the loaded sphere", Measure::Peak},
    {"FillFacesInObj", "FillFacesInObj of the soup record", "bare parse (its step)", Measure::Step},
    {"Draw", "first MgGrObject::Draw", "raw strips compiled while drawn", Measure::Step},
};

struct Pair {
    ProcessRun base, row;
};

/// The median of the values, and their least and greatest.
struct Spread {
    double median = 0, low = 0, high = 0;
    std::size_t count = 0;
};

inline Spread SpreadOf(std::vector<double> values) {
    Spread s;
    s.count = values.size();
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
    s.low = values.front();
    s.high = values.back();
    return s;
}

/// This run's pairs, by pairing and size, and why a pairing was not measured.
struct WholeResults {
    std::map<std::string, std::map<long, std::vector<Pair>>> pairs;
    std::map<std::string, std::string> missing;

    const std::vector<Pair>* Find(const std::string& pairing, long facets) const {
        auto p = pairs.find(pairing);
        if (p == pairs.end())
            return nullptr;
        auto f = p->second.find(facets);
        return f == p->second.end() || f->second.empty() ? nullptr : &f->second;
    }
};

/// The paired ratios row / base (base / row when inverted).
inline Spread RatioOf(const std::vector<Pair>& pairs, Measure measure, bool inverted = false) {
    std::vector<double> ratios;
    for (const Pair& p : pairs) {
        const double row = ValueOf(p.row, measure), base = ValueOf(p.base, measure);
        ratios.push_back(inverted ? base / row : row / base);
    }
    return SpreadOf(ratios);
}
/// The row's values (the base's when `base`).
inline Spread ValuesOf(const std::vector<Pair>& pairs, Measure measure, bool base = false) {
    std::vector<double> values;
    for (const Pair& p : pairs)
        values.push_back(ValueOf(base ? p.base : p.row, measure));
    return SpreadOf(values);
}

/// Prints every pairing's medians by size, then the goals table at the largest size measured.
void PrintWholeTables(const WholeResults& results);

} // namespace bench
