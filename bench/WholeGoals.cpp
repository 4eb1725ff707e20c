// The whole-process benchmark's tables: each pairing's medians by size, then the goals, judged
// on the medians of the paired ratios at the largest size measured, with their spread.
#include <cstdio>
#include <set>
#include <string>

#include "WholeResults.h"

namespace bench {

namespace {

const char* MeasureName(Measure measure) {
    switch (measure) {
    case Measure::Wall:
        return "whole process";
    case Measure::Step:
        return "step";
    case Measure::Replay:
        return "replay";
    case Measure::Peak:
        return "peak memory";
    }
    return "";
}

// The median of the step the processes timed themselves; "-" for a peer that prints none.
std::string Step(const std::vector<Pair>& pairs, bool base) {
    const ProcessRun& first = base ? pairs.front().base : pairs.front().row;
    if (first.printed.empty())
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", ValuesOf(pairs, Measure::Step, base).median);
    return text;
}

void PrintDetails(const WholeResults& results) {
    std::printf("\nMedians by size (seconds, peak in MB) of each row's process and of its base, "
                "and the paired ratio row / base by the row's measure, median [least - most]:\n");
    std::printf("%-15s %8s %3s %8s %8s %7s  %8s %8s %7s  %s\n", "pairing", "facets", "n", "row s",
                "step s", "MB", "base s", "step s", "MB", "ratio");
    for (const Pairing& pairing : kPairings) {
        auto p = results.pairs.find(pairing.name);
        if (p == results.pairs.end())
            continue;
        for (const auto& [facets, pairs] : p->second) {
            const Spread ratio = RatioOf(pairs, pairing.measure);
            std::printf("%-15s %8ld %3zu %8.4f %8s %7.1f  %8.4f %8s %7.1f  %.3f [%.3f - %.3f] "
                        "(%s)\n",
                        pairing.name, facets, pairs.size(), ValuesOf(pairs, Measure::Wall).median,
                        Step(pairs, false).c_str(), ValuesOf(pairs, Measure::Peak).median / 1024,
                        ValuesOf(pairs, Measure::Wall, true).median, Step(pairs, true).c_str(),
                        ValuesOf(pairs, Measure::Peak, true).median / 1024, ratio.median, ratio.low,
                        ratio.high, MeasureName(pairing.measure));
        }
    }
    std::printf("(step: the seconds the process timed itself; the bare parse's is its parse, "
                "the drawing processes' their first frame)\n");
    for (const Pairing& pairing : kPairings)
        std::printf("  %-15s row: %s; base: %s\n", pairing.name, pairing.row, pairing.base);
}

void PrintGoal(const std::string& what, const Spread* value, double limit, bool atMost,
               const std::string& missing) {
    if (!value || value->count == 0) {
        std::printf("%-70s %8s %17s %s%6.2f  not measured%s%s\n", what.c_str(), "-", "",
                    atMost ? "<=" : ">=", limit, missing.empty() ? "" : ": ", missing.c_str());
        return;
    }
    char spread[40];
    std::snprintf(spread, sizeof spread, "[%.2f - %.2f]", value->low, value->high);
    const bool met = atMost ? value->median <= limit : value->median >= limit;
    std::printf("%-70s %8.2f %17s %s%6.2f  %s\n", what.c_str(), value->median, spread,
                atMost ? "<=" : ">=", limit, met ? "met" : "NOT MET");
}

} // namespace

void PrintWholeTables(const WholeResults& results) {
    PrintDetails(results);
    std::set<long> sizes;
    for (const auto& pairing : results.pairs)
        for (const auto& size : pairing.second)
            sizes.insert(size.first);
    if (sizes.empty())
        return;
    const long n = *sizes.rbegin();
    std::printf("\nGoals at %ld facets, whole processes, one per measurement: medians of the "
                "paired ratios [least - most]\n",
                n);
    std::printf("%-70s %8s %17s %8s\n", "goal", "measured", "spread", "limit");
    auto missing = [&](const char* pairing) {
        auto m = results.missing.find(pairing);
        return m == results.missing.end() ? std::string() : m->second;
    };
    // a goal on the paired ratio of one pairing at the largest size
    auto ratio = [&](const std::string& what, const char* pairing, Measure measure, double limit,
                     bool atMost, bool inverted = false) {
        const std::vector<Pair>* pairs = results.Find(pairing, n);
        const Spread s = pairs ? RatioOf(*pairs, measure, inverted) : Spread();
        PrintGoal(what, pairs ? &s : nullptr, limit, atMost, missing(pairing));
    };
    ratio("1. LoadSTL process / bare parse process", "LoadSTL", Measure::Wall, 2.5, true);
    ratio("1. admesh --exact / LoadSTL process (ASCII file)", "admesh ASCII", Measure::Wall, 4.0,
          false);
    ratio("2. LoadBinarySTL process / admesh --exact (binary file)", "LoadBinarySTL", Measure::Wall,
          1.0, true);
    ratio("2. LoadSTL process / LoadBinarySTL process (same model)", "binary / ASCII",
          Measure::Wall, 5.0, false, true);
    ratio("3. RebuildEdges / CGAL Surface_mesh build, each first in its process", "RebuildEdges",
          Measure::Step, 0.8, true);
    ratio("4. mgtool info / load + RebuildEdges + ReportMesh process", "mgtool info", Measure::Wall,
          1.3, true);
    ratio("4. mgtool info's peak memory / a process holding the model", "mgtool peak",
          Measure::Peak, 1.15, true);
    {
        // the base of "mgtool peak" is the process that only holds the loaded sphere
        const std::vector<Pair>* pairs = results.Find("mgtool peak", n);
        Spread s;
        if (pairs) {
            std::vector<double> perFacet;
            for (const Pair& p : *pairs)
                perFacet.push_back(p.base.peakKib * 1024 / double(n));
            s = SpreadOf(perFacet);
        }
        PrintGoal("5. peak memory of a process holding the sphere, bytes a facet",
                  pairs ? &s : nullptr, 150, true, missing("mgtool peak"));
    }
    ratio("6. first Draw / raw strips compiled while drawn, each first", "Draw", Measure::Step,
          1.15, true);
    ratio("6. Draw replayed / raw strips replayed", "Draw", Measure::Replay, 1.0, true);

    // Growth per 4 x facets: the medians of the row's own measure at the two sizes.
    const long small = n / 4;
    struct Growth {
        const char* what;
        const char* pairing;
        bool base;
        Measure measure;
    };
    const Growth growths[] = {
        {"LoadSTL process", "LoadSTL", false, Measure::Wall},
        {"LoadBinarySTL process", "LoadBinarySTL", false, Measure::Wall},
        {"RebuildEdges, first in its process", "RebuildEdges", false, Measure::Step},
        {"load + RebuildEdges + ReportMesh process", "mgtool info", true, Measure::Wall},
        {"mgtool info", "mgtool info", false, Measure::Wall},
        {"FillFacesInObj", "FillFacesInObj", false, Measure::Step},
        {"first Draw", "Draw", false, Measure::Step},
        {"Draw replayed", "Draw", false, Measure::Replay},
        {"peak of the holding process", "mgtool peak", true, Measure::Peak},
    };
    for (const Growth& g : growths) {
        char what[120];
        std::snprintf(what, sizeof what, "7. growth %ld -> %ld: %s", small, n, g.what);
        const std::vector<Pair>* a = results.Find(g.pairing, small);
        const std::vector<Pair>* b = results.Find(g.pairing, n);
        Spread s;
        if (a && b) {
            // the spread: the least large-size value over the most small-size one, and back
            const Spread x = ValuesOf(*a, g.measure, g.base), y = ValuesOf(*b, g.measure, g.base);
            s = Spread{y.median / x.median, y.low / x.high, y.high / x.low, 1};
        }
        PrintGoal(what, a && b ? &s : nullptr, 4.4, true, missing(g.pairing));
    }
}

} // namespace bench
