// mgtool run as a user would: on the shipped models and the STL corpus (its numbers checked
// against the library's), on bad input, drawing headless and in a window, and with a progress
// bar on a terminal.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>

#include <gtest/gtest.h>
#include <mgmesh/mgmesh.h>
#include <png.h>

#include "support/Corpus.h"

namespace {

const std::string kCorpus = testsupport::CorpusStl();
const std::string kModels = MGMESH_SOURCE_DIR "/examples/models/";

// A fresh directory for this program's files, removed as it exits.
std::string OutputDir() {
    static char dir[] = "/tmp/mgtool-test-XXXXXX";
    static const bool made = mkdtemp(dir) && std::atexit([] {
                                                 std::error_code ignored;
                                                 std::filesystem::remove_all(dir, ignored);
                                             }) == 0;
    return made ? dir : throw std::runtime_error("cannot make a temporary directory");
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct RunResult {
    int status = -1; // the exit status; 128 + the signal that ended a crashed run
    std::string out, err;
};

enum class Via { Pipes, Terminal, Xvfb };

// Runs mgtool through the shell with `args` (none holds a quote, `$` or backslash) and an empty
// standard input. Via::Terminal puts its standard error on a terminal and `out` is what the
// terminal showed; Via::Xvfb gives it a virtual X display.
RunResult RunTool(const std::vector<std::string>& args, Via via = Via::Pipes) {
    std::string command = MGTOOL_PATH;
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    // `script` runs a command on a pseudo-terminal and copies what that shows to its own output
    if (via == Via::Terminal)
        command = "script -qefc \"" + command + " >/dev/null\" /dev/null";
    // For a sanitized build the GL stack's own leaks are suppressed. Under Xvfb leaks are not
    // checked at all: freeglut unloads the GL driver as its main loop ends, and the driver's
    // leaks can then no longer be told apart.
    std::string leaks = "suppressions=" MGMESH_SOURCE_DIR "/tests/tools/lsan.supp";
    if (via == Via::Xvfb)
        command = "xvfb-run -a -s '-screen 0 1024x768x24' " + command, leaks = "detect_leaks=0";
    const std::string out = OutputDir() + "/run.out", err = OutputDir() + "/run.err";
    const int status =
        std::system(("LSAN_OPTIONS=\"${LSAN_OPTIONS:+$LSAN_OPTIONS:}" + leaks +
                     ":print_suppressions=0\" " + command + " </dev/null >" + out + " 2>" + err)
                        .c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(out),
            ReadFile(err)};
}

// A JSON text flattened to paths: "/files/0/name" -> the name (a string without its quotes, a
// number or true/false/null as written); an object or array maps to its number of members.
using Json = std::map<std::string, std::string>;

// Parses a whole JSON text; throws where it is not JSON.
Json ParseJson(const std::string& text) {
    Json json;
    std::size_t at = 0;
    const auto peek = [&] {
        at = std::min(text.find_first_not_of(" \t\r\n", at), text.size());
        return text.c_str()[at];
    };
    const auto take = [&](char c) {
        if (peek() != c)
            throw std::runtime_error("not JSON at " + std::to_string(at) + ": " + text);
        ++at;
    };
    const auto string = [&] { // escapes are kept as they stand
        take('"');
        const std::size_t start = at;
        while (at < text.size() && text[at] != '"')
            at += text[at] == '\\' ? 2 : 1;
        take('"');
        return text.substr(start, at - 1 - start);
    };
    const auto value = [&](const auto& self, const std::string& path) -> void {
        const char c = peek();
        std::string found = c == '"' ? string() : std::string();
        if (c == '{' || c == '[') {
            std::size_t n = 0;
            for (++at; peek() != c + 2; ++n) { // '}' and ']' come two after '{' and '['
                if (n > 0)
                    take(',');
                const std::string key = c == '[' ? std::to_string(n) : string();
                if (c == '{')
                    take(':');
                self(self, path + "/" + key);
            }
            ++at;
            found = std::to_string(n);
        } else if (c != '"') {
            found = text.substr(at, text.find_first_of(",]} \t\r\n", at) - at);
            const bool number = found.find_first_of("-0123456789") == 0 &&
                                found.find_first_not_of("-+.0123456789eE") == std::string::npos;
            if (!number && found != "true" && found != "false" && found != "null")
                take('"'); // neither a number nor a word of JSON: not JSON
            at += found.size();
        }
        json.emplace(path, found);
    };
    value(value, "");
    take('\0'); // nothing after the value
    return json;
}

// The members `keys` of the JSON object at `at` against the library's `values`.
void ExpectMembers(const Json& json, const std::string& at, const std::vector<std::string>& keys,
                   const std::vector<double>& values, double tolerance = 1e-5) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const std::string& v = json.at(at + keys[k]);
        const double reported = v == "true" ? 1 : v == "false" ? 0 : std::stod(v);
        EXPECT_NEAR(reported, values[k], tolerance * std::max(1.0, std::fabs(values[k])))
            << keys[k];
    }
}

