// The OBJ and PLY writers and readers: round trips, what the readers make of the files' indices,
// byte orders and element layouts, and how they fail.
#include <fstream>

#include "IoSupport.h"

namespace {

using Load = void (MgObject::*)(std::istream&, MyProgressNotify*);

// Loads `bytes`; returns the thrown text ("" for none).
std::string Thrown(Load load, const std::string& bytes, MgObject& object,
                   MyProgressNotify* progress = nullptr) {
    std::istringstream in(bytes);
    return io::Thrown([&] { (object.*load)(in, progress); });
}

std::string Header(const std::string& format, const std::string& vertex,
                   const std::string& rest = "") {
    return "ply\nformat " + format + " 1.0\ncomment c\nelement vertex 3\n" + vertex +
           "element face 1\nproperty list uchar int vertex_indices\n" + rest + "end_header\n";
}

} // namespace

// Every shape as one face, then with a second, written and read back: OBJ keeps the faces, PLY
// reads them into one, the second's vertices after the first's.
TEST(ObjPly, ModelsReadBack) {
    for (int format = 0; format < 3; ++format)
        for (int kind = 0; kind < int(shapes::Kind::Count); ++kind) {
            const bool obj = format == 0;
            const auto save = [&](const MgObject& object) {
                std::stringstream file;
                obj ? object.SaveOBJ(file) : object.SavePLY(file, format == 2);
                return file.str();
            };
            const Load load = obj ? &MgObject::LoadOBJ : &MgObject::LoadPLY;
            MgObject object;
            shapes::Params params;
            params.kind = shapes::Kind(kind);
            params.nx = 3, params.ny = 2;
            params.offset = CGeoVector(0.1f, -1e-7f, 3e20f);
            shapes::Build(object, params)->VertexList().back()->SetNormal(CGeoVector(1, 2, 3));
            MgObject back, merged;
            support::CountingProgress progress;
            EXPECT_EQ(Thrown(load, save(object), back, &progress), "");
            EXPECT_EQ(support::ModelText(back), support::ModelText(object)) << save(object);
            EXPECT_TRUE(obj || progress.steps == object.NumVertices() + object.NumFacets());
            // the lenient import of a file the exact reader reads: the same model and steps
            MgObject lenient;
            support::CountingProgress steps;
            std::istringstream in(save(object));
            EXPECT_EQ(
                io::Messages((obj ? mgmesh::ImportOBJ : mgmesh::ImportPLY)(lenient, in, &steps)),
                "");
            EXPECT_EQ(support::ModelText(lenient), support::ModelText(back));
            EXPECT_EQ(steps.steps, progress.steps);
            params.bump = 0.3f;
            MgFace* second = shapes::Build(object, params);
            second->VertexList().back()->SetNormal(CGeoVector(0.2f, 1, -0.f));
            EXPECT_EQ(Thrown(load, save(object), merged), "");
            EXPECT_EQ(merged.FaceList().size(), obj ? 2u : 1u);
            EXPECT_EQ(merged.NumVertices(), object.NumVertices());
            EXPECT_EQ(merged.NumFacets(), object.NumFacets());
            EXPECT_TRUE(!obj || support::ModelText(merged) == support::ModelText(object));
        }
}

TEST(ObjPly, ObjReadsIndicesAsTheFileSharesThem) {
    const std::string text = "# a quad, then a group\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                             "vt 0.5\nvn 0 0 1\nf 1 2 3 4 # a comment\nf -4/1/1 -2//-1 -1\n"
                             "g second\nusemtl skipped\nv 2 2 2\nf 1 5 2\n";
    MgObject object;
    ASSERT_EQ(Thrown(&MgObject::LoadOBJ, text, object), "");
    ASSERT_EQ(object.FaceList().size(), 2u);
    const MgFace* first = object.FaceList().front();
    ExpectValidTopology(object, false);
    // a vertex per v/vt/vn triple, ordered by the triples: 1, 1/1/1, 2, 3, 3//1, 4
    ASSERT_EQ(first->NumVertices(), 6);
    ASSERT_EQ(first->NumFacets(), 3);
    std::vector<const MgVertex*> v(first->VertexList().begin(), first->VertexList().end());
    EXPECT_EQ(v[1]->GeoUV()[0], 0.5f);
    EXPECT_EQ(v[4]->Normal(), CGeoVector(0, 0, 1));
    const int slots[3][3] = {{0, 2, 3}, {0, 3, 5}, {1, 4, 5}}; // the quad as a fan
    int k = 0;
    for (const MgFacet* f : first->FacetList()) {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(f->Vertex(i), v[std::size_t(slots[k][i])]) << k << i;
        ++k;
    }
    EXPECT_EQ(object.FaceList().back()->NumVertices(), 3);
    MgObject empty;
    EXPECT_EQ(Thrown(&MgObject::LoadOBJ, "g only\n", empty), "");
    EXPECT_EQ(empty.FaceList().size(), 1u); // one face where there is none
}

