// The items of a list by their number in list order, kept as runs of evenly spaced addresses
// (internal).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "mgmesh/model/detail/LargeArray.h"

namespace mgmesh::detail {

/// The items of a list, first to last, answered by number for the length of one call. An item
/// pool hands out consecutive items, so a list built as its items were made is a few runs of
/// evenly spaced addresses, which take a few bytes each where an array of the items would take
/// eight bytes an item. A list too scattered for the runs to pay is kept as that array.
template <class T> class ItemRuns {
public:
    /// A stretch of the list whose items lie `stride` bytes apart.
    struct Run {
        std::uintptr_t first;
        std::uintptr_t stride;
        std::uint32_t number; // of its first item
        std::uint32_t count;
    };

    template <class List> explicit ItemRuns(const List& items) : m_size(items.size()) {
        if (!BuildRuns(items, m_runs)) // too scattered: the items themselves
            m_items.assign(items.begin(), items.end());
    }
    /// The list as runs in list order into `runs`; false, with `runs` empty, when it takes more
    /// runs than pay (64 and one for every 64 items).
    template <class List> static bool BuildRuns(const List& items, LargeArray<Run>& runs) {
        const std::size_t most = 64 + items.size() / 64;
        runs.clear();
        std::uint32_t n = 0;
        for (T* item : items) {
            const auto at = reinterpret_cast<std::uintptr_t>(item);
            if (!runs.empty()) {
                Run& run = runs.back();
                if (run.count == 1 && at > run.first && at - run.first <= kWidestStride) {
                    run.stride = at - run.first;
                    ++run.count;
                    ++n;
                    continue;
                }
                if (run.count > 1 && at == run.first + run.count * run.stride) {
                    ++run.count;
                    ++n;
                    continue;
                }
            }
            if (runs.size() == most) {
                runs.clear();
                return false;
            }
            runs.push_back(Run{at, 1, n++, 1});
        }
        return true;
    }
    ItemRuns(const ItemRuns&) = delete;
    ItemRuns& operator=(const ItemRuns&) = delete;

    std::size_t Size() const { return m_size; }
    /// The item of number n, 0 being the list's first.
    T* operator[](std::uint32_t n) const {
        if (!m_items.empty())
            return m_items[n];
        // the last run that starts at or before n
        const Run* run =
            std::upper_bound(m_runs.data(), m_runs.data() + m_runs.size(), n,
                             [](std::uint32_t k, const Run& r) { return k < r.number; }) -
            1;
        return reinterpret_cast<T*>(run->first + (n - run->number) * run->stride);
    }

private:
    static constexpr std::uintptr_t kWidestStride = 4096; // bytes between items of one run
    std::size_t m_size;
    LargeArray<Run> m_runs;
    LargeArray<T*> m_items;
};

} // namespace mgmesh::detail
