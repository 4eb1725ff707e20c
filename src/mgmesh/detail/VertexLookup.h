// Indices over a face's vertex pool that live for one whole-face operation (internal).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"

class MgFace;
class MgVertex;

namespace mgmesh::detail {

/// While alive, answers the face's FindVertex / FindAddVertex (Exact) or FindCloseVertex
/// (Close) exactly as the walks over the vertex list would, in expected constant time. It
/// follows vertices added to and removed from the face during its life; it assumes that no
/// vertex of the face moves meanwhile. At most one lookup is installed on a face at a time;
/// a nested one leaves the outer in place and does nothing.
class MGMESH_API VertexLookup { // exported for the tests; the header is not installed
public:
    enum Kind { Exact = 1, Close = 2 };

    VertexLookup(MgFace* face, int kinds);
    ~VertexLookup();
    VertexLookup(const VertexLookup&) = delete;
    VertexLookup& operator=(const VertexLookup&) = delete;

    /// The first vertex in list order whose position == p, or null.
    MgVertex* FindExact(const CGeoVector& p);
    /// The last vertex in list order within the inclusive 0.01 box around p, or null.
    MgVertex* FindClose(const CGeoVector& p);

    bool HasExact() const { return (m_kinds & Exact) != 0; }
    bool HasClose() const { return (m_kinds & Close) != 0; }

    // Called by the face as its vertex list changes: Registered when a vertex joins the list,
    // Added once the vertex pool has given it its position.
    void Registered(MgVertex* v);
    void Added(MgVertex* v);
    void Removed(MgVertex* v);

private:
    struct ExactKey {
        std::uint32_t x, y, z;
        bool operator==(const ExactKey& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct KeyHash {
        std::size_t operator()(const ExactKey& k) const;
    };
    struct CellKey {
        std::int64_t x, y, z;
        bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct CellHash {
        std::size_t operator()(const CellKey& k) const;
    };
    struct CloseEntry {
        MgVertex* vertex;
        std::uint32_t previous; // the entry added before it in the same cell, or npos
    };

    void Rebuild();
    void Insert(MgVertex* v);
    static CellKey CellOf(float x, float y, float z);
    static std::int64_t Cell(double c);

    MgFace* m_face;
    int m_kinds;
    bool m_installed = false;
    bool m_stale = false;
    MgVertex* m_pending = nullptr; // registered, position not yet set
    std::unordered_map<ExactKey, MgVertex*, KeyHash> m_exact;
    std::unordered_map<CellKey, std::uint32_t, CellHash> m_cells; // cell -> newest entry
    std::vector<CloseEntry> m_entries;
};

} // namespace mgmesh::detail