// Totals, bounds and every listed face of the object reported at `at`, against the library's.
void ExpectObject(const Json& json, const std::string& at, const MgObject& object) {
    const CGeoVector lo = object.MinBound(), hi = object.MaxBound();
    ExpectMembers(json, at + "/",
                  {"faces", "vertices", "facets", "loops", "area", "bounds/min/0", "bounds/min/1",
                   "bounds/min/2", "bounds/max/0", "bounds/max/1", "bounds/max/2"},
                  {double(object.FaceList().size()), double(object.NumVertices()),
                   double(object.NumFacets()), double(object.NumEdges()), object.Area(), lo.x, lo.y,
                   lo.z, hi.x, hi.y, hi.z});
    int k = 0;
    for (const MgFace* face : object.FaceList())
        if (json.count(at + "/face_list"))
            ExpectMembers(json, at + "/face_list/" + std::to_string(k++) + "/",
                          {"id", "vertices", "facets", "loops", "corners", "corrupt", "area"},
                          {double(face->GeoFaceId()), double(face->NumVertices()),
                           double(face->NumFacets()), double(face->NumEdges()),
                           double(face->CornerList().size()), double(face->Corrupt()),
                           face->Area()});
}

// A binary STL as ASCII text for the library: floats printed to 9 digits read back exactly.
std::string AsciiOf(const std::string& binary) {
    std::ostringstream text;
    text.precision(9);
    for (std::size_t at = 84; at + 50 <= binary.size(); at += 50) {
        float v[12];
        std::memcpy(v, binary.data() + at, sizeof v);
        text << "facet normal " << v[0] << ' ' << v[1] << ' ' << v[2] << "\nouter loop\n";
        for (int c = 3; c < 12; c += 3)
            text << "vertex " << v[c] << ' ' << v[c + 1] << ' ' << v[c + 2] << '\n';
        text << "endloop\nendfacet\n";
    }
    return "solid t\n" + text.str() + "endsolid t\n";
}

const char* const kBoxText =
    "  object: 6 faces, 54 vertices, 48 facets, 6 loops, 24 corners, area 24\n"
    "    bounds (0, 0, 0) - (2, 2, 2), centre (1, 1, 1), radius 1.73205\n"
    "    face 1: 9 vertices, 8 facets, 1 loop, 4 corners, not corrupt, area 4, edges from file\n";

