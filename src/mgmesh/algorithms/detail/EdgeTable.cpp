// The edges of one face, from its vertex sharing.
#include "mgmesh/algorithms/detail/EdgeTable.h"

#include <algorithm>

#include "mgmesh/detail/HashMix.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"

namespace mgmesh::detail {

EdgeTable::EdgeTable(const MgFace& face)
    : m_facets(face.FacetList().begin(), face.FacetList().end()) {
    const MgVertexList& vertices = face.VertexList();
    std::size_t slots = 16;
    while (slots < 2 * vertices.size() + 2)
        slots *= 2;
    m_slots.assign(slots, 0);
    m_vertices.reserve(vertices.size());
    for (MgVertex* v : vertices)
        Number(v);
    m_corners.resize(3 * m_facets.size());
    for (std::size_t f = 0; f < m_facets.size(); ++f)
        for (int i = 0; i < 3; ++i) {
            MgVertex* v = m_facets[f]->Vertex(i);
            m_corners[3 * f + i] = v ? Number(v) : npos;
        }

    // The sides grouped by their lower end vertex (a counting sort keeps facet order), then
    // each group ordered by the other end, so that the sides of an edge stand together.
    const std::uint32_t sides = std::uint32_t(m_corners.size()), count = NumVertices();
    std::vector<std::uint32_t> start(std::size_t(count) + 1, 0);
    auto low = [this](std::uint32_t s) { return std::min(From(s), To(s)); };
    auto isEdge = [this](std::uint32_t s) {
        return From(s) != npos && To(s) != npos && From(s) != To(s);
    };
    for (std::uint32_t s = 0; s < sides; ++s)
        if (isEdge(s))
            ++start[low(s) + 1];
    for (std::uint32_t n = 0; n < count; ++n)
        start[n + 1] += start[n];
    m_sides.resize(start[count]);
    {
        std::vector<std::uint32_t> cursor(start.begin(), start.end() - 1);
        for (std::uint32_t s = 0; s < sides; ++s)
            if (isEdge(s))
                m_sides[cursor[low(s)]++] = s;
    }
    m_edgeStart.reserve(m_sides.size() / 2 + 1);
    auto high = [this](std::uint32_t s) { return std::max(From(s), To(s)); };
    for (std::uint32_t n = 0; n < count; ++n) {
        const auto begin = m_sides.begin() + start[n], end = m_sides.begin() + start[n + 1];
        const auto byHigh = [&](std::uint32_t a, std::uint32_t b) { return high(a) < high(b); };
        if (end - begin > 16) {
            std::stable_sort(begin, end, byHigh);
        } else { // most groups hold a few sides; an insertion sort is stable and allocates nothing
            for (auto it = begin + (begin != end); it < end; ++it)
                for (auto at = it; at != begin && byHigh(*at, *(at - 1)); --at)
                    std::iter_swap(at, at - 1);
        }
        for (auto it = begin; it != end; ++it)
            if (it == begin || high(*it) != high(*(it - 1)))
                m_edgeStart.push_back(std::uint32_t(it - m_sides.begin()));
    }
    m_edgeStart.push_back(std::uint32_t(m_sides.size()));
}

std::uint32_t EdgeTable::Number(MgVertex* v) {
    if (2 * (m_vertices.size() + 1) > m_slots.size()) { // kept at most half full
        m_slots.assign(2 * m_slots.size(), 0);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint32_t n = 0; n < NumVertices(); ++n) {
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
            m_vertices.push_back(v);
            m_slots[at] = NumVertices();
            return NumVertices() - 1;
        }
        if (m_vertices[held - 1] == v)
            return held - 1;
    }
}

std::uint32_t EdgeTable::Low(std::uint32_t e) const {
    const std::uint32_t s = m_sides[m_edgeStart[e]];
    return std::min(From(s), To(s));
}

std::uint32_t EdgeTable::High(std::uint32_t e) const {
    const std::uint32_t s = m_sides[m_edgeStart[e]];
    return std::max(From(s), To(s));
}

} // namespace mgmesh::detail
