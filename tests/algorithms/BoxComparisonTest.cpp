// Bounding-box comparisons between faces, against boxes and against points.
#include <cmath>
#include <utility>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"

namespace {

const float kUV[2] = {0, 0};

// A face whose box is (lo, hi): two loose vertices at its corners.
MgFace* BoxFace(MgObject& object, CGeoVector lo, CGeoVector hi, float tolerance) {
    MgFace* face = object.NewFace();
    face->AddVertex(lo, {}, kUV);
    face->AddVertex(hi, {}, kUV);
    face->SetGeoTolerance(tolerance);
    return face;
}

} // namespace

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
