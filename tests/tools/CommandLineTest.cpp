// The command line itself: usage, unknown options, missing and bad files, progress output.
#include <gtest/gtest.h>

#include "ToolRunner.h"

using namespace tooltest;

namespace {

void ExpectUsage(const std::vector<std::string>& args, const std::string& complaint) {
    const RunResult run = RunTool(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.substr(0, complaint.size() + 9), "mgtool: " + complaint + "\n") << run.err;
    EXPECT_NE(run.err.find("usage: mgtool info"), std::string::npos) << run.err;
}

TEST(CommandLine, UsageErrors) {
    const std::string box = ModelPath("box.scb");
    const RunResult bare = RunTool({});
    EXPECT_EQ(bare.status, 2);
    EXPECT_EQ(bare.err.substr(0, 19), "usage: mgtool info ");
    ExpectUsage({"frobnicate"}, "unknown command frobnicate");
    ExpectUsage({"info"}, "info needs at least one file");
    ExpectUsage({"info", "--bogus", box}, "unknown option --bogus");
    ExpectUsage({"convert", box}, "convert needs an input and an output file");
    ExpectUsage({"convert", box, "a.scb", "b.scb"}, "too many arguments for convert: b.scb");
    ExpectUsage({"convert", box, "a.scb", "--name"}, "option --name needs a value");
    ExpectUsage({"render", box}, "render needs -o OUT.png");
    ExpectUsage({"render", "-o", "x.png"}, "render needs an input file");
    ExpectUsage({"render", box, "-o", "x.png", "--size", "0x10"},
                "--size must be between 1x1 and 8192x8192");
    ExpectUsage({"render", box, "-o", "x.png", "--size", "wide"},
                "--size must look like AxB, not \"wide\"");
    ExpectUsage({"render", box, "-o", "x.png", "--view", "below"},
                "--view must be iso, top, front or side");
    ExpectUsage({"render", box, "-o", "x.png", "--color", "1,0"},
                "--color must be three numbers from 0 to 1, like 0.8,0.5,0.2");
    ExpectUsage({"render", box, "-o", "x.png", "--color", "2,0,0"},
                "--color must be three numbers from 0 to 1, like 0.8,0.5,0.2");
    ExpectUsage({"render", box, "-o", "x.png", "--highlight", "one"},
                "--highlight must be an integer, not \"one\"");
    ExpectUsage({"view", box, "--click", "900,10"},
                "--click must be a pixel inside the window (see --size)");
    EXPECT_FALSE(FileExists("x.png"));
}

TEST(CommandLine, HelpGoesToStandardOutput) {
    const RunResult run = RunTool({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, 19), "usage: mgtool info ");
    EXPECT_EQ(run.err, "");
}

// Each bad file ends in one line "mgtool: FILE: message" and status 1, for every command.
TEST(CommandLine, BadFilesGiveTheirMessage) {
    const std::string dir = OutputDir();
    struct Case {
        std::string name, bytes, message;
    } cases[] = {
        {"missing.stl", "", "cannot open (No such file or directory)"},
        {"empty.stl", "", "empty file"},
        {"noise.dat", "hello there\n",
         "unrecognised format (not SCB, ASCII or binary STL, "
         "nor a .trg file)"},
        {"upper.stl", "solid s\nFACET normal 0 0 1\n", "Unsupported file"},
        {"ends.stl", "solid s\nendsolid", "File problem"},
        {"header.scb", "scb1\nsolid x\n", "File problem"},
        {"cut.scb", "scb1\npart p\nfaceBegin 1\nvertex 0 0 0", "File problem"},
        {"cut2.scb", "scb2\npart p\nobjectBegin 1 0 0 1\nfaceBegin 1\n", "File problem"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        if (c.name != "missing.stl")
            WriteFile(path, c.bytes);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"info", path},
              std::vector<std::string>{"convert", path, dir + "/out.scb"},
              std::vector<std::string>{"render", path, "-o", dir + "/out.png"}}) {
            SCOPED_TRACE(c.name + " " + args[0]);
            const RunResult run = RunTool(args);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, "mgtool: " + path + ": " + c.message + "\n");
        }
    }
    EXPECT_FALSE(FileExists(dir + "/out.scb"));
    EXPECT_FALSE(FileExists(dir + "/out.png"));
    const RunResult folder = RunTool({"info", dir});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "mgtool: " + dir + ": is a directory\n");
}

// Every prefix of a good file either loads or fails with a message; none crashes.
TEST(CommandLine, EveryPrefixOfAFileEndsCleanly) {
    for (const std::string model : {"box.scb", "pyramid.trg", "bracket.stl"}) {
        const std::string bytes = ReadFile(ModelPath(model));
        const std::string path = OutputDir() + "/prefix-" + model;
        const std::size_t step = bytes.size() / 23 + 1;
        for (std::size_t length = 1; length < bytes.size(); length += step) {
            WriteFile(path, bytes.substr(0, length));
            const RunResult run = RunTool({"info", path});
            SCOPED_TRACE(model + " cut at " + std::to_string(length));
            EXPECT_TRUE(run.status == 0 || run.status == 1) << run.status;
            if (run.status == 1) {
                EXPECT_EQ(run.err.substr(0, 9 + path.size()), "mgtool: " + path + ":");
            }
        }
    }
}

TEST(CommandLine, ProgressBarOnlyOnATerminal) {
    // 4464 facets: about 31 000 lines, a long load
    const std::string big = CorpusPath("numpy-stl_bwb.stl");
    const RunResult quiet = RunTool({"info", big});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    const RunResult shown = RunToolWithTerminal({"info", big});
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.err.find("loading " + big + " ["), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("]  50%"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("\r\033[K"), std::string::npos) << "the bar clears its line";
    // saving steps once per vertex, facet and edge: a 100 x 100 grid makes about 30 000 steps
    std::string grid = "solid grid\n";
    auto vertex = [](int i, int j) {
        return "vertex " + std::to_string(i) + " " + std::to_string(j) + " 0\n";
    };
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 100; ++j)
            grid += "facet normal 0 0 1\nouter loop\n" + vertex(i, j) + vertex(i + 1, j) +
                    vertex(i + 1, j + 1) + "endloop\nendfacet\nfacet normal 0 0 1\nouter loop\n" +
                    vertex(i, j) + vertex(i + 1, j + 1) + vertex(i, j + 1) + "endloop\nendfacet\n";
    const std::string gridPath = OutputDir() + "/grid.stl";
    WriteFile(gridPath, grid + "endsolid grid\n");
    const std::string converted = OutputDir() + "/grid.scb";
    const RunResult saved = RunToolWithTerminal({"convert", gridPath, converted});
    EXPECT_EQ(saved.status, 0);
    EXPECT_NE(saved.err.find("saving " + converted + " ["), std::string::npos) << saved.err;
    // a small file is quick: no bar even on a terminal
    const RunResult small = RunToolWithTerminal({"info", ModelPath("box.scb")});
    EXPECT_EQ(small.status, 0);
    EXPECT_EQ(small.err, "");
}

} // namespace
