// SCB: the exact lines written, the writer's numbers against plain insertion, reading every
// keyword and number, reading its own text back, and broken files.
#include "IoSupport.h"
#include "support/StreamReference.h"

namespace {

// A square with its edge and two corners, and an empty face.
void BuildSample(MgObject& object) {
    MgFace* square = shapes::TwoFacetSquare(object);
    square->SetGeoFaceId(-(std::intptr_t(1) << 40));
    square->SetGeoTolerance(0.25f);
    square->SetTrueDirection(true);
    square->VertexList().back()->SetNormal(CGeoVector(0.1f, -2.5e-7f, 1234560.0f));
    square->RebuildEdges();
    square->NewCorner()->SetPosition(CGeoVector(0, 0, 0));
    square->RebuildCorners(); // adds the second corner opposite the first
    object.NewFace()->SetGeoFaceId(7);
}

const std::string kSampleText =
    "scb1\npart sample\n\tfaceBegin -1099511627776\n\t\ttolerance 0.25\n\t\ttrueDirection\n"
    "\t\tvertex 0 0 0 0 0 0 0 0 1\n\t\tvertex 1 1 0 1 0 0 0 0 1\n\t\tvertex 2 1 1 1 1 0 0 0 1\n"
    "\t\tvertex 3 0 1 0 1 0 0.1 -2.5e-07 1.23456e+06\n"
    "\t\tfacet 0\t0 1 2 \t-1 -1 1 \n\t\tfacet 1\t0 2 3 \t0 -1 -1 \n\t\tedge 0 1 2 3\n"
    "\t\tcorner 0 0 0\n\t\tcorner 1 1 0\n\tfaceEnd\n\tfaceBegin 7\n\t\ttolerance 0.05\n\tfaceEnd\n";

std::string Save(const MgObject& object, const std::string& name = "sample") {
    std::ostringstream out;
    object.SaveSCB(out, name);
    return out.str();
}

std::string Load(MgObject& object, const std::string& text, MyProgressNotify* progress = nullptr) {
    std::istringstream in = io::CommaStream(text);
    return object.LoadSCB(in, progress);
}

} // namespace

TEST(ScbWrite, WritesTheExactLinesAndLeavesItemNumbersInTheAuxData) {
    MgObject object, empty;
    BuildSample(object);
    object.FaceList().front()->VertexList().back()->SetAuxData(&object);
    io::SyncCounter buffer;
    std::ostream out(&buffer);
    support::CountingProgress progress;
    object.SaveSCB(out, "sample", &progress);
    EXPECT_EQ(buffer.str(), kSampleText);
    EXPECT_EQ(buffer.syncs, 18);  // every line is flushed
    EXPECT_EQ(progress.steps, 7); // vertex, facet and edge lines
    for (const MgFace* face : object.FaceList())
        for (const MgVertex* v : face->VertexList())
            EXPECT_EQ(v->AuxData(), (void*)std::intptr_t(io::IndexIn(face->VertexList(), v)));
    EXPECT_EQ(Save(empty, "two words"), "scb1\npart two words\n");
}

TEST(ScbWrite, WritesNumbersAsPlainInsertionWhateverTheStreamsLocale) {
    // a stream in its default state takes the fast formatting, any other the insertions
    using S = std::ios_base;
    const std::streamsize precisions[] = {6, 0, 1, 3, 9, 12, 17, 40, -1};
    const S::fmtflags flags[] = {S::fmtflags{}, S::showpos,   S::fixed | S::scientific,
                                 S::fixed,      S::showpoint, S::scientific | S::uppercase,
                                 S::hex};
    const float kSpecial[] = {0,    1e-45f,    1.17549435e-38f, 3.40282347e38f, 0.1f, 1e-5f,
                              1e6f, 123456.5f, 9.9999999e-5f,   INFINITY,       NAN};
    std::mt19937 random(4242);
    for (int round = 0; round < 3000; ++round) {
        // any float, mostly of ordinary magnitude, often an awkward one
        float f[12];
        for (float& x : f) {
            std::uint32_t bits = std::uint32_t(random());
            bits = random() % 2 ? bits : (bits & 0x807fffffu) | ((100u + bits % 56u) << 23);
            std::memcpy(&x, &bits, sizeof x);
            x = random() % 4 ? x : kSpecial[random() % 11] * (random() % 2 ? 1 : -1);
        }
        const long id = long(random()) - (1L << 40);
        MgObject object;
        MgFace* face = object.NewFace();
        face->SetGeoFaceId(id);
        face->SetGeoTolerance(f[0]);
        face->AddVertex(CGeoVector(f + 3), CGeoVector(f + 6), f + 1);
        face->NewCorner()->SetPosition(CGeoVector(f + 9));
        std::ostringstream expected, actual;
        const std::locale locale = round % 2 ? io::CommaLocale() : std::locale::classic();
        actual.imbue(locale);
        for (std::ostringstream* out : {&expected, &actual}) {
            out->precision(precisions[round % 9]);
            out->setf(flags[(round / 9) % 7]);
        }
        support::InsertScbFaces(expected, object);
        object.SaveToSCB(actual);
        ASSERT_EQ(actual.str(), expected.str()) << "round " << round;
        EXPECT_TRUE(actual.getloc() == locale);
    }
}

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

TEST(ScbRead, ReadsItsOwnTextBackAndBrokenTextThrowsFileProblem) {
    MgObject sample, loaded;
    BuildSample(sample);
    const std::string text = Save(sample);
    support::CountingProgress progress;
    EXPECT_EQ(Load(loaded, text, &progress), "sample");
    EXPECT_EQ(Save(loaded), text);
    EXPECT_EQ(progress.steps, 12); // every line inside the blocks
    for (const char* broken : {"", "scb2 part x", "scb1 name x", "scb1 part x faceBegin 1 vertex",
                               "scb1 part x faceBegin 1 vertex 0 0 0 a 0 0 0 0 1 faceEnd",
                               "scb1 part x faceBegin 1 tolerance 1e99 faceEnd"}) {
        MgObject object;
        EXPECT_THROW_TEXT(Load(object, broken), "File problem");
    }
    io::ExpectRobust(
        text + "\t\tsilhouette 1 2\n", "File problem",
        [](MgObject& object, const std::string& input) { Load(object, input); }, false);
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
