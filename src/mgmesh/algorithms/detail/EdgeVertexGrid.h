// The grid over the vertices of a face's edges that corner building keeps for one call (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgLists.h"
#include "mgmesh/model/detail/LargeArray.h"

namespace mgmesh::detail {

/// The vertices of a face's edges, each occurrence with its place: the edge and the position
/// in its vertex list. Find gives what a walk over the edges in list order, and each edge's
/// vertices from the front, would give: the first occurrence whose vertex is free (aux data 0)
/// and lies at a distance (vertex − point).Norm() strictly below the radius. A uniform grid
/// narrows the candidates; the distance test itself is the walk's, so rounding, signed zeros,
/// infinities and NaN behave exactly as in the walk. Free vertices must only ever be taken
/// (their aux data made non-zero) while the grid lives, never freed again.
class EdgeVertexGrid {
public:
    struct Spot {
        MgVertex* vertex;
        MgEdge* edge;
        MgVertexList::const_iterator at;
    };

    EdgeVertexGrid(const MgEdgeList& edges, float radius);
    EdgeVertexGrid(const EdgeVertexGrid&) = delete;
    EdgeVertexGrid& operator=(const EdgeVertexGrid&) = delete;

    /// The first qualifying spot, or null. Near-constant time for data of bounded local density.
    const Spot* Find(const CGeoVector& point);

private:
    struct CellKey {
        std::int64_t x, y, z;
        bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct CellHash {
        std::size_t operator()(const CellKey& k) const;
    };
    struct Range {
        std::uint32_t begin, end;
    };

    bool CellOf(const CGeoVector& p, CellKey& key) const;
    std::uint32_t NextFree(std::uint32_t i); // the first index >= i whose vertex may be free

    float m_radius;
    double m_cell = 0;                  // cell width, at least the radius
    LargeArray<Spot> m_spots;           // in walk order
    LargeArray<std::uint32_t> m_sorted; // spot numbers by cell, walk order in a cell
    LargeArray<std::uint32_t> m_skip;   // per sorted index, a later index to go on from
    std::unordered_map<CellKey, Range, CellHash> m_cells;
};

} // namespace mgmesh::detail
