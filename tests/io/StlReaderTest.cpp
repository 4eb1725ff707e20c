// The ASCII STL reader: what it builds, how it merges corners, how it fails, and its fast paths
// (whole blocks read from the buffer, facets built one block behind) against the plain read.
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

std::string StlText(std::mt19937& random) {
    MgObject object;
    MgFace* face =
        random() % 2 ? shapes::Grid(object, 1 + int(random() % 4), 2) : shapes::Tetrahedron(object);
    std::string text = "solid test\n";
    char line[200];
    for (const MgFacet* f : face->FacetList()) {
        std::snprintf(line, sizeof line, "  facet normal %e %e %e\n    outer loop\n",
                      double(random() % 3) - 1, 0.5, -0.25);
        text += line;
        for (int i = 0; i < 3; ++i) {
            const CGeoVector p =
                f->Vertex(i)->Vertex() * 1.37f + CGeoVector(0.004f, 0, 0) * float(i);
            std::snprintf(line, sizeof line, "      vertex %.7g %e %g\n", double(p.x), double(p.y),
                          double(p.z));
            text += line;
        }
        text += "    endloop\n  endfacet\n";
    }
    return text + (random() % 4 ? "endsolid test\n" : "");
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

TEST(StlReader, FastPathsLoadWhatTheTokenByTokenReadLoads) {
    std::mt19937 random(3);
    for (int round = 0; round < 400; ++round)
        io::ExpectSameLoads(
            io::Disturb(StlText(random), random),
            [](MgObject& o, std::istream& in, MyProgressNotify* p) {
                o.LoadSTL(in, p);
                return std::string();
            },
            unsigned(round + 1));
}

namespace {

// A face that notes where its object's stream stood when each of its facets was made.
struct WatchingFace : MgFace {
    WatchingFace(MgObject* object, std::istream& in, std::vector<long>& made)
        : MgFace(object), in(in), made(made) {}
    MgFacet* NewFacet() override {
        made.push_back(long(in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in)));
        return MgFace::NewFacet();
    }
    std::istream& in;
    std::vector<long>& made;
};

struct WatchingObject : MgObject {
    WatchingObject(std::istream& in, std::vector<long>& made) : in(in), made(made) {}
    MgFace* NewFace() override { return new WatchingFace(this, in, made); }
    std::istream& in;
    std::vector<long>& made;
};

} // namespace

// Whole blocks are read from the buffered text, and with no progress receiver to see it, each
// facet is built only once the next block has been read (the lookups of its corners overlap
// that read); a receiver sees every facet built as its block is read.
TEST(StlReader, ReadsWholeBlocksFromTheBufferAndBuildsEachFacetOneBlockBehind) {
    std::mt19937 random(8);
    std::string text = StlText(random);
    if (text.find("endsolid") == std::string::npos)
        text += "endsolid test\n";
    std::vector<long> blockEnds; // the end of each block's "endfacet"
    for (std::size_t at = text.find("endfacet"); at != std::string::npos;
         at = text.find("endfacet", at + 1))
        blockEnds.push_back(long(at + 8));
    ASSERT_GE(blockEnds.size(), 3u);
    for (bool withProgress : {true, false}) {
        std::istringstream in(text);
        std::vector<long> made;
        WatchingObject object(in, made);
        support::CountingProgress progress;
        object.LoadSTL(in, withProgress ? &progress : nullptr);
        std::vector<long> expected = blockEnds;
        if (!withProgress) { // the last facet is built once "endsolid" is no facet block
            expected.erase(expected.begin());
            expected.push_back(blockEnds.back());
        }
        EXPECT_EQ(made, expected) << (withProgress ? "with" : "without") << " progress";
    }
}
