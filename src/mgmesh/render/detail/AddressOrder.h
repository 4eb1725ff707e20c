// Putting pointers into ascending address order quickly when they are mostly in order already.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace mgmesh::detail {

/// Sorts `items` ascending by address, as std::sort with std::less does. Items allocated one
/// after the other from pool chunks come in a few ascending runs over disjoint address ranges
/// (one per chunk); those are put in order by moving whole runs, in linear time. A run ends
/// where the addresses fall or jump by more than `gap` bytes, so that two chunks that happen
/// to lie in ascending order are still two runs. Any other arrangement (runs that interleave,
/// many short runs) is sorted.
template <class T> void SortByAddress(std::vector<T*>& items, std::uintptr_t gap = 1 << 16) {
    const std::less<T*> less;
    struct Run {
        std::size_t begin, end;
    };
    constexpr std::size_t kMaxRuns = 4096;
    std::vector<Run> runs;
    std::size_t start = 0;
    for (std::size_t i = 1; i <= items.size(); ++i) {
        if (i < items.size() && !less(items[i], items[i - 1]) &&
            reinterpret_cast<std::uintptr_t>(items[i]) -
                    reinterpret_cast<std::uintptr_t>(items[i - 1]) <=
                gap)
            continue;
        runs.push_back({start, i});
        start = i;
        if (runs.size() > kMaxRuns) {
            std::sort(items.begin(), items.end(), less);
            return;
        }
    }
    if (runs.size() <= 1)
        return;
    std::sort(runs.begin(), runs.end(),
              [&](const Run& a, const Run& b) { return less(items[a.begin], items[b.begin]); });
    for (std::size_t k = 1; k < runs.size(); ++k) {
        if (!less(items[runs[k - 1].end - 1], items[runs[k].begin])) { // the runs interleave
            std::sort(items.begin(), items.end(), less);
            return;
        }
    }
    std::vector<T*> sorted;
    sorted.reserve(items.size());
    for (const Run& run : runs)
        sorted.insert(sorted.end(), items.begin() + std::ptrdiff_t(run.begin),
                      items.begin() + std::ptrdiff_t(run.end));
    items.swap(sorted);
}

} // namespace mgmesh::detail
