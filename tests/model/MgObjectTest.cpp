// Objects: registration, change indices, lazy bounds, measures, removal by id, factories.
#include <cfloat>
#include <cmath>

#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Tagged.h"
#include "support/Topology.h"

namespace {

const CGeoVector kHuge(FLT_MAX, FLT_MAX, FLT_MAX);

} // namespace

TEST(MgObject, BoundsAreLazyAndReportTheirEmptyStates) {
    MgObject object;
    EXPECT_EQ(object.MinBound(), CGeoVector());
    EXPECT_EQ(object.MaxBound(), CGeoVector());

    MgFace* face = object.NewFace(); // the object changed; the face did not
    EXPECT_EQ(face->ChangeIndex(), 0u);
    EXPECT_EQ(object.MinBound(), CGeoVector());
    EXPECT_EQ(object.MaxBound(), CGeoVector());

    delete face; // changed and empty
    EXPECT_EQ(object.MinBound(), kHuge);
    EXPECT_EQ(object.MaxBound(), -kHuge);
    EXPECT_EQ(object.Average(), CGeoVector());
    EXPECT_TRUE(std::isinf(object.Radius()));

    MgFace* square = shapes::TwoFacetSquare(object);
    EXPECT_EQ(object.MinBound(), CGeoVector(0, 0, 0));
    EXPECT_EQ(object.MaxBound(), CGeoVector(1, 1, 0));
    EXPECT_EQ(object.Average(), CGeoVector(0.5f, 0.5f, 0));
    EXPECT_FLOAT_EQ(object.Radius(), 0.5f * std::sqrt(2.0f));
    // a moved vertex posts a change, so the cached bounds follow it
    square->VertexList().back()->SetVertex(CGeoVector(0, 3, -1));
    EXPECT_EQ(object.MaxBound(), CGeoVector(1, 3, 0));
    EXPECT_EQ(object.MinBound(), CGeoVector(0, 0, -1));
    // a position set without posting stays invisible to the cache
    square->VertexList().front()->SetVertexValue(CGeoVector(-9, 0, 0));
    EXPECT_EQ(object.MinBound(), CGeoVector(0, 0, -1));

    // removing every vertex of a face gives the face the empty extremes
    MgFace* bare = object.NewFace();
    MgVertex* v = shapes::AddVertex(bare, 4, 4);
    EXPECT_EQ(bare->MaxBound(), CGeoVector(4, 4, 0));
    delete v;
    EXPECT_EQ(bare->MinBound(), kHuge);
    EXPECT_EQ(bare->MaxBound(), -kHuge);
}

TEST(MgObject, CountsAndArea) {
    MgObject object;
    EXPECT_EQ(object.Area(), 0);
    shapes::TwoFacetSquare(object);
    shapes::Tetrahedron(object);
    EXPECT_EQ(object.NumVertices(), 8);
    EXPECT_EQ(object.NumFacets(), 6);
    EXPECT_EQ(object.NumEdges(), 0);
    EXPECT_FLOAT_EQ(object.Area(), 1 + 1.5f + 0.5f * std::sqrt(3.0f));
}

TEST(MgObject, RemoveFaceIdDeletesEveryMatchAndNothingElse) {
    MgObject object;
    for (int id : {3, 7, 3, 5})
        shapes::TwoFacetSquare(object)->SetGeoFaceId(id);
    const unsigned before = object.ChangeIndex();
    object.RemoveFaceId(42);
    EXPECT_EQ(object.ChangeIndex(), before);
    object.RemoveFaceId(3);
    ASSERT_EQ(object.FaceList().size(), 2u);
    EXPECT_EQ(object.FaceList().front()->GeoFaceId(), 7);
    EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 5);
}

TEST(MgObject, FactoriesMakeDerivedKindsEverywhere) {
    MgObject plain;
    shapes::Grid(plain, 2, 2);
    support::TaggedObject tagged;
    tagged.CopyObject(&plain);
    ASSERT_EQ(tagged.FaceList().size(), 1u);
    MgFace* face = tagged.FaceList().front();
    EXPECT_NE(dynamic_cast<support::TaggedFace*>(face), nullptr);
    for (const MgFacet* f : face->FacetList())
        EXPECT_NE(dynamic_cast<const support::TaggedFacet*>(f), nullptr);
    // merged facets keep their kind
    MgFace* other = tagged.NewFace();
    shapes::AddFacet(other, shapes::AddVertex(other, 5, 5), shapes::AddVertex(other, 6, 5),
                     shapes::AddVertex(other, 6, 6));
    other->AddTo(face);
    EXPECT_EQ(face->NumFacets(), 9);
    ExpectValidTopology(face);
}
