// SCB: writing exact bytes, reading every keyword, round trips, progress and broken files.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <map>
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

// A square with its edge and two corners, a closed tetrahedron, and an empty face.
void BuildSample(MgObject& object) {
    MgFace* square = shapes::TwoFacetSquare(object);
    square->SetGeoFaceId(3);
    square->SetGeoTolerance(0.25f);
    square->SetTrueDirection(true);
    square->VertexList().back()->SetNormal(CGeoVector(0.1f, -2.5e-7f, 1234560.0f));
    ASSERT_TRUE(square->RebuildEdges());
    square->NewCorner()->SetPosition(CGeoVector(0, 0, 0));
    square->RebuildCorners(); // adds the second corner opposite the first
    MgFace* tetra = shapes::Tetrahedron(object);
    tetra->SetGeoFaceId(std::intptr_t(1) << 40);
    ASSERT_TRUE(tetra->RebuildEdges());
    object.NewFace()->SetGeoFaceId(-5);
}

const char* const kSampleText = "scb1\n"
                                "part sample\n"
                                "\tfaceBegin 3\n"
                                "\t\ttolerance 0.25\n"
                                "\t\ttrueDirection\n"
                                "\t\tvertex 0 0 0 0 0 0 0 0 1\n"
                                "\t\tvertex 1 1 0 1 0 0 0 0 1\n"
                                "\t\tvertex 2 1 1 1 1 0 0 0 1\n"
                                "\t\tvertex 3 0 1 0 1 0 0.1 -2.5e-07 1.23456e+06\n"
                                "\t\tfacet 0\t0 1 2 \t-1 -1 1 \n"
                                "\t\tfacet 1\t0 2 3 \t0 -1 -1 \n"
                                "\t\tedge 0 1 2 3\n"
                                "\t\tcorner 0 0 0\n"
                                "\t\tcorner 1 1 0\n"
                                "\tfaceEnd\n"
                                "\tfaceBegin 1099511627776\n"
                                "\t\ttolerance 0.05\n"
                                "\t\tvertex 0 0 0 0 0 0 0 0 1\n"
                                "\t\tvertex 1 1 0 1 0 0 0 0 1\n"
                                "\t\tvertex 2 0 1 0 1 0 0 0 1\n"
                                "\t\tvertex 3 0 0 0 0 1 0 0 1\n"
                                "\t\tfacet 0\t0 2 1 \t3 2 1 \n"
                                "\t\tfacet 1\t0 1 3 \t0 2 3 \n"
                                "\t\tfacet 2\t1 2 3 \t0 3 1 \n"
                                "\t\tfacet 3\t2 0 3 \t0 1 2 \n"
                                "\tfaceEnd\n"
                                "\tfaceBegin -5\n"
                                "\t\ttolerance 0.05\n"
                                "\tfaceEnd\n";

std::string Save(const MgObject& object, const std::string& name = "sample") {
    std::ostringstream out;
    object.SaveSCB(out, name);
    return out.str();
}

std::string LoadText(MgObject& object, const std::string& text,
                     MyProgressNotify* progress = nullptr) {
    std::istringstream in(text);
    return object.LoadSCB(in, progress);
}

template <class T> int IndexIn(const std::list<T*>& list, const T* item) {
    int i = 0;
    for (const T* x : list) {
        if (x == item)
            return i;
        ++i;
    }
    return -1;
}

