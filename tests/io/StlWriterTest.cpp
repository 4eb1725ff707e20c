// The STL writer: its text, and models read back through the STL readers.
#include <fstream>

#include "IoSupport.h"
#include "support/Corpus.h"
#include "support/ModelText.h"

namespace {

// A model's vertex numbers in each facet and the vertices' positions, which STL keeps.
std::string Kept(const MgObject& object) {
    support::TextOptions options;
    options.values = false;
    std::ostringstream s;
    s << support::ModelText(object, options) << std::hexfloat;
    for (const MgFace* face : object.FaceList())
        for (const MgVertex* v : face->VertexList())
            s << v->Vertex().x << ' ' << v->Vertex().y << ' ' << v->Vertex().z << '\n';
    return s.str();
}

// Each facet's corner positions, facet by facet through all faces.
std::string Corners(const MgObject& object) {
    std::ostringstream s;
    s << std::hexfloat;
    for (const MgFace* face : object.FaceList())
        for (const MgFacet* f : face->FacetList())
            for (int i = 0; i < 3; ++i)
                s << f->Vertex(i)->Vertex().x << ' ' << f->Vertex(i)->Vertex().y << ' '
                  << f->Vertex(i)->Vertex().z << '\n';
    return s.str();
}

} // namespace

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
                                 "trimesh_1002_tray_bottom.STL", "numpy-stl_Cube.stl"}) {
            std::ostringstream s;
            s << std::ifstream(testsupport::CorpusStl() + name, std::ios::binary).rdbuf();
            texts.push_back(s.str());
        }
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
            if (binary) { // all faces as one, the same corners facet by facet
                ASSERT_EQ(back.FaceList().size(), 1u);
                EXPECT_EQ(Corners(back), Corners(original));
                continue;
            }
            EXPECT_EQ(Kept(back), Kept(original));
        }
    }
}
