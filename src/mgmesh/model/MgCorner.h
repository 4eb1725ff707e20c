// MgCorner: a marked place on a boundary edge of a face.
#pragma once

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgLists.h"

/// A corner keeps a position; edge building re-attaches it to the edge vertex it lies on.
/// It holds no reference on that vertex and none of its operations posts a change.
class MGMESH_API MgCorner {
public:
    /// Registers with `face`; position (0,0,0), no edge, found match false.
    explicit MgCorner(MgFace* face);
    /// Unregisters from the face.
    virtual ~MgCorner();
    MgCorner(const MgCorner&) = delete;
    MgCorner& operator=(const MgCorner&) = delete;

    const CGeoVector& Position() const { return m_position; }
    void SetPosition(const CGeoVector& position) { m_position = position; }
    /// The edge the corner lies on, or null before it is attached.
    MgEdge* Edge() const { return m_edge; }
    /// The position in Edge()'s vertex list at which the corner lies.
    MgVertexList::const_iterator VertIter() const { return m_vertIter; }
    /// The vertex at VertIter(); null when the corner is not attached.
    MgVertex* Vertex() const { return m_edge ? *m_vertIter : nullptr; }
    /// Attaches the corner to `edge` at `position` in its vertex list.
    void SetEdgeIter(MgEdge* edge, MgVertexList::const_iterator position) {
        m_edge = edge;
        m_vertIter = position;
    }
    bool GetFoundMatch() const { return m_foundMatch; }
    void SetFoundMatch(bool found) { m_foundMatch = found; }
    MgFace* ParentFace() const { return m_face; }
    /// Copies the position only.
    void CopyCorner(MgCorner* source) { m_position = source->m_position; }

private:
    friend class MgFace;

    MgFace* m_face;
    CGeoVector m_position;
    MgEdge* m_edge = nullptr;
    MgVertexList::const_iterator m_vertIter{};
    bool m_foundMatch = false;
    mgmesh::detail::ListSlot<MgCorner> m_slot;
};