// Same faces, items in the same order with the same values and the same structure.
void ExpectSameFaces(const MgObject& expected, const MgObject& actual) {
    ASSERT_EQ(expected.FaceList().size(), actual.FaceList().size());
    auto e = expected.FaceList().begin();
    for (const MgFace* a : actual.FaceList()) {
        const MgFace* x = *e++;
        EXPECT_EQ(a->GeoFaceId(), x->GeoFaceId());
        EXPECT_EQ(a->GeoTolerance(), x->GeoTolerance());
        EXPECT_EQ(a->TrueDirection(), x->TrueDirection());
        ASSERT_EQ(a->NumVertices(), x->NumVertices());
        auto xv = x->VertexList().begin();
        for (const MgVertex* v : a->VertexList()) {
            EXPECT_EQ(v->Vertex(), (*xv)->Vertex());
            EXPECT_EQ(v->Normal(), (*xv)->Normal());
            EXPECT_EQ(v->GeoUV()[0], (*xv)->GeoUV()[0]);
            EXPECT_EQ(v->GeoUV()[1], (*xv)->GeoUV()[1]);
            ++xv;
        }
        ASSERT_EQ(a->NumFacets(), x->NumFacets());
        auto xf = x->FacetList().begin();
        for (const MgFacet* f : a->FacetList()) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(IndexIn(a->VertexList(), f->Vertex(i)),
                          IndexIn(x->VertexList(), (*xf)->Vertex(i)));
                EXPECT_EQ(IndexIn(a->FacetList(), f->Neighbor(i)),
                          IndexIn(x->FacetList(), (*xf)->Neighbor(i)));
            }
            ++xf;
        }
        ASSERT_EQ(a->NumEdges(), x->NumEdges());
        auto xe = x->EdgeList().begin();
        for (const MgEdge* edge : a->EdgeList()) {
            std::vector<int> run, xrun;
            for (const MgVertex* v : edge->VertexList())
                run.push_back(IndexIn(a->VertexList(), v));
            for (const MgVertex* v : (*xe)->VertexList())
                xrun.push_back(IndexIn(x->VertexList(), v));
            EXPECT_EQ(run, xrun);
            ++xe;
        }
        ASSERT_EQ(a->CornerList().size(), x->CornerList().size());
        auto xc = x->CornerList().begin();
        for (const MgCorner* c : a->CornerList()) {
            EXPECT_EQ(c->Position(), (*xc)->Position());
            EXPECT_EQ(IndexIn(a->VertexList(), c->Vertex()),
                      IndexIn(x->VertexList(), (*xc)->Vertex()));
            ++xc;
        }
    }
}

// The writer's lines by plain insertion, numbering items by their place in the lists.
void ReferenceSave(const MgObject& object, std::ostream& out) {
    for (const MgFace* face : object.FaceList()) {
        out << '\t' << "faceBegin" << ' ' << face->GeoFaceId() << std::endl;
        out << '\t' << '\t' << "tolerance" << ' ' << face->GeoTolerance() << std::endl;
        if (face->TrueDirection())
            out << '\t' << '\t' << "trueDirection" << std::endl;
        std::map<const MgVertex*, int> vn;
        std::map<const MgFacet*, int> fn;
        for (const MgVertex* v : face->VertexList()) {
            const int n = int(vn.size());
            vn[v] = n;
            out << "\t\tvertex " << n << ' ' << v->GeoUV()[0] << ' ' << v->GeoUV()[1] << ' '
                << v->Vertex().x << ' ' << v->Vertex().y << ' ' << v->Vertex().z << ' '
                << v->Normal().x << ' ' << v->Normal().y << ' ' << v->Normal().z << std::endl;
        }
        for (const MgFacet* f : face->FacetList()) {
            const int n = int(fn.size());
            fn[f] = n;
        }
        for (const MgFacet* f : face->FacetList()) {
            out << "\t\tfacet " << fn[f] << '\t' << vn[f->Vertex(0)] << ' ' << vn[f->Vertex(1)]
                << ' ' << vn[f->Vertex(2)] << ' ' << '\t';
            for (int i = 0; i < 3; ++i)
                out << (f->Neighbor(i) ? fn[f->Neighbor(i)] : -1) << ' ';
            out << std::endl;
        }
        for (const MgEdge* e : face->EdgeList()) {
            out << "\t\tedge";
            for (const MgVertex* v : e->VertexList())
                out << ' ' << vn[v];
            out << std::endl;
        }
        for (const MgCorner* c : face->CornerList())
            out << "\t\tcorner " << c->Position().x << ' ' << c->Position().y << ' '
                << c->Position().z << std::endl;
        out << '\t' << "faceEnd" << std::endl;
    }
}

