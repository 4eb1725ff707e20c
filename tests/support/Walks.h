// The vertex pool's searches as plain walks over the vertex list, the reference for the indices.
#pragma once

#include <cmath>

#include "mgmesh/mgmesh.h"

namespace support {

/// The first vertex in list order at exactly `p`.
inline MgVertex* WalkExact(const MgFace* face, const CGeoVector& p) {
    for (MgVertex* v : face->VertexList())
        if (v->Vertex() == p)
            return v;
    return nullptr;
}

/// The last vertex in list order within the inclusive 0.01 box around `p`.
inline MgVertex* WalkClose(const MgFace* face, const CGeoVector& p) {
    for (auto it = face->VertexList().rbegin(); it != face->VertexList().rend(); ++it) {
        const CGeoVector& q = (*it)->Vertex();
        if (std::fabs(q.x - p.x) <= 0.01f && std::fabs(q.y - p.y) <= 0.01f &&
            std::fabs(q.z - p.z) <= 0.01f)
            return *it;
    }
    return nullptr;
}

} // namespace support
