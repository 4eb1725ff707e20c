// The edges of one face, found from its vertex sharing, for the length of one call (internal).
#pragma once

#include <cstdint>
#include <vector>

#include "mgmesh/Export.h"
#include "mgmesh/algorithms/detail/ItemRuns.h"
#include "mgmesh/model/MgLists.h"
#include "mgmesh/model/detail/LargeArray.h"

class MgFace;
class MgFacet;
class MgVertex;

namespace mgmesh::detail {

/// Numbers the vertices and facets of a face and groups the facet sides into edges, without
/// touching the face (aux data included). Vertices are numbered in list order, then any other
/// vertex a facet holds in the order met; facets in list order. Side s = 3 × facet + slot runs
/// from the facet's vertex in that slot to the next one. An edge is an unordered pair of
/// distinct vertices joined by one or more sides; a side with a missing end or whose ends are
/// one vertex belongs to no edge. Linear in facets and vertices (expected): a vertex's number
/// comes from the runs of evenly spaced addresses that the list holds (an item pool hands out
/// consecutive items), or else from a hash of its address. About 30 bytes a facet and 12 a
/// vertex while the table lives. Throws std::length_error for a face of more than 715,827,882
/// facets.
class MGMESH_API EdgeTable { // exported for the tests; the header is not installed
public:
    static constexpr std::uint32_t npos = 0xffffffffu;

    explicit EdgeTable(const MgFace& face);
    EdgeTable(const EdgeTable&) = delete;
    EdgeTable& operator=(const EdgeTable&) = delete;

    std::uint32_t NumVertices() const { return std::uint32_t(m_vertices.size()); }
    std::uint32_t NumFacets() const { return std::uint32_t(m_facets.Size()); }
    MgVertex* Vertex(std::uint32_t n) const { return m_vertices[n]; }
    MgFacet* Facet(std::uint32_t f) const { return m_facets[f]; }
    /// The number of the vertex in a facet's slot, or npos where the slot is empty.
    std::uint32_t Corner(std::uint32_t f, int slot) const { return m_corners[3 * f + slot]; }
    std::uint32_t From(std::uint32_t side) const { return m_corners[side]; }
    std::uint32_t To(std::uint32_t side) const {
        return m_corners[side - side % 3 + (side % 3 + 1) % 3];
    }

    /// The edges' sides are entries 0 .. NumEntries() - 1, edge by edge, each edge's ordered by
    /// facet and slot: Side(k) is the side of entry k, Up(k) whether it runs from the edge's
    /// lower-numbered end to the higher. The edges are walked by their first entries: the
    /// first edge begins at 0, and the edge that begins at `begin` ends where the next begins,
    /// EdgeEnd(begin).
    std::uint32_t NumEntries() const { return std::uint32_t(m_entries.size()); }
    std::uint32_t Side(std::uint32_t k) const { return m_entries[k] >> 1; }
    bool Up(std::uint32_t k) const { return (m_entries[k] & 1) != 0; }
    std::uint32_t EdgeEnd(std::uint32_t begin) const;
    /// The lower-numbered end vertex of the edge that begins at entry `begin`, and the other.
    std::uint32_t Low(std::uint32_t begin) const;
    std::uint32_t High(std::uint32_t begin) const { return HigherEnd(Side(begin)); }

private:
    using Run = ItemRuns<MgVertex>::Run;
    void NumberList(const MgVertexList& vertices);
    std::uint32_t Number(MgVertex* v);
    std::uint32_t Hashed(MgVertex* v);
    std::uint32_t HigherEnd(std::uint32_t side) const;
    // an entry holds a side in 31 bits: the sides of 715,827,882 facets at most
    static constexpr std::size_t kMostSides = 2147483646;

    LargeArray<MgVertex*> m_vertices;
    ItemRuns<MgFacet> m_facets;
    LargeArray<std::uint32_t> m_corners; // per side, its start vertex
    LargeArray<Run> m_runs;              // by address; empty when the runs do not serve
    LargeArray<std::uint32_t> m_slots;   // open addressing: vertex number + 1, or 0
    std::uint32_t m_firstHashed = 0;     // the vertices from this number on are hashed
    std::size_t m_hashed = 0;
    // per entry: side << 1 | runs up; edge by edge
    LargeArray<std::uint32_t> m_entries;
    LargeArray<std::uint64_t> m_starts; // a bit an entry: whether an edge begins there
};

/// Facet groups joined through shared edges: a union-find over facet numbers.
class FacetGroups {
public:
    explicit FacetGroups(std::uint32_t facets) : m_parent(facets) {
        for (std::uint32_t f = 0; f < facets; ++f)
            m_parent[f] = f;
    }
    std::uint32_t Find(std::uint32_t f) {
        while (m_parent[f] != f)
            f = m_parent[f] = m_parent[m_parent[f]];
        return f;
    }
    void Join(std::uint32_t a, std::uint32_t b) {
        a = Find(a);
        b = Find(b);
        if (a != b)
            m_parent[a < b ? b : a] = a < b ? a : b; // the lowest facet names its group
    }

private:
    LargeArray<std::uint32_t> m_parent;
};

} // namespace mgmesh::detail
