// The call-long vertex indices against the walks, while vertices come and go: coordinates
// about the close search's 0.01, at and around cell borders (a box that crosses into the next
// cell), far out where the cells are clamped, and signed zeros and NaN for the exact index.
#include <cmath>
#include <functional>
#include <iterator>
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

// Random adds, deletes, vertices made past the pool and searches on one face; every search
// gives what the walk gives, and a close search that finds nothing adds the point.
void ExpectAgreement(unsigned seed, int rounds, int kinds, std::function<float(std::mt19937&)> c) {
    std::mt19937 rng(seed);
    for (int round = 0; round < rounds; ++round) {
        MgObject object;
        MgFace* face = object.NewFace();
        auto point = [&] {
            const float x = c(rng), y = c(rng);
            return CGeoVector(x, y, c(rng));
        };
        for (int i = int(rng() % 20); i > 0; --i)
            face->AddVertex(point(), CGeoVector(), kUV);
        const int use = kinds ? kinds : 1 + int(rng() % 3);
        VertexLookup lookup(face, use);
        for (int step = 0; step < 150; ++step) {
            const CGeoVector p = point();
            const unsigned kind = rng() % 8;
            if (kind == 0) {
                face->AddVertex(p, CGeoVector(), kUV);
            } else if (kind == 1 && face->NumVertices() > 0) {
                delete *std::next(face->VertexList().begin(), rng() % face->NumVertices());
            } else if (kind == 2) {
                face->NewVertex(); // joins without going through the pool
            } else {
                SCOPED_TRACE(::testing::Message() << p.x << " " << p.y << " " << p.z);
                if (use & VertexLookup::Exact) {
                    ASSERT_EQ(lookup.FindExact(p), WalkExact(face, p));
                }
                if (use & VertexLookup::Close) {
                    MgVertex* expected = WalkClose(face, p);
                    ASSERT_EQ(lookup.FindClose(p), expected);
                    lookup.Prefetch(p); // a hint only: nothing changes
                    MgVertex* got = face->FindCloseVertex(p, CGeoVector(), kUV);
                    ASSERT_EQ(got, expected ? expected : face->VertexList().back());
                }
            }
        }
    }
}

} // namespace

TEST(VertexLookup, AgreesWithTheWalksAboutTheCloseReach) {
    const support::CoordinateMix mix{0.01f, {0.0f}, false};
    ExpectAgreement(1234, 200, 0,
                    [&](std::mt19937& rng) { return support::StressCoordinate(rng, mix); });
}

TEST(VertexLookup, CloseIndexAgreesWithTheWalkAcrossCellBorders) {
    const float cell = float(VertexLookup::kCellSize);
    const float distant = float(VertexLookup::kCellSize * (1 << 30));
    support::CoordinateMix mix;
    mix.borders = {0.0f,    cell,     -cell, 2 * cell, 11 * cell, -60 * cell,
                   distant, -distant, 2e9f,  -3e12f,   1e30f};
    ExpectAgreement(77, 300, VertexLookup::Close,
                    [&](std::mt19937& rng) { return support::StressCoordinate(rng, mix); });
}

TEST(VertexLookup, ExactIndexAgreesWithTheWalkOnSignedZerosAndNaN) {
    const float kValues[] = {0.0f, -0.0f, NAN, 1.0f, std::nextafter(1.0f, 2.0f), INFINITY};
    ExpectAgreement(78, 200, VertexLookup::Exact,
                    [&](std::mt19937& rng) { return kValues[rng() % 6]; });
}
