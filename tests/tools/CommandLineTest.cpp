// mgtool's command line: errors, their status and message, and the progress bar.
#include <cstring>

#include "ToolRun.h"

using namespace tooltest;

namespace {

// A usage error gives status 2 and one line: its complaint and where to read more; a bad file
// status 1 and the line "mgtool: FILE: message", whatever the command. Nothing is written.
TEST(CommandLine, ErrorsGiveAStatusAndAMessage) {
    const std::string box = kModels + "box.scb", dir = OutputDir(), scb = dir + "/out.scb",
                      png = dir + "/out.png", usage = " (see 'mgtool help";
    auto see = [&](const std::string& command) { return usage + " " + command + "')\n"; };
    std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"frobnicate"}, "unknown command frobnicate" + usage + "')\n"},
        {{"info", "--bogus", box}, "unknown option --bogus" + see("info")},
        {{"info", "--json=yes", box}, "option --json takes no value" + see("info")},
        {{"convert", box, scb, "b.scb"}, "too many arguments for convert: b.scb" + see("convert")},
        {{"render", box, "-o", png, "--size=wide"},
         "--size must look like AxB, not \"wide\"" + see("render")},
        {{"convert", box, scb, "--name", "a b"},
         "--name must be one word: SCB keeps the name up to its first space" + see("convert")},
        {{"render", box, "-o", png, "--color", "2,0,0"},
         "--color must be three numbers from 0 to 1, like 0.8,0.5,0.2" + see("render")},
        {{"view", box, "--click", "900,10"},
         "--click must be a pixel inside the window (see --size)" + see("view")},
        {{"info", dir}, dir + ": is a directory\n"},
        {{"convert", box, dir + "/no/out.scb"},
         dir + "/no/out.scb: cannot write (No such file or directory)\n"}};
    for (const auto& [bytes, message] : std::map<std::string, std::string>{
             {"missing", "cannot open (No such file or directory)"},
             {"", "empty file"},
             {"hello\n",
              "unrecognised format (not SCB, PLY, ASCII or binary STL, nor a .trg or .obj file)"},
             {"solid s\nFACET normal 0 0 1\n",
              "line 3, column 1: expected \"outer\", found the end of the file"},
             {"scb1\npart p\nfaceBegin 1\nvertex 0 0 0", "File problem"},
             {"scb2\npart p\nobjectBegin 1 0 0 1\nfaceBegin 1\n", "File problem"}}) {
        const std::string path = dir + "/" + std::to_string(std::hash<std::string>()(bytes));
        if (bytes != "missing")
            std::ofstream(path) << bytes;
        for (const std::vector<std::string>& args : {std::vector<std::string>{"info", path},
                                                     {"convert", path, scb},
                                                     {"render", path, "-o", png}})
            cases.push_back({args, path + ": " + message + "\n"});
    }
    for (const auto& [args, err] : cases) {
        const RunResult run = RunTool(args);
        EXPECT_EQ(run.status, err.find(usage) == std::string::npos ? 1 : 2) << err;
        EXPECT_EQ(run.out + run.err, "mgtool: " + err);
    }
    EXPECT_FALSE(std::ifstream(scb) || std::ifstream(png));
}

// The tool explains itself: version, help for each command from either side, option=value.
TEST(CommandLine, HelpVersionAndOptionValues) {
    const RunResult version = RunTool({"--version"});
    EXPECT_EQ(version.out.substr(0, 7), "mgtool ");
    for (const char* command : {"info", "convert", "repair", "render", "view"}) {
        const std::string help = RunTool({"help", command}).out;
        EXPECT_EQ(help.substr(0, 14 + std::strlen(command)),
                  std::string("usage: mgtool ") + command);
        EXPECT_NE(help.find("example: mgtool"), std::string::npos) << command;
        EXPECT_EQ(RunTool({command, "--help"}).out, help);
    }
    EXPECT_NE(RunTool({"help", "render"}).out.find("--highlight FACEID"), std::string::npos);
    EXPECT_NE(RunTool({"help", "view"}).out.find("q or Esc quit"), std::string::npos);
    EXPECT_EQ(RunTool({"help", "nothing"}).status, 2);
    // reproducible without --time; the empty model has no bounds
    const std::string empty = OutputDir() + "/empty.stl";
    std::ofstream(empty) << "solid e\nendsolid e\n";
    EXPECT_EQ(RunTool({"info", empty}).out, empty + ": stl-ascii \"e\"\n  object: 1 face, 0 "
                                                    "vertices, 0 facets, 0 loops, 0 corners, "
                                                    "area 0\n    empty: no vertices\n    face "
                                                    "0: 0 vertices, 0 facets, 0 loops, 0 "
                                                    "corners, not corrupt, area 0, edges "
                                                    "derived\n");
    EXPECT_NE(RunTool({"info", "--time", empty}).out.find(", loaded in "), std::string::npos);
    const RunResult warned =
        RunTool({"render", kModels + "box.scb", "--output=" + OutputDir() + "/h.png",
                 "--size=40x30", "--highlight=99"});
    EXPECT_EQ(std::to_string(warned.status) + warned.err,
              "0mgtool: " + kModels + "box.scb: warning: no face with id 99 to highlight\n");
}

TEST(CommandLine, ProgressBarOnlyOnATerminal) {
    const std::string big = OutputDir() + "/strip.stl"; // 35 000 lines
    {
        std::ofstream out(big);
        out << "solid strip\n";
        for (int k = 0; k < 5000; ++k)
            out << "facet normal 0 0 1\nouter loop\nvertex " << k << " 0 0\nvertex " << k + 1
                << " 0 0\nvertex " << k << " 1 0\nendloop\nendfacet\n";
        out << "endsolid strip\n";
    }
    EXPECT_EQ(RunTool({"info", big}).err, "");
    const std::string shown = RunTool({"info", big}, Via::Terminal).out;
    for (const std::string& part :
         {"loading " + big + " [", std::string("]  50%"), std::string("\r\033[K")})
        EXPECT_NE(shown.find(part), std::string::npos) << part << " in " << shown;
    EXPECT_EQ(RunTool({"info", kModels + "box.scb"}, Via::Terminal).out, "") << "quick: no bar";
}

} // namespace
