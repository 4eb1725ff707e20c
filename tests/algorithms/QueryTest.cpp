// Orientation tests of vertex normals, projected area and bounding-box comparisons.
#include <cmath>
#include <functional>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"

namespace {

MgVertex* NormalVertex(MgFace* face, CGeoVector p, CGeoVector n) {
    const float uv[2] = {0, 0};
    return face->AddVertex(p, n, uv);
}

// A face whose box is (lo, hi): two loose vertices at its corners.
MgFace* BoxFace(MgObject& object, CGeoVector lo, CGeoVector hi, float tolerance) {
    MgFace* face = object.NewFace();
    NormalVertex(face, lo, {});
    NormalVertex(face, hi, {});
    face->SetGeoTolerance(tolerance);
    return face;
}

} // namespace

TEST(Orientation, Classification) {
    MgObject object;
    MgFace* square = shapes::TwoFacetSquare(object); // normals (0, 0, 1)
    EXPECT_TRUE(square->IsFacing({0, 0, 1}, 0.01f));
    EXPECT_TRUE(square->IsFacing({0, 0, -5}, 0.01f));
    EXPECT_FALSE(square->IsVertical({0, 0, 1}, 0.01f));
    EXPECT_TRUE(square->IsVertical({0, -3, 0}, 0.01f));
    // a zero direction lets every vertex pass the whole-face tests, and fail IsPartVertical
    EXPECT_TRUE(square->IsFacing({0, 0, 0}, 0));
    EXPECT_FALSE(square->IsPartVertical({0, 0, 0}, 1e30f));
    // a vertex that no facet uses counts in the whole-face tests, not in IsPartVertical
    NormalVertex(square, {5, 5, 5}, {1, 0, 0});
    EXPECT_FALSE(square->IsVertical({1, 0, 0}, 0.01f));
    EXPECT_TRUE(square->IsPartVertical({1, 0, 0}, 0.01f));
    // one facet whose three vertices pass is enough; c is in both facets, d only in the second
    (*std::next(square->VertexList().begin(), 3))->SetNormal({1, 0, 0});
    EXPECT_TRUE(square->IsPartVertical({1, 0, 0}, 0.01f));
    (*std::next(square->VertexList().begin(), 2))->SetNormal({1, 0, 0});
    EXPECT_FALSE(square->IsPartVertical({1, 0, 0}, 0.01f));
    // a fan about the z-axis with radial normals, alternately inward and long (there is no outer
    // absolute value), its centre on the axis (no radial direction), and one of another radius
    MgFace* fan = shapes::OpenFan(object, 12);
    int i = 0;
    for (MgVertex* v : fan->VertexList())
        v->SetNormal(CGeoVector(v->Vertex().x, v->Vertex().y, 0) * (i++ % 2 ? -1.f : 2.f));
    NormalVertex(fan, {0, -3, 4}, {0, 1, 0});
    EXPECT_TRUE(fan->IsCylindrical({0, 0, 7}, {0, 0, -3}, 0.001f));
    EXPECT_FALSE(fan->IsCylindrical({0.5f, 0, 0}, {0, 0, 1}, 0.001f));
    EXPECT_FALSE(fan->IsCylindrical({0, 0, 0}, {1, 0, 0}, 0.001f));
}

// Normals are used as stored, and a tolerance equal to a vertex's value passes.
TEST(Orientation, ToleranceEqualToTheValuePasses) {
    MgObject object;
    auto square = [&](CGeoVector n) {
        MgFace* face = shapes::TwoFacetSquare(object);
        for (MgVertex* v : face->VertexList())
            v->SetNormal(n);
        return face;
    };
    const float q = 0.25f, belowQ = std::nextafter(q, 0.f), h = 0.5f,
                belowH = std::nextafter(h, 0.f);
    MgFace* leaning = square({q, 0, 1}); // q along (1, 0, 0)
    EXPECT_TRUE(leaning->IsVertical({4, 0, 0}, q) && leaning->IsPartVertical({4, 0, 0}, q));
    EXPECT_FALSE(leaning->IsVertical({4, 0, 0}, belowQ) ||
                 leaning->IsPartVertical({4, 0, 0}, belowQ));
    for (MgFace* facing : {square({0, 0, 0.5f}), square({0, 0, -1.5f})}) // h short, h beyond
        EXPECT_TRUE(facing->IsFacing({0, 0, 2}, h) && !facing->IsFacing({0, 0, 2}, belowH));
    // every corner lies in the direction (1, 0, 0) from the axis
    MgFace* radial = square({0.75f, 0, 0});
    EXPECT_TRUE(radial->IsCylindrical({-1, 0, 0}, {0, 4, 0}, q));
    EXPECT_FALSE(radial->IsCylindrical({-1, 0, 0}, {0, 4, 0}, belowQ));
}

