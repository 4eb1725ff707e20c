// The item lists of the model: ordered, doubly linked, stable positions, kept count.
#pragma once

#include <list>

class MgObject;
class MgFace;
class MgVertex;
class MgFacet;
class MgEdge;
class MgCorner;

typedef std::list<MgObject*> MgObjectList;
typedef std::list<MgFace*> MgFaceList;
typedef std::list<MgVertex*> MgVertexList;
typedef std::list<MgFacet*> MgFacetList;
typedef std::list<MgEdge*> MgEdgeList;
typedef std::list<MgCorner*> MgCornerList;

namespace mgmesh::detail {

/// An item's own record of its place in one owner list, so that unregistering needs no walk.
/// The library keeps it; the operations on it are internal.
template <class T> struct ListSlot {
    typename std::list<T*>::iterator pos{};
    const std::list<T*>* list = nullptr;
};

} // namespace mgmesh::detail
