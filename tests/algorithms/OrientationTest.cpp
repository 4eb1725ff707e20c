// Orientation tests of vertex normals and projected area.
#include <cmath>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"

namespace {

const float kBelow025 = std::nextafter(0.25f, 0.0f);

/// A vertex at `p` with normal `n`.
MgVertex* NormalVertex(MgFace* face, CGeoVector p, CGeoVector n) {
    const float uv[2] = {0, 0};
    return face->AddVertex(p, n, uv);
}

/// A single facet whose three vertices all carry the normal `n`.
MgFace* FacetWithNormal(MgObject& object, CGeoVector n) {
    MgFace* face = object.NewFace();
    shapes::AddFacet(face, NormalVertex(face, {0, 0, 0}, n), NormalVertex(face, {1, 0, 0}, n),
                     NormalVertex(face, {0, 1, 0}, n));
    return face;
}

/// Adds `rings` rings of `perRing` vertices about the z-axis at radius `radius`, with normals
/// radial times `normalScale` (negative: pointing inwards). Vertices only.
MgFace* AddCylinder(MgFace* face, float radius, float normalScale, int perRing = 12,
                    int rings = 3) {
    for (int j = 0; j < rings; ++j)
        for (int i = 0; i < perRing; ++i) {
            const float a = float(2 * M_PI * i / perRing);
            const CGeoVector radial(std::cos(a), std::sin(a), 0);
            NormalVertex(face, radial * radius + CGeoVector(0, 0, float(j)), radial * normalScale);
        }
    return face;
}

MgFace* Cylinder(MgObject& object, float radius, float normalScale, int perRing = 12,
                 int rings = 3) {
    return AddCylinder(object.NewFace(), radius, normalScale, perRing, rings);
}

} // namespace

TEST(Orientation, FlatSquare) {
    MgObject object;
    MgFace* square = shapes::TwoFacetSquare(object);
    EXPECT_TRUE(square->IsFacing({0, 0, 1}, 0.01f));
    EXPECT_TRUE(square->IsFacing({0, 0, -5}, 0.01f));
    EXPECT_FALSE(square->IsFacing({1, 0, 0}, 0.01f));
    EXPECT_FALSE(square->IsVertical({0, 0, 1}, 0.01f));
    EXPECT_TRUE(square->IsVertical({1, 0, 0}, 0.01f));
    EXPECT_TRUE(square->IsVertical({0, -3, 0}, 0.01f));
    EXPECT_TRUE(square->IsPartVertical({1, 0, 0}, 0.01f));
    EXPECT_FALSE(square->IsPartVertical({0, 0, 1}, 0.01f));
    EXPECT_FALSE(square->IsPartVertical({1, 0, 1}, 0.01f));
}

TEST(Orientation, NormalsAreUsedRaw) {
    MgObject object;
    // a short normal along the direction: raw dot 0.5, so not facing below tolerance 0.5
    MgFace* shortNormal = FacetWithNormal(object, {0, 0, 0.5f});
    EXPECT_FALSE(shortNormal->IsFacing({0, 0, 1}, 0.49f));
    EXPECT_TRUE(shortNormal->IsFacing({0, 0, 1}, 0.5f));
    // the outer absolute value: a normal of length 1.5 deviates by 0.5 as well
    MgFace* longNormal = FacetWithNormal(object, {0, 0, -1.5f});
    EXPECT_FALSE(longNormal->IsFacing({0, 0, 2}, 0.49f));
    EXPECT_TRUE(longNormal->IsFacing({0, 0, 2}, 0.5f));
    // a tiny normal pointing along the direction has a tiny raw dot product
    MgFace* tiny = FacetWithNormal(object, {0.015f, 0, 0.0001f});
    EXPECT_TRUE(tiny->IsVertical({1, 0, 0}, 0.02f));
    EXPECT_TRUE(tiny->IsPartVertical({1, 0, 0}, 0.02f));
    EXPECT_FALSE(tiny->IsVertical({1, 0, 0}, 0.01f));
}

