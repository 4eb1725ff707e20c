// The ASCII STL reader: what it builds, how it merges corners, and how it fails.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/detail/VertexLookup.h"
#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace {

struct Triangle {
    CGeoVector normal;
    CGeoVector corners[3];
};

struct Counter : MyProgressNotify {
    int steps = 0;
    void Step() override { ++steps; }
};

// Nine significant digits give every float back exactly.
std::string Number(float f) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f));
    return text;
}

std::string Block(const Triangle& t) {
    std::string s = "  facet normal " + Number(t.normal.x) + " " + Number(t.normal.y) + " " +
                    Number(t.normal.z) + "\n    outer loop\n";
    for (const CGeoVector& p : t.corners)
        s += "      vertex " + Number(p.x) + " " + Number(p.y) + " " + Number(p.z) + "\n";
    return s + "    endloop\n  endfacet\n";
}

std::string Solid(const std::vector<Triangle>& triangles, const std::string& end = "endsolid s\n") {
    std::string s = "solid s\n";
    for (const Triangle& t : triangles)
        s += Block(t);
    return s + end;
}

// The unit square as two facets sharing the diagonal (0,0)-(1,1), normals A and B.
const CGeoVector kA(0, 0, 1), kB(0, 0.5f, 2);
std::vector<Triangle> Square() {
    return {{kA, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}}, {kB, {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}}}};
}

MgFace* Load(MgObject& object, const std::string& text, MyProgressNotify* progress = nullptr) {
    std::istringstream in(text);
    object.LoadSTL(in, progress);
    return object.FaceList().back();
}

// The thrown text, or null when the load succeeded.
const char* LoadFailure(MgObject& object, const std::string& text,
                        MyProgressNotify* progress = nullptr) {
    std::istringstream in(text);
    try {
        object.LoadSTL(in, progress);
    } catch (const char* message) {
        return message;
    }
    return nullptr;
}

int IndexOf(const MgFace* face, const MgVertex* v) {
    int i = 0;
    for (const MgVertex* w : face->VertexList()) {
        if (w == v)
            return i;
        ++i;
    }
    return -1;
}

