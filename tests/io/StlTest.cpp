// The STL readers and writer: what the ASCII reader builds, how it merges corners, how it fails,
// and its fast paths against the plain read; the binary reader against the ASCII one, how
// LoadAnySTL tells the two apart; and the writer's text, read back through the readers.
#include <fstream>

#include "IoSupport.h"
#include "support/Corpus.h"

namespace {

using Triangle = std::array<CGeoVector, 4>; // normal, then the corners

std::string Solid(const std::vector<Triangle>& triangles, const std::string& end = "endsolid s\n") {
    std::ostringstream s;
    s << "solid s\n" << std::setprecision(9); // nine digits give every float back exactly
    for (const Triangle& t : triangles) {
        s << "  facet normal " << t[0].x << ' ' << t[0].y << ' ' << t[0].z << "\n    outer loop\n";
        for (int i = 1; i < 4; ++i)
            s << "      vertex " << t[i].x << ' ' << t[i].y << ' ' << t[i].z << '\n';
        s << "    endloop\n  endfacet\n";
    }
    return s.str() + end;
}

// The unit square as two facets over the diagonal (0,0)-(1,1).
const CGeoVector kA(0, 0, 1), kB(0, 0.5f, 2);
const std::vector<Triangle> kSquare = {
    {kA, CGeoVector(0, 0, 0), CGeoVector(1, 0, 0), CGeoVector(1, 1, 0)},
    {kB, CGeoVector(0, 0, 0), CGeoVector(1, 1, 0), CGeoVector(0, 1, 0)}};
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

std::string Binary(const std::vector<Triangle>& triangles, const std::string& header = "",
                   std::uint32_t count = ~0u) {
    std::string s = header + std::string(80 - header.size(), ' ');
    count = count == ~0u ? std::uint32_t(triangles.size()) : count;
    for (int b = 0; b < 4; ++b)
        s += char(count >> (8 * b));
    for (const Triangle& t : triangles) {
        for (const CGeoVector& v : t)
            for (int a = 0; a < 3; ++a) {
                std::uint32_t bits;
                const float value = v[a];
                std::memcpy(&bits, &value, 4);
                for (int b = 0; b < 4; ++b)
                    s += char(bits >> (8 * b));
            }
        s += "ab"; // the attribute is not read
    }
    return s;
}

enum How { kText, kBinary, kAny };

// The thrown text, progress steps and model of a load; `chunked`, from a stream that cannot seek.
std::string Loaded(const std::string& bytes, How how = kText, bool chunked = false) {
    MgObject object;
    support::CountingProgress progress;
    support::ChunkBuffer buffer(bytes, 7, 5);
    std::istringstream whole(bytes);
    std::istream pieces(&buffer);
    std::istream& in = chunked ? pieces : whole;
    const std::string thrown = io::Thrown([&] {
        how == kText     ? object.LoadSTL(in, &progress)
        : how == kBinary ? object.LoadBinarySTL(in, &progress)
                         : object.LoadAnySTL(in, &progress);
    });
    ExpectValidTopology(object, false);
    return thrown + " steps " + std::to_string(progress.steps) + "\n" + support::ModelText(object);
}

std::vector<Triangle> RandomTriangles(unsigned seed, int count) {
    std::mt19937 random(seed);
    support::CoordinateMix mix; // about the merge box's 0.01
    mix.finite = true;
    // with an odd seed, corners come from a few points about the merge box apart, so that
    // a corner met again may have a newer vertex in its box
    std::vector<CGeoVector> pool(seed % 2 ? 12 : 0);
    auto draw = [&](CGeoVector& v) {
        for (int a = 0; a < 3; ++a)
            v[a] = support::StressCoordinate(random, mix);
    };
    for (CGeoVector& v : pool)
        draw(v);
    std::vector<Triangle> triangles(static_cast<std::size_t>(count));
    for (Triangle& t : triangles)
        for (CGeoVector& v : t)
            pool.empty() ? draw(v) : void(v = pool[random() % pool.size()]);
    return triangles;
}

// What STL keeps of a model: each facet's corner positions, through all faces; unless `merged`,
// also the vertex numbers in each facet and the vertices' positions.
std::string Kept(const MgObject& object, bool merged = false) {
    support::TextOptions options;
    options.values = false;
    std::ostringstream s;
    s << (merged ? "" : support::ModelText(object, options)) << std::hexfloat;
    const auto put = [&](const MgVertex* v) {
        s << v->Vertex().x << ' ' << v->Vertex().y << ' ' << v->Vertex().z << '\n';
    };
    for (const MgFace* face : object.FaceList()) {
        for (const MgFacet* f : face->FacetList())
            for (int i = 0; i < 3; ++i)
                put(f->Vertex(i));
        if (!merged)
            std::for_each(face->VertexList().begin(), face->VertexList().end(), put);
    }
    return s.str();
}

} // namespace

