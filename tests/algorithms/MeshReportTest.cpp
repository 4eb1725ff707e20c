// The mesh report: known shapes, the plain computation on random meshes, and a model left as
// it was.
#include <random>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/ReferenceReport.h"
#include "support/Shapes.h"

namespace {

std::string Counts(const mgmesh::MeshReport& r) {
    return std::to_string(r.shells) + " shells, " + std::to_string(r.openEdges) + " open, " +
           std::to_string(r.nonManifoldEdges) + " non-manifold, " +
           std::to_string(r.misorientedEdges) + " misoriented, " +
           std::to_string(r.degenerateFacets) + " degenerate";
}

MgFacet* FacetAt(const MgFace* face, int n) {
    return *std::next(face->FacetList().begin(), n);
}

} // namespace

TEST(MeshReport, KnownShapes) {
    MgObject object;
    MgFace* cube = shapes::Cube(object);
    mgmesh::MeshReport r = mgmesh::ReportMesh(*cube);
    EXPECT_DOUBLE_EQ(r.volume, 1);
    EXPECT_EQ(Counts(r), "1 shells, 0 open, 0 non-manifold, 0 misoriented, 0 degenerate");
    EXPECT_TRUE(r.Clean());
    EXPECT_EQ(r.Describe(), "closed, 1 shell, volume 1");
    cube->Reverse();
    EXPECT_DOUBLE_EQ(mgmesh::ReportMesh(*cube).volume, -1);

    // one flipped facet: its three edges run the way of their other facets
    cube->Reverse();
    FacetAt(cube, 4)->Reverse(); // (0, 1, 5) holds the origin: the volume stays
    r = mgmesh::ReportMesh(*cube);
    EXPECT_EQ(Counts(r), "1 shells, 0 open, 0 non-manifold, 3 misoriented, 0 degenerate");
    ASSERT_EQ(r.misoriented.size(), 3u);
    for (const mgmesh::MeshEdgeSample& s : r.misoriented) {
        EXPECT_EQ(s.uses, 2);
        EXPECT_TRUE(s.facets[0] == 4 || s.facets[1] == 4) << s.facets[0] << " " << s.facets[1];
        EXPECT_LT(s.vertices[0], s.vertices[1]);
    }
    EXPECT_EQ(r.Describe(),
              "closed, 1 shell, volume 1, 3 misoriented edges (facets 1, 4, 5 and 11)");

    // two tetrahedra in one face are two shells; the object sums its faces
    MgFace* tetrahedra = shapes::Tetrahedron(object);
    shapes::Build(object, {shapes::Kind::Tetrahedron, 1, 1, CGeoVector(5, 0, 0), 0})
        ->AddTo(tetrahedra);
    r = mgmesh::ReportMesh(*tetrahedra);
    EXPECT_EQ(Counts(r), "2 shells, 0 open, 0 non-manifold, 0 misoriented, 0 degenerate");
    EXPECT_NEAR(r.volume, 2.0 / 6, 1e-15);
    EXPECT_EQ(mgmesh::ReportMesh(object).shells, 3);

    // a fin: three facets on one edge, each with two open edges
    MgFace* fin = object.NewFace();
    MgVertex* a = shapes::AddVertex(fin, 0, 0);
    MgVertex* b = shapes::AddVertex(fin, 1, 0);
    for (const float y : {1.0f, -1.0f})
        shapes::AddFacet(fin, a, b, shapes::AddVertex(fin, 0, y));
    shapes::AddFacet(fin, b, a, shapes::AddVertex(fin, 0, 0, 1));
    r = mgmesh::ReportMesh(*fin, 1);
    EXPECT_EQ(Counts(r), "1 shells, 6 open, 1 non-manifold, 0 misoriented, 0 degenerate");
    ASSERT_EQ(r.nonManifold.size(), 1u);
    EXPECT_EQ(r.nonManifold[0].uses, 3);
    EXPECT_EQ(r.open.size(), 1u); // samples kept to the number asked for
    EXPECT_EQ(r.Describe(), "1 shell, volume 0, 6 open edges (facets 0, ...), 1 non-manifold "
                            "edge (facets 0, 1 and 2)");

    // degenerate: a vertex in two slots, collinear corners; neither is an edge's own shell
    MgFace* flat = shapes::Grid(object, 1, 1);
    MgVertex* corner = flat->VertexList().front();
    shapes::AddFacet(flat, corner, corner, flat->VertexList().back());
    shapes::AddFacet(flat, corner, shapes::AddVertex(flat, 2, 2), shapes::AddVertex(flat, 4, 4));
    r = mgmesh::ReportMesh(*flat);
    EXPECT_EQ(r.degenerateFacets, 2);
    ASSERT_EQ(r.degenerate.size(), 2u);
    EXPECT_EQ(r.degenerate[0].facet, 2);
    EXPECT_EQ(r.degenerate[1].facet, 3);
}

