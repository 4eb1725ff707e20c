// The PLY writer and reader: round trips in both encodings, the byte orders and element
// layouts the reader takes, and how it fails.
#include "IoSupport.h"
#include "support/ModelText.h"

namespace {

std::string Load(const std::string& bytes, MgObject& object, MyProgressNotify* progress = nullptr) {
    std::istringstream in(bytes);
    try {
        object.LoadPLY(in, progress);
    } catch (const char* message) {
        return message;
    }
    return "";
}

std::string Header(const std::string& format, const std::string& vertex,
                   const std::string& rest = "") {
    return "ply\nformat " + format + " 1.0\ncomment c\nelement vertex 3\n" + vertex +
           "element face 1\nproperty list uchar int vertex_indices\n" + rest + "end_header\n";
}

} // namespace

TEST(Ply, ModelsReadBackAsOneFace) {
    for (int kind = 0; kind < int(shapes::Kind::Count); ++kind)
        for (bool binary : {false, true}) {
            MgObject object, twoFaces;
            shapes::Params params;
            params.kind = shapes::Kind(kind);
            params.nx = 3, params.ny = 2;
            params.offset = CGeoVector(0.1f, -1e-7f, 3e20f);
            shapes::Build(object, params)->VertexList().back()->SetNormal(CGeoVector(1, 2, 3));
            std::stringstream file;
            object.SavePLY(file, binary);
            MgObject back;
            support::CountingProgress progress;
            EXPECT_EQ(Load(file.str(), back, &progress), "");
            EXPECT_EQ(support::ModelText(back), support::ModelText(object));
            EXPECT_EQ(progress.steps, object.NumVertices() + object.NumFacets());
            // two faces go into one, the second's vertices after the first's
            twoFaces.CopyObject(&object);
            twoFaces.CopyObject(&object);
            std::stringstream both;
            twoFaces.SavePLY(both, binary);
            MgObject merged;
            EXPECT_EQ(Load(both.str(), merged), "");
            EXPECT_EQ(merged.NumVertices(), twoFaces.NumVertices());
            EXPECT_EQ(merged.NumFacets(), twoFaces.NumFacets());
        }
}

TEST(Ply, ReadsBothByteOrdersAndSkipsWhatItDoesNotHold) {
    // three vertices (double x, a colour, float y z, s t), a quad indexed 0 1 2 0, and an
    // element of its own: as ASCII, and in both byte orders
    const std::string vertex = "property double x\nproperty uchar red\nproperty float y\n"
                               "property float z\nproperty float s\nproperty float t\n";
    const std::string rest = "element extra 1\nproperty list ushort short values\n";
    const std::string ascii = Header("ascii", vertex, rest) +
                              "0.5 7 1e-30 2 0.25 1\n1 0 0 -0 0 0\n-3 255 4 5 6 7\n"
                              "4 0 1 2 0\n2 -1 -2\n";
    auto bytes = [](bool big, std::initializer_list<std::pair<int, double>> values) {
        std::string s;
        for (const auto& [size, value] : values) {
            char b[8]; // -4 a float, 8 a double, else an integer of that size
            const float f = float(value);
            const auto i = static_cast<std::int64_t>(value);
            std::memcpy(b,
                        size == 8 ? static_cast<const void*>(&value)
                                  : (size == -4 ? static_cast<const void*>(&f) : &i),
                        8 - 4 * (size == -4));
            const int n = size < 0 ? -size : size;
            std::string piece(b, std::size_t(n));
            if (big)
                std::reverse(piece.begin(), piece.end());
            s += piece;
        }
        return s;
    };
    MgObject reference;
    ASSERT_EQ(Load(ascii, reference), "");
    for (bool big : {false, true}) {
        const std::string body =
            bytes(big, {{8, 0.5}, {1, 7},  {-4, 1e-30}, {-4, 2}, {-4, 0.25}, {-4, 1}, {8, 1},
                        {1, 0},   {-4, 0}, {-4, -0.0},  {-4, 0}, {-4, 0},    {8, -3}, {1, 255},
                        {-4, 4},  {-4, 5}, {-4, 6},     {-4, 7}, {1, 4},     {4, 0},  {4, 1},
                        {4, 2},   {4, 0},  {2, 2},      {2, -1}, {2, -2}});
        MgObject object;
        EXPECT_EQ(
            Load(Header(big ? "binary_big_endian" : "binary_little_endian", vertex, rest) + body,
                 object),
            "");
        EXPECT_EQ(support::ModelText(object), support::ModelText(reference));
    }
    const MgFace* face = reference.FaceList().front();
    ASSERT_EQ(face->NumFacets(), 2); // the quad as a fan
    EXPECT_EQ(face->FacetList().back()->Vertex(2), face->VertexList().front());
    EXPECT_EQ(face->VertexList().back()->GeoUV()[1], 7.0f);
}

TEST(Ply, ThrowsItsTextsAndKeepsWhatWasRead) {
    const std::string xyz = "property float x\nproperty float y\nproperty float z\n";
    const std::string good = Header("ascii", xyz) + "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
    const std::tuple<std::string, const char*, int, int> cases[] = {
        // text, message, vertices and facets built
        {"", "Bad PLY header", 0, 0},
        {"plyx\n", "Bad PLY header", 0, 0},
        {Header("ascii", xyz).substr(0, 40), "Bad PLY header", 0, 0},
        {Header("binary_middle_endian", xyz), "Bad PLY header", 0, 0},
        {Header("ascii", "property float x\nproperty float y\n"), "Bad PLY header", 0, 0},
        {Header("ascii", xyz + "property quad q\n"), "Bad PLY header", 0, 0},
        {"ply\nformat ascii 1.0\nelement vertex 1000000000000\n" + xyz + "end_header\n",
         "Bad PLY header", 0, 0},
        {"ply\nformat ascii 1.0\nelement face 1\nproperty list uchar float vertex_indices\n"
         "end_header\n",
         "Bad PLY header", 0, 0},
        {good.substr(0, good.size() - 3), "Bad PLY data", 3, 0},
        {Header("binary_little_endian", xyz) + std::string(30, 0), "Bad PLY data", 2, 0},
        {Header("ascii", xyz) + "0 0 0\n1 0 0\n0 1 0\n4 0 1 2 3\n", "Bad PLY index", 3, 1},
        {Header("ascii", xyz) + "0 0 0\n1 0 0\n0 1 0\n4294967295 0 1 2\n", "Bad PLY data", 3, 0},
        {Header("ascii", xyz) + "0 0 0\n1 0 0\n0 1 0\n2 0 -1\n", "Bad PLY index", 3, 0},
        {Header("ascii", xyz) + "0 0 0\n1 x 0\n", "Bad PLY data", 1, 0},
    };
    for (const auto& [text, message, vertices, facets] : cases) {
        MgObject object;
        EXPECT_EQ(Load(text, object), message) << text;
        ASSERT_EQ(object.FaceList().size(), 1u);
        EXPECT_EQ(object.NumVertices(), vertices) << text;
        EXPECT_EQ(object.NumFacets(), facets) << text;
        ExpectValidTopology(object, false);
    }
}