TEST(StlReader, ThrowsItsTextsAndKeepsWhatWasBuilt) {
    const std::string good = Solid(kSquare, ""), body = good.substr(8); // without the first line
    auto changed = [&](const std::string& from, const std::string& to) {
        std::string block = Solid({kSquare[0]}, "").substr(8);
        return good + block.replace(block.find(from), from.size(), to) + "endsolid\n";
    };
    const std::tuple<std::string, std::string, int> cases[] = {
        // text, message, facets built
        {"solid nothing\nendsolid nothing\n", "", 0},
        {good + "endsolid nothing\nsolid next\n", "", 2},
        {std::string(1024, 's') + "\n" + body + "endsolid nothing\n", "", 2}, // 1024 skipped
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
        std::istringstream in = io::CommaStream(text);
        EXPECT_EQ(io::Thrown([&] { object.LoadSTL(in, &progress); }), message)
            << text.substr(0, 200);
        ASSERT_EQ(object.FaceList().size(), 2u);
        EXPECT_EQ(object.FaceList().back()->NumFacets(), facets) << text.substr(0, 200);
        EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 0);
        EXPECT_EQ(progress.steps, 7 * facets);
        std::string rest;
        EXPECT_TRUE(!message.empty() || (std::getline(in, rest) && rest == " nothing")); // not read
    }
}

// The load merges through an index; the walk over the vertex list (FindCloseVertex with no
// index installed) must give the same vertices, in the same order and slots.
void ExpectLoadedAsWalked(const std::vector<Triangle>& triangles) {
    const float noUV[2] = {0, 0};
    MgObject loaded, walked;
    std::istringstream in = io::CommaStream(Solid(triangles));
    loaded.LoadSTL(in);
    ASSERT_EQ(loaded.FaceList().front()->NumEdges(), 0);
    MgFace* reference = walked.NewFace();
    for (const Triangle& t : triangles) {
        MgFacet* facet = reference->NewFacet();
        for (int i = 0; i < 3; ++i) {
            facet->SetVertex(i, reference->FindCloseVertex(t[i + 1], CGeoVector(), noUV));
            facet->Vertex(i)->AddNormal(t[0]);
        }
    }
    support::TextOptions options; // positions and normals to the bit, vertex slots
    options.header = false;
    ASSERT_EQ(support::ModelText(loaded, options), support::ModelText(walked, options));
}

TEST(StlReader, MergesAsTheWalkOverTheVertexList) {
    std::mt19937 random(20240611);
    for (unsigned round = 0; round < 300; ++round) {
        std::vector<Triangle> triangles = RandomTriangles(round, 1 + int(random() % 60));
        for (Triangle& t : triangles) // small normals, whose sums stay exact
            t[0] = CGeoVector(float(random() % 3), float(random() % 5) - 2, 0.5f);
        ExpectLoadedAsWalked(triangles);
    }
    // a corner met again after a vertex was made within its box: p merged into a, q lies
    // within p's box but not a's, so the second p takes q's vertex
    const CGeoVector n(0, 0, 1), a(0, 0, 0), p(0.008f, 0, 0), q(0.016f, 0, 0), away(5, 5, 5);
    ExpectLoadedAsWalked({{n, a, away, -away}, {n, p, q, away * 2}, {n, p, away * 3, away * 4}});
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

TEST(BinaryStlReader, BuildsWhatTheTextReaderBuildsFromTheSameValues) {
    std::vector<std::vector<Triangle>> sets = {{}};
    for (unsigned seed = 1; seed <= 40; ++seed)
        sets.push_back(RandomTriangles(seed, 1 + int(seed * 7 % 300)));
    for (const auto& triangles : sets) {
        const std::string binary = Binary(triangles, "solid looks like text");
        EXPECT_EQ(Loaded(binary, kBinary), Loaded(Solid(triangles)));
        EXPECT_EQ(Loaded(binary, kAny), Loaded(Solid(triangles))); // told apart by its length
        EXPECT_EQ(Loaded(Solid(triangles), kAny), Loaded(Solid(triangles)));
    }
}

TEST(BinaryStlReader, ThrowsFileProblemAndKeepsTheFacetsRead) {
    const std::vector<Triangle> three = RandomTriangles(7, 3);
    const std::string whole = Binary(three);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::size_t facets = size < 84 ? 0 : (size - 84) / 50;
        const std::vector<Triangle> read(three.begin(), three.begin() + long(facets));
        std::string expected = Loaded(Solid(read));
        expected.replace(0, 0, "File problem");
        EXPECT_EQ(Loaded(whole.substr(0, size), kBinary), expected) << size;
    }
    // a count no input of this size can hold costs no memory
    EXPECT_EQ(Loaded(Binary({}, "", 4000000000u), kBinary),
              "File problem" + Loaded(Solid(std::vector<Triangle>())));
    std::istringstream in(whole + "rest");
    MgObject object;
    object.LoadBinarySTL(in);
    std::string rest;
    EXPECT_TRUE(in >> rest && rest == "rest"); // bytes after the last facet are not read
}