TEST(Orientation, ToleranceEqualToTheValuePasses) {
    MgObject object;
    // raw dot products of exactly 0.25 against (1, 0, 0), a direction of length 4
    MgFace* leaning = FacetWithNormal(object, {0.25f, 0, 1});
    EXPECT_TRUE(leaning->IsVertical({4, 0, 0}, 0.25f));
    EXPECT_FALSE(leaning->IsVertical({4, 0, 0}, kBelow025));
    EXPECT_TRUE(leaning->IsPartVertical({4, 0, 0}, 0.25f));
    EXPECT_FALSE(leaning->IsPartVertical({4, 0, 0}, kBelow025));

    MgFace* shortened = FacetWithNormal(object, {0, 0, 0.75f});
    EXPECT_TRUE(shortened->IsFacing({0, 0, 4}, 0.25f));
    EXPECT_FALSE(shortened->IsFacing({0, 0, 4}, kBelow025));

    MgFace* cylinder = Cylinder(object, 2, 0.75f, 4, 1); // angles 0, 90, 180, 270 degrees
    EXPECT_TRUE(cylinder->IsCylindrical({0, 0, 0}, {0, 0, 4}, 0.3f));
    MgFace* axisAligned = object.NewFace();
    NormalVertex(axisAligned, {2, 0, 5}, {0.75f, 0, 0});
    NormalVertex(axisAligned, {0, -4, 1}, {0, -0.75f, 0});
    EXPECT_TRUE(axisAligned->IsCylindrical({0, 0, 0}, {0, 0, 4}, 0.25f));
    EXPECT_FALSE(axisAligned->IsCylindrical({0, 0, 0}, {0, 0, 4}, kBelow025));
}

TEST(Orientation, WholeFaceTestsWalkEveryVertexAndStopAtTheFirstFailure) {
    MgObject object;
    MgFace* square = shapes::TwoFacetSquare(object);
    // a vertex that no facet uses still takes part
    NormalVertex(square, {5, 5, 5}, {1, 0, 0});
    EXPECT_FALSE(square->IsFacing({0, 0, 1}, 0.01f));
    EXPECT_FALSE(square->IsVertical({1, 0, 0}, 0.01f));
    // but not in IsPartVertical, which walks the facets
    EXPECT_TRUE(square->IsPartVertical({1, 0, 0}, 0.01f));
}

TEST(Orientation, PartVerticalNeedsOneFacetWithThreePassingVertices) {
    MgObject object;
    MgFace* face = object.NewFace();
    const CGeoVector up(0, 0, 1), side(1, 0, 0);
    MgVertex* a = NormalVertex(face, {0, 0, 0}, up);
    MgVertex* b = NormalVertex(face, {1, 0, 0}, up);
    MgVertex* c = NormalVertex(face, {0, 1, 0}, up);
    MgVertex* d = NormalVertex(face, {1, 1, 0}, side);
    MgVertex* e = NormalVertex(face, {2, 1, 0}, side);
    // every vertex passes in some facet, but each facet has one that fails
    shapes::AddFacet(face, a, b, d);
    shapes::AddFacet(face, d, c, a);
    shapes::AddFacet(face, e, d, c);
    EXPECT_FALSE(face->IsPartVertical({1, 0, 0}, 0.01f));
    EXPECT_FALSE(face->IsVertical({1, 0, 0}, 0.01f));
    shapes::AddFacet(face, b, c, a);
    EXPECT_TRUE(face->IsPartVertical({1, 0, 0}, 0.01f));
    // a facet still missing a vertex does not pass
    MgObject other;
    MgFace* partial = other.NewFace();
    partial->NewFacet()->SetVertex(0, NormalVertex(partial, {0, 0, 0}, up));
    EXPECT_FALSE(partial->IsPartVertical({1, 0, 0}, 0.01f));
    EXPECT_EQ(partial->CastArea({0, 0, 1}), 0.0f);
}

TEST(Orientation, EmptyFaces) {
    MgObject object;
    MgFace* empty = object.NewFace();
    MgFace* changed = object.NewFace();
    changed->PostChange();
    for (MgFace* face : {empty, changed}) {
        EXPECT_TRUE(face->IsVertical({1, 0, 0}, 0));
        EXPECT_TRUE(face->IsFacing({1, 0, 0}, 0));
        EXPECT_TRUE(face->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0));
        EXPECT_FALSE(face->IsPartVertical({1, 0, 0}, 1));
        EXPECT_EQ(face->CastArea({0, 0, 1}), 0.0f);
    }
    // vertices but no facets: vertical, yet no facet is
    MgFace* loose = object.NewFace();
    NormalVertex(loose, {0, 0, 0}, {0, 0, 1});
    EXPECT_TRUE(loose->IsVertical({1, 0, 0}, 0.01f));
    EXPECT_FALSE(loose->IsPartVertical({1, 0, 0}, 0.01f));
}