TEST(ObjPly, PlyReadsBothByteOrdersAndSkipsWhatItDoesNotHold) {
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
            std::string piece(b, std::size_t(size < 0 ? -size : size));
            if (big)
                std::reverse(piece.begin(), piece.end());
            s += piece;
        }
        return s;
    };
    MgObject reference;
    ASSERT_EQ(Thrown(&MgObject::LoadPLY, ascii, reference), "");
    for (bool big : {false, true}) {
        const std::string body =
            bytes(big, {{8, 0.5}, {1, 7},  {-4, 1e-30}, {-4, 2}, {-4, 0.25}, {-4, 1}, {8, 1},
                        {1, 0},   {-4, 0}, {-4, -0.0},  {-4, 0}, {-4, 0},    {8, -3}, {1, 255},
                        {-4, 4},  {-4, 5}, {-4, 6},     {-4, 7}, {1, 4},     {4, 0},  {4, 1},
                        {4, 2},   {4, 0},  {2, 2},      {2, -1}, {2, -2}});
        MgObject object;
        const std::string format = big ? "binary_big_endian" : "binary_little_endian";
        EXPECT_EQ(Thrown(&MgObject::LoadPLY, Header(format, vertex, rest) + body, object), "");
        EXPECT_EQ(support::ModelText(object), support::ModelText(reference));
    }
    const MgFace* face = reference.FaceList().front();
    ASSERT_EQ(face->NumFacets(), 2); // the quad as a fan
    EXPECT_EQ(face->FacetList().back()->Vertex(2), face->VertexList().front());
    EXPECT_EQ(face->VertexList().back()->GeoUV()[1], 7.0f);
}

// A bad file throws the reader's text and keeps the vertices and facets read before it.
TEST(ObjPly, ThrowTheirTextsAndKeepWhatWasRead) {
    const std::string obj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::string xyz = "property float x\nproperty float y\nproperty float z\n";
    const std::string ply = Header("ascii", xyz), vs = ply + "0 0 0\n1 0 0\n0 1 0\n";
    const std::string index = "Bad OBJ index", line = "Bad OBJ line", header = "Bad PLY header";
    const std::tuple<std::string, std::string, int, int> cases[] = {
        // text, message, vertices (-1: not counted) and facets built
        {obj + "f 1 2 4\n", index, -1, 1},
        {obj + "f 0 1 2\n", index, -1, 1},
        {obj + "f -4 1 2\n", index, -1, 1},
        {obj + "f 1/1 2 3\n", index, -1, 1}, // no vt line
        {obj + "f 1 2 4000000000\n", index, -1, 1},
        {obj + "f 1 2 99999999999999999999\n", line, -1, 1},
        {obj + "f 1 2 x\n", line, -1, 1},
        {obj + "v 1 2\n", line, -1, 1},
        {obj + "vn 1 nan(x\n", line, -1, 1},
        {"f 1 2 3\n" + obj, index, -1, 0},
        {obj + "g\n" + obj + "f 1 2\n", "", -1, 2}, // too few corners: no facet
        {"", header, 0, 0},
        {"plyx\n", header, 0, 0},
        {ply.substr(0, 40), header, 0, 0},
        {Header("binary_middle_endian", xyz), header, 0, 0},
        {Header("ascii", "property float x\nproperty float y\n"), header, 0, 0},
        {Header("ascii", xyz + "property quad q\n"), header, 0, 0},
        {"ply\nformat ascii 1.0\nelement vertex 1000000000000\n" + xyz + "end_header\n", header, 0,
         0},
        {"ply\nformat ascii 1.0\nelement face 1\nproperty list uchar float vertex_indices\n"
         "end_header\n",
         header, 0, 0},
        {vs + "3 0 1", "Bad PLY data", 3, 0},
        {Header("binary_little_endian", xyz) + std::string(30, 0), "Bad PLY data", 2, 0},
        {vs + "4 0 1 2 3\n", "Bad PLY index", 3, 1},
        {vs + "4294967295 0 1 2\n", "Bad PLY data", 3, 0},
        {vs + "2 0 -1\n", "Bad PLY index", 3, 0},
        {ply + "0 0 0\n1 x 0\n", "Bad PLY data", 1, 0},
    };
    for (const auto& [text, message, vertices, facets] : cases) {
        MgObject object;
        const bool isObj = message.find("PLY") == std::string::npos && text.find("ply") != 0;
        EXPECT_EQ(Thrown(isObj ? &MgObject::LoadOBJ : &MgObject::LoadPLY, text, object), message)
            << text;
        EXPECT_TRUE(vertices < 0 || object.NumVertices() == vertices) << text;
        EXPECT_EQ(object.NumFacets(), facets) << text;
        ExpectValidTopology(object, false);
        EXPECT_TRUE(isObj || object.FaceList().size() == 1u) << text;
    }
}

// Files another program wrote (see fixtures/make_fixtures.py): every format gives the
// octahedron it was given, corner by corner.
TEST(ObjPly, ReadsWhatMeshioWrites) {
    const float points[6][3] = {{1.5f, 0, 0},   {-1.25f, 0, 0},  {0, 2.125f, 0},
                                {0, -0.75f, 0}, {0, 0, 3.0625f}, {0, 0, -0.3125f}};
    const int triangles[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                                 {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    const std::string dir = MGMESH_SOURCE_DIR "/tests/io/fixtures/";
    for (const char* name : {"meshio.obj", "meshio-ascii.ply", "meshio-binary.ply",
                             "meshio-ascii.stl", "meshio-binary.stl"}) {
        SCOPED_TRACE(name);
        std::ifstream in(dir + name, std::ios::binary);
        MgObject object;
        const std::string file = name;
        if (file.find(".obj") != std::string::npos)
            object.LoadOBJ(in);
        else if (file.find(".ply") != std::string::npos)
            object.LoadPLY(in);
        else
            object.LoadAnySTL(in);
        ASSERT_EQ(object.FaceList().size(), 1u);
        const MgFace* face = object.FaceList().front();
        EXPECT_EQ(face->NumVertices(), 6);
        ASSERT_EQ(face->NumFacets(), 8);
        int f = 0;
        for (const MgFacet* facet : face->FacetList()) {
            for (int i = 0; i < 3; ++i) {
                const float* p = points[triangles[f][i]];
                EXPECT_TRUE(
                    support::SameBits(facet->Vertex(i)->Vertex(), CGeoVector(p[0], p[1], p[2])))
                    << "facet " << f << " corner " << i;
            }
            ++f;
        }
        ExpectValidTopology(face);
    }
}
