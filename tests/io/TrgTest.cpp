// TRG: blocks and face groups, merged corners, derived edges, dropped faces and progress.
#include <array>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace {

class CountingProgress : public MyProgressNotify {
public:
    void Step() override { ++steps; }
    int steps = 0;
};

struct Record {
    float u, v, x, y, z, nx, ny, nz;
};

Record At(float x, float y, float z = 0, float u = 0, float v = 0, float nz = 1) {
    return {u, v, x, y, z, 0, 0, nz};
}

std::string Text(const Record& r) {
    std::ostringstream out;
    out << r.u << ' ' << r.v << ' ' << r.x << ' ' << r.y << ' ' << r.z << ' ' << r.nx << ' ' << r.ny
        << ' ' << r.nz << '\n';
    return out.str();
}

// A face group: "FACE", the id, the records, and a trailer of three words.
std::string Group(long id, const std::vector<Record>& records) {
    std::string text = "FACE " + std::to_string(id) + "\n";
    for (const Record& r : records)
        text += Text(r);
    return text + "ENDFACE t1 t2\n";
}

// A block: two header words, the face groups, "END" and two words.
std::string Block(const std::vector<std::string>& groups) {
    std::string text = "HEADER h2\n";
    for (const std::string& g : groups)
        text += g;
    return text + "END e1 e2\n";
}

const Record a = At(0, 0, 0, 0.25f, 0.5f), b = At(1, 0), c = At(1, 1), d = At(0, 1);

// The unit square as two facets sharing the side a-c in opposite directions.
std::vector<Record> Square(float dx = 0) {
    std::vector<Record> rs = {a, b, c, a, c, d};
    for (Record& r : rs)
        r.x += dx;
    return rs;
}

// Two facets that touch at one vertex only: two loops through it.
std::vector<Record> Bowtie() {
    return {a, b, c, a, At(-1, 0), At(-1, -1)};
}

std::string Load(MgObject& object, const std::string& text, MyProgressNotify* progress = nullptr) {
    std::istringstream in(text);
    return object.LoadTRG(in, progress);
}

} // namespace

TEST(Trg, TwoFacetsSharingASideMakeOneLinkedFace) {
    MgObject object;
    CountingProgress progress;
    EXPECT_EQ(Load(object, "model\n" + Block({Group(7, Square())}), &progress), "model");
    ASSERT_EQ(object.FaceList().size(), 1u);
    const MgFace* face = object.FaceList().front();
    EXPECT_EQ(face->GeoFaceId(), 7);
    EXPECT_EQ(face->NumVertices(), 4);
    EXPECT_EQ(face->NumFacets(), 2);
    EXPECT_EQ(face->NumEdges(), 1);
    EXPECT_EQ(face->EdgeList().front()->VertexList().size(), 4u);
    const MgFacet* first = face->FacetList().front();
    const MgFacet* second = face->FacetList().back();
    EXPECT_EQ(first->Neighbor(2), second);
    EXPECT_EQ(second->Neighbor(0), first);
    EXPECT_FALSE(face->Corrupt());
    EXPECT_EQ(face->GeoTolerance(), 0.05f);
    ExpectValidTopology(face);
    EXPECT_EQ(progress.steps, 3 * 2 + 3);
    // the first record of a position gave the vertex its UV and normal
    const MgVertex* va = first->Vertex(0);
    EXPECT_EQ(va->GeoUV()[0], 0.25f);
    EXPECT_EQ(va->GeoUV()[1], 0.5f);
    EXPECT_EQ(va->Normal(), CGeoVector(0, 0, 1));
}

TEST(Trg, CloseRecordsShareAVertexAndKeepItsValues) {
    MgObject object;
    std::vector<Record> rs = Square();
    rs[3] = At(0.01f, -0.01f, 0.0099f, 9, 9, -1); // within 0.01 of a on every axis
    Load(object, "m " + Block({Group(1, rs)}));
    const MgFace* face = object.FaceList().front();
    EXPECT_EQ(face->NumVertices(), 4);
    const MgVertex* shared = face->FacetList().back()->Vertex(0);
    EXPECT_EQ(shared, face->FacetList().front()->Vertex(0));
    EXPECT_EQ(shared->Vertex(), CGeoVector(0, 0, 0));
    EXPECT_EQ(shared->GeoUV()[0], 0.25f);
    EXPECT_EQ(shared->Normal(), CGeoVector(0, 0, 1));
    EXPECT_EQ(shared->RefCount(), 3); // two facets and the edge
}

