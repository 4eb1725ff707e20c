// Bounding-box comparisons between faces, boxes and points.
#include <cfloat>
#include <cmath>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"

namespace {

/// A face whose box is (lo, hi): two loose vertices at its corners.
MgFace* BoxFace(MgObject& object, CGeoVector lo, CGeoVector hi, float tolerance = 0.05f) {
    MgFace* face = object.NewFace();
    shapes::AddVertex(face, lo.x, lo.y, lo.z);
    shapes::AddVertex(face, hi.x, hi.y, hi.z);
    face->SetGeoTolerance(tolerance);
    return face;
}

/// A face that has changed but holds no vertex: its box is inverted to ±largest float.
MgFace* ChangedEmptyFace(MgObject& object) {
    MgFace* face = object.NewFace();
    face->PostChange();
    return face;
}

bool Overlap(MgFace* a, MgFace* b) {
    return a->ComparePartialBoundingBoxes(b);
}

} // namespace

TEST(BoxComparison, EqualWithinTheSumOfTolerances) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1});
    EXPECT_TRUE(a->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {1, 1.09f, 1})));
    EXPECT_FALSE(a->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {1, 1.11f, 1})));
    EXPECT_TRUE(a->CompareBoundingBoxes(BoxFace(object, {0, -0.09f, 0}, {1, 1, 1})));
    EXPECT_FALSE(a->CompareBoundingBoxes(BoxFace(object, {0, 0, 0.11f}, {1, 1, 1})));
    // the other face's tolerance counts too
    EXPECT_TRUE(a->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {1.2f, 1, 1}, 0.2f)));
    EXPECT_FALSE(BoxFace(object, {0, 0, 0}, {1.2f, 1, 1}, 0)
                     ->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {1, 1, 1}, 0.1f)));
}

TEST(BoxComparison, DifferenceEqualToTheToleranceIsEqual) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1}, 0.25f);
    EXPECT_TRUE(a->CompareBoundingBoxes(BoxFace(object, {0.5f, 0, 0}, {1, 1, 1}, 0.25f)));
    EXPECT_TRUE(a->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {1, 1, 1.5f}, 0.25f)));
    const float beyond = std::nextafter(1.5f, 2.0f);
    EXPECT_FALSE(a->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {1, 1, beyond}, 0.25f)));
    // touching overlap boundary, tolerance 0.25 + 0.25
    EXPECT_TRUE(Overlap(a, BoxFace(object, {1.5f, 0, 0}, {2, 1, 1}, 0.25f)));
    EXPECT_FALSE(Overlap(a, BoxFace(object, {beyond, 0, 0}, {2, 1, 1}, 0.25f)));
}

TEST(BoxComparison, FaceWithItself) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 2, 3});
    EXPECT_TRUE(a->CompareBoundingBoxes(a));
    EXPECT_TRUE(Overlap(a, a));
    a->SetGeoTolerance(0);
    EXPECT_TRUE(a->CompareBoundingBoxes(a));
    EXPECT_TRUE(Overlap(a, a));
    // a negative tolerance shrinks the test below the box itself
    a->SetGeoTolerance(-0.01f);
    EXPECT_FALSE(a->CompareBoundingBoxes(a));
    EXPECT_FALSE(Overlap(a, a));
    EXPECT_FALSE(a->ComparePartialBoundingBoxesDivide(a));
}

TEST(BoxComparison, OverlapWithinTolerance) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1});
    MgFace* touching = BoxFace(object, {1, 0.5f, 0.5f}, {2, 3, 3}, 0);
    MgFace* near = BoxFace(object, {1.08f, 0, 0}, {2, 1, 1});
    MgFace* inside = BoxFace(object, {0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f});
    MgFace* far = BoxFace(object, {0, 0, 5}, {1, 1, 6});
    for (MgFace* other : {touching, near, inside}) {
        EXPECT_TRUE(Overlap(a, other));
        EXPECT_TRUE(Overlap(other, a));
        EXPECT_TRUE(a->ComparePartialBoundingBoxesDivide(other));
        EXPECT_TRUE(other->ComparePartialBoundingBoxesDivide(a));
    }
    EXPECT_FALSE(Overlap(a, far));
    EXPECT_FALSE(Overlap(far, a));
    // 0.08 apart overlaps with t = 0.1 but not with both tolerances 0
    a->SetGeoTolerance(0);
    near->SetGeoTolerance(0);
    EXPECT_FALSE(Overlap(a, near));
    EXPECT_FALSE(Overlap(near, a));
    EXPECT_TRUE(Overlap(a, touching));
    a->SetGeoTolerance(0.05f);
    EXPECT_FALSE(Overlap(a, near));
    a->SetGeoTolerance(0.09f);
    EXPECT_TRUE(Overlap(a, near));
}

TEST(BoxComparison, DivideVariantLetsTheSecondFormDecide) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1});
    // far apart on one axis only: false, not a constant true
    EXPECT_FALSE(a->ComparePartialBoundingBoxesDivide(BoxFace(object, {3, 0, 0}, {4, 1, 1})));
    EXPECT_FALSE(a->ComparePartialBoundingBoxesDivide(ChangedEmptyFace(object)));
    EXPECT_FALSE(ChangedEmptyFace(object)->ComparePartialBoundingBoxesDivide(a));
}

