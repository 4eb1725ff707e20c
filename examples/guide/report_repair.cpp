// The guide's report and repair example: a tetrahedron with one facet turned the wrong way,
// reported, oriented and reported again.
#include <cstdio>

#include <mgmesh/mgmesh.h>

int main() {
    try {
        MgObject object;
        MgFace* face = object.NewFace();
        const float uv[2] = {0, 0};
        MgVertex* v[4] = {face->AddVertex(CGeoVector(0, 0, 0), CGeoVector(), uv),
                          face->AddVertex(CGeoVector(1, 0, 0), CGeoVector(), uv),
                          face->AddVertex(CGeoVector(0, 1, 0), CGeoVector(), uv),
                          face->AddVertex(CGeoVector(0, 0, 1), CGeoVector(), uv)};
        // outward facing except the last, which runs the wrong way round
        const int corners[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 2, 3}};
        for (const auto& c : corners) {
            MgFacet* facet = face->NewFacet();
            for (int i = 0; i < 3; ++i)
                facet->SetVertex(i, v[c[i]]);
        }

        //! [report]
        mgmesh::MeshReport before = mgmesh::ReportMesh(object); // changes nothing
        std::printf("before: %s\n", before.Describe().c_str());
        // the counts are fields: before.openEdges, before.misorientedEdges, before.volume, ...

        mgmesh::RepairResult fixed = mgmesh::MergeVertices(object, 1e-4f);
        fixed.Add(mgmesh::DropDegenerateFacets(object));
        fixed.Add(mgmesh::OrientShells(object)); // a closed shell ends up facing outward
        std::printf("repair: %s\n", fixed.Describe().c_str());

        mgmesh::MeshReport after = mgmesh::ReportMesh(object);
        std::printf("after: %s\n", after.Describe().c_str());
        //! [report]
        const bool right = before.misorientedEdges == 3 && !before.Clean() &&
                           fixed.facetsReversed == 1 && after.Clean() && after.volume > 0;
        return right ? 0 : 1;
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
}