bool SameBits(const CGeoVector& a, const CGeoVector& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(StlReader, EmptySolidAddsOneEmptyFace) {
    MgObject object;
    Counter progress;
    MgFace* face = Load(object, "solid nothing\nendsolid nothing\n", &progress);
    EXPECT_EQ(object.FaceList().size(), 1u);
    EXPECT_EQ(face->NumFacets(), 0);
    EXPECT_EQ(face->NumVertices(), 0);
    EXPECT_EQ(face->GeoFaceId(), 0);
    EXPECT_EQ(progress.steps, 0);
}

TEST(StlReader, SharedCornersShareVerticesAndAccumulateNormals) {
    MgObject object;
    Counter progress;
    MgFace* face = Load(object, Solid(Square()), &progress);
    ExpectValidTopology(face, false);
    ASSERT_EQ(face->NumFacets(), 2);
    ASSERT_EQ(face->NumVertices(), 4);
    EXPECT_EQ(progress.steps, 14);
    const MgFacet* first = face->FacetList().front();
    const MgFacet* second = face->FacetList().back();
    // winding is the file order of the corners
    EXPECT_EQ(first->Vertex(1)->Vertex(), CGeoVector(1, 0, 0));
    EXPECT_EQ(second->Vertex(0), first->Vertex(0));
    EXPECT_EQ(second->Vertex(1), first->Vertex(2));
    EXPECT_EQ(first->Vertex(0)->RefCount(), 2);
    EXPECT_EQ(first->Vertex(1)->RefCount(), 1);
    // AddNormal from (0,0,0): A, then (B + 2A) / 2; never normalised
    EXPECT_EQ(first->Vertex(0)->Normal(), kA + kB / 2);
    EXPECT_EQ(first->Vertex(1)->Normal(), kA);
    EXPECT_EQ(second->Vertex(2)->Normal(), kB);
    EXPECT_EQ(first->Vertex(0)->GeoUV()[0], 0);
    EXPECT_EQ(face->NumEdges(), 0);
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(f->Neighbor(i), nullptr);
}

TEST(StlReader, MergesWithinAnInclusiveBoxPreferringTheNewestVertex) {
    const float edge = 0.01f, beyond = std::nextafter(0.01f, 1.0f);
    const CGeoVector n(0, 0, 1);
    MgObject object;
    MgFace* face = Load(object, Solid({{n, {{0, 0, 0}, {5, 0, 0}, {0, 5, 0}}},
                                       {n, {{edge, 0, -edge}, {5, beyond, 0}, {0, 5, 0}}}}));
    const MgFacet* second = face->FacetList().back();
    EXPECT_EQ(second->Vertex(0), face->FacetList().front()->Vertex(0));
    EXPECT_EQ(second->Vertex(0)->Vertex(), CGeoVector(0, 0, 0)); // the found vertex stays put
    EXPECT_NE(second->Vertex(1), face->FacetList().front()->Vertex(1));
    EXPECT_EQ(face->NumVertices(), 4);

    // 0.015 lies within the box of both 0.01 and 0.02: the later vertex wins
    MgObject other;
    face = Load(other, Solid({{n, {{0.01f, 0, 0}, {0.02f, 7, 0}, {0.02f, 0, 0}}},
                              {n, {{0.015f, 0, 0}, {3, 3, 3}, {4, 4, 4}}}}));
    EXPECT_EQ(face->FacetList().back()->Vertex(0), face->FacetList().front()->Vertex(2));
}

TEST(StlReader, ThreeCloseCornersMakeAFacetOfOneVertex) {
    MgObject object;
    MgFace* face = Load(object, Solid({{kA, {{1, 1, 1}, {1.004f, 1, 1}, {1, 0.995f, 1.01f}}}}));
    ASSERT_EQ(face->NumFacets(), 1);
    EXPECT_EQ(face->NumVertices(), 1);
    const MgVertex* v = face->FacetList().front()->Vertex(0);
    EXPECT_EQ(v->RefCount(), 3);
    // three AddNormal calls from (0,0,0): A, (A + 2A) / 2, then (A + 3 × that) / 3
    CGeoVector expected = kA;
    expected = (kA + expected * 2) / 2;
    expected = (kA + expected * 3) / 3;
    EXPECT_EQ(v->Normal(), expected);
}

TEST(StlReader, AppendsToAnObjectAndStopsAfterEndsolid) {
    MgObject object;
    MgFace* square = shapes::TwoFacetSquare(object);
    square->SetGeoFaceId(9);
    std::istringstream in(Solid(Square(), "endsolid s\nsolid next\n"));
    object.LoadSTL(in);
    ASSERT_EQ(object.FaceList().size(), 2u);
    EXPECT_EQ(object.FaceList().front(), square);
    EXPECT_EQ(square->NumFacets(), 2);
    EXPECT_EQ(square->GeoFaceId(), 9);
    EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 0);
    std::string word;
    in >> word;
    EXPECT_EQ(word, "s");
}

TEST(StlReader, BuildsThroughTheVirtualFactories) {
    struct CountingFace : MgFace {
        explicit CountingFace(MgObject* parent) : MgFace(parent) {}
        int facets = 0;
        MgFacet* NewFacet() override {
            ++facets;
            return MgFace::NewFacet();
        }
    };
    struct CountingObject : MgObject {
        MgFace* NewFace() override { return new CountingFace(this); }
    };
    CountingObject object;
    Load(object, Solid(Square()));
    auto* face = dynamic_cast<CountingFace*>(object.FaceList().back());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->facets, 2);
}

TEST(StlReader, ReadsNumbersInTheClassicLocaleWhateverTheStreamCarries) {
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    MgObject object;
    std::istringstream in(Solid({{kA, {{1.5f, 0, 0}, {2.5f, 0, 0}, {0, 0.25f, 0}}}}));
    in.imbue(std::locale(std::locale::classic(), new Comma));
    object.LoadSTL(in);
    EXPECT_EQ(object.FaceList().back()->VertexList().front()->Vertex(), CGeoVector(1.5f, 0, 0));
    EXPECT_EQ(std::use_facet<std::numpunct<char>>(in.getloc()).decimal_point(), ',');
}

