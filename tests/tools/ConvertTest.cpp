// mgtool convert: every readable format written as SCB and read back.
#include "ToolRun.h"

using namespace tooltest;

namespace {

// Every readable format, written as SCB and read back by the library.
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
        MgObject object;
        EXPECT_EQ(object.LoadSCB(in), before.at("/files/0/name"));
        ExpectObject(before, "/files/0/whole", object);
    }
    ASSERT_EQ(RunTool({"convert", kModels + "box.scb", output, "--name", "holder"}).status, 0);
    EXPECT_EQ(ReadFile(output).substr(0, 17), "scb1\npart holder\n");
}

} // namespace
