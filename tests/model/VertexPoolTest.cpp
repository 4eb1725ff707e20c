// The vertex pool: exact and close searches, and the call-long indices that stand in for them.
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "mgmesh/model/detail/VertexLookup.h"
#include "support/Coordinates.h"
#include "support/Walks.h"

using mgmesh::detail::VertexLookup;
using support::WalkClose;
using support::WalkExact;

namespace {

const float kUV[2] = {0, 0};

MgVertex* Add(MgFace* face, const CGeoVector& p) {
    return face->AddVertex(p, CGeoVector(), kUV);
}

// Coordinates about the close search's 0.01: repeats, box boundaries, signed zeros, huge values.
CGeoVector Point(std::mt19937& rng) {
    static const support::CoordinateMix mix{0.01f, {0.0f}, false};
    const float x = support::StressCoordinate(rng, mix), y = support::StressCoordinate(rng, mix);
    return CGeoVector(x, y, support::StressCoordinate(rng, mix));
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

// The indices give exactly what the walks give, while vertices come and go.
TEST(VertexPool, IndicesAgreeWithTheWalks) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 200; ++round) {
        MgObject object;
        MgFace* face = object.NewFace();
        const int preexisting = int(rng() % 20);
        for (int i = 0; i < preexisting; ++i)
            Add(face, Point(rng));
        const int kinds = 1 + int(rng() % 3);
        VertexLookup lookup(face, kinds);
        for (int step = 0; step < 150; ++step) {
            const CGeoVector p = Point(rng);
            switch (rng() % 6) {
            case 0:
                Add(face, p);
                break;
            case 1:
                if (face->NumVertices() > 0) {
                    auto it = face->VertexList().begin();
                    std::advance(it, rng() % face->VertexList().size());
                    delete *it;
                }
                break;
            case 2:
                face->NewVertex(); // joins without going through the pool
                break;
            default:
                if (kinds & VertexLookup::Exact) {
                    ASSERT_EQ(lookup.FindExact(p), WalkExact(face, p));
                }
                if (kinds & VertexLookup::Close) {
                    ASSERT_EQ(lookup.FindClose(p), WalkClose(face, p));
                }
                if (kinds & VertexLookup::Close) {
                    MgVertex* expected = WalkClose(face, p);
                    MgVertex* got = face->FindCloseVertex(p, CGeoVector(), kUV);
                    ASSERT_EQ(got, expected ? expected : face->VertexList().back());
                }
            }
        }
    }
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
