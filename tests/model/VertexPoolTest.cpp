// The vertex pool: exact and close searches, and a lookup made inside another.
#include <cmath>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "mgmesh/model/detail/VertexLookup.h"

using mgmesh::detail::VertexLookup;

namespace {

const float kUV[2] = {0, 0};

MgVertex* Add(MgFace* face, const CGeoVector& p) {
    return face->AddVertex(p, CGeoVector(), kUV);
}

} // namespace

TEST(VertexPool, FindCloseVertexUsesAnInclusiveBoxAndPrefersTheNewest) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* first = Add(face, CGeoVector(0, 0, 0));
    EXPECT_EQ(face->FindCloseVertex(CGeoVector(0.01f, 0, 0), CGeoVector(), kUV), first);
    MgVertex* beyond = face->FindCloseVertex(CGeoVector(0.0101f, 0, 0), CGeoVector(), kUV);
    EXPECT_NE(beyond, first);
    EXPECT_EQ(face->NumVertices(), 2);
    // both within the box: the one added later wins
    EXPECT_EQ(face->FindCloseVertex(CGeoVector(0.005f, 0, 0), CGeoVector(), kUV), beyond);
}

TEST(VertexPool, FindVertexIsExact) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* zero = Add(face, CGeoVector(0, 0, 0));
    MgVertex* one = Add(face, CGeoVector(1, 0, 0));
    EXPECT_EQ(face->FindVertex(CGeoVector(-0.0f, 0, 0)), zero);
    EXPECT_EQ(face->FindVertex(CGeoVector(std::nextafter(1.0f, 2.0f), 0, 0)), nullptr);
    EXPECT_EQ(face->FindAddVertex(CGeoVector(1, 0, 0), CGeoVector(5, 5, 5), kUV), one);
    EXPECT_EQ(one->Normal(), CGeoVector()); // the found vertex is not updated
    Add(face, CGeoVector(NAN, 0, 0));
    EXPECT_EQ(face->FindVertex(CGeoVector(NAN, 0, 0)), nullptr);
    EXPECT_EQ(face->NumVertices(), 3);
}

TEST(VertexPool, ANestedLookupLeavesTheOuterOneInPlace) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* v = Add(face, CGeoVector(1, 1, 1));
    VertexLookup outer(face, VertexLookup::Exact);
    { VertexLookup inner(face, VertexLookup::Close); }
    EXPECT_EQ(face->FindVertex(CGeoVector(1, 1, 1)), v);
    EXPECT_EQ(outer.FindExact(CGeoVector(1, 1, 1)), v);
}