TEST(Orientation, CastArea) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    MgFacet* ccw = face->FacetList().front(); // (0,0), (1,0), (1,1)
    EXPECT_EQ(ccw->CastArea({0, 0, 1}), 1.0f);
    EXPECT_EQ(ccw->CastArea({1, 0, 0}), 0.0f);
    EXPECT_NEAR(ccw->CastArea({0, 0.6f, 0.8f}), 0.64f, 1e-6f); // twice the projection × z
    EXPECT_EQ(ccw->CastArea({0, 2, 0}), -3.0f);                // the direction is used as passed
    // a face sums its facets' signed values
    EXPECT_EQ(face->CastArea({0, 0, -1}), 2.0f);
    face->Reverse();
    EXPECT_EQ(face->CastArea({0, 0, 1}), -2.0f);
    EXPECT_EQ(shapes::Tetrahedron(object)->CastArea({0, 0, 1}), 0.0f);
}

TEST(BoxComparison, FacePairs) {
    const float beyond = std::nextafter(1.5f, 2.f);
    struct Case {
        CGeoVector lo, hi; // the other face's box; this face's is (0, 0, 0)-(1, 1, 1)
        float tolerance, otherTolerance;
        bool equal, overlap;
    };
    const Case cases[] = {
        {{0, 0, 0}, {1, 1.09f, 1}, 0.05f, 0.05f, true, true},
        {{0, 0, 0}, {1.2f, 1, 1}, 0.05f, 0.2f, true, true},      // both tolerances count
        {{0.5f, 0, 0}, {1, 1, 1}, 0.25f, 0.25f, true, true},     // a difference equal to t
        {{0, 0, 0}, {1, 1, beyond}, 0.25f, 0.25f, false, true},  // and just beyond it
        {{1.5f, 0, 0}, {2, 1, 1}, 0.25f, 0.25f, false, true},    // touching the grown box
        {{beyond, 0, 0}, {2, 1, 1}, 0.25f, 0.25f, false, false}, // and just beyond it
        {{1, 0.5f, 0.5f}, {2, 3, 3}, 0, 0, false, true},         // touching at a face
        {{1.08f, 0, 0}, {2, 1, 1}, 0, 0, false, false},
        {{0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f}, 0.05f, 0.05f, false, true}, // inside
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(&k - cases);
        MgObject object;
        MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1}, k.tolerance);
        MgFace* b = BoxFace(object, k.lo, k.hi, k.otherTolerance);
        for (auto [p, q] : {std::pair(a, b), std::pair(b, a)}) {
            EXPECT_EQ(p->CompareBoundingBoxes(q), k.equal);
            EXPECT_EQ(p->ComparePartialBoundingBoxes(q), k.overlap);
            // the max form decides here too when the min form fails
            EXPECT_EQ(p->ComparePartialBoundingBoxesDivide(q), k.overlap);
        }
    }
}

TEST(BoxComparison, BoxesPointsAndEmptyFaces) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1}, 0.1f);
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({1.05f, 0, 0}, {2, 1, 1})); // its own tolerance
    EXPECT_FALSE(a->CompareBoundingBoxesFaceFaset({1.15f, 0, 0}, {2, 1, 1}));
    // an inverted box: the first form fails, and the second decides
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({5, 5, 5}, {0.5f, 0.5f, 0.5f}));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceFaset({5, 5, 5}, {4, 4, 4}));
    // a point in the box grown by the margin, not by the face's tolerance
    EXPECT_TRUE(a->CompareBoundingBoxesFaceVertex({1.5f, 0, 0}, 0.5f));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({1.6f, 0, 0}, 0.5f));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({1.01f, 0, 0}, 0));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({0.5f, 0.5f, 0.5f}, -0.75f));
    // a face that changed without vertices has an inverted box, which overlaps nothing
    MgFace* fresh = object.NewFace(); // never changed: its box is the point (0, 0, 0)
    MgFace* empty = object.NewFace();
    MgFace* otherEmpty = object.NewFace();
    empty->PostChange();
    otherEmpty->PostChange();
    EXPECT_TRUE(fresh->ComparePartialBoundingBoxes(a));
    for (MgFace* other : {a, fresh, otherEmpty, empty})
        EXPECT_FALSE(empty->ComparePartialBoundingBoxes(other) ||
                     other->ComparePartialBoundingBoxes(empty));
    EXPECT_FALSE(empty->CompareBoundingBoxesFaceVertex({0, 0, 0}, 1e37f));
    EXPECT_TRUE(empty->CompareBoundingBoxes(otherEmpty)); // identical corners
    // moving a vertex posts a change, so the box grows before the next comparison
    a->VertexList().back()->SetVertex({3, 1, 1});
    EXPECT_TRUE(a->CompareBoundingBoxesFaceVertex({3, 0, 0}, 0));
}