TEST(Trg, FacesWhoseEdgesFailAreDropped) {
    MgObject object;
    Load(object, "m " + Block({Group(1, Square()), Group(2, Bowtie()), Group(3, Square(5))}));
    ASSERT_EQ(object.FaceList().size(), 2u);
    EXPECT_EQ(object.FaceList().front()->GeoFaceId(), 1);
    EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 3);
    ExpectValidTopology(object);
}

TEST(Trg, IncompleteTriplesMakeNoFacet) {
    for (int extra = 1; extra <= 2; ++extra) {
        std::vector<Record> rs = Square();
        rs.push_back(At(7, 7));
        if (extra == 2)
            rs.push_back(At(8, 8));
        MgObject object;
        CountingProgress progress;
        Load(object, "m " + Block({Group(1, rs)}), &progress);
        const MgFace* face = object.FaceList().front();
        EXPECT_EQ(face->NumFacets(), 2);
        EXPECT_EQ(face->NumVertices(), 4); // the triple's new vertices are gone
        ExpectValidTopology(face);
        EXPECT_EQ(progress.steps, 1 + 3 * 2 + extra + 1 + 1);
    }
}

TEST(Trg, BlocksFollowEachOtherAndOtherWordsEndTheLoad) {
    MgObject object;
    shapes::TwoFacetSquare(object); // faces already there stay
    CountingProgress progress;
    const std::string text = "name\n" + Block({Group(1, Square())}) +
                             Block({Group(2, Square()), Group(3, {})}) + "H1 H2 FACE 4\n" +
                             Text(a) + Text(b) + Text(c) + "x y z\nSTOP\n" +
                             Block({Group(5, Square())});
    EXPECT_EQ(Load(object, text, &progress), "name");
    ASSERT_EQ(object.FaceList().size(), 5u);
    std::vector<std::intptr_t> ids;
    for (const MgFace* face : object.FaceList())
        ids.push_back(face->GeoFaceId());
    EXPECT_EQ(ids, (std::vector<std::intptr_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(object.FaceList().back()->NumFacets(), 1);
    EXPECT_EQ(progress.steps, 9 + 9 + 3 + (3 * 1 + 3));
    ExpectValidTopology(object);
}

TEST(Trg, TheLoadEndsQuietlyOnAnyInput) {
    // "LoadFromTRG" without a name; a bad number inside a face ends its records
    MgObject object;
    std::istringstream in("H1 H2 FACE 9 0 0 0 0 0 0 0 1 0 0 1 0 0 0 0 1 0 0 1 1 0 0 0 bad t t "
                          "FACE x y z END");
    object.LoadFromTRG(in);
    ASSERT_EQ(object.FaceList().size(), 2u);
    EXPECT_EQ(object.FaceList().front()->NumFacets(), 0); // the third record failed
    EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 0);  // "x" is no id
    ExpectValidTopology(object);
    MgObject none;
    std::istringstream empty("");
    none.LoadFromTRG(empty);
    EXPECT_EQ(Load(none, ""), "");
    EXPECT_TRUE(none.FaceList().empty());
}

TEST(Trg, EveryPrefixOfAGoodFileGivesAValidModel) {
    const std::string text =
        "model\n" + Block({Group(1, Square()), Group(2, Bowtie())}) + Block({Group(3, Square(2))});
    for (std::size_t length = 0; length <= text.size(); ++length) {
        MgObject object;
        try {
            Load(object, text.substr(0, length));
        } catch (const char* message) {
            ASSERT_STREQ(message, "Bad face structure") << "prefix " << length;
            continue;
        }
        ExpectValidTopology(object);
        for (const MgFace* face : object.FaceList())
            EXPECT_FALSE(face->Corrupt());
        ASSERT_FALSE(HasFailure()) << "prefix " << length;
    }
}

TEST(Trg, MergesExactlyAsTheWalkOverTheVertexList) {
    // random records near a few points, with differences around the 0.01 box; the reader's
    // indexed merge must match the face's own backward walk record for record
    std::mt19937 random(321);
    auto coordinate = [&]() {
        static const float kOffsets[] = {0, 0.01f, -0.01f, 0.0099f, 0.0101f, 0.005f, 0.02f};
        return float(random() % 3) + kOffsets[random() % 7];
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<Record> rs;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            Record r = At(coordinate(), coordinate(), coordinate(), float(i), float(round));
            r.nx = float(i);
            rs.push_back(r);
        }
        MgObject loaded;
        bool loadedThrew = false;
        try {
            Load(loaded, "m " + Block({Group(round, rs)}));
        } catch (const char*) {
            loadedThrew = true;
        }
        // the literal walk: FindCloseVertex with no index installed
        MgObject expected;
        MgFace* face = expected.NewFace();
        face->SetGeoFaceId(round);
        for (std::size_t i = 0; i + 3 <= rs.size(); i += 3) {
            MgVertex* v[3];
            for (int k = 0; k < 3; ++k) {
                const Record& r = rs[i + k];
                const float uv[2] = {r.u, r.v};
                v[k] = face->FindCloseVertex(CGeoVector(r.x, r.y, r.z),
                                             CGeoVector(r.nx, r.ny, r.nz), uv);
            }
            shapes::AddFacet(face, v[0], v[1], v[2]);
        }
        if (rs.size() % 3) { // the incomplete triple's vertices are made too
            for (std::size_t i = rs.size() - rs.size() % 3; i < rs.size(); ++i) {
                const Record& r = rs[i];
                const float uv[2] = {r.u, r.v};
                face->FindCloseVertex(CGeoVector(r.x, r.y, r.z), CGeoVector(r.nx, r.ny, r.nz), uv);
            }
        }
        bool expectedThrew = false;
        try {
            if (!face->RebuildEdges())
                delete face;
        } catch (const char*) {
            expectedThrew = true;
        }
        ASSERT_EQ(loadedThrew, expectedThrew);
        ASSERT_EQ(loaded.FaceList().size(), expected.FaceList().size()) << "round " << round;
        if (expected.FaceList().empty())
            continue;
        const MgFace* x = expected.FaceList().front();
        const MgFace* y = loaded.FaceList().front();
        ASSERT_EQ(y->NumVertices(), x->NumVertices()) << "round " << round;
        auto xv = x->VertexList().begin();
        for (const MgVertex* v : y->VertexList()) {
            EXPECT_EQ(v->Vertex(), (*xv)->Vertex());
            EXPECT_EQ(v->Normal(), (*xv)->Normal());
            EXPECT_EQ(v->GeoUV()[0], (*xv)->GeoUV()[0]);
            ++xv;
        }
        ASSERT_EQ(y->NumFacets(), x->NumFacets());
        auto xf = x->FacetList().begin();
        for (const MgFacet* f : y->FacetList()) {
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(f->Vertex(k)->Vertex(), (*xf)->Vertex(k)->Vertex());
            ++xf;
        }
        EXPECT_EQ(y->NumEdges(), x->NumEdges());
        ASSERT_FALSE(HasFailure()) << "round " << round;
    }
}

TEST(Trg, MutatedFilesNeverBreakTheModel) {
    const std::string good =
        "model\n" + Block({Group(1, Square()), Group(2, Bowtie())}) + Block({Group(3, Square(2))});
    static const char kBytes[] = "0123456789-+. \n\txeEFACEND";
    std::mt19937 random(78);
    for (int round = 0; round < 2000; ++round) {
        std::string text = good;
        const int changes = 1 + int(random() % 3);
        for (int i = 0; i < changes && !text.empty(); ++i) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[at] = kBytes[random() % (sizeof kBytes - 1)];
                break;
            case 1:
                text.erase(at, 1 + random() % 8);
                break;
            default:
                text.insert(at, text.substr(at, 1 + random() % 40));
                break;
            }
        }
        MgObject object;
        try {
            Load(object, text);
        } catch (const char* message) {
            ASSERT_STREQ(message, "Bad face structure") << text;
            continue;
        }
        ExpectValidTopology(object);
        for (const MgFace* face : object.FaceList())
            ASSERT_FALSE(face->Corrupt()) << text;
        ASSERT_FALSE(HasFailure()) << text;
    }
}