TEST(Orientation, Cylinder) {
    MgObject object;
    MgFace* outward = Cylinder(object, 2, 1);
    EXPECT_TRUE(outward->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0.001f));
    EXPECT_TRUE(outward->IsCylindrical({0, 0, 7}, {0, 0, 1}, 0.001f));
    EXPECT_TRUE(outward->IsCylindrical({0, 0, 0}, {0, 0, 3}, 0.001f));
    EXPECT_TRUE(outward->IsCylindrical({0, 0, 0}, {0, 0, -1}, 0.001f));
    EXPECT_FALSE(outward->IsCylindrical({0.5f, 0, 0}, {0, 0, 1}, 0.001f));
    EXPECT_FALSE(outward->IsCylindrical({0, 0, 0}, {1, 0, 0}, 0.001f));
    // inward normals are anti-parallel and pass; radii are not compared between vertices
    MgFace* inward = Cylinder(object, 5, -1);
    EXPECT_TRUE(inward->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0.001f));
    AddCylinder(outward, 5, -1);
    EXPECT_TRUE(outward->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0.001f));
    // no outer absolute value: a long radial normal passes even with tolerance 0, a short one
    // does not
    EXPECT_TRUE(Cylinder(object, 2, 3)->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0));
    EXPECT_FALSE(Cylinder(object, 2, 0.5f)->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0.4f));
}

TEST(Orientation, NotANumberPaths) {
    MgObject object;
    // a vertex on the axis has no radial direction and passes
    MgFace* onAxis = object.NewFace();
    NormalVertex(onAxis, {0, 0, 3}, {1, 0, 0});
    EXPECT_TRUE(onAxis->IsCylindrical({0, 0, 0}, {0, 0, 1}, 0));

    // a zero direction lets every vertex pass the whole-face tests, and fail IsPartVertical
    MgFace* square = shapes::TwoFacetSquare(object);
    EXPECT_TRUE(square->IsVertical({0, 0, 0}, 0));
    EXPECT_TRUE(square->IsFacing({0, 0, 0}, 0));
    EXPECT_TRUE(square->IsCylindrical({1, 1, 1}, {0, 0, 0}, 0));
    EXPECT_FALSE(square->IsPartVertical({0, 0, 0}, 1e30f));
    // a NaN tolerance fails nothing in the whole-face tests and passes nothing in IsPartVertical
    EXPECT_TRUE(square->IsVertical({0, 0, 1}, NAN));
    EXPECT_FALSE(square->IsPartVertical({1, 0, 0}, NAN));
}

TEST(Orientation, FacetCastArea) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* o = shapes::AddVertex(face, 0, 0, 0);
    MgVertex* x = shapes::AddVertex(face, 1, 0, 0);
    MgVertex* y = shapes::AddVertex(face, 0, 1, 0);
    MgVertex* z = shapes::AddVertex(face, 0, 0, 1);
    MgFacet* ccw = shapes::AddFacet(face, o, x, y);
    MgFacet* cw = shapes::AddFacet(face, o, y, x);
    MgFacet* upright = shapes::AddFacet(face, o, x, z);
    EXPECT_EQ(ccw->CastArea({0, 0, 1}), 1.0f);
    EXPECT_EQ(cw->CastArea({0, 0, 1}), -1.0f);
    EXPECT_EQ(upright->CastArea({0, 0, 1}), 0.0f);
    for (const MgFacet* f : face->FacetList())
        EXPECT_EQ(f->CastArea({1, 0, 0}), 0.0f);
    // a tilted unit direction: projected area scaled by direction.z, twice over
    EXPECT_NEAR(ccw->CastArea({0, 0.6f, 0.8f}), 0.64f, 1e-6f);
    // the direction is used as passed, not normalised
    EXPECT_EQ(ccw->CastArea({0, 2, 0}), -3.0f);
    EXPECT_EQ(ccw->CastArea({0, 1, 0}), 0.0f);
}

TEST(Orientation, FaceCastAreaSumsSignedFacets) {
    MgObject object;
    EXPECT_EQ(shapes::TwoFacetSquare(object)->CastArea({0, 0, 1}), 2.0f);
    EXPECT_EQ(shapes::TwoFacetSquare(object)->CastArea({0, 0, -1}), 2.0f);
    // a closed surface casts as much forwards as backwards
    EXPECT_EQ(shapes::Tetrahedron(object)->CastArea({0, 0, 1}), 0.0f);
    MgFace* grid = shapes::Grid(object, 3, 2);
    EXPECT_EQ(grid->CastArea({0, 0, 1}), 12.0f);
    for (const MgFacet* f : grid->FacetList())
        EXPECT_EQ(f->CastArea({0, 0, 1}), 1.0f);
}