float RandomFloat(std::mt19937& random, bool finite = false) {
    static const float kSpecial[] = {0.0f,
                                     -0.0f,
                                     1e-45f,
                                     -1.17549435e-38f,
                                     FLT_MAX,
                                     -FLT_MAX,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN(),
                                     -std::numeric_limits<float>::quiet_NaN(),
                                     0.1f,
                                     123456.5f,
                                     1e6f,
                                     1e-5f,
                                     9.9999999e-5f};
    if (random() % 4 == 0) {
        const float special = kSpecial[random() % (sizeof kSpecial / sizeof kSpecial[0])];
        if (!finite || std::isfinite(special))
            return special;
    }
    std::uint32_t bits = static_cast<std::uint32_t>(random());
    if (random() % 2) // mostly ordinary magnitudes
        bits = (bits & 0x807fffffu) | ((100u + bits % 56u) << 23);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return finite && !std::isfinite(f) ? 1.5f : f;
}

// One face of random values: vertices, two facets over them, an edge and a corner.
void BuildRandomFace(MgObject& object, std::mt19937& random, bool finite = false) {
    auto RandomFloat = [&](std::mt19937& r) { return ::RandomFloat(r, finite); };
    MgFace* face = object.NewFace();
    face->SetGeoFaceId(static_cast<std::intptr_t>(random()) - (1 << 30));
    face->SetGeoTolerance(RandomFloat(random));
    std::vector<MgVertex*> v;
    for (int i = 0; i < 4; ++i) {
        const float uv[2] = {RandomFloat(random), RandomFloat(random)};
        v.push_back(face->AddVertex(
            CGeoVector(RandomFloat(random), RandomFloat(random), RandomFloat(random)),
            CGeoVector(RandomFloat(random), RandomFloat(random), RandomFloat(random)), uv));
    }
    MgFacet* f = shapes::AddFacet(face, v[0], v[1], v[2]);
    MgFacet* g = shapes::AddFacet(face, v[0], v[2], v[3]);
    f->SetNeighbor(2, g, 0);
    MgEdge* edge = face->NewEdge();
    for (MgVertex* x : v)
        edge->AddVertex(x);
    face->NewCorner()->SetPosition(
        CGeoVector(RandomFloat(random), RandomFloat(random), RandomFloat(random)));
}

// A numeric punctuation with a decimal comma and grouping by thousands with a point.
class CommaPunct : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\1"; }
};

// Counts flushes, as std::endl asks for one per line.
class FlushCounter : public std::stringbuf {
public:
    int syncs = 0;

protected:
    int sync() override {
        ++syncs;
        return 0;
    }
};

} // namespace

TEST(ScbWrite, WritesTheExactLines) {
    MgObject object;
    BuildSample(object);
    EXPECT_EQ(Save(object), kSampleText);
}

TEST(ScbWrite, FlushesEveryLineAndCountsItemLines) {
    MgObject object;
    BuildSample(object);
    FlushCounter buffer;
    std::ostream out(&buffer);
    CountingProgress progress;
    object.SaveSCB(out, "sample", &progress);
    EXPECT_EQ(buffer.str(), kSampleText);
    EXPECT_EQ(buffer.syncs, 29);                  // one per line
    EXPECT_EQ(progress.steps, 4 + 2 + 1 + 4 + 4); // vertex, facet and edge lines
}

TEST(ScbWrite, LeavesItemNumbersInTheAuxData) {
    MgObject object;
    BuildSample(object);
    for (const MgFace* face : object.FaceList()) {
        for (const MgVertex* v : face->VertexList())
            v->SetAuxData(&object);
        for (const MgFacet* f : face->FacetList())
            f->SetAuxData(&object);
    }
    Save(object);
    for (const MgFace* face : object.FaceList()) {
        std::intptr_t k = 0;
        for (const MgVertex* v : face->VertexList())
            EXPECT_EQ(reinterpret_cast<std::intptr_t>(v->AuxData()), k++);
        k = 0;
        for (const MgFacet* f : face->FacetList())
            EXPECT_EQ(reinterpret_cast<std::intptr_t>(f->AuxData()), k++);
    }
}

