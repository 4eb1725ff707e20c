// The SCB reader: every keyword and number, broken files, the fast paths against the
// token-by-token read.
#include "IoSupport.h"

namespace {

std::string Save(const MgObject& object) {
    std::ostringstream out;
    object.SaveSCB(out, "sample");
    return out.str();
}

std::string Load(MgObject& object, const std::string& text) {
    std::istringstream in = io::CommaStream(text);
    return object.LoadSCB(in);
}

} // namespace

TEST(ScbRead, ReadsEveryKeywordAndAnyNumber) {
    MgObject object;
    support::CountingProgress progress;
    std::istringstream in(
        "faceBegin 4 tolerance 0.5\nnote " + std::string(999, 'x') +
        "trueDirection\n"                     // 1000 characters skipped
        "vertex 2147483647 0 0 0 0 0 0 0 1\n" // written as 0; no table may grow to hold it
        "vertex -1 0 0 5 5 5 0 0 1\n"         // written as 1; nothing can name it
        "vertex 0 0 0 1 0 0 0 0 1 silhouette 1 2\n3 cut\n"
        "colour 1 2 3 vertex 0 0 0 0 0 0 0 0 1\n"
        "vertex 0 0 0 1 1 0 0 0 1\n"                // written as 3; replaces 2 as number 0
        "facet 2147483646 2147483647 0 77 -1 4 1\n" // vertex 77, facet 4 undefined; 1 follows
        "facet 1 0 2147483647 -1 3 -7 2147483646\n"
        "facet -1 0 0 0 -1 -1 -1\n"
        "edge 2147483647 7 -2147483648\n2000000000 -1 0 corner 9 9 9 faceEnd objectEnd");
    EXPECT_EQ(object.LoadFromSCB(in, &progress), "objectEnd");
    EXPECT_EQ(progress.steps, 15);
    ExpectValidTopology(object, false);
    EXPECT_EQ(Save(object).substr(17), // the corner fits no edge vertex: deleted
              "\tfaceBegin 4\n\t\ttolerance 0.5\n\t\ttrueDirection\n"
              "\t\tvertex 0 0 0 0 0 0 0 0 1\n\t\tvertex 1 0 0 5 5 5 0 0 1\n"
              "\t\tvertex 2 0 0 1 0 0 0 0 1\n\t\tvertex 3 0 0 1 1 0 0 0 1\n"
              "\t\tfacet 0\t0 3 -1 \t-1 -1 1 \n\t\tfacet 1\t3 0 -1 \t-1 -1 0 \n"
              "\t\tfacet 2\t3 3 3 \t-1 -1 -1 \n\t\tedge 0 3\n\tfaceEnd\n");
}

TEST(ScbRead, BrokenTextThrowsFileProblem) {
    for (const char* broken : {"", "scb2 part x", "scb1 name x", "scb1 part x faceBegin 1 vertex",
                               "scb1 part x faceBegin 1 vertex 0 0 0 a 0 0 0 0 1 faceEnd",
                               "scb1 part x faceBegin 1 tolerance 1e99 faceEnd"}) {
        MgObject object;
        EXPECT_THROW_TEXT(Load(object, broken), "File problem");
    }
}

// A line that breaks off keeps its item, with zeros where no number could be read: here the
// vertex's UV does not parse and leaves the stream failed for the rest of its line, and the
// corner's numbers are asked of a stream already at its end.
TEST(ScbRead, AnItemWhoseLineBreaksOffHasZerosWhereNothingWasRead) {
    MgObject broken, ended;
    EXPECT_THROW_TEXT(Load(broken, "scb1 part x faceBegin 1 vertex 0 a 2 3 4 5 6 7 8 faceEnd"),
                      "File problem");
    ASSERT_EQ(broken.NumVertices(), 1);
    const MgVertex* v = broken.FaceList().front()->VertexList().front();
    EXPECT_TRUE(support::SameBits(v->Vertex(), CGeoVector(0, 0, 0)));
    EXPECT_TRUE(support::SameBits(v->Normal(), CGeoVector(0, 0, 0)));
    EXPECT_TRUE(v->GeoUV()[0] == 0 && v->GeoUV()[1] == 0);
    EXPECT_THROW_TEXT(Load(ended, "scb1 part x faceBegin 1 corner"), "File problem");
    ASSERT_EQ(ended.FaceList().front()->CornerList().size(), 1u);
    EXPECT_TRUE(support::SameBits(ended.FaceList().front()->CornerList().front()->Position(),
                                  CGeoVector(0, 0, 0)));
    ExpectValidTopology(broken, false);
    ExpectValidTopology(ended, false);
}

TEST(ScbRead, FastPathsLoadWhatTheTokenByTokenReadLoads) {
    std::mt19937 random(4);
    for (int round = 0; round < 300; ++round) {
        MgObject object;
        MgFace* face = round % 3 == 0   ? shapes::OpenFan(object, 3 + round % 5)
                       : round % 3 == 1 ? shapes::Tetrahedron(object)
                                        : shapes::Grid(object, 2, 1 + round % 3);
        face->RebuildEdges();
        face->NewCorner()->SetPosition(face->VertexList().front()->Vertex());
        for (MgVertex* v : face->VertexList())
            v->SetNormal(CGeoVector(float(random() % 100) / 7, -1e-7f, 3e20f));
        std::ostringstream out;
        object.SaveSCB(out, "part");
        io::ExpectSameLoads(
            io::Disturb(out.str(), random),
            [](MgObject& o, std::istream& in, MyProgressNotify* p) { return o.LoadSCB(in, p); },
            unsigned(round + 1));
    }
}
