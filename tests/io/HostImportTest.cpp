// The host face import: vertices merged by distance, skipped triangles, corners, the handle.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/detail/MergeGrid.h"
#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

using mgmesh::detail::MergeGrid;
using mgmesh::detail::WithinMergeDistance;

namespace {

// The host's arrays, kept alive while the record points into them.
struct Record {
    int merge = 0;
    double tolerance = 0.05;
    std::vector<double> positions, normals, uvs, corners;
    std::vector<int> triangles;

    int Vertex(double x, double y, double z, double nz = 1, double u = 0) {
        positions.insert(positions.end(), {x, y, z});
        normals.insert(normals.end(), {0, 0, nz});
        uvs.insert(uvs.end(), {u, u + 1});
        return int(positions.size() / 3 - 1);
    }
    void Triangle(int a, int b, int c) { triangles.insert(triangles.end(), {a, b, c}); }
    void Corner(double x, double y, double z) { corners.insert(corners.end(), {x, y, z}); }

    HostAPILinearFace Get() const {
        HostAPILinearFace r{};
        r.mergeVertices = merge;
        r.numVertices = int(positions.size() / 3);
        r.numTriangles = int(triangles.size() / 3);
        r.numCorners = int(corners.size() / 3);
        r.faceTolerance = tolerance;
        r.positions = positions.data();
        r.normals = normals.data();
        r.uvs = uvs.data();
        r.cornerPoints = corners.data();
        r.triangles = triangles.data();
        return r;
    }
};

// The unit square over four record vertices, two triangles sharing the diagonal 0-2.
Record Square() {
    Record r;
    r.Vertex(0, 0, 0);
    r.Vertex(1, 0, 0);
    r.Vertex(1, 1, 0);
    r.Vertex(0, 1, 0);
    r.Triangle(0, 1, 2);
    r.Triangle(0, 2, 3);
    return r;
}

MgFace* Fill(MgObject& object, const Record& r, void* handle = nullptr) {
    return object.FillFacesInObj(r.Get(), handle);
}

bool SameBits(const CGeoVector& a, const CGeoVector& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(HostImport, BuildsALinkedFaceWithItsLoop) {
    MgObject object;
    shapes::TwoFacetSquare(object);
    int host = 0;
    MgFace* face = Fill(object, Square(), &host);
    EXPECT_EQ(face, object.FaceList().back());
    EXPECT_EQ(object.FaceList().size(), 2u);
    EXPECT_EQ(face->GeoFaceId(), reinterpret_cast<std::intptr_t>(&host));
    EXPECT_FLOAT_EQ(face->GeoTolerance(), 0.05f);
    ExpectValidTopology(face);
    EXPECT_EQ(face->NumVertices(), 4);
    ASSERT_EQ(face->NumFacets(), 2);
    const MgFacet* first = face->FacetList().front();
    const MgFacet* second = face->FacetList().back();
    EXPECT_EQ(first->Neighbor(2), second);
    EXPECT_EQ(second->Neighbor(0), first);
    ASSERT_EQ(face->NumEdges(), 1);
    EXPECT_EQ(face->EdgeList().front()->VertexList().size(), 4u);
    EXPECT_FALSE(face->Corrupt());
    const MgVertex* v = first->Vertex(1);
    EXPECT_EQ(v->Vertex(), CGeoVector(1, 0, 0));
    EXPECT_EQ(v->Normal(), CGeoVector(0, 0, 1));
    EXPECT_EQ(v->GeoUV()[1], 1.0f);
}

TEST(HostImport, KeepsAHandleWiderThan32Bits) {
    MgObject object;
    void* handle = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x7ffe123456789abcULL));
    MgFace* face = Fill(object, Square(), handle);
    EXPECT_EQ(reinterpret_cast<void*>(face->GeoFaceId()), handle);
}