TEST(ScbWrite, FormatsNumbersAsTheStreamsOwnInsertion) {
    // default streams at several precisions use the fast formatting, the others the stream's
    // own insertion; both must give plain insertion's characters, with a point for decimals
    const std::locale comma(std::locale::classic(), new CommaPunct);
    std::mt19937 random(4242);
    for (int round = 0; round < 300; ++round) {
        MgObject object;
        for (int i = 0; i < 3; ++i)
            BuildRandomFace(object, random);
        const std::streamsize precisions[] = {6, 0, 1, 3, 9, 12, 17, 40, -1};
        const std::ios_base::fmtflags flags[] = {std::ios_base::fmtflags{},
                                                 std::ios_base::showpos,
                                                 std::ios_base::fixed,
                                                 std::ios_base::scientific |
                                                     std::ios_base::uppercase,
                                                 std::ios_base::fixed | std::ios_base::scientific,
                                                 std::ios_base::showpoint,
                                                 std::ios_base::hex};
        const std::streamsize precision = precisions[round % 9];
        const std::ios_base::fmtflags flag = flags[(round / 9) % 7];
        std::ostringstream expected;
        expected.imbue(std::locale::classic());
        expected.precision(precision);
        expected.setf(flag);
        ReferenceSave(object, expected);
        std::ostringstream actual;
        actual.imbue(round % 2 ? comma : std::locale::classic());
        actual.precision(precision);
        actual.setf(flag);
        object.SaveToSCB(actual);
        ASSERT_EQ(actual.str(), expected.str()) << "precision " << precision << " flags " << flag;
        EXPECT_EQ(actual.getloc(), round % 2 ? comma : std::locale::classic());
    }
}

TEST(ScbRead, RoundTripReproducesEveryFace) {
    MgObject object;
    BuildSample(object);
    MgObject loaded;
    CountingProgress progress;
    EXPECT_EQ(LoadText(loaded, Save(object), &progress), "sample");
    ExpectSameFaces(object, loaded);
    ExpectValidTopology(loaded);
    // every item line inside the blocks: tolerance, trueDirection, vertex, facet, edge, corner
    EXPECT_EQ(progress.steps, (2 + 4 + 2 + 1 + 2) + (1 + 4 + 4) + 1);
    EXPECT_EQ(Save(loaded), Save(object));
}

TEST(ScbRead, RoundTripKeepsSixSignificantDigits) {
    std::mt19937 random(5);
    MgObject object;
    for (int i = 0; i < 20; ++i)
        BuildRandomFace(object, random, true);
    const std::string text = Save(object);
    MgObject loaded;
    LoadText(loaded, text);
    ASSERT_EQ(loaded.FaceList().size(), object.FaceList().size());
    auto near = [](float a, float b) {
        if (std::isnan(a))
            return std::isnan(b);
        // %g with 6 digits: relative 5e-6, and a denormal's own step
        return a == b || std::fabs(a - b) <= 6e-6f * std::fabs(a) + 3e-45f;
    };
    auto v = loaded.FaceList().begin();
    for (const MgFace* face : object.FaceList()) {
        auto lv = (*v)->VertexList().begin();
        for (const MgVertex* x : face->VertexList()) {
            EXPECT_TRUE(near(x->Vertex().x, (*lv)->Vertex().x)) << x->Vertex().x;
            EXPECT_TRUE(near(x->Normal().z, (*lv)->Normal().z)) << x->Normal().z;
            EXPECT_TRUE(near(x->GeoUV()[1], (*lv)->GeoUV()[1])) << x->GeoUV()[1];
            ++lv;
        }
        ++v;
    }
}

TEST(ScbRead, EmptyObjectAndOddNames) {
    MgObject empty;
    EXPECT_EQ(Save(empty, "nothing"), "scb1\npart nothing\n");
    MgObject loaded;
    EXPECT_EQ(LoadText(loaded, "scb1\npart nothing\n"), "nothing");
    EXPECT_TRUE(loaded.FaceList().empty());

    MgObject sample;
    BuildSample(sample);
    // a name with a space reads back as its first word; the second ends the run of faces
    MgObject spaced;
    EXPECT_EQ(LoadText(spaced, Save(sample, "two words")), "two");
    EXPECT_TRUE(spaced.FaceList().empty());
    // an empty name takes "faceBegin" as the name
    const std::string unnamed = Save(sample, "");
    EXPECT_EQ(unnamed.substr(0, 11), "scb1\npart \n");
    MgObject nameless;
    EXPECT_EQ(LoadText(nameless, unnamed), "faceBegin");
    EXPECT_TRUE(nameless.FaceList().empty());
}

