// MgFace: one surface patch of a model, owner of its vertices, facets, edges and corners.
#pragma once

#include <cstdint>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/CGeoContainer.h"
#include "mgmesh/model/MgLists.h"

namespace mgmesh::detail {
class VertexLookup;
}

/// A face owns its facets, edges and corners, and its vertices through their reference
/// counts. Items are made only through the virtual factories and register themselves; deleting
/// an item removes it. Every registration and posted item change advances the face's and its
/// object's change index, which invalidates the cached bounds. Usable as a virtual base.
class MGMESH_API MgFace : public CGeoContainer<MgVertex>,
                          public CGeoContainer<MgFacet>,
                          public CGeoContainer<MgEdge>,
                          public CGeoContainer<MgCorner> {
public:
    /// Registers the new, empty face with `parent` (which must not be null); tolerance 0.05.
    explicit MgFace(MgObject* parent);
    /// Deletes its facets, edges, corners and remaining vertices, then unregisters.
    virtual ~MgFace();
    MgFace(const MgFace&) = delete;
    MgFace& operator=(const MgFace&) = delete;

    virtual MgVertex* NewVertex();
    virtual MgFacet* NewFacet();
    virtual MgEdge* NewEdge();
    virtual MgCorner* NewCorner();

    MgObject* ParentObject() const { return m_parent; }
    const MgVertexList& VertexList() const { return m_vertices; }
    const MgFacetList& FacetList() const { return m_facets; }
    const MgEdgeList& EdgeList() const { return m_edges; }
    const MgCornerList& CornerList() const { return m_corners; }
    int NumVertices() const { return static_cast<int>(m_vertices.size()); }
    int NumFacets() const { return static_cast<int>(m_facets.size()); }
    int NumEdges() const { return static_cast<int>(m_edges.size()); }
    unsigned int ChangeIndex() const { return m_changeIndex; }
    /// Advances the face's and its object's change index by one each.
    void PostChange();

    /// Cached bounds of the vertex list, recomputed first when stale. A face that never
    /// changed reports (0,0,0); a changed face without vertices reports ±3.40282347e38.
    const CGeoVector& MinBound() const;
    const CGeoVector& MaxBound() const;

    /// Re-parents the face to `target` (nothing when it is the parent already).
    void MoveTo(MgObject* target);
    /// Moves every facet into `target`, rebuilds the target's edges, then deletes this face.
    /// Nothing when `target` is this face. Near-linear in the facets of both faces.
    virtual void AddTo(MgFace* target);
    /// Adds a deep copy of `source`'s items (its vertex and facet aux data are overwritten as a
    /// map to the copies). Throws "Bad face structure" when the source's links do not match its
    /// vertices; what was copied stays. Near-linear.
    void CopyFace(const MgFace* source);
    /// Negates vertex normals, reverses facets and edges, then rebuilds the corners.
    void Reverse();
    /// Sum of the facets' areas.
    float Area() const;

    /// Always creates a vertex (reference count 0) with these values.
    MgVertex* AddVertex(const CGeoVector& position, const CGeoVector& normal, const float* uv);
    /// The first vertex in list order at exactly `position`, or null.
    MgVertex* FindVertex(CGeoVector position);
    /// FindVertex, else AddVertex.
    MgVertex* FindAddVertex(const CGeoVector& position, const CGeoVector& normal, const float* uv);
    /// The most recently added vertex within 0.01 of `position` on every axis (bounds
    /// included), else a new vertex.
    MgVertex* FindCloseVertex(const CGeoVector& position, const CGeoVector& normal,
                              const float* uv);

    bool TrueDirection() const { return m_trueDirection; }
    void SetTrueDirection(bool value) { m_trueDirection = value; }
    bool Corrupt() const { return m_corrupt; }
    std::intptr_t GeoFaceId() const { return m_faceId; }
    void SetGeoFaceId(std::intptr_t id) { m_faceId = id; }
    float GeoTolerance() const { return m_tolerance; }
    void SetGeoTolerance(float tolerance) { m_tolerance = tolerance; }
    void* AuxData() const { return m_auxData; }
    void SetAuxData(void* data) const { m_auxData = data; }

    // Edge and corner building (their own source file).

    /// Deletes all edges and derives neighbour links and boundary loops from the facets,
    /// deletes vertices no facet uses and re-attaches the corners. Returns false, and marks
    /// the face corrupt, when a vertex lies on the boundary more than once. Throws "Bad face
    /// structure" when a loop cannot be closed, or when a facet has an empty vertex slot.
    /// Near-linear in the facets.
    bool RebuildEdges();
    /// Re-attaches corners to edge vertices within 0.1 × the tolerance, deletes corners that
    /// fit nowhere, and gives every edge with exactly one corner a second one opposite it.
    void RebuildCorners();
    /// Splits the boundary facet between `vertex` and the vertex at `at` (the one after
    /// `vertex` along the loop when `forward`, before it otherwise) at fraction t, inserts the
    /// new vertex into `edge` between them and returns its position. Throws "Vertices are not
    /// on an edge" when no facet has the two vertices in that order, or for a null vertex or
    /// edge, or `at` at the end of the list.
    MgVertexList::const_iterator AddEdgeVertex(MgVertex* vertex, MgVertexList::const_iterator at,
                                               MgEdge* edge, float t, bool forward);

    // Orientation tests and projected area (their own source file).

    /// Every vertex normal n has |n · u| <= tolerance, u the unit direction.
    bool IsVertical(const CGeoVector& direction, float tolerance) const;
    /// Every vertex normal n has |1 − |n · u|| <= tolerance.
    bool IsFacing(const CGeoVector& direction, float tolerance) const;
    /// Every vertex normal is (anti)parallel, within tolerance, to its radial direction from
    /// the axis.
    bool IsCylindrical(const CGeoVector& axisPoint, const CGeoVector& axisDirection,
                       float tolerance) const;
    /// Some facet has all three vertex normals with |n · u| <= tolerance; false without facets.
    bool IsPartVertical(const CGeoVector& direction, float tolerance) const;
    /// Sum of MgFacet::CastArea over the facets.
    float CastArea(const CGeoVector& direction) const;

    // Bounding-box comparisons (their own source file).

    /// The two boxes are equal within the sum of both tolerances.
    bool CompareBoundingBoxes(MgFace* other);
    /// The two boxes overlap within the sum of both tolerances.
    bool ComparePartialBoundingBoxes(MgFace* other);
    bool ComparePartialBoundingBoxesDivide(MgFace* other);
    bool CompareBoundingBoxesFaceFaset(CGeoVector boxMin, CGeoVector boxMax);
    /// `point` lies in this face's box grown by `margin` on every axis.
    bool CompareBoundingBoxesFaceVertex(CGeoVector point, float margin);

protected:
    /// Derives neighbour links and loops; expects the face to have no edges.
    bool BuildEdges();
    void RecalcMinMax() const;

private:
    friend class MgObject;
    friend class MgFacet;
    friend class mgmesh::detail::VertexLookup;

    void AddItem(MgVertex* item) override;
    void RemoveItem(MgVertex* item) override;
    void AddItem(MgFacet* item) override;
    void RemoveItem(MgFacet* item) override;
    void AddItem(MgEdge* item) override;
    void RemoveItem(MgEdge* item) override;
    void AddItem(MgCorner* item) override;
    void RemoveItem(MgCorner* item) override;

    MgObject* m_parent;
    unsigned int m_changeIndex = 0;
    MgVertexList m_vertices;
    MgFacetList m_facets;
    MgEdgeList m_edges;
    MgCornerList m_corners;
    bool m_trueDirection = false;
    mutable void* m_auxData = nullptr;
    bool m_corrupt = false;
    mutable unsigned int m_boundsIndex = 0;
    mutable CGeoVector m_minBound;
    mutable CGeoVector m_maxBound;
    std::intptr_t m_faceId = 0;
    float m_tolerance = 0.05f;
    // set when an item was put into one of the lists twice by hand; removal then walks
    bool m_walkVertices = false, m_walkFacets = false, m_walkEdges = false, m_walkCorners = false;
    // neighbour slots of this face's facets whose facet does not link back
    long m_looseLinks = 0;
    // an index over the vertex pool that lives for one whole-face operation, or null
    mgmesh::detail::VertexLookup* m_lookup = nullptr;
    mgmesh::detail::ListSlot<MgFace> m_slot;
};
