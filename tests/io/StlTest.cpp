// The ASCII STL reader: what it builds, how it merges corners, and how it fails.
#include "IoSupport.h"

namespace {

struct Triangle {
    CGeoVector normal, corners[3];
};

std::string Solid(const std::vector<Triangle>& triangles, const std::string& end = "endsolid s\n") {
    std::ostringstream s;
    s << "solid s\n" << std::setprecision(9); // nine digits give every float back exactly
    for (const Triangle& t : triangles) {
        const CGeoVector& n = t.normal;
        s << "  facet normal " << n.x << ' ' << n.y << ' ' << n.z << "\n    outer loop\n";
        for (const CGeoVector& p : t.corners)
            s << "      vertex " << p.x << ' ' << p.y << ' ' << p.z << '\n';
        s << "    endloop\n  endfacet\n";
    }
    return s.str() + end;
}

// The unit square as two facets over the diagonal (0,0)-(1,1).
const CGeoVector kA(0, 0, 1), kB(0, 0.5f, 2);
const std::vector<Triangle> kSquare = {{kA, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}},
                                       {kB, {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}}}};

// Reads from a stream that carries a decimal comma, which the reader must not follow; returns
// the thrown text or null.
const char* Load(MgObject& object, std::istream& in, MyProgressNotify* progress = nullptr) {
    in.imbue(io::CommaLocale());
    try {
        object.LoadSTL(in, progress);
    } catch (const char* message) {
        return message;
    }
    return nullptr;
}

} // namespace

TEST(StlReader, ThrowsItsTextsAndKeepsWhatWasBuilt) {
    const std::string good = Solid(kSquare, ""), body = good.substr(8); // without the first line
    auto changed = [&](const std::string& from, const std::string& to) {
        std::string block = Solid({kSquare[0]}, "").substr(8);
        return good + block.replace(block.find(from), from.size(), to) + "endsolid\n";
    };
    const std::tuple<std::string, const char*, int> cases[] = {
        // text, message, facets built
        {"solid nothing\nendsolid nothing\n", nullptr, 0},
        {good + "endsolid nothing\nsolid next\n", nullptr, 2},
        {std::string(1024, 's') + "\n" + body + "endsolid nothing\n", nullptr, 2}, // 1024 skipped
        {"", "File problem", 0},
        {"solid s", "File problem", 0}, // the first line runs into the end of the input
        {"solid s\n", "Unsupported file", 0},
        {changed("facet", "Facet"), "Unsupported file", 2}, // keywords are case-sensitive
        {changed(" 1\n", "\n"), "Unsupported file", 2},     // a number missing
        {changed("normal 0", "normal nan"), "Unsupported file", 2},
        {changed("outer", std::string(1 << 20, 'o')), "Unsupported file", 2},
        {good + body.substr(0, body.size() / 4), "Unsupported file", 2},
        {good, "Unsupported file", 2},                        // no "endsolid"; whitespace
        {good.substr(0, good.size() - 1), "File problem", 2}, // ends on "endfacet"
        {good + "endsolid", "File problem", 2},               // nothing after "endsolid"
        {good + "endsolidx\n", "Unsupported file", 2},
        {"solid " + std::string(1100, 'n') + "\n" + body + "endsolid\n", "Unsupported file", 0},
    };
    for (const auto& [text, message, facets] : cases) {
        MgObject object;
        shapes::TwoFacetSquare(object); // faces already there stay
        support::CountingProgress progress;
        std::istringstream in(text);
        EXPECT_STREQ(Load(object, in, &progress), message) << text.substr(0, 200);
        ASSERT_EQ(object.FaceList().size(), 2u);
        EXPECT_EQ(object.FaceList().back()->NumFacets(), facets) << text.substr(0, 200);
        EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 0);
        EXPECT_EQ(progress.steps, 7 * facets);
        std::string rest;
        EXPECT_TRUE(message || (std::getline(in, rest) && rest == " nothing")); // not read
    }
    io::ExpectRobust(
        Solid(kSquare), "File problem|Unsupported file",
        [](MgObject& object, const std::string& input) {
            std::istringstream in(input);
            if (const char* message = Load(object, in))
                throw message;
        },
        false);
}

// The load merges through an index; the walk over the vertex list (FindCloseVertex with no
// index installed) must give the same vertices, in the same order and slots.
TEST(StlReader, MergesAsTheWalkOverTheVertexList) {
    std::mt19937 random(20240611);
    const float noUV[2] = {0, 0};
    support::CoordinateMix mix; // about the close search's 0.01, and finite: STL has no NaN
    mix.finite = true;
    for (int round = 0; round < 300; ++round) {
        std::vector<Triangle> triangles(1 + random() % 60);
        for (Triangle& t : triangles) {
            t.normal = CGeoVector(float(random() % 3), float(random() % 5) - 2, 0.5f);
            for (CGeoVector& p : t.corners)
                for (int a = 0; a < 3; ++a)
                    p[a] = support::StressCoordinate(random, mix);
        }
        MgObject loaded, walked;
        std::istringstream in(Solid(triangles));
        ASSERT_EQ(Load(loaded, in), nullptr);
        const MgFace* face = loaded.FaceList().front();
        ASSERT_EQ(face->NumEdges(), 0);
        MgFace* reference = walked.NewFace();
        for (const Triangle& t : triangles) {
            MgFacet* facet = reference->NewFacet();
            for (int i = 0; i < 3; ++i) {
                facet->SetVertex(i, reference->FindCloseVertex(t.corners[i], CGeoVector(), noUV));
                facet->Vertex(i)->AddNormal(t.normal);
            }
        }
        ASSERT_EQ(face->NumVertices(), reference->NumVertices());
        for (auto a = face->VertexList().begin(), b = reference->VertexList().begin();
             a != face->VertexList().end(); ++a, ++b) {
            ASSERT_EQ(std::memcmp(&(*a)->Vertex(), &(*b)->Vertex(), sizeof(CGeoVector)), 0);
            ASSERT_EQ((*a)->Normal(), (*b)->Normal());
        }
        for (auto a = face->FacetList().begin(), b = reference->FacetList().begin();
             a != face->FacetList().end(); ++a, ++b)
            for (int i = 0; i < 3; ++i)
                ASSERT_EQ(io::IndexIn(face->VertexList(), (*a)->Vertex(i)),
                          io::IndexIn(reference->VertexList(), (*b)->Vertex(i)));
    }
}