TEST(Info, ShippedModelsMatchTheLibrary) {
    for (const std::string entry : {"bracket.stl stl-ascii", "torus-binary.stl stl-binary",
                                    "box.scb scb1", "assembly.scb scb2", "pyramid.trg trg"}) {
        const std::string name = entry.substr(0, entry.find(' ')), path = kModels + name,
                          format = entry.substr(entry.find(' ') + 1);
        SCOPED_TRACE(path);
        const Json json = ParseJson(RunTool({"info", "--json", path}).out);
        EXPECT_EQ(json.at("/files/0/format") + " " + json.at("/files/0/name") + ".",
                  format + " " + name.substr(0, name.find('.') + 1));
        std::istringstream in(format == "stl-binary" ? AsciiOf(ReadFile(path)) : ReadFile(path));
        MgObject object;
        CMgMultiObject multi;
        multi.Init();
        std::vector<const MgObject*> objects{&object, &object}; // the whole, then each object
        if (format[1] == 'c') {                                 // scb1 or scb2
            multi.LoadSCB(in);
            objects = {multi.OriginalObject(), multi.UnprocessedObject()};
            objects.insert(objects.end(), multi.ProcessedList().begin(),
                           multi.ProcessedList().end());
        } else if (format == "trg") {
            object.LoadTRG(in);
        } else {
            object.LoadSTL(in);
            object.FaceList().front()->RebuildEdges();
        }
        ASSERT_EQ(json.at("/files/0/objects"), std::to_string(objects.size() - 1));
        ExpectObject(json, "/files/0/whole", *objects[0]);
        for (std::size_t k = 1; k < objects.size(); ++k)
            ExpectObject(json, "/files/0/objects/" + std::to_string(k - 1), *objects[k]);
        const std::string text = RunTool({"info", path}).out; // what a user sees first
        EXPECT_TRUE(format != "scb1" || text.find(kBoxText) != std::string::npos) << text;
    }
}

// Every corpus file, against the values an independent reference derived for it.
TEST(Info, CorpusAgreesWithTheReferenceValues) {
    SKIP_WITHOUT_CORPUS();
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kCorpus)) {
        if (entry.path().extension() != ".json")
            continue;
        const std::string path = (entry.path().parent_path() / entry.path().stem().stem()).string();
        SCOPED_TRACE(path);
        ++files;
        const Json expected = ParseJson(ReadFile(entry.path().string()));
        const RunResult run = RunTool({"info", "--json", path});
        const Json json = ParseJson(run.out);
        const std::string outcome = expected.at("/load/outcome");
        if (outcome != "ok") { // what the exact reader refuses, the tool's lenient import reads
            EXPECT_EQ(run.status, 0) << run.err;
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string face = "/files/0/objects/0/face_list/0/";
        EXPECT_EQ(json.at(face + "edges"),
                  expected.at("/rebuild_edges/result") == "true" ? "derived" : "failed");
        for (const std::string key : {"facets", "vertices", "loops", "corrupt"})
            EXPECT_EQ(json.at(face + key), expected.at(key == "facets"  ? "/load/facets"
                                                       : key == "loops" ? "/rebuild_edges/edges"
                                                                        : "/rebuild_edges/" + key));
        ExpectMembers(json, face, {"area"}, {std::stod(expected.at("/load/area/f64"))}, 1e-4);
    }
    EXPECT_GE(files, 8) << "the corpus at " << kCorpus;
}

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
        // succeeds silently, but for the parts that one SCB object cannot keep apart
        const bool parts = input == kModels + "assembly.scb";
        EXPECT_EQ(std::to_string(run.status) + run.out + run.err,
                  parts ? "0mgtool: " + output + ": warning: the parts are written as one object\n"
                        : "0");
        std::ifstream in(output);
        MgObject object;
        EXPECT_EQ(object.LoadSCB(in), before.at("/files/0/name"));
        ExpectObject(before, "/files/0/whole", object);
    }
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
    std::ofstream(dir + "/bad.obj") << "v 0 0 0\nv 1 0 0\n\nf 1 2 3\n";
    EXPECT_EQ(RunTool({"info", dir + "/bad.obj"}).err,
              "mgtool: " + dir + "/bad.obj: line 4: Bad OBJ index\n");
}

// `covered` counts the pixels unlike the top-left one, which the model never reaches.
struct Picture {
    int width = 0, height = 0, covered = 0;
};