TEST(HostImport, MergesStrictlyWithinATenthOfTheTolerance) {
    for (double gap : {0.004, 0.006}) {
        Record r;
        r.merge = 1;
        r.Vertex(0, 0, 0, 1, 0.25);
        r.Vertex(gap, 0, 0, -1, 0.75);
        r.Vertex(5, 0, 0);
        r.Vertex(0, 5, 0);
        r.Triangle(0, 2, 3);
        r.Triangle(1, 3, 2);
        MgObject object;
        MgFace* face = Fill(object, r);
        const MgVertex* a = face->FacetList().front()->Vertex(0);
        const MgVertex* b = face->FacetList().back()->Vertex(0);
        if (gap < 0.005) {
            EXPECT_EQ(a, b);
            EXPECT_EQ(face->NumVertices(), 3);
            // the merged vertex carries the last record vertex's values
            EXPECT_EQ(a->Vertex(), CGeoVector(0.004f, 0, 0));
            EXPECT_EQ(a->Normal(), CGeoVector(0, 0, -1));
            EXPECT_EQ(a->GeoUV()[0], 0.75f);
        } else {
            EXPECT_NE(a, b);
            EXPECT_EQ(face->NumVertices(), 4);
        }
        ExpectValidTopology(face);
    }
}

TEST(HostImport, MergesIntoTheFirstVertexAndFollowsItAsItMoves) {
    Record r;
    r.merge = 1;
    r.Vertex(0, 0, 0);
    r.Vertex(0.007, 0, 0);  // beyond 0.005 of the first: a vertex of its own
    r.Vertex(0.0035, 0, 0); // within reach of both: the first in list order takes it
    r.Vertex(0.0075, 0, 0); // within reach of the first only where it has moved to
    r.Vertex(9, 0, 0);
    for (int i = 0; i < 4; ++i)
        r.Triangle(i, 4, (i + 1) % 4);
    MgObject object;
    MgFace* face = Fill(object, r);
    EXPECT_EQ(face->NumVertices(), 3);
    const MgVertex* first = face->FacetList().front()->Vertex(0);
    EXPECT_EQ(first->Vertex(), CGeoVector(0.0075f, 0, 0));
    int index = 0;
    for (const MgFacet* f : face->FacetList()) {
        const bool own = index++ == 1;
        EXPECT_EQ(f->Vertex(0) == first, !own);
    }
}

TEST(HostImport, MergesNothingWithoutTheFlagOrWithoutAPositiveTolerance) {
    for (int merge : {0, 1})
        for (double tolerance : {0.05, 0.0, -1.0, double(NAN)}) {
            if (merge && tolerance == 0.05)
                continue;
            Record r = Square();
            r.merge = merge;
            r.tolerance = tolerance;
            r.Vertex(0, 0, 0); // at vertex 0's very place
            r.Triangle(4, 2, 3);
            MgObject object;
            MgFace* face = Fill(object, r);
            EXPECT_EQ(face->NumVertices(), 5);
        }
}

TEST(HostImport, SkipsTrianglesByIndexAndDropsUnusedVertices) {
    Record r = Square();
    r.merge = 1;
    r.Vertex(0.001, 0, 0); // 4: merges into vertex 0
    r.Vertex(7, 7, 7);     // 5: used only by the skipped triangle
    r.Triangle(2, 2, 5);
    r.Triangle(0, 4, 3); // three different indices over two vertices: still a facet
    MgObject object;
    MgFace* face = Fill(object, r);
    EXPECT_EQ(face->NumFacets(), 3);
    EXPECT_EQ(face->NumVertices(), 4);
    const MgFacet* last = face->FacetList().back();
    EXPECT_EQ(last->Vertex(0), last->Vertex(1));
    ExpectValidTopology(face, false);
}

TEST(HostImport, KeepsCornersOnTheBoundaryOnly) {
    Record r = Square();
    r.Corner(0.003, 0, 0); // within 0.005 of vertex 0
    r.Corner(0.5, 0.5, 0); // on no boundary vertex
    MgObject object;
    MgFace* face = Fill(object, r);
    // the lone corner gets a partner opposite it on the loop
    ASSERT_EQ(face->CornerList().size(), 2u);
    EXPECT_EQ(face->CornerList().front()->Position(), CGeoVector(0.003f, 0, 0));
    EXPECT_EQ(face->CornerList().front()->Vertex()->Vertex(), CGeoVector(0, 0, 0));
    EXPECT_EQ(face->CornerList().back()->Vertex()->Vertex(), CGeoVector(1, 1, 0));
}

