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
