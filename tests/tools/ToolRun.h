// Runs mgtool as a user would and reads what it reports: shared by the tool's tests.
#pragma once

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <gtest/gtest.h>
#include <mgmesh/mgmesh.h>

#include "support/Corpus.h"

namespace tooltest {

inline const std::string kCorpus = testsupport::CorpusStl();
inline const std::string kModels = MGMESH_SOURCE_DIR "/examples/models/";

// A fresh directory for this program's files, removed as it exits.
inline std::string OutputDir() {
    static char dir[] = "/tmp/mgtool-test-XXXXXX";
    static const bool made = mkdtemp(dir) && std::atexit([] {
                                                 std::error_code ignored;
                                                 std::filesystem::remove_all(dir, ignored);
                                             }) == 0;
    return made ? dir : throw std::runtime_error("cannot make a temporary directory");
}

using testsupport::ReadFile;

struct RunResult {
    int status = -1; // the exit status; 128 + the signal that ended a crashed run
    std::string out, err;
};

enum class Via { Pipes, Terminal, Xvfb };

// Runs mgtool through the shell with `args` (none holds a quote, `$` or backslash) and an empty
// standard input. Via::Terminal puts its standard error on a terminal and `out` is what the
// terminal showed; Via::Xvfb gives it a virtual X display.
inline RunResult RunTool(const std::vector<std::string>& args, Via via = Via::Pipes) {
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
inline Json ParseJson(const std::string& text) {
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
inline void ExpectMembers(const Json& json, const std::string& at,
                          const std::vector<std::string>& keys, const std::vector<double>& values,
                          double tolerance = 1e-5) {
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const std::string& v = json.at(at + keys[k]);
        const double reported = v == "true" ? 1 : v == "false" ? 0 : std::stod(v);
        EXPECT_NEAR(reported, values[k], tolerance * std::max(1.0, std::fabs(values[k])))
            << keys[k];
    }
}

// The mesh report's keys at `at` against the library's report.
inline void ExpectMeshReport(const Json& json, const std::string& at, const mgmesh::MeshReport& r) {
    ExpectMembers(json, at,
                  {"volume", "shells", "open_edges", "non_manifold_edges", "misoriented_edges",
                   "degenerate_facets"},
                  {r.volume, double(r.shells), double(r.openEdges), double(r.nonManifoldEdges),
                   double(r.misorientedEdges), double(r.degenerateFacets)});
}

// Totals, bounds, mesh report and every listed face of the object reported at `at`, against
// the library's.
inline void ExpectObject(const Json& json, const std::string& at, const MgObject& object) {
    ExpectMeshReport(json, at + "/", mgmesh::ReportMesh(object));
    const CGeoVector lo = object.MinBound(), hi = object.MaxBound();
    ExpectMembers(json, at + "/",
                  {"faces", "vertices", "facets", "loops", "area", "bounds/min/0", "bounds/min/1",
                   "bounds/min/2", "bounds/max/0", "bounds/max/1", "bounds/max/2"},
                  {double(object.FaceList().size()), double(object.NumVertices()),
                   double(object.NumFacets()), double(object.NumEdges()), object.Area(), lo.x, lo.y,
                   lo.z, hi.x, hi.y, hi.z});
    int k = 0;
    for (const MgFace* face : object.FaceList())
        if (json.count(at + "/face_list")) {
            ExpectMeshReport(json, at + "/face_list/" + std::to_string(k) + "/",
                             mgmesh::ReportMesh(*face));
            ExpectMembers(json, at + "/face_list/" + std::to_string(k++) + "/",
                          {"id", "vertices", "facets", "loops", "corners", "corrupt", "area"},
                          {double(face->GeoFaceId()), double(face->NumVertices()),
                           double(face->NumFacets()), double(face->NumEdges()),
                           double(face->CornerList().size()), double(face->Corrupt()),
                           face->Area()});
        }
}

} // namespace tooltest
