// mgtool info: its report against the library's own view of the same files, and against the
// reference values that come with the STL corpus.
#include <cmath>
#include <cstring>
#include <fstream>

#include <gtest/gtest.h>
#include <mgmesh/mgmesh.h>

#include "Json.h"
#include "ToolRunner.h"

using namespace tooltest;

namespace {

// The report of one file, from `mgtool info --json FILE`.
Json InfoOf(const std::string& path) {
    const RunResult run = RunTool({"info", "--json", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Json report = Json::Parse(run.out);
    EXPECT_EQ(report["files"].size(), 1u);
    return report["files"][0];
}

void ExpectNear(double reported, double expected, const std::string& what) {
    EXPECT_NEAR(reported, expected, 1e-5 * std::max(1.0, std::fabs(expected))) << what;
}

void ExpectVector(const Json& reported, const CGeoVector& expected, const std::string& what) {
    ExpectNear(reported[0].number(), expected.x, what + ".x");
    ExpectNear(reported[1].number(), expected.y, what + ".y");
    ExpectNear(reported[2].number(), expected.z, what + ".z");
}

// Totals, bounds and every face of a reported object against the library's object.
void ExpectObject(const Json& reported, const MgObject& object) {
    ASSERT_EQ(reported["faces"].number(), object.FaceList().size());
    EXPECT_EQ(reported["vertices"].number(), object.NumVertices());
    EXPECT_EQ(reported["facets"].number(), object.NumFacets());
    EXPECT_EQ(reported["loops"].number(), object.NumEdges());
    ExpectNear(reported["area"].number(), object.Area(), "area");
    ExpectVector(reported["bounds"]["min"], object.MinBound(), "min");
    ExpectVector(reported["bounds"]["max"], object.MaxBound(), "max");
    ExpectVector(reported["centre"], object.Average(), "centre");
    ExpectNear(reported["radius"].number(), object.Radius(), "radius");
    if (!reported.Has("face_list"))
        return;
    const Json& faces = reported["face_list"];
    std::size_t k = 0;
    for (const MgFace* face : object.FaceList()) {
        const Json& entry = faces[k++];
        const std::string which = "face " + std::to_string(k);
        EXPECT_EQ(entry["id"].number(), face->GeoFaceId()) << which;
        EXPECT_EQ(entry["vertices"].number(), face->NumVertices()) << which;
        EXPECT_EQ(entry["facets"].number(), face->NumFacets()) << which;
        EXPECT_EQ(entry["loops"].number(), face->NumEdges()) << which;
        EXPECT_EQ(entry["corners"].number(), face->CornerList().size()) << which;
        EXPECT_EQ(entry["corrupt"].boolean(), face->Corrupt()) << which;
        ExpectNear(entry["area"].number(), face->Area(), which + " area");
    }
}

const Json& OnlyObject(const Json& file) {
    EXPECT_EQ(file["objects"].size(), 1u);
    return file["objects"][0];
}

TEST(Info, AsciiStlMatchesTheLibraryAndIsClosed) {
    const std::string path = ModelPath("bracket.stl");
    const Json file = InfoOf(path);
    EXPECT_EQ(file["format"].string(), "stl-ascii");
    EXPECT_EQ(file["name"].string(), "bracket");
    EXPECT_GE(file["load_seconds"].number(), 0);
    MgObject object;
    std::ifstream in(path);
    object.LoadSTL(in);
    ASSERT_TRUE(object.FaceList().front()->RebuildEdges());
    ExpectObject(OnlyObject(file), object);
    ExpectObject(file["whole"], object);
    const Json& face = OnlyObject(file)["face_list"][0];
    EXPECT_EQ(face["edges"].string(), "derived");
    EXPECT_EQ(face["loops"].number(), 0) << "the shipped bracket is a closed solid";
}

TEST(Info, SingleObjectScbMatchesTheLibrary) {
    const std::string path = ModelPath("box.scb");
    const Json file = InfoOf(path);
    EXPECT_EQ(file["format"].string(), "scb1");
    EXPECT_EQ(file["name"].string(), "box");
    MgObject object;
    std::ifstream in(path);
    object.LoadSCB(in);
    ExpectObject(OnlyObject(file), object);
    const Json& faces = OnlyObject(file)["face_list"];
    ASSERT_EQ(faces.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(faces[k]["id"].number(), k + 1);
        EXPECT_EQ(faces[k]["edges"].string(), "file");
        EXPECT_EQ(faces[k]["loops"].number(), 1);
        EXPECT_EQ(faces[k]["corners"].number(), 4);
    }
}

TEST(Info, MultiPartScbReportsEveryPartAndTheWhole) {
    const std::string path = ModelPath("assembly.scb");
    const Json file = InfoOf(path);
    EXPECT_EQ(file["format"].string(), "scb2");
    EXPECT_EQ(file["name"].string(), "assembly");
    CMgMultiObject multi;
    multi.Init();
    std::ifstream in(path);
    multi.LoadSCB(in);
    const Json& objects = file["objects"];
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0]["role"].string(), "unprocessed");
    ExpectObject(objects[0], *multi.UnprocessedObject());
    for (int part = 0; part < 2; ++part) {
        EXPECT_EQ(objects[part + 1]["role"].string(), "part " + std::to_string(part + 1));
        ExpectObject(objects[part + 1], *multi.PartObject(part));
    }
    ExpectObject(file["whole"], *multi.OriginalObject());
    EXPECT_EQ(objects[2]["face_list"][0]["loops"].number(), 2) << "the tube has two rims";
}

TEST(Info, TrgMatchesTheLibrary) {
    const std::string path = ModelPath("pyramid.trg");
    const Json file = InfoOf(path);
    EXPECT_EQ(file["format"].string(), "trg");
    EXPECT_EQ(file["name"].string(), "pyramid");
    MgObject object;
    std::ifstream in(path);
    object.LoadTRG(in);
    ASSERT_EQ(object.FaceList().size(), 5u);
    ExpectObject(OnlyObject(file), object);
    EXPECT_EQ(file["dropped_faces"].size(), 0u);
}

// The binary torus is checked against its own bytes, not through the converted text.
TEST(Info, BinaryStlCountsAndAreaComeFromTheFile) {
    const std::string path = ModelPath("torus-binary.stl");
    const std::string bytes = ReadFile(path);
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 80, 4);
    double area = 0;
    for (std::uint32_t k = 0; k < count; ++k) {
        float v[12];
        std::memcpy(v, bytes.data() + 84 + 50 * k, sizeof v);
        const double a[3] = {v[6] - v[3], v[7] - v[4], v[8] - v[5]};
        const double b[3] = {v[9] - v[3], v[10] - v[4], v[11] - v[5]};
        const double c[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
                             a[0] * b[1] - a[1] * b[0]};
        area += 0.5 * std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    }
    const Json file = InfoOf(path);
    EXPECT_EQ(file["format"].string(), "stl-binary");
    const Json& whole = file["whole"];
    EXPECT_EQ(whole["facets"].number(), count);
    EXPECT_EQ(whole["vertices"].number(), 48 * 24);
    EXPECT_EQ(whole["loops"].number(), 0);
    EXPECT_NEAR(whole["area"].number(), area, 1e-4 * area);
}

