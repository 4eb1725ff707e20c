// mgmesh_process: one measurement in a fresh process, for the whole-process table
// (mgmesh_whole, WholeMain.cpp). It does one step on one sphere file and prints its seconds
// on one line (the drawing steps print the first frame's, then the replayed frame's); the parent
// times the whole process and reads its peak memory from wait4.
//
//   mgmesh_process STEP FILE
//     bare             the bare parse of an ASCII file
//     load-stl         MgObject::LoadSTL of an ASCII file
//     load-binary-stl  MgObject::LoadBinarySTL of a binary file
//     rebuild-edges    LoadSTL, then RebuildEdges, the first in the process (timed alone)
//     info             LoadSTL + RebuildEdges + mgmesh::ReportMesh, as mgtool info does them
//     hold             LoadSTL only: the process holds the loaded model (its peak memory)
//     fill-faces       FillFacesInObj of the sphere as a host's soup record (a binary file)
//     draw             the first Draw of the loaded sphere (ASCII file), then a replayed one
//     raw-strips       the raw strip list compiled while drawn, then replayed (a binary file)
#include <cstdio>
#include <fstream>
#if __has_include(<malloc.h>)
#include <malloc.h> // malloc_trim, where glibc has it
#endif
#include <memory>
#include <string>

#include "BareParse.h"
#include "GlContext.h"
#include "RawStrips.h"
#include "Seconds.h"
#include "SoupRecord.h"
#include "StlSoup.h"
#include "mgmesh/mgmesh.h"

namespace {

using bench::Clock;
using bench::Since;

// A loaded sphere is closed: two facets a vertex, bar the four of its Euler characteristic.
void CheckSphere(const MgObject& object) {
    if (object.NumFacets() <= 0 || object.NumVertices() != object.NumFacets() / 2 + 2)
        throw "the file did not load as a closed sphere";
}

void LoadInto(MgObject& object, const char* path, bool binary) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw "cannot open the file";
    if (binary)
        object.LoadBinarySTL(in);
    else
        object.LoadSTL(in);
    CheckSphere(object);
}

std::unique_ptr<MgObject> Load(const char* path, bool binary) {
    auto object = std::make_unique<MgObject>();
    LoadInto(*object, path, binary);
    return object;
}

// Gives the heap's free pages back to the system before a timed step that follows the
// building of large inputs, so that the step runs in fresh memory at every size: a record or
// strip index freed just before would otherwise serve it from pages already touched, at the
// small sizes only (larger blocks go back to the system when freed). The display lists of the
// two drawing processes thus compile into fresh memory alike.
void FreshHeap() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// The model is left to the process's exit, as mgtool leaves its own: a process that ends after
// its one file does not take its model apart.
void KeepUntilExit(std::unique_ptr<MgObject> object) {
    static auto* kept = new std::unique_ptr<MgObject>(); // never destroyed
    *kept = std::move(object);
}

void Print(double seconds) {
    std::printf("%.6f\n", seconds);
}

void RebuildEdges(MgObject& object) {
    if (!object.FaceList().front()->RebuildEdges() || object.FaceList().front()->NumEdges() != 0)
        throw "the sphere's edges did not close";
}

bench::Icosphere ReadIndexed(const char* path) {
    const std::vector<float> soup = bench::ReadBinaryStlSoup(path);
    if (soup.empty())
        throw "cannot read the binary STL file";
    return bench::IndexSoup(soup);
}

int Run(const std::string& step, const char* path) {
    if (step == "bare") {
        const Clock::time_point start = Clock::now();
        const double numbers = bench::BareParse(path);
        std::printf("%.6f %.0f\n", Since(start), numbers);
        return 0;
    }
    if (step == "load-stl" || step == "load-binary-stl" || step == "hold") {
        const Clock::time_point start = Clock::now();
        std::unique_ptr<MgObject> object = Load(path, step == "load-binary-stl");
        Print(Since(start));
        KeepUntilExit(std::move(object));
        return 0;
    }
    if (step == "rebuild-edges") {
        std::unique_ptr<MgObject> object = Load(path, false);
        const Clock::time_point start = Clock::now();
        RebuildEdges(*object);
        Print(Since(start));
        KeepUntilExit(std::move(object));
        return 0;
    }
    if (step == "info") {
        const Clock::time_point start = Clock::now();
        std::unique_ptr<MgObject> object = Load(path, false);
        RebuildEdges(*object);
        const mgmesh::MeshReport report = mgmesh::ReportMesh(*object);
        const std::string text = report.Describe();
        if (report.shells != 1 || !report.Clean() || text.empty())
            throw "the sphere's report is not one clean shell";
        Print(Since(start));
        KeepUntilExit(std::move(object));
        return 0;
    }
    if (step == "fill-faces") {
        const bench::SoupRecord soup(ReadIndexed(path));
        auto object = std::make_unique<MgObject>();
        FreshHeap(); // the record's building freed what the import would otherwise reuse
        const Clock::time_point start = Clock::now();
        object->FillFacesInObj(soup.record, nullptr);
        Print(Since(start));
        CheckSphere(*object);
        KeepUntilExit(std::move(object));
        return 0;
    }
    if (step == "draw") {
        glcontext::EnsureContext(bench::kFrameWidth, bench::kFrameHeight);
        bench::SetSphereView();
        auto object = std::make_unique<MgGrObject>();
        LoadInto(*object, path, false);
        RebuildEdges(*object);
        FreshHeap();
        const double first = bench::LibraryFrame(*object);
        std::printf("%.6f %.6f\n", first, bench::LibraryFrame(*object));
        KeepUntilExit(std::move(object));
        return 0;
    }
    if (step == "raw-strips") {
        glcontext::EnsureContext(bench::kFrameWidth, bench::kFrameHeight);
        bench::SetSphereView();
        const bench::Icosphere sphere = ReadIndexed(path);
        const bench::RawStrips raw(sphere);
        FreshHeap();
        const double first = raw.FirstFrame();
        std::printf("%.6f %.6f\n", first, raw.ReplayFrame());
        return 0;
    }
    std::fprintf(stderr, "mgmesh_process: unknown step %s\n", step.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mgmesh_process bare|load-stl|load-binary-stl|rebuild-edges|"
                             "info|hold|fill-faces|draw|raw-strips FILE\n");
        return 2;
    }
    try {
        return Run(argv[1], argv[2]);
    } catch (const char* message) {
        std::fprintf(stderr, "mgmesh_process: %s: %s: %s\n", argv[1], argv[2], message);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mgmesh_process: %s: %s: %s\n", argv[1], argv[2], error.what());
    }
    return 1;
}