TEST(HostImport, NonPositiveCountsSkipTheirSteps) {
    HostAPILinearFace r{};
    r.numVertices = -3;
    r.numTriangles = -1;
    r.numCorners = 0;
    r.faceTolerance = 0.1;
    MgObject object;
    MgFace* face = object.FillFacesInObj(r, nullptr);
    EXPECT_EQ(face->NumVertices() + face->NumFacets() + face->NumEdges(), 0);
    EXPECT_TRUE(face->CornerList().empty());
    EXPECT_FLOAT_EQ(face->GeoTolerance(), 0.1f);
}

TEST(HostImport, RefusesARecordThatWouldBeReadOutOfBounds) {
    std::vector<HostAPILinearFace> bad;
    const Record square = Square();
    Record outside = Square();
    outside.Triangle(0, 1, 4);
    Record negative = Square();
    negative.Triangle(-1, 1, 2);
    HostAPILinearFace r = square.Get();
    r.normals = nullptr;
    bad.push_back(r);
    r = square.Get();
    r.triangles = nullptr;
    bad.push_back(r);
    r = square.Get();
    r.numCorners = 1;
    r.cornerPoints = nullptr;
    bad.push_back(r);
    bad.push_back(outside.Get());
    bad.push_back(negative.Get());
    for (const HostAPILinearFace& record : bad) {
        MgObject object;
        EXPECT_THROW_TEXT(object.FillFacesInObj(record, nullptr), "Bad host face record");
        EXPECT_TRUE(object.FaceList().empty());
    }
    // a skipped triangle's indices are never used, so they are not checked
    Record skipped = Square();
    skipped.Triangle(9, 9, -4);
    MgObject object;
    EXPECT_EQ(object.FillFacesInObj(skipped.Get(), nullptr)->NumFacets(), 2);
}

TEST(HostImport, BuildsThroughTheVirtualFactories) {
    struct CountingFace : MgFace {
        explicit CountingFace(MgObject* parent) : MgFace(parent) {}
        int made = 0;
        MgVertex* NewVertex() override { return ++made, MgFace::NewVertex(); }
        MgFacet* NewFacet() override { return ++made, MgFace::NewFacet(); }
        MgCorner* NewCorner() override { return ++made, MgFace::NewCorner(); }
    };
    struct CountingObject : MgObject {
        MgFace* NewFace() override { return new CountingFace(this); }
    };
    Record r = Square();
    r.Corner(0, 0, 0);
    CountingObject object;
    auto* face = dynamic_cast<CountingFace*>(Fill(object, r));
    ASSERT_NE(face, nullptr);
    EXPECT_GE(face->made, 4 + 2 + 1);
}

namespace {

// Positions that stress the merge test: a lattice at the merge distance and the floats next
// to it, signed zeros, clusters, values whose squares underflow or overflow, NaN and infinity.
float Coordinate(std::mt19937& rng, float step) {
    static const float specials[] = {0.0f,     -0.0f,  1e30f,  -1e30f,     3.4e38f,
                                     -3.4e38f, 1e-22f, 3e-23f, INFINITY,   -INFINITY,
                                     NAN,      1e20f,  -1e20f, 16777216.0f};
    const float lattice = float(int(rng() % 7) - 3) * step;
    switch (rng() % 6) {
    case 0:
        return specials[rng() % (sizeof specials / sizeof *specials)];
    case 1:
        return lattice;
    case 2:
        return std::nextafter(lattice, (rng() & 1) ? INFINITY : -INFINITY);
    case 3:
        return 1000.0f + std::uniform_real_distribution<float>(-3, 3)(rng) * step;
    default:
        return std::uniform_real_distribution<float>(-3, 3)(rng) * step;
    }
}

CGeoVector Point(std::mt19937& rng, float step) {
    return CGeoVector(Coordinate(rng, step), Coordinate(rng, step), Coordinate(rng, step));
}

const float kThresholds[] = {0.005f, 0.01f, 1e-3f,    0.5f, 1e-30f, 1e-25f,
                             1e30f,  1e38f, INFINITY, 0.0f, -1.0f,  NAN};

int Walk(const std::vector<CGeoVector>& points, const CGeoVector& p, float threshold) {
    for (std::size_t i = 0; i < points.size(); ++i)
        if (WithinMergeDistance(points[i], p, threshold))
            return int(i);
    return -1;
}

} // namespace

