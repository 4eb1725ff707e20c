// mgtool convert: every readable format written as SCB and read back with the same content.
#include <fstream>

#include <gtest/gtest.h>
#include <mgmesh/mgmesh.h>

#include "Json.h"
#include "ToolRunner.h"

using namespace tooltest;

namespace {

Json Whole(const std::string& path) {
    const RunResult run = RunTool({"info", "--json", path});
    EXPECT_EQ(run.status, 0) << run.err;
    return Json::Parse(run.out)["files"][0]["whole"];
}

std::string Convert(const std::string& input, const std::vector<std::string>& extra = {}) {
    static int serial = 0;
    const std::string output = OutputDir() + "/converted" + std::to_string(++serial) + ".scb";
    std::vector<std::string> args{"convert", input, output};
    args.insert(args.end(), extra.begin(), extra.end());
    const RunResult run = RunTool(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    return output;
}

TEST(Convert, RoundTripKeepsEveryCount) {
    for (const std::string& input :
         {ModelPath("bracket.stl"), ModelPath("torus-binary.stl"), ModelPath("box.scb"),
          ModelPath("assembly.scb"), ModelPath("pyramid.trg"),
          CorpusPath("assimp_sphereWithHole.stl")}) {
        SCOPED_TRACE(input);
        const Json before = Whole(input);
        const std::string output = Convert(input);
        // read back through the library, as any host would
        MgObject object;
        std::ifstream in(output);
        object.LoadSCB(in);
        EXPECT_EQ(before["faces"].number(), object.FaceList().size());
        EXPECT_EQ(before["vertices"].number(), object.NumVertices());
        EXPECT_EQ(before["facets"].number(), object.NumFacets());
        EXPECT_EQ(before["loops"].number(), object.NumEdges());
        int corners = 0;
        for (const MgFace* face : object.FaceList())
            corners += static_cast<int>(face->CornerList().size());
        EXPECT_EQ(before["corners"].number(), corners);
        EXPECT_NEAR(before["area"].number(), object.Area(), 1e-4 * object.Area());
        // and through mgtool again
        const Json after = Whole(output);
        for (const char* key : {"faces", "vertices", "facets", "loops", "corners"})
            EXPECT_EQ(after[key].number(), before[key].number()) << key;
    }
}

TEST(Convert, NameComesFromTheFileOrTheOption) {
    const std::string kept = Convert(ModelPath("bracket.stl"));
    EXPECT_EQ(ReadFile(kept).substr(0, 18), "scb1\npart bracket\n");
    const std::string renamed = Convert(ModelPath("bracket.stl"), {"--name", "holder"});
    EXPECT_EQ(ReadFile(renamed).substr(0, 17), "scb1\npart holder\n");
    MgObject object;
    std::ifstream in(renamed);
    EXPECT_EQ(object.LoadSCB(in), "holder");
    // a binary STL has no name of its own: the file's stem stands in
    EXPECT_EQ(ReadFile(Convert(ModelPath("torus-binary.stl"))).substr(0, 23),
              "scb1\npart torus-binary\n");
}

TEST(Convert, NameWithASpaceIsRefused) {
    const std::string output = OutputDir() + "/spaced.scb";
    const RunResult run = RunTool({"convert", ModelPath("box.scb"), output, "--name", "two words"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--name must be one word"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: mgtool"), std::string::npos) << run.err;
    EXPECT_FALSE(FileExists(output));
}

TEST(Convert, BadInputWritesNothing) {
    const std::string input = OutputDir() + "/truncated.stl";
    WriteFile(input, "solid cut\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n");
    const std::string output = OutputDir() + "/never.scb";
    const RunResult run = RunTool({"convert", input, output});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "mgtool: " + input + ": Unsupported file\n");
    EXPECT_FALSE(FileExists(output));
}

TEST(Convert, UnwritableOutputIsReported) {
    const std::string output = OutputDir() + "/no-such-dir/out.scb";
    const RunResult run = RunTool({"convert", ModelPath("box.scb"), output});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "mgtool: " + output + ": cannot write (No such file or directory)\n");
}

} // namespace
