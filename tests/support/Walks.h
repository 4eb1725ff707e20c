// The indexed searches as plain walks, the references the indices are compared with: the
// vertex pool's exact and close searches over the vertex list, and the host import's merge.
#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/io/HostAPILinearFace.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"

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

/// The first of `points` that the host import merges `p` into: the float length of the
/// difference is strictly below `threshold`. -1 for none.
inline int WalkMergeFind(const std::vector<CGeoVector>& points, const CGeoVector& p,
                         float threshold) {
    for (std::size_t i = 0; i < points.size(); ++i)
        if ((points[i] - p).Norm() < threshold)
            return static_cast<int>(i);
    return -1;
}

/// The vertices the host import makes of a record, by the walk over those made so far.
struct MergedVertices {
    std::vector<int> of;   // for each record vertex, the number of the vertex it ends in
    std::vector<int> last; // for each vertex, the last record vertex merged into it
    std::vector<CGeoVector> positions, normals; // each vertex's final values: its last one's
    std::vector<std::array<float, 2>> uvs;
};

/// With mergeVertices set, a record vertex within 0.1 · the face tolerance of a vertex made
/// already (the first in order) ends in it and moves it to its own values; otherwise it makes
/// a vertex. Quadratic in the record's vertices.
inline MergedVertices WalkHostMerge(const HostAPILinearFace& record) {
    MergedVertices m;
    const float threshold = 0.1f * static_cast<float>(record.faceTolerance);
    for (int i = 0; i < record.numVertices; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const CGeoVector p(record.positions + 3 * at);
        int found = record.mergeVertices ? WalkMergeFind(m.positions, p, threshold) : -1;
        if (found < 0) {
            found = static_cast<int>(m.positions.size());
            m.positions.emplace_back();
            m.normals.emplace_back();
            m.uvs.emplace_back();
            m.last.emplace_back();
        }
        const std::size_t v = static_cast<std::size_t>(found);
        m.positions[v] = p;
        m.normals[v] = CGeoVector(record.normals + 3 * at);
        m.uvs[v] = {static_cast<float>(record.uvs[2 * at]),
                    static_cast<float>(record.uvs[2 * at + 1])};
        m.last[v] = i;
        m.of.push_back(found);
    }
    return m;
}

} // namespace support
