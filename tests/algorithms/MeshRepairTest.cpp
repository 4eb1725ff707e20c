// Repairs: orientation, degenerate facets and merging, each leaving a valid model and saying
// what it changed.
#include <cmath>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace {

MgFacet* FacetAt(const MgFace* face, int n) {
    return *std::next(face->FacetList().begin(), n);
}

// The unit cube as a soup: every facet with three vertices of its own, less than `jitter` from
// the cube's corners (a different amount for each copy).
MgFace* CubeSoup(MgObject& object, float jitter) {
    MgFace* cube = shapes::Cube(object);
    MgFace* soup = object.NewFace();
    int k = 0;
    for (const MgFacet* f : cube->FacetList()) {
        MgVertex* v[3];
        for (int i = 0; i < 3; ++i) {
            const CGeoVector& p = f->Vertex(i)->Vertex();
            const float d = jitter * float(++k) / 37;
            v[i] = shapes::AddVertex(soup, p.x + d, p.y - d, p.z + d);
        }
        shapes::AddFacet(soup, v[0], v[1], v[2]);
    }
    delete cube;
    return soup;
}

} // namespace

TEST(MeshRepair, OrientShells) {
    MgObject object;
    MgFace* cube = shapes::Cube(object);
    const unsigned before = object.ChangeIndex();
    EXPECT_EQ(mgmesh::OrientShells(object).Describe(), "nothing to change");
    EXPECT_EQ(object.ChangeIndex(), before);

    // a flipped facet turns back, its vertices keep their normals
    FacetAt(cube, 7)->Reverse();
    EXPECT_EQ(mgmesh::ReportMesh(*cube).misorientedEdges, 3);
    mgmesh::RepairResult result = mgmesh::OrientShells(*cube);
    EXPECT_EQ(result.Describe(), "1 facet reversed");
    EXPECT_EQ(mgmesh::ReportMesh(*cube).misorientedEdges, 0);
    EXPECT_DOUBLE_EQ(mgmesh::ReportMesh(*cube).volume, 1);
    for (const MgVertex* v : cube->VertexList())
        EXPECT_EQ(v->Normal().z, 1);
    ExpectValidTopology(cube);

    // a closed shell facing inward turns outward whole, normals and derived loops with it
    cube->Reverse();
    ASSERT_TRUE(cube->RebuildEdges());
    result = mgmesh::OrientShells(*cube);
    EXPECT_EQ(result.facetsReversed, 12);
    EXPECT_EQ(result.edgesRebuilt, 1);
    EXPECT_DOUBLE_EQ(mgmesh::ReportMesh(*cube).volume, 1);
    for (const MgVertex* v : cube->VertexList())
        EXPECT_EQ(v->Normal().z, 1);
    for (const MgFacet* f : cube->FacetList())
        EXPECT_TRUE(f->Neighbor(0) && f->Neighbor(1) && f->Neighbor(2));
    EXPECT_GT(object.ChangeIndex(), before);
    ExpectValidTopology(cube);

    // an open sheet follows the orientation most of its facets have
    MgFace* grid = shapes::Grid(object, 3, 3);
    FacetAt(grid, 0)->Reverse();
    FacetAt(grid, 5)->Reverse();
    EXPECT_EQ(mgmesh::OrientShells(*grid).facetsReversed, 2);
    for (const MgFacet* f : grid->FacetList())
        EXPECT_GT(f->Normal().z, 0);
    ExpectValidTopology(grid);
}

TEST(MeshRepair, DropDegenerateFacets) {
    MgObject object;
    MgFace* grid = shapes::Grid(object, 2, 1);
    ASSERT_TRUE(grid->RebuildEdges());
    MgVertex* a = grid->VertexList().front();
    MgVertex* lone = shapes::AddVertex(grid, 9, 9);
    shapes::AddFacet(grid, a, lone, a);
    shapes::AddFacet(grid, a, shapes::AddVertex(grid, 1, 0), shapes::AddVertex(grid, 2, 0));
    const mgmesh::RepairResult result = mgmesh::DropDegenerateFacets(object);
    EXPECT_EQ(result.Describe(), "2 degenerate facets dropped, 3 unused vertices removed");
    EXPECT_EQ(grid->NumFacets(), 4);
    EXPECT_EQ(grid->NumVertices(), 6);
    EXPECT_EQ(grid->NumEdges(), 1); // the loops were derived again
    EXPECT_EQ(mgmesh::ReportMesh(object).degenerateFacets, 0);
    ExpectValidTopology(grid);
}

TEST(MeshRepair, MergeVertices) {
    for (const float jitter : {0.0f, 0.004f}) {
        MgObject object;
        MgFace* soup = CubeSoup(object, jitter);
        EXPECT_EQ(mgmesh::ReportMesh(*soup).shells, 12);
        // too tight a tolerance merges nothing where the corners are apart
        if (jitter > 0) {
            EXPECT_EQ(mgmesh::MergeVertices(*soup, jitter / 100).verticesMerged, 0);
        }
        const mgmesh::RepairResult result = mgmesh::MergeVertices(object, jitter);
        EXPECT_EQ(result.verticesMerged, 28) << jitter;
        EXPECT_EQ(result.verticesRemoved, 28);
        EXPECT_EQ(soup->NumVertices(), 8);
        const mgmesh::MeshReport report = mgmesh::ReportMesh(*soup);
        EXPECT_TRUE(report.Clean()) << report.Describe();
        EXPECT_EQ(report.shells, 1);
        ExpectValidTopology(soup);
    }
    // never across faces, never a NaN
    MgObject object;
    shapes::Tetrahedron(object);
    shapes::Tetrahedron(object);
    const float nan = std::nanf("");
    MgFace* odd = object.NewFace();
    shapes::AddFacet(odd, shapes::AddVertex(odd, nan, 0), shapes::AddVertex(odd, nan, 0),
                     shapes::AddVertex(odd, 1, 1));
    EXPECT_EQ(mgmesh::MergeVertices(object, 0.5f).Describe(), "nothing to change");
}