// `mgtool render MODEL -o PNG OPTIONS`; the picture is empty when no PNG came out.
Picture Render(const std::string& model, std::vector<std::string> options) {
    const std::string output = OutputDir() + "/render.png";
    std::filesystem::remove(output);
    options.insert(options.begin(), {"render", kModels + model, "-o", output});
    const RunResult run = RunTool(options);
    EXPECT_EQ(std::to_string(run.status) + run.out + run.err, "0"); // succeeds silently
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    const bool begun = png_image_begin_read_from_file(&png, output.c_str());
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
    if (begun && png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        Picture picture{int(png.width), int(png.height)};
        for (std::size_t at = 0; at < rgb.size(); at += 3)
            picture.covered += !std::equal(&rgb[at], &rgb[at] + 3, rgb.data());
        return picture;
    }
    png_image_free(&png);
    return Picture();
}

TEST(Render, ImagesShowTheModelAsAsked) {
    for (const char* model :
         {"bracket.stl", "torus-binary.stl", "box.scb", "assembly.scb", "pyramid.trg"}) {
        const Picture image = Render(model, {"--size", "160x120"});
        EXPECT_EQ(image.width * 1000 + image.height, 160120) << model;
        EXPECT_GT(image.covered, 160 * 120 / 10) << model;
        EXPECT_LT(image.covered, 160 * 120) << model;
    }
    // a closed solid has no boundary loops: with neither fill nor loops nothing is drawn
    EXPECT_EQ(Render("bracket.stl", {"--size", "64x64", "--no-fill", "--edges"}).covered, 0);
}

// The box's faces are 1 bottom, 2 top, 3 front, 4 back, 5 left, 6 right, each 2 x 2. Seen from
// the front, the assembly shows the block's front face 203 left of the centre and the tube's
// wall 301 (two rims) right of it.
TEST(View, ClickPicksTheFaceUnderThePointer) {
    if (std::system("command -v xvfb-run >/dev/null") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    for (const auto& [model, view, click, line] : std::vector<std::array<std::string, 4>>{
             {"box.scb", "top", "100,100", "pick face=2 area=4 loops=1\n"},
             {"box.scb", "front", "100,100", "pick face=3 area=4 loops=1\n"},
             {"box.scb", "side", "100,100", "pick face=6 area=4 loops=1\n"},
             {"box.scb", "top", "2,2", "pick none\n"},
             {"assembly.scb", "front", "80,90", "pick face=203 area=3 loops=1\n"},
             {"assembly.scb", "front", "136,80", "pick face=301 area=12.5305 loops=2\n"}}) {
        const RunResult run = RunTool(
            {"view", kModels + model, "--view", view, "--size", "200x200", "--click", click},
            Via::Xvfb);
        EXPECT_EQ(run.out, line) << run.err;
    }
}

// A usage error gives status 2, its complaint and the usage; a bad file status 1 and the line
// "mgtool: FILE: message", whatever the command. Nothing is written.
TEST(CommandLine, ErrorsGiveAStatusAndAMessage) {
    const std::string box = kModels + "box.scb", dir = OutputDir(), scb = dir + "/out.scb",
                      png = dir + "/out.png", usage = "\nusage: mgtool info [--json]";
    std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"frobnicate"}, "unknown command frobnicate" + usage},
        {{"info", "--bogus", box}, "unknown option --bogus" + usage},
        {{"convert", box, scb, "b.scb"}, "too many arguments for convert: b.scb" + usage},
        {{"render", box, "-o", png, "--size", "wide"},
         "--size must look like AxB, not \"wide\"" + usage},
        {{"convert", box, scb, "--name", "a b"},
         "--name must be one word: SCB keeps the name up to its first space" + usage},
        {{"render", box, "-o", png, "--color", "2,0,0"},
         "--color must be three numbers from 0 to 1, like 0.8,0.5,0.2" + usage},
        {{"view", box, "--click", "900,10"},
         "--click must be a pixel inside the window (see --size)" + usage},
        {{"info", dir}, dir + ": is a directory\n"},
        {{"convert", box, dir + "/no/out.scb"},
         dir + "/no/out.scb: cannot write (No such file or directory)\n"},
        {{"render", box, "-o", png, "--highlight", "99"}, box + ": no face with id 99\n"}};
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
        EXPECT_EQ(run.out + run.err.substr(0, err.size() + 8), "mgtool: " + err);
    }
    EXPECT_FALSE(std::ifstream(scb) || std::ifstream(png));
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
