// The SCB writer: the exact lines written, its numbers against plain insertion whatever the
// stream's state, lines longer than its buffer, and its text read back.
#include "IoSupport.h"

namespace {

// An id wider than an int where addresses are, as a host's face handle is.
constexpr std::intptr_t kWideId = sizeof(std::intptr_t) > 4
                                      ? -(std::intptr_t(1) << (4 * sizeof(std::intptr_t) + 8))
                                      : INTPTR_MIN;

// A square with its edge and two corners, and an empty face.
void BuildSample(MgObject& object) {
    MgFace* square = shapes::TwoFacetSquare(object);
    square->SetGeoFaceId(kWideId);
    square->SetGeoTolerance(0.25f);
    square->SetTrueDirection(true);
    square->VertexList().back()->SetNormal(CGeoVector(0.1f, -2.5e-7f, 1234560.0f));
    square->RebuildEdges();
    square->NewCorner()->SetPosition(CGeoVector(0, 0, 0));
    square->RebuildCorners(); // adds the second corner opposite the first
    object.NewFace()->SetGeoFaceId(7);
}

const std::string kSampleText =
    "scb1\npart sample\n\tfaceBegin " + std::to_string(kWideId) +
    "\n\t\ttolerance 0.25\n\t\ttrueDirection\n"
    "\t\tvertex 0 0 0 0 0 0 0 0 1\n\t\tvertex 1 1 0 1 0 0 0 0 1\n\t\tvertex 2 1 1 1 1 0 0 0 1\n"
    "\t\tvertex 3 0 1 0 1 0 0.1 -2.5e-07 1.23456e+06\n"
    "\t\tfacet 0\t0 1 2 \t-1 -1 1 \n\t\tfacet 1\t0 2 3 \t0 -1 -1 \n\t\tedge 0 1 2 3\n"
    "\t\tcorner 0 0 0\n\t\tcorner 1 1 0\n\tfaceEnd\n\tfaceBegin 7\n\t\ttolerance 0.05\n\tfaceEnd\n";

std::string Save(const MgObject& object, const std::string& name = "sample") {
    std::ostringstream out;
    object.SaveSCB(out, name);
    return out.str();
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
    MgObject loaded; // and the text reads back to the same text
    std::istringstream in = io::CommaStream(kSampleText);
    EXPECT_EQ(loaded.LoadSCB(in, &progress), "sample");
    EXPECT_EQ(Save(loaded), kSampleText);
    EXPECT_EQ(progress.steps, 7 + 12); // every line inside the blocks
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
        // beyond 32 bits where a pointer has 64; wrapped to its width where it has 32
        const auto id =
            static_cast<std::intptr_t>(std::int64_t(random()) - (std::int64_t(1) << 40));
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

TEST(ScbWrite, WritesLinesLongerThanItsBufferAsTheInsertionsDo) {
    std::mt19937 random(9);
    for (int precision : {6, 17, 40}) {
        MgObject object;
        // a long open strip: its boundary is one edge line of thousands of numbers
        MgFace* face = shapes::Grid(object, 700 + precision, 1);
        face->RebuildEdges();
        for (MgVertex* v : face->VertexList()) {
            float values[6];
            std::generate(values, values + 6, [&] { return io::AnyFloat(random); });
            v->SetVertexValue(CGeoVector(values));
            v->SetNormal(CGeoVector(values + 3));
            v->SetGeoUV(values + 1);
        }
        std::ostringstream out, expected;
        out.precision(precision);
        expected.precision(precision);
        object.SaveToSCB(out);
        support::InsertScbFaces(expected, object);
        ASSERT_GT(face->EdgeList().front()->VertexList().size(), 1400u);
        EXPECT_EQ(out.str(), expected.str()) << "precision " << precision;
    }
}