TEST(ScbRead, MinimalBlockAndAppending) {
    MgObject object;
    shapes::TwoFacetSquare(object);
    std::istringstream in("faceBegin 7 faceEnd");
    CountingProgress progress;
    EXPECT_EQ(object.LoadFromSCB(in, &progress), "");
    ASSERT_EQ(object.FaceList().size(), 2u);
    const MgFace* face = object.FaceList().back();
    EXPECT_EQ(face->GeoFaceId(), 7);
    EXPECT_EQ(face->GeoTolerance(), 0.05f);
    EXPECT_FALSE(face->TrueDirection());
    EXPECT_EQ(face->NumVertices() + face->NumFacets() + face->NumEdges(), 0);
    EXPECT_EQ(progress.steps, 0);
    EXPECT_EQ(object.FaceList().front()->NumFacets(), 2);
}

TEST(ScbRead, RunOfFacesEndsAtTheFirstOtherWord) {
    MgObject object;
    std::istringstream in("faceBegin 1\nfaceEnd\nfaceBegin 2 faceEnd objectEnd next");
    EXPECT_EQ(object.LoadFromSCB(in), "objectEnd");
    EXPECT_EQ(object.FaceList().size(), 2u);
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, " next");
    // a stream that is not good reads nothing
    std::istringstream failed("faceBegin 1 faceEnd");
    failed.setstate(std::ios_base::failbit);
    EXPECT_EQ(object.LoadFromSCB(failed), "");
    EXPECT_EQ(object.FaceList().size(), 2u);
}

TEST(ScbRead, NumbersLinkItemsAndUndefinedOnesReadAsNone) {
    MgObject object;
    std::istringstream in("faceBegin 0\n"
                          "vertex 5000 0 0 0 0 0 0 0 0 1\n"
                          "vertex 0 0 0 1 0 0 0 0 1\n"
                          "vertex 2000000000 0 0 0 1 0 0 0 1\n"
                          "facet 9 5000 0 2000000000 -1 4 1\n" // 1 is defined after it
                          "facet 1 0 5000 77 3 -7 9\n"         // vertex 77 is undefined
                          "edge 5000 0\n"
                          "2000000000\n"
                          "faceEnd");
    object.LoadFromSCB(in);
    const MgFace* face = object.FaceList().front();
    ASSERT_EQ(face->NumFacets(), 2);
    const MgFacet* f9 = face->FacetList().front();
    const MgFacet* f1 = face->FacetList().back();
    auto vertex = [&](int i) { return *std::next(face->VertexList().begin(), i); };
    EXPECT_EQ(f9->Vertex(0), vertex(0));
    EXPECT_EQ(f9->Vertex(1), vertex(1));
    EXPECT_EQ(f9->Vertex(2), vertex(2));
    EXPECT_EQ(f1->Vertex(2), nullptr);
    EXPECT_EQ(f9->Neighbor(0), nullptr);
    EXPECT_EQ(f9->Neighbor(1), nullptr);
    EXPECT_EQ(f9->Neighbor(2), f1);
    EXPECT_EQ(f1->Neighbor(0), nullptr);
    EXPECT_EQ(f1->Neighbor(1), nullptr);
    EXPECT_EQ(f1->Neighbor(2), f9);
    // the edge's run continues over the line feed
    ASSERT_EQ(face->NumEdges(), 1);
    const MgVertexList& run = face->EdgeList().front()->VertexList();
    EXPECT_EQ(std::vector<MgVertex*>(run.begin(), run.end()),
              (std::vector<MgVertex*>{vertex(0), vertex(1), vertex(2)}));
    ExpectValidTopology(face, false);
}