// Each failure throws its text and keeps every facet built before it.
TEST(StlReader, FailuresThrowTheirTextAndKeepWhatWasBuilt) {
    const std::string good = Solid(Square());
    const std::string blocks = good.substr(0, good.find("endsolid"));
    const std::string body = blocks.substr(blocks.find('\n') + 1); // without the first line
    std::string block = Block(Square()[0]);
    std::string noNumber = block;
    noNumber.replace(noNumber.find(" 1\n"), 2, "");
    std::string shouting = block;
    shouting.replace(shouting.find("facet"), 5, "Facet");
    std::string overlong = block;
    overlong.replace(overlong.find("outer"), 5, std::string(1 << 20, 'o'));
    std::string nan = block;
    nan.replace(nan.find("normal 0"), 8, "normal nan");

    struct Case {
        std::string text;
        const char* message;
        int facets;
    };
    const std::vector<Case> cases = {
        {"", "File problem", 0},
        {"solid s", "File problem", 0}, // the first line runs into the end of input
        {"solid s\n", "Unsupported file", 0},
        {blocks + shouting + "endsolid\n", "Unsupported file", 2},
        {blocks + noNumber + "endsolid\n", "Unsupported file", 2},
        {blocks + nan + "endsolid\n", "Unsupported file", 2},
        {blocks + overlong + "endsolid\n", "Unsupported file", 2},
        {blocks + block.substr(0, block.size() / 2), "Unsupported file", 2},
        {blocks, "Unsupported file", 2},                          // no "endsolid", whitespace
        {blocks.substr(0, blocks.size() - 1), "File problem", 2}, // ends on "endfacet"
        {blocks + "endsolid", "File problem", 2},
        {blocks + "endsolidx\n", "Unsupported file", 2},
        {"solid " + std::string(1100, 'n') + "\n" + body + "endsolid\n", "Unsupported file", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 200));
        MgObject object;
        Counter progress;
        const char* message = LoadFailure(object, c.text, &progress);
        ASSERT_NE(message, nullptr);
        EXPECT_STREQ(message, c.message);
        ASSERT_EQ(object.FaceList().size(), 1u);
        EXPECT_EQ(object.FaceList().front()->NumFacets(), c.facets);
        EXPECT_EQ(progress.steps, 7 * c.facets);
        ExpectValidTopology(object, false);
    }
    // a first line of 1024 characters is skipped whole, its line feed counted or not
    for (int length : {1023, 1024}) {
        MgObject object;
        EXPECT_EQ(LoadFailure(object, std::string(length, 's') + "\n" + body + "endsolid\n"),
                  nullptr);
        EXPECT_EQ(object.FaceList().front()->NumFacets(), 2);
    }
}

TEST(StlReader, EveryPrefixThrowsOrGivesASmallerModel) {
    const std::string text = Solid(Square(), "endsolid s\n");
    for (std::size_t length = 0; length <= text.size(); ++length) {
        const std::string prefix = text.substr(0, length);
        MgObject object;
        const char* message = LoadFailure(object, prefix);
        const MgFace* face = object.FaceList().back();
        if (message) {
            EXPECT_TRUE(std::string(message) == "File problem" ||
                        std::string(message) == "Unsupported file")
                << message;
        } else {
            // success needs "endsolid" and a character after it
            EXPECT_GT(length, text.find("endsolid") + 8);
            EXPECT_EQ(face->NumFacets(), 2);
        }
        EXPECT_LE(face->NumFacets(), 2);
        ExpectValidTopology(face, false);
    }
}