TEST(AnyStlReader, DecidesFromTheBytes) {
    const std::vector<Triangle> one = RandomTriangles(3, 1), two = RandomTriangles(4, 2);
    const std::string solids = Solid(one) + "\n  " + Solid(two) + "trailing words";
    const std::string binaryPadded = Binary(one, "solid") + "x"; // length off: read as text
    const std::tuple<std::string, std::string> cases[] = {
        {Binary(one), Loaded(Binary(one), kBinary)},
        {Binary(one, "solid x"), Loaded(Binary(one), kBinary)},
        {" \t" + Solid(one), Loaded(Solid(one))},
        {binaryPadded, Loaded(binaryPadded)},
        {"", Loaded("", kBinary)},
        {"solid", Loaded("solid")},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(Loaded(input, kAny), expected) << input.substr(0, 90);
        // a stream that cannot seek is read whole first, in pieces of any size
        EXPECT_EQ(Loaded(input, kAny, true), expected) << input.substr(0, 90);
    }
    // every further solid is one more face, read as LoadSTL reads it
    MgObject object;
    std::istringstream in(solids);
    object.LoadAnySTL(in);
    MgObject separate;
    for (const auto& triangles : {one, two}) {
        std::istringstream text(Solid(triangles));
        separate.LoadSTL(text);
    }
    EXPECT_EQ(support::ModelText(object), support::ModelText(separate));
}

TEST(StlWriter, WritesFacetNormalsAndShortestNumbers) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    shapes::AddVertex(face, 0.1f, 1e-7f, -3);                   // no facet uses it: not written
    face->NewFacet()->SetVertex(0, face->VertexList().front()); // empty slots: not written
    object.NewFace();
    std::ostringstream text;
    object.SaveSTL(text);
    const std::string facet = "  facet normal 0 0 1\n    outer loop\n      vertex 0 0 0\n"
                              "      vertex 1 0 0\n      vertex 1 1 0\n    endloop\n  endfacet\n";
    EXPECT_EQ(text.str().substr(0, 12 + facet.size()), "solid face0\n" + facet);
    EXPECT_NE(text.str().find("endsolid face0\nsolid face1\nendsolid face1\n"), std::string::npos);
    std::ostringstream binary;
    object.SaveSTL(binary, true);
    ASSERT_EQ(binary.str().size(), 84u + 2 * 50);
    EXPECT_NE(binary.str().substr(0, 5), "solid");
    EXPECT_EQ(binary.str()[80], 2); // the facet count
}

TEST(StlWriter, ModelsReadBackWithTheirVerticesAndFacets) {
    MgObject grid; // without the corpus, a bumped grid far from the origin
    shapes::Params params;
    params.nx = 7, params.ny = 5, params.bump = 0.013f, params.offset = CGeoVector(1e4f, -3, 0);
    shapes::Build(grid, params);
    std::ostringstream gridText;
    grid.SaveSTL(gridText);
    std::vector<std::string> texts = {gridText.str()};
    if (testsupport::HaveCorpus())
        for (const char* name : {"numpy-stl_bwb.stl", "admesh_block_normal-directions-bad.stl",
                                 "trimesh_1002_tray_bottom.STL", "numpy-stl_Cube.stl"})
            texts.push_back(testsupport::ReadFile(testsupport::CorpusStl() + name));
    for (const std::string& text : texts) {
        MgObject original; // a model as LoadSTL builds it, two faces of it
        for (int copy = 0; copy < 2; ++copy) {
            std::istringstream in(text);
            try {
                original.LoadSTL(in);
            } catch (const char*) { // the facets read stay
            }
        }
        for (bool binary : {false, true}) {
            std::stringstream file;
            original.SaveSTL(file, binary);
            MgObject back;
            back.LoadAnySTL(file);
            ExpectValidTopology(back, false);
            ASSERT_EQ(back.FaceList().size(), binary ? 1u : 2u); // binary: all faces as one
            EXPECT_EQ(Kept(back, binary), Kept(original, binary));
        }
    }
}