// Every corpus file, against the values an independent reference derived for it.
TEST(Info, CorpusAgreesWithTheReferenceValues) {
    const auto files = CorpusFiles();
    ASSERT_FALSE(files.empty()) << "no corpus at " << MGMESH_CORPUS_DIR;
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        const Json expected = Json::Parse(ReadFile(CorpusPath(name + ".expected.json")));
        const std::string path = CorpusPath(name);
        const RunResult run = RunTool({"info", "--json", path});
        const Json report = Json::Parse(run.out);
        const std::string outcome = expected["load"]["outcome"].string();
        if (outcome != "ok") {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.err, "mgtool: " + path + ": " + outcome + "\n");
            EXPECT_EQ(report["files"][0]["error"].string(), outcome);
            continue;
        }
        ASSERT_EQ(run.status, 0) << run.err;
        const Json& face = report["files"][0]["objects"][0]["face_list"][0];
        const Json& rebuilt = expected["rebuild_edges"];
        EXPECT_EQ(face["facets"].number(), expected["load"]["facets"].number());
        EXPECT_EQ(face["vertices"].number(), rebuilt["vertices"].number());
        EXPECT_EQ(face["loops"].number(), rebuilt["edges"].number());
        EXPECT_EQ(face["corrupt"].boolean(), rebuilt["corrupt"].boolean());
        const bool simple = rebuilt["result"].type() == Json::Bool && rebuilt["result"].boolean();
        EXPECT_EQ(face["edges"].string(), simple ? "derived" : "failed");
        const double area = expected["load"]["area"]["f64"].number();
        EXPECT_NEAR(face["area"].number(), area, 1e-4 * area);
        const Json& bounds = report["files"][0]["whole"]["bounds"];
        for (int i = 0; i < 3; ++i) {
            const double lo = expected["load"]["bounds"]["min"][i].number();
            const double hi = expected["load"]["bounds"]["max"][i].number();
            EXPECT_NEAR(bounds["min"][i].number(), lo, 1e-5 * std::max(1.0, std::fabs(lo)));
            EXPECT_NEAR(bounds["max"][i].number(), hi, 1e-5 * std::max(1.0, std::fabs(hi)));
        }
    }
}

