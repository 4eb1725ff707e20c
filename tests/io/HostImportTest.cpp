// The host face import: vertices merged by distance, skipped triangles, corners, the handle,
// and the merge index against the walk over the vertex list.
#include "IoSupport.h"
#include "support/Walks.h"

namespace {

// The host's arrays, kept alive while the record points into them.
struct Record {
    HostAPILinearFace face{0, 0, 0, 0, 0, 0, 0.05, nullptr, nullptr, nullptr, nullptr, nullptr};
    std::vector<double> positions, normals, uvs, corners;
    std::vector<int> triangles;

    void Vertex(double x, double y, double z = 0, double nz = 1, double u = 0) {
        positions.insert(positions.end(), {x, y, z});
        normals.insert(normals.end(), {0, 0, nz});
        uvs.insert(uvs.end(), {u, u + 1});
    }
    const HostAPILinearFace& Get() {
        face.numVertices = int(positions.size() / 3);
        face.numTriangles = int(triangles.size() / 3);
        face.numCorners = int(corners.size() / 3);
        face.positions = positions.data();
        face.normals = normals.data();
        face.uvs = uvs.data();
        face.cornerPoints = corners.data();
        face.triangles = triangles.data();
        return face;
    }
};

// The unit square over four record vertices, two triangles sharing the diagonal 0-2.
Record Square() {
    Record r;
    for (int i = 0; i < 4; ++i)
        r.Vertex(i == 1 || i == 2, i >= 2);
    r.triangles = {0, 1, 2, 0, 2, 3};
    return r;
}

} // namespace

TEST(HostImport, BuildsALinkedFaceWithItsLoop) {
    Record r = Square();
    r.Vertex(0, 0);                                   // not merged: its own vertex, unused
    r.triangles.insert(r.triangles.end(), {2, 2, 4}); // skipped
    r.corners = {0.003, 0, 0, 0.5, 0.5, 0};           // at vertex 0; on no boundary vertex
    MgObject object;
    void* handle = reinterpret_cast<void*>(std::uintptr_t(0x7ffe123456789abcULL));
    MgFace* face = object.FillFacesInObj(r.Get(), handle);
    EXPECT_EQ(face, object.FaceList().back());
    ExpectValidTopology(face);
    // the handle as the id; linked facets, their loop, and the lone corner's partner opposite
    std::ostringstream out;
    object.SaveToSCB(out);
    EXPECT_EQ(out.str(), "\tfaceBegin 9222829102899698364\n\t\ttolerance 0.05\n"
                         "\t\tvertex 0 0 1 0 0 0 0 0 1\n\t\tvertex 1 0 1 1 0 0 0 0 1\n"
                         "\t\tvertex 2 0 1 1 1 0 0 0 1\n\t\tvertex 3 0 1 0 1 0 0 0 1\n"
                         "\t\tfacet 0\t0 1 2 \t-1 -1 1 \n\t\tfacet 1\t0 2 3 \t0 -1 -1 \n"
                         "\t\tedge 0 1 2 3\n\t\tcorner 0.003 0 0\n\t\tcorner 1 1 0\n\tfaceEnd\n");
}

TEST(HostImport, RefusesARecordThatWouldBeReadOutOfBounds) {
    Record outside = Square(), negative = Square(), square = Square();
    outside.triangles.insert(outside.triangles.end(), {0, 1, 4});
    negative.triangles.insert(negative.triangles.end(), {-1, 1, 2});
    HostAPILinearFace bad[] = {outside.Get(), negative.Get(), square.Get(), square.Get(),
                               square.Get()};
    bad[2].normals = nullptr;
    bad[3].triangles = nullptr;
    bad[4].numCorners = 1; // and no corner points
    for (const HostAPILinearFace& record : bad) {
        MgObject object;
        EXPECT_THROW_TEXT(object.FillFacesInObj(record, nullptr), "Bad host face record");
        EXPECT_TRUE(object.FaceList().empty());
    }
    MgObject object;
    HostAPILinearFace none{0, 0, -3, -1, 0, 0, 0.05, nullptr, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(object.FillFacesInObj(none, nullptr)->NumVertices(), 0); // counts below 1 skip
}

// The import merges through a grid; the literal walk over the vertex list must give the same
// vertices with the same values, and the facets must hold the same ones.
TEST(HostImport, MergesAsTheWalkOverTheVertexList) {
    std::mt19937 random(5150);
    const double tolerances[] = {0.05, 0.2, 1e-2, 0.0, 1e35, -1, NAN, INFINITY, 1e-29, 1e-24};
    for (int round = 0; round < 300; ++round) {
        Record r;
        r.face.mergeVertices = 1;
        r.face.faceTolerance = tolerances[random() % 10];
        const float threshold = 0.1f * float(r.face.faceTolerance);
        support::CoordinateMix mix;
        mix.step = threshold > 0 && threshold < 1 ? threshold : 0.001f;
        const int n = 3 + int(random() % 80);
        for (int i = 0; i < n; ++i) {
            const float x = support::StressCoordinate(random, mix);
            const float y = support::StressCoordinate(random, mix);
            r.Vertex(x, y, support::StressCoordinate(random, mix), double(i), double(i));
            r.triangles.insert(r.triangles.end(), {i, (i + 1) % n, (i + 2) % n});
        }
        const support::MergedVertices walked = support::WalkHostMerge(r.Get());
        MgObject object;
        const MgFace* face = object.FillFacesInObj(r.Get(), nullptr);
        ASSERT_EQ(face->NumVertices(), int(walked.positions.size()));
        std::vector<const MgVertex*> vertices(face->VertexList().begin(), face->VertexList().end());
        for (std::size_t v = 0; v < vertices.size(); ++v) {
            ASSERT_TRUE(support::SameBits(vertices[v]->Vertex(), walked.positions[v]));
            ASSERT_EQ(vertices[v]->GeoUV()[0], float(walked.last[v])); // the values merged in last
            ASSERT_EQ(vertices[v]->Normal().z, float(walked.last[v]));
        }
        int t = 0;
        for (const MgFacet* f : face->FacetList())
            for (int k = 0; k < 3; ++k, ++t)
                ASSERT_EQ(f->Vertex(k),
                          vertices[std::size_t(walked.of[std::size_t(r.triangles[t])])]);
        ASSERT_EQ(t, 3 * n);
    }
}
