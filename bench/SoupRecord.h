// The host's record of a sphere for MgObject::FillFacesInObj, as the benchmarks import it.
#pragma once

#include <vector>

#include "SphereGen.h"
#include "mgmesh/mgmesh.h"

namespace bench {

// The host's record of the sphere as a triangle soup, three record vertices per triangle,
// welded again by the import's merging.
struct SoupRecord {
    std::vector<double> positions, normals, uvs;
    std::vector<int> triangles;
    HostAPILinearFace record{};
    explicit SoupRecord(const Icosphere& s) {
        for (std::size_t i = 0; i < s.triangles.size(); ++i) {
            const CGeoVector& p = s.points[std::size_t(s.triangles[i])];
            const CGeoVector n = p.Unit();
            positions.insert(positions.end(), {p.x, p.y, p.z});
            normals.insert(normals.end(), {n.x, n.y, n.z});
            uvs.insert(uvs.end(), {0.0, 0.0});
            triangles.push_back(int(i));
        }
        record.mergeVertices = 1;
        record.numVertices = int(s.triangles.size());
        record.numTriangles = s.Facets();
        record.faceTolerance = 0.05;
        record.positions = positions.data();
        record.normals = normals.data();
        record.uvs = uvs.data();
        record.triangles = triangles.data();
    }
    SoupRecord(const SoupRecord&) = delete; // the record points into the vectors
    SoupRecord& operator=(const SoupRecord&) = delete;
};

} // namespace bench
