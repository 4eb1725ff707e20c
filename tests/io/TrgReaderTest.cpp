// TRG: blocks and face groups, merged corners, derived edges, dropped faces and progress.
#include "IoSupport.h"

namespace {

// Vertex records (u v x y z nx ny nz) of the unit square's corners.
const std::string a = "0.25 0.5 0 0 0 0 0 1\n", b = "0 0 1 0 0 0 0 1\n", c = "0 0 1 1 0 0 0 1\n",
                  d = "0 0 0 1 0 0 0 1\n";
// Two facets sharing the side a-c in opposite directions; two facets touching at a only.
const std::string kSquare = a + b + c + a + c + d;
const std::string kBowtie = a + b + c + a + "0 0 -1 0 0 0 0 1 0 0 -1 -1 0 0 0 1\n";

std::string Group(int id, const std::string& records) {
    return "FACE " + std::to_string(id) + "\n" + records + "ENDFACE t1 t2\n";
}
std::string Block(const std::string& groups) {
    return "HEADER h2\n" + groups + "END e1 e2\n";
}

std::string Load(MgObject& object, const std::string& text, MyProgressNotify* progress = nullptr) {
    std::istringstream in = io::CommaStream(text);
    return object.LoadTRG(in, progress);
}

} // namespace

TEST(TrgReader, ReadsBlocksAndFaceGroupsUpToAnotherWord) {
    MgObject object;
    shapes::TwoFacetSquare(object); // faces already there stay
    support::CountingProgress progress;
    // the second record at a lies within 0.01 of the first: its own UV and normal are ignored
    const std::string square = a + b + c + "9 9 0.01 -0.01 0.0099 0 0 -1\n" + c + d;
    const std::string text = "name\n" + Block(Group(1, square)) +
                             Block(Group(2, kSquare + b) + Group(3, "") + Group(4, kBowtie)) +
                             "H1 H2 FACE 5\n" + a + b + c + "x y z\nSTOP\n" +
                             Block(Group(6, kSquare));
    EXPECT_EQ(Load(object, text, &progress), "name");
    std::vector<std::intptr_t> ids;
    for (const MgFace* face : object.FaceList())
        ids.push_back(face->GeoFaceId());
    // the bowtie's edges cannot be built: dropped; "STOP" ends the load
    EXPECT_EQ(ids, (std::vector<std::intptr_t>{0, 1, 2, 3, 5}));
    EXPECT_EQ(progress.steps, 9 + 10 + 3 + 9 + 6); // 3 per facet and 3 per face group
    ExpectValidTopology(object);
    const MgFace* first = *std::next(object.FaceList().begin());
    ASSERT_EQ(first->NumEdges(), 1);
    EXPECT_EQ(first->EdgeList().front()->VertexList().size(), 4u);
    EXPECT_EQ(first->FacetList().front()->Neighbor(2), first->FacetList().back());
    const MgVertex* va = first->FacetList().back()->Vertex(0);
    EXPECT_EQ(va, first->FacetList().front()->Vertex(0));
    EXPECT_EQ(va->Vertex(), CGeoVector(0, 0, 0));
    EXPECT_EQ(va->GeoUV()[0], 0.25f);
    EXPECT_EQ(va->Normal(), CGeoVector(0, 0, 1));
    const MgFace* second = *std::next(object.FaceList().begin(), 2);
    EXPECT_EQ(second->NumFacets(), 2); // the incomplete triple makes no facet and no vertex
    EXPECT_EQ(second->NumVertices(), 4);
    EXPECT_EQ(object.FaceList().back()->NumFacets(), 1);
    std::istringstream body("h1 h2 " + Group(8, kSquare) + "END");
    object.LoadFromTRG(body);
    EXPECT_EQ(object.FaceList().back()->GeoFaceId(), 8);
}
