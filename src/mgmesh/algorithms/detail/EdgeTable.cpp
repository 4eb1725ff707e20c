// The edges of one face, from its vertex sharing.
#include "mgmesh/algorithms/detail/EdgeTable.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "mgmesh/detail/HashMix.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"

namespace mgmesh::detail {
namespace {

constexpr std::size_t kAhead = 16; // entries

} // namespace

EdgeTable::EdgeTable(const MgFace& face) : m_facets(face.FacetList()) {
    NumberList(face.VertexList());
    m_corners.resize(3 * m_facets.Size());
    std::size_t side = 0;
    for (const MgFacet* f : face.FacetList())
        for (int i = 0; i < 3; ++i) {
            MgVertex* v = f->Vertex(i);
            m_corners[side++] = v ? Number(v) : npos;
        }

    // The sides grouped by their lower end vertex (a counting sort whose cursors, once every
    // side is placed, are where the groups end), each group then ordered by the higher end and
    // the side, which puts the sides of an edge together in facet order.
    if (m_corners.size() > kMostSides)
        throw std::length_error("a face of more than 715,827,882 facets has too many sides");
    const std::uint32_t sides = std::uint32_t(m_corners.size()), count = NumVertices();
    LargeArray<std::uint32_t> end(count, 0);
    std::uint32_t entries = 0;
    for (std::uint32_t s = 0; s < sides; ++s) {
        const std::uint32_t a = From(s), b = To(s);
        if (a != npos && b != npos && a != b) {
            ++entries; // the group of the highest-numbered vertex is empty
            if (std::min(a, b) + 1 < count)
                ++end[std::min(a, b) + 1];
        }
    }
    for (std::uint32_t n = 1; n < count; ++n)
        end[n] += end[n - 1];
    m_entries.resize(entries);
    for (std::uint32_t s = 0; s < sides; ++s) {
        const std::uint32_t a = From(s), b = To(s);
        if (a != npos && b != npos && a != b)
            m_entries[end[std::min(a, b)]++] = s << 1 | (a < b);
    }
    m_starts.assign(entries / 64 + 1, 0);
    std::vector<std::uint64_t> keys; // a group's entries under their higher ends
    for (std::uint32_t n = 0, begin = 0; n < count; begin = end[n++]) {
        keys.clear();
        for (std::uint32_t k = begin; k < end[n]; ++k) {
            if (k + kAhead < entries) // the corners of a side met a little later
                __builtin_prefetch(&m_corners[m_entries[k + kAhead] >> 1]);
            keys.push_back(std::uint64_t(HigherEnd(m_entries[k] >> 1)) << 32 | m_entries[k]);
        }
        if (keys.size() > 16) {
            std::sort(keys.begin(), keys.end());
        } else { // most groups hold a few sides; an insertion sort allocates nothing
            for (auto it = keys.begin() + !keys.empty(); it < keys.end(); ++it)
                for (auto at = it; at != keys.begin() && *at < *(at - 1); --at)
                    std::iter_swap(at, at - 1);
        }
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const std::uint32_t k = begin + std::uint32_t(i);
            m_entries[k] = std::uint32_t(keys[i]);
            if (i == 0 || keys[i] >> 32 != keys[i - 1] >> 32)
                m_starts[k / 64] |= std::uint64_t(1) << (k % 64);
        }
    }
}

std::uint32_t EdgeTable::EdgeEnd(std::uint32_t begin) const {
    const std::size_t entries = m_entries.size();
    for (std::size_t k = std::size_t(begin) + 1; k < entries; k = (k / 64 + 1) * 64)
        if (const std::uint64_t later = m_starts[k / 64] >> (k % 64))
            return std::uint32_t(std::min(entries, k + std::size_t(__builtin_ctzll(later))));
    return std::uint32_t(entries);
}

void EdgeTable::NumberList(const MgVertexList& vertices) {
    m_vertices.assign(vertices.begin(), vertices.end());
    // the list as runs of evenly spaced addresses, by address
    bool serve = ItemRuns<MgVertex>::BuildRuns(m_vertices, m_runs);
    std::sort(m_runs.begin(), m_runs.end(),
              [](const Run& a, const Run& b) { return a.first < b.first; });
    for (std::size_t k = 1; serve && k < m_runs.size(); ++k) // a vertex listed twice overlaps
        serve = m_runs[k - 1].first + (m_runs[k - 1].count - 1) * m_runs[k - 1].stride <
                m_runs[k].first;
    std::size_t slots = 16;
    while (slots < (serve ? 64 : 2 * NumVertices() + 2))
        slots *= 2;
    m_slots.assign(slots, 0);
    if (serve) {
        m_firstHashed = NumVertices();
        return;
    }
    m_runs.clear();
    // a list the runs do not serve: every vertex by its hash, each listed vertex once
    LargeArray<MgVertex*> listed;
    listed.swap(m_vertices);
    m_vertices.reserve(listed.size());
    for (MgVertex* v : listed)
        Hashed(v);
}

std::uint32_t EdgeTable::Number(MgVertex* v) {
    if (!m_runs.empty()) {
        const auto at = reinterpret_cast<std::uintptr_t>(v);
        auto run = std::upper_bound(m_runs.begin(), m_runs.end(), at,
                                    [](std::uintptr_t a, const Run& r) { return a < r.first; });
        if (run != m_runs.begin()) {
            --run;
            const std::uintptr_t offset = at - run->first;
            if (offset % run->stride == 0 && offset / run->stride < run->count)
                return run->number + std::uint32_t(offset / run->stride);
        }
    }
    return Hashed(v);
}

std::uint32_t EdgeTable::Hashed(MgVertex* v) {
    if (2 * (m_hashed + 1) > m_slots.size()) { // kept at most half full
        m_slots.assign(2 * m_slots.size(), 0);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint32_t n = m_firstHashed; n < NumVertices(); ++n) {
            std::size_t at = HashMix(reinterpret_cast<std::uintptr_t>(m_vertices[n])) & mask;
            while (m_slots[at] != 0)
                at = (at + 1) & mask;
            m_slots[at] = n + 1;
        }
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = HashMix(reinterpret_cast<std::uintptr_t>(v)) & mask;;
         at = (at + 1) & mask) {
        const std::uint32_t held = m_slots[at];
        if (held == 0) {
            ++m_hashed;
            m_vertices.push_back(v);
            m_slots[at] = NumVertices();
            return NumVertices() - 1;
        }
        if (m_vertices[held - 1] == v)
            return held - 1;
    }
}

std::uint32_t EdgeTable::Low(std::uint32_t begin) const {
    const std::uint32_t s = Side(begin);
    return std::min(From(s), To(s));
}

std::uint32_t EdgeTable::HigherEnd(std::uint32_t side) const {
    return std::max(From(side), To(side));
}

} // namespace mgmesh::detail
