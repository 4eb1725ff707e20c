// Peak memory of one reader call: loads a file with the library alone (no render classes, the
// file streamed, not read into memory first) and prints the process's peak resident size before
// and after the load, in KiB, and the outcome. Used by fuzz/memory_table.py.
//
//   mgmesh_memory_probe scb|stl|trg|multi|binary-stl|any-stl|import-stl|obj|ply FILE
#include <mgmesh/mgmesh.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include "ProcStatus.h"

namespace {

std::string Load(const std::string& reader, std::istream& in) {
    if (reader == "multi") {
        auto multi = std::make_unique<CMgMultiObject>();
        multi->Init();
        multi->LoadSCB(in);
        return "loaded, " + std::to_string(multi->ProcessedList().size()) + " parts";
    }
    auto object = std::make_unique<MgObject>();
    if (reader == "scb")
        object->LoadSCB(in);
    else if (reader == "stl")
        object->LoadSTL(in);
    else if (reader == "trg")
        object->LoadTRG(in);
    else if (reader == "binary-stl")
        object->LoadBinarySTL(in);
    else if (reader == "any-stl")
        object->LoadAnySTL(in);
    else if (reader == "obj")
        object->LoadOBJ(in);
    else if (reader == "ply")
        object->LoadPLY(in);
    else if (reader == "import-stl") {
        const mgmesh::ImportResult result = mgmesh::ImportSTL(*object, in);
        if (result.failed)
            return "import failed: " + result.error.Describe();
    } else
        return "unknown reader " + reader;
    std::size_t facets = 0;
    for (MgFace* face : object->FaceList())
        facets += face->FacetList().size();
    return "loaded, " + std::to_string(object->FaceList().size()) + " faces, " +
           std::to_string(facets) + " facets";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mgmesh_memory_probe "
                             "scb|stl|trg|multi|binary-stl|any-stl|import-stl|obj|ply FILE\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", argv[2]);
        return 2;
    }
    const double before = ProcStatusKib("VmHWM");
    std::string outcome;
    try {
        outcome = Load(argv[1], in);
    } catch (const char* message) {
        outcome = std::string("threw \"") + message + "\"";
    } catch (const std::bad_alloc&) {
        outcome = "out of memory";
    } catch (const std::exception& error) {
        outcome = std::string("threw ") + error.what();
    }
    std::printf("%.0f %.0f %s\n", before, ProcStatusKib("VmHWM"), outcome.c_str());
    return 0;
}
