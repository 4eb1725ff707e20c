// MgEdge: a closed boundary loop of a face, as an ordered run of vertices.
#pragma once

#include "mgmesh/Export.h"
#include "mgmesh/model/MgLists.h"

/// Each entry of the vertex list holds one reference on its vertex; the first vertex of a loop
/// is not repeated at its end. Positions in the list stay valid under other insertions.
class MGMESH_API MgEdge {
public:
    /// Registers with `face`; empty vertex list.
    explicit MgEdge(MgFace* face);
    /// Releases every vertex reference in list order, then unregisters.
    virtual ~MgEdge();
    MgEdge(const MgEdge&) = delete;
    MgEdge& operator=(const MgEdge&) = delete;

    const MgVertexList& VertexList() const { return m_vertices; }
    MgFace* ParentFace() const { return m_face; }

    /// Appends `v` and takes a reference on it; posts a change.
    void AddVertex(MgVertex* v);
    /// Inserts `v` just before `position` (at the end for the end position); takes a
    /// reference and posts a change. Returns the position of the new entry.
    MgVertexList::const_iterator AddVertex(MgVertex* v, MgVertexList::const_iterator position);
    /// Reverses the list when it has two or more vertices (positions keep their vertices);
    /// posts a change in any case.
    void Reverse();
    /// Appends copies of `source`'s vertices, mapped through their aux data (see
    /// MgFace::CopyFace); posts a change per vertex and once more at the end.
    void CopyEdge(const MgEdge* source);

private:
    friend class MgFace;

    MgFace* m_face;
    MgVertexList m_vertices;
    mgmesh::detail::ListSlot<MgEdge> m_slot;
};