// The grid answers as the walk over the points in order does, while points come and move.
TEST(HostImport, MergeGridMatchesTheWalk) {
    std::mt19937 rng(77);
    for (int round = 0; round < 400; ++round) {
        const float threshold = kThresholds[rng() % (sizeof kThresholds / sizeof *kThresholds)];
        const float step = std::isfinite(threshold) && threshold > 0 && threshold < 1e20f
                               ? threshold
                           : (rng() & 1) ? 1e19f
                                         : 0.01f;
        MergeGrid grid(threshold);
        std::vector<CGeoVector> points;
        for (int op = 0; op < 200; ++op) {
            const CGeoVector p = Point(rng, step);
            const unsigned what = rng() % 8;
            if (what < 2 || points.empty()) {
                grid.Add(p);
                points.push_back(p);
            } else if (what == 2) {
                const int i = int(rng() % points.size());
                grid.Move(i, p);
                points[std::size_t(i)] = p;
            } else {
                const int expected = Walk(points, p, threshold);
                ASSERT_EQ(grid.Find(p), expected) << "threshold " << threshold;
                // the import then moves the vertex found
                if (expected >= 0) {
                    grid.Move(expected, p);
                    points[std::size_t(expected)] = p;
                }
            }
        }
        ASSERT_EQ(grid.Size(), int(points.size()));
    }
}

// The whole import against the text's walk: vertices in list order with their values, and the
// vertices the facets hold.
TEST(HostImport, ImportMatchesTheWalk) {
    std::mt19937 rng(5150);
    const double tolerances[] = {0.05, 0.2, 1e-2, 0.0, 1e35};
    for (int round = 0; round < 150; ++round) {
        Record r;
        r.merge = 1;
        r.tolerance = tolerances[rng() % (sizeof tolerances / sizeof *tolerances)];
        const float step = r.tolerance > 0 && r.tolerance < 1 ? float(r.tolerance) / 10 : 0.01f;
        const int n = 3 + int(rng() % 80);
        for (int i = 0; i < n; ++i) {
            const CGeoVector p = Point(rng, step);
            r.Vertex(p.x, p.y, p.z, double(rng() % 5), double(i));
        }
        for (int i = 0; i < n; ++i)
            r.Triangle(i, (i + 1) % n, (i + 2) % n);

        // the walk, as the record's vertices are merged one by one
        const float threshold = 0.1f * static_cast<float>(r.tolerance);
        std::vector<CGeoVector> positions;
        std::vector<int> owner(std::size_t(n), -1);
        std::vector<int> lastOf;
        for (int i = 0; i < n; ++i) {
            const CGeoVector p(&r.positions[3 * std::size_t(i)]);
            int v = Walk(positions, p, threshold);
            if (v < 0) {
                v = int(positions.size());
                positions.push_back(p);
                lastOf.push_back(i);
            }
            positions[std::size_t(v)] = p;
            lastOf[std::size_t(v)] = i;
            owner[std::size_t(i)] = v;
        }

        MgObject object;
        MgFace* face = Fill(object, r);
        ASSERT_EQ(face->NumVertices(), int(positions.size()));
        std::vector<const MgVertex*> vertices(face->VertexList().begin(), face->VertexList().end());
        for (std::size_t v = 0; v < vertices.size(); ++v) {
            const std::size_t i = std::size_t(lastOf[v]);
            ASSERT_TRUE(SameBits(vertices[v]->Vertex(), positions[v]));
            ASSERT_EQ(vertices[v]->Normal().z, float(r.normals[3 * i + 2]));
            ASSERT_EQ(vertices[v]->GeoUV()[0], float(r.uvs[2 * i]));
        }
        ASSERT_EQ(face->NumFacets(), n);
        int t = 0;
        for (const MgFacet* f : face->FacetList()) {
            for (int k = 0; k < 3; ++k)
                ASSERT_EQ(f->Vertex(k),
                          vertices[std::size_t(owner[std::size_t(r.triangles[3 * t + k])])]);
            ++t;
        }
    }
}