namespace {

// Coordinates that stress the merge box: a lattice at the box size, its neighbouring floats,
// signed zeros, clusters, coarse floats far out, and values whose differences overflow.
float Coordinate(std::mt19937& rng) {
    static const float specials[] = {0.0f,     -0.0f,  1e30f,       -1e30f,       3.4e38f,
                                     -3.4e38f, 1e-30f, 16777216.0f, 0.0099999998f};
    switch (rng() % 5) {
    case 0:
        return specials[rng() % (sizeof specials / sizeof *specials)];
    case 1:
        return float(int(rng() % 7) - 3) * 0.01f;
    case 2:
        return std::nextafter(float(int(rng() % 5) - 2) * 0.01f, (rng() & 1) ? 1.0f : -1.0f);
    case 3:
        return 1000.0f + std::uniform_real_distribution<float>(-0.03f, 0.03f)(rng);
    default:
        return std::uniform_real_distribution<float>(-0.03f, 0.03f)(rng);
    }
}

} // namespace

// The load merges through an index; a walk over the vertex list (what FindCloseVertex does
// with no index installed) must give the same vertices, in the same order, in the same slots.
TEST(StlReader, IndexedMergingMatchesTheWalk) {
    std::mt19937 rng(20240611);
    const float noUV[2] = {0, 0};
    for (int round = 0; round < 300; ++round) {
        std::vector<Triangle> triangles(1 + rng() % 60);
        for (Triangle& t : triangles) {
            t.normal = CGeoVector(float(rng() % 3), float(rng() % 5) - 2, 0.5f);
            for (CGeoVector& p : t.corners)
                p = CGeoVector(Coordinate(rng), Coordinate(rng), Coordinate(rng));
        }
        MgObject loaded;
        MgFace* face = Load(loaded, Solid(triangles));

        MgObject walked;
        MgFace* reference = walked.NewFace();
        for (const Triangle& t : triangles) {
            MgFacet* facet = reference->NewFacet();
            for (int i = 0; i < 3; ++i) {
                MgVertex* v = reference->FindCloseVertex(t.corners[i], CGeoVector(), noUV);
                facet->SetVertex(i, v);
                v->AddNormal(t.normal);
            }
        }

        ASSERT_EQ(face->NumVertices(), reference->NumVertices());
        ASSERT_EQ(face->NumFacets(), reference->NumFacets());
        for (auto a = face->VertexList().begin(), b = reference->VertexList().begin();
             a != face->VertexList().end(); ++a, ++b) {
            ASSERT_TRUE(SameBits((*a)->Vertex(), (*b)->Vertex()));
            ASSERT_TRUE(SameBits((*a)->Normal(), (*b)->Normal()));
            ASSERT_EQ((*a)->RefCount(), (*b)->RefCount());
        }
        for (auto a = face->FacetList().begin(), b = reference->FacetList().begin();
             a != face->FacetList().end(); ++a, ++b)
            for (int i = 0; i < 3; ++i)
                ASSERT_EQ(IndexOf(face, (*a)->Vertex(i)), IndexOf(reference, (*b)->Vertex(i)));
    }
}

// Positions no text can carry (NaN, infinities) reach FindCloseVertex only from code; with the
// load's index installed it must still answer as the walk does.
TEST(StlReader, IndexedFindCloseVertexMatchesTheWalkOnAnyFloat) {
    static const float odd[] = {NAN, INFINITY, -INFINITY, -0.0f, 1e30f, 0.01f, -0.01f};
    std::mt19937 rng(99);
    const float noUV[2] = {0, 0};
    for (int round = 0; round < 100; ++round) {
        MgObject object;
        MgFace* indexed = object.NewFace();
        MgFace* walked = object.NewFace();
        mgmesh::detail::VertexLookup lookup(indexed, mgmesh::detail::VertexLookup::Close);
        for (int step = 0; step < 200; ++step) {
            CGeoVector p(Coordinate(rng), Coordinate(rng), Coordinate(rng));
            if (rng() % 4 == 0)
                p[int(rng() % 3)] = odd[rng() % (sizeof odd / sizeof *odd)];
            const MgVertex* a = indexed->FindCloseVertex(p, CGeoVector(), noUV);
            const MgVertex* b = walked->FindCloseVertex(p, CGeoVector(), noUV);
            ASSERT_EQ(IndexOf(indexed, a), IndexOf(walked, b));
        }
        ASSERT_EQ(indexed->NumVertices(), walked->NumVertices());
    }
}
