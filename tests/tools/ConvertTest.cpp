// mgtool convert: every readable format written in every output format and read back; outputs
// that cannot be written leave their targets whole.
#include <filesystem>
#include <fstream>

#include "ToolRun.h"

using namespace tooltest;

namespace {

// Every readable format, written as SCB and read back by the library; parts stay parts.
TEST(Convert, RoundTripKeepsEveryCountAndTheName) {
    const std::string output = OutputDir() + "/converted.scb";
    std::vector<std::string> inputs = {kModels + "bracket.stl", kModels + "torus-binary.stl",
                                       kModels + "assembly.scb", kModels + "pyramid.trg"};
    if (testsupport::HaveCorpus())
        inputs.push_back(kCorpus + "assimp_sphereWithHole.stl");
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input);
        const Json before = ParseJson(RunTool({"info", "--json", input}).out);
        const RunResult run = RunTool({"convert", input, output});
        EXPECT_EQ(std::to_string(run.status) + run.out + run.err, "0"); // succeeds silently
        std::ifstream in(output);
        CMgMultiObject multi;
        multi.Init();
        multi.LoadSCB(in);
        EXPECT_EQ(multi.Name(), before.at("/files/0/name"));
        ExpectObject(before, "/files/0/whole", *multi.OriginalObject());
        EXPECT_EQ(std::to_string(multi.ProcessedList().size() + 1), before.at("/files/0/objects"));
    }
    // only the formats that hold one object say that the parts became one
    EXPECT_EQ(RunTool({"convert", kModels + "assembly.scb", OutputDir() + "/a.stl"}).err,
              "mgtool: " + OutputDir() + "/a.stl: warning: the parts are written as one object\n");
    ASSERT_EQ(RunTool({"convert", kModels + "box.scb", output, "--name", "holder"}).status, 0);
    EXPECT_EQ(ReadFile(output).substr(0, 17), "scb1\npart holder\n");
}

// Each output format by its name, read back by the library; standard output; and outputs that
// cannot be written leave what was there.
TEST(Convert, WritesEachFormatAndReplacesATargetOnlyWhenComplete) {
    const std::string dir = OutputDir();
    const std::string bracket = kModels + "bracket.stl";
    for (const auto& [name, option] : std::vector<std::pair<std::string, std::string>>{
             {"b.stl", "--ascii"}, {"b.stl", "--binary"}, {"b.obj", ""}, {"b.ply", "--binary"}}) {
        std::vector<std::string> args = {"convert", bracket, dir + "/" + name};
        if (!option.empty())
            args.push_back(option);
        ASSERT_EQ(RunTool(args).status, 0) << name << option;
        std::ifstream in(dir + "/" + name, std::ios::binary);
        MgObject object;
        if (name == "b.stl")
            object.LoadAnySTL(in);
        else if (name == "b.obj")
            object.LoadOBJ(in);
        else
            object.LoadPLY(in);
        EXPECT_EQ(object.NumVertices() * 10000 + object.NumFacets(), 220 * 10000 + 444) << name;
    }
    EXPECT_EQ(RunTool({"convert", kModels + "box.scb", "-"}).out.substr(0, 5), "scb1\n");
    const std::string kept = dir + "/kept.scb";
    std::ofstream(kept) << "keep";
    const RunResult bad = RunTool({"convert", dir + "/missing.stl", kept});
    const RunResult full = RunTool({"convert", bracket, "/dev/full"});
    EXPECT_EQ(std::to_string(bad.status) + ReadFile(kept), "1keep");
    EXPECT_EQ(full.err, "mgtool: /dev/full: cannot write (the disk may be full)\n");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    EXPECT_EQ(RunTool({"render", bracket, "-o", "/dev/full"}).status, 1);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    for (const auto& entry : std::filesystem::directory_iterator(dir)) // no temporary is left
        EXPECT_EQ(entry.path().string().find(".mgtool-"), std::string::npos) << entry.path();
    EXPECT_EQ(RunTool({"convert", bracket, dir + "/b.txt"}).status, 2);
    // OBJ and PLY are read leniently: the warnings, then the error, each with its place
    const std::string obj = dir + "/bad.obj";
    std::ofstream(obj) << "v 0 0 0\nv 1 0 0\n\nf 1 2 3\nv 1 x 0\n";
    EXPECT_EQ(RunTool({"info", obj}).err,
              "mgtool: " + obj +
                  ": warning: line 4, column 7: 1 face(s) with a corner index of 0 "
                  "or past the lines read, skipped\nmgtool: " +
                  obj + ": line 5, column 5: expected a number, found \"x\"\n");
}

} // namespace
