// What the report and the repairs measure of a single facet, in double precision (internal).
#pragma once

#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

namespace mgmesh::detail {

struct Double3 {
    double x, y, z;
};

inline Double3 Of(const CGeoVector& v) {
    return {double(v.x), double(v.y), double(v.z)};
}
inline Double3 Cross(const Double3& a, const Double3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

/// p0 · (p1 × p2) / 6: the facet's share of the enclosed volume; 0 with an empty slot.
inline double SignedVolume(const MgFacet& f) {
    if (!f.Vertex(0) || !f.Vertex(1) || !f.Vertex(2))
        return 0;
    const Double3 p0 = Of(f.Vertex(0)->Vertex()),
                  across = Cross(Of(f.Vertex(1)->Vertex()), Of(f.Vertex(2)->Vertex()));
    return (p0.x * across.x + p0.y * across.y + p0.z * across.z) / 6;
}

/// A vertex in two slots, an empty slot, or collinear corners (a zero cross product).
inline bool Degenerate(const MgFacet& f) {
    const MgVertex *a = f.Vertex(0), *b = f.Vertex(1), *c = f.Vertex(2);
    if (!a || !b || !c || a == b || b == c || a == c)
        return true;
    const Double3 p0 = Of(a->Vertex()), p1 = Of(b->Vertex()), p2 = Of(c->Vertex());
    const Double3 n =
        Cross({p1.x - p0.x, p1.y - p0.y, p1.z - p0.z}, {p2.x - p0.x, p2.y - p0.y, p2.z - p0.z});
    return n.x == 0 && n.y == 0 && n.z == 0;
}

} // namespace mgmesh::detail
