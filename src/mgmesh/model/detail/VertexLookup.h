// Indices over a face's vertex pool that live for one whole-face operation (internal).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/detail/BlockArray.h"
#include "mgmesh/model/detail/LargeArray.h"

class MgFace;
class MgVertex;

namespace mgmesh::detail {

/// While alive, answers the face's FindVertex / FindAddVertex (Exact) or FindCloseVertex
/// (Close) exactly as the walks over the vertex list would, in expected constant time. It
/// follows vertices added to and removed from the face during its life; it assumes that no
/// vertex of the face moves meanwhile. At most one lookup is installed on a face at a time;
/// a nested one leaves the outer in place and does nothing.
///
/// Both indices are flat open-addressing tables probed linearly, with a power of two of
/// slots. The close index puts every vertex into one cell of a grid whose cells are many
/// times the merge box, so the box around a point usually lies in a single cell and a
/// neighbouring cell is looked at only when the box crosses a cell border; a cell's slot
/// holds the position of its newest vertex, so a query that this vertex answers reads one
/// slot.
class MGMESH_API VertexLookup { // exported for the tests; the header is not installed
public:
    enum Kind { Exact = 1, Close = 2 };

    /// The width of the close index's cells (a power of two, so cell numbers are exact).
    static constexpr double kCellSize = 0.25;

    VertexLookup(MgFace* face, int kinds);
    ~VertexLookup();
    VertexLookup(const VertexLookup&) = delete;
    VertexLookup& operator=(const VertexLookup&) = delete;

    /// The first vertex in list order whose position == p, or null.
    MgVertex* FindExact(const CGeoVector& p);
    /// The last vertex in list order within the inclusive 0.01 box around p, or null.
    MgVertex* FindClose(const CGeoVector& p);

    /// Starts loading what FindClose(p) reads first, for a caller that knows its next queries
    /// early. Changes nothing.
    void Prefetch(const CGeoVector& p) const;

    /// Makes room in the close index for `vertices` vertices in all, so that a load that
    /// knows about how many it will add does not regrow the index on the way. Changes no
    /// answer.
    void ReserveClose(std::size_t vertices);

    bool HasExact() const { return (m_kinds & Exact) != 0; }
    bool HasClose() const { return (m_kinds & Close) != 0; }

    // Called by the face as its vertex list changes: Registered when a vertex joins the list,
    // Added once the vertex pool has given it its position.
    void Registered(MgVertex* v);
    void Added(MgVertex* v);
    void Removed(MgVertex* v);

private:
    struct Cell {
        std::int32_t x, y, z;
        bool operator==(const Cell& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    // A cell of the close index: its newest entry, and that entry's position, which names the
    // cell and is the first to pass or fail the box test.
    struct CellSlot {
        CGeoVector position;
        std::uint32_t newest;
    };
    void Rebuild();
    void Insert(MgVertex* v);
    void InsertExact(MgVertex* v);
    void InsertClose(MgVertex* v);
    std::uint32_t* ExactSlot(const CGeoVector& p);
    CellSlot& FindCell(const Cell& cell);
    MgVertex* Missed(std::size_t slot, const CGeoVector& p);
    void GrowExact();
    void GrowCells();
    void RehashCells(std::size_t slots);

    MgFace* m_face;
    int m_kinds;
    bool m_installed = false;
    bool m_stale = false;
    MgVertex* m_pending = nullptr; // registered, position not yet set

    LargeArray<MgVertex*> m_exactVertices;  // the first vertex at each position
    LargeArray<std::uint32_t> m_exactSlots; // entry numbers into m_exactVertices
    // the close index's entries in the order of the vertex list, and for each the entry
    // added before it to the same cell
    BlockArray<MgVertex*> m_closeVertices;
    BlockArray<std::uint32_t> m_closePrevious;
    LargeArray<CellSlot> m_cellSlots;
    std::size_t m_cells = 0;
    // where the last FindClose that found nothing would put a vertex at its point: a load
    // adds that vertex next, and its insertion need not look for the slot again
    static constexpr std::size_t kNoSlot = ~std::size_t(0);
    std::size_t m_missSlot = kNoSlot;
    CGeoVector m_missPoint;
};

} // namespace mgmesh::detail
