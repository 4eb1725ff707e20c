// The close index's grid against the walk, where the grid can go wrong: points at and around
// cell borders (a box that crosses into the next cell), far out where the cells are clamped,
// and the exact index with signed zeros and NaN.
#include <cmath>
#include <random>

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

// Coordinates about the close search's 0.01 near cell borders by the origin, where the
// outermost (clamped) cells begin, and beyond.
support::CoordinateMix CellBorders() {
    const float cell = float(VertexLookup::kCellSize);
    const float far = float(VertexLookup::kCellSize * (1 << 30));
    support::CoordinateMix mix;
    mix.borders = {0.0f, cell, -cell, 2 * cell, 11 * cell, -60 * cell,
                   far,  -far, 2e9f,  -3e12f,   1e30f};
    return mix;
}

} // namespace

TEST(VertexLookupCells, CloseIndexAgreesWithTheWalkAcrossCellBorders) {
    std::mt19937 random(77);
    const support::CoordinateMix mix = CellBorders();
    for (int round = 0; round < 300; ++round) {
        MgObject object;
        MgFace* face = object.NewFace();
        VertexLookup lookup(face, VertexLookup::Close);
        for (int step = 0; step < 200; ++step) {
            const float x = support::StressCoordinate(random, mix);
            const float y = support::StressCoordinate(random, mix);
            const CGeoVector p(x, y, support::StressCoordinate(random, mix));
            if (random() % 3 == 0) {
                face->AddVertex(p, CGeoVector(), kUV);
            } else if (random() % 20 == 0 && face->NumVertices() > 0) {
                delete face->VertexList().front();
            } else {
                MgVertex* expected = WalkClose(face, p);
                ASSERT_EQ(lookup.FindClose(p), expected)
                    << p.x << " " << p.y << " " << p.z << " round " << round;
                lookup.Prefetch(p); // a hint only: nothing changes
                MgVertex* got = face->FindCloseVertex(p, CGeoVector(), kUV);
                ASSERT_EQ(got, expected ? expected : face->VertexList().back());
            }
        }
    }
}

TEST(VertexLookupCells, ExactIndexAgreesWithTheWalkOnSignedZerosAndNaN) {
    std::mt19937 random(78);
    const float kValues[] = {0.0f, -0.0f, NAN, 1.0f, std::nextafter(1.0f, 2.0f), INFINITY};
    auto value = [&] { return kValues[random() % 6]; };
    for (int round = 0; round < 200; ++round) {
        MgObject object;
        MgFace* face = object.NewFace();
        VertexLookup lookup(face, VertexLookup::Exact);
        for (int step = 0; step < 100; ++step) {
            const CGeoVector p(value(), value(), value());
            if (random() % 3 == 0)
                face->AddVertex(p, CGeoVector(), kUV);
            else if (random() % 10 == 0 && face->NumVertices() > 0)
                delete face->VertexList().back();
            else
                ASSERT_EQ(lookup.FindExact(p), WalkExact(face, p));
        }
    }
}