TEST(BoxComparison, FaceAgainstAnExplicitBox) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1}, 0.1f);
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({0.5f, 0.5f, 0.5f}, {3, 3, 3}));
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({-1, -1, -1}, {2, 2, 2}));
    // only this face's tolerance: 0.1 reaches, 0.15 does not
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({1.05f, 0, 0}, {2, 1, 1}));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceFaset({1.15f, 0, 0}, {2, 1, 1}));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceFaset({0, -3, 0}, {1, -2, 1}));
    // inverted boxes: the first form fails, the second passes (its max 0.5 is inside)
    a->SetGeoTolerance(0);
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({5, 5, 5}, {0.5f, 0.5f, 0.5f}));
    // the first form passes on its own (min 0.5 inside, max far away)
    EXPECT_TRUE(a->CompareBoundingBoxesFaceFaset({0.5f, 0.5f, 0.5f}, {-5, -5, -5}));
    // neither form passes
    EXPECT_FALSE(a->CompareBoundingBoxesFaceFaset({5, 5, 5}, {4, 4, 4}));
    EXPECT_FALSE(ChangedEmptyFace(object)->CompareBoundingBoxesFaceFaset({-1, -1, -1}, {1, 1, 1}));
}

TEST(BoxComparison, PointInGrownBox) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1});
    EXPECT_TRUE(a->CompareBoundingBoxesFaceVertex({1.5f, 0, 0}, 0.5f));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({1.6f, 0, 0}, 0.5f));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({0, 0, -0.6f}, 0.5f));
    EXPECT_TRUE(a->CompareBoundingBoxesFaceVertex({1, 0, 1}, 0));
    // the face's own tolerance plays no part
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({1.01f, 0, 0}, 0));
    // a negative margin shrinks the box, to nothing at -0.5 and beyond
    EXPECT_TRUE(a->CompareBoundingBoxesFaceVertex({0.5f, 0.5f, 0.5f}, -0.25f));
    EXPECT_TRUE(a->CompareBoundingBoxesFaceVertex({0.5f, 0.5f, 0.5f}, -0.5f));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({0.5f, 0.5f, 0.5f}, -0.75f));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({0.9f, 0.5f, 0.5f}, -0.25f));
}

TEST(BoxComparison, NeverChangedAndChangedEmptyFaces) {
    MgObject object;
    MgFace* unit = BoxFace(object, {-1, -1, -1}, {1, 1, 1});
    MgFace* fresh = object.NewFace(); // box (0,0,0)-(0,0,0)
    MgFace* empty = ChangedEmptyFace(object);
    MgFace* otherEmpty = ChangedEmptyFace(object);

    // a never-changed face is a point at the origin
    EXPECT_TRUE(Overlap(fresh, unit));
    EXPECT_TRUE(Overlap(unit, fresh));
    EXPECT_TRUE(fresh->CompareBoundingBoxesFaceVertex({0, 0, 0}, 0));
    EXPECT_FALSE(fresh->CompareBoundingBoxesFaceVertex({0.2f, 0, 0}, 0.1f));
    EXPECT_FALSE(Overlap(fresh, BoxFace(object, {2, 2, 2}, {3, 3, 3})));

    // a changed face without vertices overlaps no box of finite extent, itself included
    for (MgFace* other : {unit, fresh, otherEmpty, empty}) {
        EXPECT_FALSE(Overlap(empty, other));
        EXPECT_FALSE(Overlap(other, empty));
    }
    EXPECT_FALSE(
        Overlap(empty, BoxFace(object, {-1e38f, -1e38f, -1e38f}, {FLT_MAX, 1e38f, 1e38f})));
    for (CGeoVector p : {CGeoVector(0, 0, 0), CGeoVector(FLT_MAX, FLT_MAX, FLT_MAX)})
        EXPECT_FALSE(empty->CompareBoundingBoxesFaceVertex(p, 1e37f));
    // two such faces have identical corners
    EXPECT_TRUE(empty->CompareBoundingBoxes(otherEmpty));
    EXPECT_FALSE(empty->CompareBoundingBoxes(unit));
    EXPECT_FALSE(empty->CompareBoundingBoxes(fresh));
}

TEST(BoxComparison, StaleBoundsAreRefreshed) {
    MgObject object;
    MgFace* square = shapes::TwoFacetSquare(object);
    MgFace* probe = BoxFace(object, {3, 0, 0}, {4, 1, 0});
    EXPECT_FALSE(Overlap(square, probe));
    EXPECT_FALSE(square->CompareBoundingBoxesFaceVertex({3, 0, 0}, 0));
    // moving a vertex posts a change, so the box grows before the next comparison
    square->VertexList().back()->SetVertex({3, 1, 0});
    EXPECT_TRUE(Overlap(square, probe));
    EXPECT_TRUE(square->CompareBoundingBoxesFaceVertex({3, 0, 0}, 0));
    EXPECT_TRUE(square->CompareBoundingBoxes(BoxFace(object, {0, 0, 0}, {3, 1, 0})));
}

TEST(BoxComparison, NotANumberPaths) {
    MgObject object;
    MgFace* a = BoxFace(object, {0, 0, 0}, {1, 1, 1});
    MgFace* b = BoxFace(object, {0, 0, 0}, {1, 1, 1});
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({NAN, 0, 0}, 1));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceVertex({0.5f, 0.5f, 0.5f}, NAN));
    // a NaN tolerance never exceeds a difference, so the boxes are "equal" whatever they are,
    // and never bounds an interval, so nothing overlaps
    a->SetGeoTolerance(NAN);
    EXPECT_TRUE(a->CompareBoundingBoxes(BoxFace(object, {7, 7, 7}, {9, 9, 9})));
    EXPECT_FALSE(Overlap(a, b));
    EXPECT_FALSE(a->CompareBoundingBoxesFaceFaset({0, 0, 0}, {1, 1, 1}));
}
