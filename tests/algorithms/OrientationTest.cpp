// Vertex normals against a direction, and the projected area of facets and faces.
#include <cmath>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"

namespace {

MgVertex* NormalVertex(MgFace* face, CGeoVector p, CGeoVector n) {
    const float uv[2] = {0, 0};
    return face->AddVertex(p, n, uv);
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