// A face whose boundary loops cannot be derived still gets its report, and nothing changes.
TEST(MeshReport, LeavesTheModelAlone) {
    MgObject object;
    MgFace* bowtie = shapes::Build(object, {shapes::Kind::Bowtie, 1, 1, CGeoVector(), 0});
    for (const MgVertex* v : bowtie->VertexList())
        v->SetAuxData(const_cast<MgVertex*>(v));
    const unsigned faceIndex = bowtie->ChangeIndex(), objectIndex = object.ChangeIndex();
    const mgmesh::MeshReport r = mgmesh::ReportMesh(object);
    EXPECT_EQ(Counts(r), "2 shells, 6 open, 0 non-manifold, 0 misoriented, 0 degenerate");
    EXPECT_EQ(bowtie->ChangeIndex(), faceIndex);
    EXPECT_EQ(object.ChangeIndex(), objectIndex);
    for (const MgVertex* v : bowtie->VertexList())
        EXPECT_EQ(v->AuxData(), v);
    EXPECT_FALSE(bowtie->RebuildEdges());
    EXPECT_EQ(Counts(mgmesh::ReportMesh(*bowtie)), Counts(r));
}

// Random facets over few vertices meet every kind of edge; the report must agree with the
// plain computation, and its samples must be the lowest-numbered of their kind. Every tenth
// round spreads the vertices over memory (many deleted between them) and borrows some from
// another face, so that they are numbered by their hash rather than their place.
TEST(MeshReport, MatchesThePlainComputation) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        MgObject object;
        MgFace* face = object.NewFace();
        MgFace* other = object.NewFace();
        std::vector<MgVertex*> v;
        const bool spread = round % 10 == 0;
        const int vertices = spread ? 300 : 3 + int(random() % 8);
        for (int n = 0; n < vertices; ++n) {
            MgFace* owner = spread && n % 7 == 0 ? other : face;
            v.push_back(shapes::AddVertex(owner, float(random() % 3), float(random() % 3),
                                          float(random() % 2)));
            if (spread && random() % 2)
                delete shapes::AddVertex(face, 0, 0);
        }
        const int facets = int(random() % (spread ? 400 : 12));
        for (int f = 0; f < facets; ++f)
            shapes::AddFacet(face, v[random() % vertices], v[random() % vertices],
                             v[random() % vertices]);
        const mgmesh::MeshReport r = mgmesh::ReportMesh(*face, 2);
        const support::PlainReport plain = support::PlainReportOf(face);
        ASSERT_EQ(Counts(r), plain.Text()) << "round " << round;
        EXPECT_NEAR(r.volume, plain.volume, 1e-12);
        // a sample names its ends by the face's numbering: the listed vertices first, in order
        const std::vector<MgVertex*> listed(face->VertexList().begin(), face->VertexList().end());
        for (const auto* list : {&r.open, &r.nonManifold, &r.misoriented}) {
            EXPECT_LE(list->size(), 2u);
            for (std::size_t k = 1; k < list->size(); ++k)
                EXPECT_LE((*list)[k - 1].facets[0], (*list)[k].facets[0]);
            for (const mgmesh::MeshEdgeSample& s : *list)
                for (int i = 0; i < 2; ++i) {
                    const auto n = std::size_t(s.vertices[i]);
                    if (n < listed.size())
                        EXPECT_EQ(listed[n]->Vertex(), s.positions[i]);
                    else
                        EXPECT_TRUE(spread) << "a listed vertex numbered " << s.vertices[i];
                }
        }
        EXPECT_EQ(r.open.size(), std::min<std::size_t>(2, std::size_t(r.openEdges)));
    }
}
