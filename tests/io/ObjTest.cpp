// The OBJ writer and reader: round trips, what the reader makes of the file's indices, and
// how it fails.
#include "IoSupport.h"
#include "support/ModelText.h"

namespace {

// Loads `text`; returns the thrown text ("" for none) and the model.
std::string Load(const std::string& text, MgObject& object) {
    std::istringstream in(text);
    try {
        object.LoadOBJ(in);
    } catch (const char* message) {
        return message;
    }
    return "";
}

} // namespace

TEST(Obj, ModelsReadBackFaceByFace) {
    for (int kind = 0; kind < int(shapes::Kind::Count); ++kind) {
        MgObject object;
        shapes::Params params;
        params.kind = shapes::Kind(kind);
        params.nx = 3, params.ny = 2;
        params.offset = CGeoVector(0.1f, -1e-7f, 3e20f);
        shapes::Build(object, params);
        params.bump = 0.3f;
        shapes::Build(object, params)->VertexList().back()->SetNormal(CGeoVector(0.2f, 1, -0.0f));
        std::stringstream file;
        object.SaveOBJ(file);
        MgObject back;
        EXPECT_EQ(Load(file.str(), back), "");
        EXPECT_EQ(support::ModelText(back), support::ModelText(object)) << file.str();
    }
}

TEST(Obj, ReadsIndicesAsTheFileSharesThem) {
    const std::string text = "# a quad, then a group\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                             "vt 0.5\nvn 0 0 1\nf 1 2 3 4 # a comment\nf -4/1/1 -2//-1 -1\n"
                             "g second\nusemtl skipped\nv 2 2 2\nf 1 5 2\n";
    MgObject object;
    ASSERT_EQ(Load(text, object), "");
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
    EXPECT_EQ(Load("g only\n", empty), "");
    EXPECT_EQ(empty.FaceList().size(), 1u); // one face where there is none
}

TEST(Obj, ThrowsItsTextsAndKeepsTheFacetsBefore) {
    const std::string good = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::tuple<std::string, const char*, int> cases[] = {
        {good + "f 1 2 4\n", "Bad OBJ index", 1},
        {good + "f 0 1 2\n", "Bad OBJ index", 1},
        {good + "f -4 1 2\n", "Bad OBJ index", 1},
        {good + "f 1/1 2 3\n", "Bad OBJ index", 1}, // no vt line
        {good + "f 1 2 4000000000\n", "Bad OBJ index", 1},
        {good + "f 1 2 99999999999999999999\n", "Bad OBJ line", 1},
        {good + "f 1 2 x\n", "Bad OBJ line", 1},
        {good + "v 1 2\n", "Bad OBJ line", 1},
        {good + "vn 1 nan(x\n", "Bad OBJ line", 1},
        {"f 1 2 3\n" + good, "Bad OBJ index", 0},
        {good + "g\n" + good + "f 1 2\n", nullptr, 2}, // too few corners: no facet
    };
    for (const auto& [text, message, facets] : cases) {
        MgObject object;
        EXPECT_EQ(Load(text, object), message ? message : "") << text;
        EXPECT_EQ(object.NumFacets(), facets) << text;
        ExpectValidTopology(object, false);
    }
}