TEST(ScbRead, OddNumbersNeverReachOutsideTheTables) {
    // negative numbers make items nothing can name; undefined edge numbers are skipped
    MgObject object;
    std::istringstream in("faceBegin 0\n"
                          "vertex -1 0 0 5 5 5 0 0 1\n"
                          "vertex 0 0 0 0 0 0 0 0 1\n"
                          "vertex 1 0 0 1 0 0 0 0 1\n"
                          "vertex 0 0 0 0 2 0 0 0 1\n" // replaces 0 in the table
                          "facet -1 0 1 -1 -1 -1 -1\n"
                          "facet 0 -1 0 1 -1 -1 -2147483648\n"
                          "edge -1 0 7 -2147483648 1 2147483647\n"
                          "faceEnd\n");
    object.LoadFromSCB(in);
    const MgFace* face = object.FaceList().front();
    EXPECT_EQ(face->NumVertices(), 4);
    EXPECT_EQ(face->NumFacets(), 2);
    const MgVertex* five = face->VertexList().front();
    EXPECT_EQ(five->RefCount(), 0);
    const MgVertex* replacement = face->VertexList().back();
    const MgFacet* first = face->FacetList().front();
    EXPECT_EQ(first->Vertex(0), replacement);
    EXPECT_EQ(first->Vertex(2), nullptr);
    EXPECT_EQ(face->FacetList().back()->Vertex(0), nullptr);
    const MgVertexList& run = face->EdgeList().front()->VertexList();
    ASSERT_EQ(run.size(), 2u);
    EXPECT_EQ(run.front(), replacement);
    ExpectValidTopology(face, false);
}

TEST(ScbRead, SparseHugeNumbersStayCheap) {
    // numbers far apart go to the sparse table; each still finds its item
    std::string text = "faceBegin 0\n";
    for (int i = 0; i < 200; ++i)
        text += "vertex " + std::to_string(2147483647 - i * 10000000) + " 0 0 " +
                std::to_string(i) + " 0 0 0 0 1\n";
    for (int i = 0; i + 2 < 200; i += 3)
        text += "facet " + std::to_string(2000000000 - i) + " " +
                std::to_string(2147483647 - i * 10000000) + " " +
                std::to_string(2147483647 - (i + 1) * 10000000) + " " +
                std::to_string(2147483647 - (i + 2) * 10000000) + " -1 -1 -1\n";
    text += "faceEnd\n";
    MgObject object;
    std::istringstream in(text);
    object.LoadFromSCB(in);
    const MgFace* face = object.FaceList().front();
    EXPECT_EQ(face->NumFacets(), 66);
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            ASSERT_NE(f->Vertex(i), nullptr);
    ExpectValidTopology(face);
}

TEST(ScbRead, OtherKeywordsAndProgress) {
    MgObject object;
    CountingProgress progress;
    std::istringstream in("faceBegin 4\n"
                          "tolerance 0.5\n"
                          "trueDirection\n"
                          "silhouette 1 2 3\n"
                          "cut\n"
                          "colour 1 2 3 vertex 0 0 0 0 0 0 0 0 1\n" // skipped to its line end
                          "vertex 0 0 0 0 0 0 0 0 1 cut 4 5\n"
                          "corner 0 0 0\n"
                          "faceEnd\n");
    object.LoadFromSCB(in, &progress);
    const MgFace* face = object.FaceList().front();
    EXPECT_EQ(face->GeoTolerance(), 0.5f);
    EXPECT_TRUE(face->TrueDirection());
    EXPECT_EQ(face->NumVertices(), 1);
    EXPECT_TRUE(face->CornerList().empty()); // no edge to sit on: deleted
    EXPECT_EQ(progress.steps, 8);
    // silhouette and cut are never written back
    const std::string saved = Save(object);
    EXPECT_EQ(saved.find("silhouette"), std::string::npos);
    EXPECT_EQ(saved.find("cut"), std::string::npos);
}

TEST(ScbRead, SkipsAtMostAThousandCharactersOfAnUnknownLine) {
    MgObject object;
    CountingProgress progress;
    std::istringstream in("faceBegin 4\nnote " + std::string(999, 'x') + "trueDirection\nfaceEnd");
    object.LoadFromSCB(in, &progress);
    EXPECT_TRUE(object.FaceList().front()->TrueDirection());
    EXPECT_EQ(progress.steps, 2);
}

