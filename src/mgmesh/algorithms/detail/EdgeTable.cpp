// The edges of one face, from its vertex sharing.
#include "mgmesh/algorithms/detail/EdgeTable.h"

#include <algorithm>

#include "mgmesh/detail/HashMix.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"

namespace mgmesh::detail {
namespace {

constexpr std::uintptr_t kWidestStride = 4096; // bytes between items of one run, at most

} // namespace

EdgeTable::EdgeTable(const MgFace& face)
    : m_facets(face.FacetList().begin(), face.FacetList().end()) {
    NumberList(face.VertexList());
    m_corners.resize(3 * m_facets.size());
    for (std::size_t f = 0; f < m_facets.size(); ++f)
        for (int i = 0; i < 3; ++i) {
            MgVertex* v = m_facets[f]->Vertex(i);
            m_corners[3 * f + i] = v ? Number(v) : npos;
        }

    // The sides grouped by their lower end vertex (a counting sort), each entry carrying the
    // higher end, so that ordering a group by entry puts the sides of an edge together in
    // facet order without looking at the corners again.
    const std::uint32_t sides = std::uint32_t(m_corners.size()), count = NumVertices();
    LargeArray<std::uint32_t> start(std::size_t(count) + 1, 0);
    for (std::uint32_t s = 0; s < sides; ++s) {
        const std::uint32_t a = From(s), b = To(s);
        if (a != npos && b != npos && a != b)
            ++start[std::min(a, b) + 1];
    }
    for (std::uint32_t n = 0; n < count; ++n)
        start[n + 1] += start[n];
    m_entries.resize(start[count]);
    {
        LargeArray<std::uint32_t> cursor(start.begin(), start.end() - 1);
        for (std::uint32_t s = 0; s < sides; ++s) {
            const std::uint32_t a = From(s), b = To(s);
            if (a != npos && b != npos && a != b)
                m_entries[cursor[std::min(a, b)]++] =
                    std::uint64_t(std::max(a, b)) << 32 | std::uint64_t(s) << 1 | (a < b);
        }
    }
    m_edgeStart.reserve(m_entries.size() / 2 + 1);
    for (std::uint32_t n = 0; n < count; ++n) {
        const auto begin = m_entries.begin() + start[n], end = m_entries.begin() + start[n + 1];
        if (end - begin > 16) {
            std::sort(begin, end);
        } else { // most groups hold a few sides; an insertion sort allocates nothing
            for (auto it = begin + (begin != end); it < end; ++it)
                for (auto at = it; at != begin && *at < *(at - 1); --at)
                    std::iter_swap(at, at - 1);
        }
        for (auto it = begin; it != end; ++it)
            if (it == begin || *it >> 32 != *(it - 1) >> 32)
                m_edgeStart.push_back(std::uint32_t(it - m_entries.begin()));
    }
    m_edgeStart.push_back(std::uint32_t(m_entries.size()));
}

void EdgeTable::NumberList(const MgVertexList& vertices) {
    m_vertices.assign(vertices.begin(), vertices.end());
    // the list as runs of evenly spaced addresses
    for (std::uint32_t n = 0; n < NumVertices(); ++n) {
        const auto at = reinterpret_cast<std::uintptr_t>(m_vertices[n]);
        if (!m_runs.empty()) {
            Run& run = m_runs.back();
            if (run.count == 1 && at > run.first && at - run.first <= kWidestStride) {
                run.stride = at - run.first;
                ++run.count;
                continue;
            }
            if (run.count > 1 && at == run.first + run.count * run.stride) {
                ++run.count;
                continue;
            }
        }
        m_runs.push_back(Run{at, 1, n, 1});
        if (m_runs.size() > 64 + NumVertices() / 64)
            break; // too scattered for the runs to pay
    }
    std::sort(m_runs.begin(), m_runs.end(),
              [](const Run& a, const Run& b) { return a.first < b.first; });
    bool serve = m_runs.size() <= 64 + NumVertices() / 64;
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

std::uint32_t EdgeTable::Low(std::uint32_t e) const {
    const std::uint32_t s = Side(m_edgeStart[e]);
    return std::min(From(s), To(s));
}

} // namespace mgmesh::detail