TEST(Info, TextReportNamesEveryFace) {
    const RunResult run = RunTool({"info", ModelPath("box.scb")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(": scb1 \"box\", loaded in "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("object: 6 faces, 54 vertices, 48 facets, 6 loops, 24 corners, area 24"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("bounds (0, 0, 0) - (2, 2, 2), centre (1, 1, 1), radius 1.73205"),
              std::string::npos)
        << run.out;
    for (int id = 1; id <= 6; ++id)
        EXPECT_NE(run.out.find("face " + std::to_string(id) +
                               ": 9 vertices, 8 facets, 1 loop, 4 corners, not corrupt, area 4, "
                               "edges from file"),
                  std::string::npos)
            << run.out;
}

TEST(Info, FailedEdgeRebuildIsReported) {
    const std::string path = CorpusPath("admesh_block_normal-directions-bad.stl");
    const RunResult run = RunTool({"info", path});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("CORRUPT"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("EDGE REBUILD FAILED"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 corrupt"), std::string::npos) << run.out;
}

// The TRG reader deletes a face whose boundary loops touch; the report names it.
TEST(Info, FacesDroppedByTheTrgReaderAreReported) {
    const std::string path = OutputDir() + "/bowtie.trg";
    WriteFile(path, "bowtie TRG 1\n"
                    "FACE 1\n"
                    "0 0 0 0 0 0 0 1  0 0 1 0 0 0 0 1  0 0 0 1 0 0 0 1\n"
                    "ENDFACE 0 0\n"
                    "FACE 2\n"
                    "0 0 0 0 0 0 0 1  0 0 1 0 0 0 0 1  0 0 0 1 0 0 0 1\n"
                    "0 0 0 0 0 0 0 1  0 0 -1 0 0 0 0 1  0 0 0 -1 0 0 0 1\n"
                    "ENDFACE 0 0\n"
                    "END 0 0\n");
    const Json file = InfoOf(path);
    EXPECT_EQ(file["whole"]["faces"].number(), 1);
    ASSERT_EQ(file["dropped_faces"].size(), 1u);
    EXPECT_EQ(file["dropped_faces"][0].number(), 2);
    const RunResult text = RunTool({"info", path});
    EXPECT_NE(text.out.find("1 face dropped by the reader (edges could not be derived): 2"),
              std::string::npos)
        << text.out;
}

TEST(Info, EverySolidOfAnAsciiStlBecomesAFace) {
    const std::string facet = "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                              "vertex 0 1 0\nendloop\nendfacet\n";
    const std::string path = OutputDir() + "/two-solids.stl";
    WriteFile(path, "solid first\n" + facet + "endsolid first\nsolid second\n" + facet + facet +
                        "endsolid second\n");
    const Json file = InfoOf(path);
    const Json& faces = OnlyObject(file)["face_list"];
    ASSERT_EQ(faces.size(), 2u);
    EXPECT_EQ(faces[0]["id"].number(), 0);
    EXPECT_EQ(faces[0]["facets"].number(), 1);
    EXPECT_EQ(faces[1]["id"].number(), 1);
    EXPECT_EQ(faces[1]["facets"].number(), 2);
    EXPECT_EQ(file["name"].string(), "first");
}

// Some binary exporters start the header with "solid"; the size tells them apart.
TEST(Info, BinaryStlWhoseHeaderSaysSolid) {
    std::string bytes = "solid exported by a binary writer";
    bytes.resize(80, ' ');
    const std::uint32_t count = 1;
    bytes.append(reinterpret_cast<const char*>(&count), 4);
    const float facet[12] = {0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 2, 0};
    bytes.append(reinterpret_cast<const char*>(facet), sizeof facet);
    bytes.append(2, '\0');
    const std::string path = OutputDir() + "/solid-header.stl";
    WriteFile(path, bytes);
    const Json file = InfoOf(path);
    EXPECT_EQ(file["format"].string(), "stl-binary");
    EXPECT_EQ(file["whole"]["facets"].number(), 1);
    EXPECT_NEAR(file["whole"]["area"].number(), 2, 1e-6);
    EXPECT_EQ(file["whole"]["loops"].number(), 1);
}

TEST(Info, GoodFilesAreReportedBesideABadOne) {
    const std::string missing = OutputDir() + "/missing.stl";
    const RunResult run =
        RunTool({"info", "--json", ModelPath("box.scb"), missing, ModelPath("pyramid.trg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "mgtool: " + missing + ": cannot open (No such file or directory)\n");
    const Json report = Json::Parse(run.out);
    ASSERT_EQ(report["files"].size(), 3u);
    EXPECT_EQ(report["files"][0]["format"].string(), "scb1");
    EXPECT_FALSE(report["files"][1]["error"].string().empty());
    EXPECT_EQ(report["files"][2]["format"].string(), "trg");
}

} // namespace