TEST(ScbRead, BrokenFilesThrowFileProblem) {
    MgObject object;
    EXPECT_THROW_TEXT(LoadText(object, "scb2\npart x\n"), "File problem");
    EXPECT_THROW_TEXT(LoadText(object, "scb1\nname x\n"), "File problem");
    EXPECT_THROW_TEXT(LoadText(object, ""), "File problem");
    EXPECT_THROW_TEXT(LoadText(object, "scb1 part x faceBegin 1 vertex 0 0 0 0 0 0 0 0 1"),
                      "File problem");
    // a number that does not parse fails the stream; the next keyword cannot be read
    EXPECT_THROW_TEXT(LoadText(object, "scb1 part x faceBegin 1 vertex 0 0 0 a 0 0 0 0 1 faceEnd"),
                      "File problem");
    EXPECT_THROW_TEXT(LoadText(object, "scb1 part x faceBegin 1 tolerance 1e99 faceEnd"),
                      "File problem");
    // what was built stays; nothing more
    for (const MgFace* face : object.FaceList())
        ExpectValidTopology(face, false);
    EXPECT_EQ(object.FaceList().size(), 3u);
}

TEST(ScbRead, EveryPrefixOfAGoodFileThrowsOrGivesAValidModel) {
    MgObject sample;
    BuildSample(sample);
    const std::string text = Save(sample) + "\t\tsilhouette 1 2\n";
    int completed = 0;
    for (std::size_t length = 0; length <= text.size(); ++length) {
        MgObject object;
        std::istringstream in(text.substr(0, length));
        try {
            object.LoadSCB(in);
            ++completed;
            ExpectValidTopology(object);
        } catch (const char* message) {
            ASSERT_STREQ(message, "File problem") << "prefix " << length;
        }
        ASSERT_FALSE(HasFailure()) << "prefix " << length;
    }
    EXPECT_GT(completed, 10);
}

namespace {

class TaggedFacet : public virtual MgFacet {
public:
    explicit TaggedFacet(MgFace* face) : MgFacet(face) {}
};
class TaggedFace : public virtual MgFace {
public:
    explicit TaggedFace(MgObject* parent) : MgFace(parent) {}
    MgFacet* NewFacet() override { return new TaggedFacet(this); }
};
class TaggedObject : public virtual MgObject {
public:
    MgFace* NewFace() override { return new TaggedFace(this); }
};

} // namespace

TEST(ScbRead, MakesItemsThroughTheFactories) {
    TaggedObject object;
    LoadText(object, kSampleText);
    ASSERT_EQ(object.FaceList().size(), 3u);
    for (const MgFace* face : object.FaceList()) {
        EXPECT_NE(dynamic_cast<const TaggedFace*>(face), nullptr);
        for (const MgFacet* f : face->FacetList())
            EXPECT_NE(dynamic_cast<const TaggedFacet*>(f), nullptr);
    }
}

TEST(ScbRead, MutatedFilesThrowOrKeepTheModelSound) {
    // bytes changed, dropped or doubled anywhere: never a crash, only "File problem", and what
    // was built is always a sound model (links need not be mutual in a damaged file)
    const std::string good = kSampleText;
    static const char kBytes[] = "0123456789-+. \n\txeE";
    std::mt19937 random(77);
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        const int changes = 1 + int(random() % 3);
        for (int i = 0; i < changes; ++i) {
            const std::size_t at = random() % text.size();
            switch (random() % 4) {
            case 0:
                text[at] = kBytes[random() % (sizeof kBytes - 1)];
                break;
            case 1:
                text[at] = static_cast<char>(random());
                break;
            case 2:
                text.erase(at, 1 + random() % 8);
                break;
            default:
                text.insert(at, text.substr(at, 1 + random() % 40));
                break;
            }
            if (text.empty())
                text = "scb1";
        }
        MgObject object;
        try {
            LoadText(object, text);
        } catch (const char* message) {
            ASSERT_STREQ(message, "File problem") << text;
        }
        ExpectValidTopology(object, false);
        ASSERT_FALSE(HasFailure()) << text;
    }
}
