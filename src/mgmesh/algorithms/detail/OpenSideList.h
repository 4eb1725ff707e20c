// The open-side list that edge building keeps for one call (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "mgmesh/algorithms/detail/ItemRuns.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgLists.h"
#include "mgmesh/model/detail/LargeArray.h"

namespace mgmesh::detail {

/// The open-side list of edge building, for one call. The sides of the facets are numbered
/// 3 × facet number + side index, the vertices densely: the face's list first, then any other
/// vertex a facet holds. While the list lives, each vertex's aux data holds its number; the
/// caller writes its own values back. Every facet must hold three vertices.
///
/// The list as a walk would keep it: each side, met in order, is matched with the first
/// earlier unmatched side that runs the other way, or else appended. Matching happens only
/// within a pair of end vertices, so the sides are grouped by that pair and each group is
/// played through on its own; the sides left over, in order, are the open list. Searches of
/// it always take the first open side overall or the first leaving a vertex, which are kept
/// per vertex. Linear in sides and vertices.
class OpenSideList {
public:
    static constexpr std::uint32_t npos = 0xffffffffu;

    OpenSideList(const MgVertexList& vertices, const MgFacetList& facets);
    OpenSideList(const OpenSideList&) = delete;
    OpenSideList& operator=(const OpenSideList&) = delete;

    std::uint32_t NumVertices() const { return std::uint32_t(m_vertices.size()); }
    std::uint32_t NumSides() const { return std::uint32_t(m_from.size()); }
    /// The vertex of a number, or null once it was forgotten.
    MgVertex* Vertex(std::uint32_t n) const { return m_vertices[n]; }
    /// The number of a vertex the list has numbered (read from its aux data).
    std::uint32_t NumberOf(const MgVertex* v) const;
    /// The vertex is about to be deleted.
    void Forget(std::uint32_t n) { m_vertices[n] = nullptr; }
    std::uint32_t From(std::uint32_t side) const { return m_from[side]; }
    std::uint32_t To(std::uint32_t side) const {
        return m_from[side - side % 3 + (side % 3 + 1) % 3];
    }

    /// Matches the sides and links the facets across every matched pair, both ways.
    void MatchSides();
    /// Takes the first open side, or gives npos when none is left. After MatchSides.
    std::uint32_t TakeFirst();
    /// Takes the first open side that leaves vertex n, or gives npos. After MatchSides.
    std::uint32_t TakeFrom(std::uint32_t n);

private:
    std::uint32_t Number(MgVertex* v);
    // matches the sides pair of end vertices by pair of end vertices
    void MatchPairs();
    bool Gone(std::uint32_t side) const { return (m_gone[side / 64] >> (side % 64) & 1) != 0; }
    void SetGone(std::uint32_t side) { m_gone[side / 64] |= std::uint64_t(1) << (side % 64); }
    // stable counting sort of the sides that are still open by a per-side key
    template <class Key> void Sort(Key key);

    LargeArray<MgVertex*> m_vertices;
    ItemRuns<MgFacet> m_facets;
    LargeArray<std::uint32_t> m_from;  // per side, its start vertex
    LargeArray<std::uint64_t> m_gone;  // a bit a side: matched, or taken from the list
    LargeArray<std::uint32_t> m_start; // per vertex, where its run of sorted sides begins
    LargeArray<std::uint32_t> m_sorted;
    LargeArray<std::uint32_t> m_head; // per vertex, the next of its open sides to take
    std::uint32_t m_first = 0;        // no open side comes before this one
};

} // namespace mgmesh::detail
