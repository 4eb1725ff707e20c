// mgtool repair: a cube with one facet turned and a stray degenerate facet, repaired as asked,
// written in the format named, and said what changed.
#include <filesystem>
#include <fstream>

#include "ToolRun.h"
#include "support/Shapes.h"

using namespace tooltest;

namespace {

// The unit cube with facet 7 turned inside out and a facet over one corner twice, as STL.
std::string BadCube() {
    MgObject object;
    MgFace* cube = shapes::Cube(object);
    (*std::next(cube->FacetList().begin(), 7))->Reverse();
    MgVertex* corner = cube->VertexList().front();
    shapes::AddFacet(cube, corner, corner, cube->VertexList().back());
    const std::string path = OutputDir() + "/bad-cube.stl";
    std::ofstream out(path);
    object.SaveSTL(out);
    return path;
}

} // namespace

TEST(Repair, OrientsDropsAndSaysWhat) {
    const std::string in = BadCube(), out = OutputDir() + "/cube.obj";
    const Json before = ParseJson(RunTool({"info", "--json", in}).out);
    EXPECT_EQ(before.at("/files/0/objects/0/face_list/0/misoriented_edges"), "3");
    EXPECT_EQ(before.at("/files/0/whole/degenerate_facets"), "1");
    EXPECT_EQ(before.at("/files/0/objects/0/face_list/0/samples/degenerate_facets/0"), "12");

    RunResult run = RunTool({"repair", in, out, "--orient"});
    EXPECT_EQ(run.status, 0) << run.err;
    // the degenerate facet is a shell of its own: its one edge is a diagonal of the cube
    EXPECT_EQ(run.out, in +
                           ": closed, 2 shells, volume 0.666667, 3 misoriented edges (facets 0, "
                           "6, 7 and 10), 1 degenerate facet (facet 12)\n  orient shells: 1 "
                           "facet reversed\n" +
                           out + ": closed, 2 shells, volume 1, 1 degenerate facet (facet 12)\n");
    // the default repairs both; the merge takes its tolerance
    run = RunTool({"repair", in, out, "--merge", "1"});
    EXPECT_NE(run.out.find("merge within 1: 7 vertices merged"), std::string::npos) << run.out;
    run = RunTool({"repair", in, out});
    EXPECT_EQ(run.status, 0) << run.err;
    const Json after = ParseJson(RunTool({"info", "--json", out}).out);
    ExpectMembers(after, "/files/0/whole/",
                  {"facets", "volume", "misoriented_edges", "degenerate_facets", "open_edges"},
                  {12, 1, 0, 0, 0});
    EXPECT_EQ(after.at("/files/0/objects/0/face_list/0/edges"), "derived");
}

TEST(Repair, RefusesBadOptionsAndKeepsTheTarget) {
    const std::string in = BadCube(), out = OutputDir() + "/kept.stl";
    std::ofstream(out) << "kept";
    EXPECT_EQ(RunTool({"repair", in, out, "--merge", "-1"}).status, 2);
    EXPECT_EQ(RunTool({"repair", in, out + ".png"}).status, 2);
    EXPECT_EQ(RunTool({"repair", in}).status, 2);
    EXPECT_EQ(RunTool({"repair", OutputDir() + "/missing.stl", out}).status, 1);
    EXPECT_EQ(ReadFile(out), "kept");
}
