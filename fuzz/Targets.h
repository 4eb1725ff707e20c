// The fuzz targets' bodies, shared by the libFuzzer programs and the regression test.
//
// Each target feeds the input to one entry point of the library, catches the library's own
// failures (a thrown message text, which must be one the operation may throw), checks the
// model's invariants and deletes the model. A broken invariant is thrown as a Finding; any
// other exception escapes; a crash is a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Finding.h"
#include "FormatTargets.h"
#include "HostImportTarget.h"
#include "Operations.h"
#include "RoundTrip.h"
#include "mgmesh/multi/CMgMultiObject.h"
#include "support/Progress.h"
#include "support/Shapes.h"

namespace mgfuzz {

using support::CountingProgress;

inline std::string AsText(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

/// Reads the input into `object` with `load`; a thrown text must be one of `allowed`.
template <class Load>
bool LoadText(MgObject& object, const std::uint8_t* data, std::size_t size, Load load,
              std::initializer_list<const char*> allowed, CountingProgress* progress = nullptr) {
    std::istringstream in(AsText(data, size));
    CountingProgress own;
    return ExpectThrown([&] { (object.*load)(in, progress ? progress : &own); }, allowed);
}

/// Operations on faces as read: a file's links may be anything (one-sided, to the facet itself,
/// unrelated to the vertices), and a facet may have an empty vertex slot. Every face is copied
/// and measured; faces whose facets all hold three vertices are also split, edged, reversed
/// and merged (edge building has nothing to follow from an empty slot).
inline void ExerciseReadFaces(MgObject& object, std::size_t choice) {
    MgObject copies;
    for (MgFace* face : object.FaceList()) {
        MgFace* copy = copies.NewFace();
        ExpectThrown([&] { copy->CopyFace(face); }, {"Bad face structure"});
        (void)face->Area();
    }
    (void)copies.Area();
    CheckObject(copies);
    const int side = static_cast<int>(choice % 3);
    // the faces as read, with their links as the file gave them
    for (MgFace* face : object.FaceList())
        if (Complete(face) && !face->FacetList().empty())
            ExpectThrown([&] { face->FacetList().front()->Split(side, 0.5f); },
                         {"Bad facet structure"});
    CheckObject(object);
    std::vector<MgFace*> complete;
    for (MgFace* face : copies.FaceList()) {
        if (!Complete(face))
            continue;
        complete.push_back(face);
        if (!face->FacetList().empty())
            ExpectThrown(
                [&] {
                    face->FacetList().front()->Split(side, 0.5f);
                    face->FacetList().back()->SplitSubDiv((side + 1) % 3, 0.25f);
                },
                {"Bad facet structure"});
        CheckFace(face);
        ExpectThrown([&] { face->RebuildEdges(); }); // complete facets
        face->Reverse();
        CheckFace(face);
    }
    if (complete.size() >= 2)
        complete.front()->AddTo(complete.back());
    CheckObject(copies);
}

inline void LoadScbTarget(const std::uint8_t* data, std::size_t size) {
    MgObject object;
    LoadText(object, data, size, &MgObject::LoadSCB, {"File problem"});
    CheckRoundTrip(object);
    ExerciseReadFaces(object, size);
}

inline void LoadFromScbTarget(const std::uint8_t* data, std::size_t size) {
    MgObject object;
    MgFace* first = shapes::Grid(object, 1, 1);
    first->RebuildEdges();
    MgFace* second = shapes::Tetrahedron(object);
    second->RebuildEdges();
    const int facets = object.NumFacets(), vertices = object.NumVertices();

    std::istringstream in(AsText(data, size));
    CountingProgress progress;
    // a run of faces, then whatever follows it read as a second run, as the multi-part reader
    // does after a part's end word
    ExpectThrown(
        [&] {
            const std::string end = object.LoadFromSCB(in, &progress);
            MGFUZZ_CHECK(end != "faceBegin", "the end word of a run of faces");
            if (!end.empty())
                object.LoadFromSCB(in, &progress);
        },
        {"File problem"});
    auto it = object.FaceList().begin();
    MGFUZZ_CHECK(object.FaceList().size() >= 2 && *it++ == first && *it == second,
                 "faces the object had stay first");
    MGFUZZ_CHECK(first->NumFacets() + second->NumFacets() == facets &&
                     first->NumVertices() + second->NumVertices() == vertices,
                 "faces the object had are unchanged");
    CheckRoundTrip(object);
    ExerciseReadFaces(object, size);
}

inline void LoadStlTarget(const std::uint8_t* data, std::size_t size) {
    CountingProgress progress;
    MgObject object;
    LoadText(object, data, size, &MgObject::LoadSTL, {"File problem", "Unsupported file"},
             &progress);
    MGFUZZ_CHECK(object.FaceList().size() == 1, "one face per solid");
    MgFace* face = object.FaceList().back();
    MGFUZZ_CHECK(face->GeoFaceId() == 0 && face->NumEdges() == 0 && face->CornerList().empty(),
                 "a read solid has id 0, no edges and no corners");
    MGFUZZ_CHECK(progress.steps == 7L * face->NumFacets(), "seven progress steps per facet");
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            MGFUZZ_CHECK(f->Vertex(i) && !f->Neighbor(i), "a read facet: three vertices, no links");
    CheckObject(object);
    ExpectThrown([&] { face->RebuildEdges(); });
    CheckObject(object);
}

inline void LoadTrgTarget(const std::uint8_t* data, std::size_t size) {
    MgObject object;
    LoadText(object, data, size, &MgObject::LoadTRG, {}); // every facet has three vertices
    for (const MgFace* face : object.FaceList())
        MGFUZZ_CHECK(!face->Corrupt(), "a kept TRG face is not corrupt");
    CheckObject(object);
}

inline void MultiLoadScbTarget(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(AsText(data, size));
    CountingProgress progress;
    CMgMultiObject multi;
    multi.Init();
    const bool loaded =
        ExpectThrown([&] { multi.LoadSCB(in, &progress); }, {"File problem", "Bad face structure"});
    MGFUZZ_CHECK(multi.UnprocessedObject() && multi.OriginalObject(), "objects after Init");
    CheckObject(*multi.UnprocessedObject());
    CheckObject(*multi.OriginalObject());
    std::size_t faces = multi.UnprocessedObject()->FaceList().size();
    int facets = multi.UnprocessedObject()->NumFacets();
    int index = 0;
    for (const MgObject* part : multi.ProcessedList()) {
        MGFUZZ_CHECK(part && multi.PartObject(index++) == part, "parts in order");
        CheckObject(*part);
        faces += part->FaceList().size();
        facets += part->NumFacets();
    }
    MGFUZZ_CHECK(multi.PartObject(index) == nullptr && multi.PartObject(-1) == nullptr,
                 "no part beyond the list");
    if (loaded) {
        const MgObject* original = multi.OriginalObject();
        MGFUZZ_CHECK(original->FaceList().size() == faces && original->NumFacets() == facets,
                     "the original holds a copy of every face and facet");
    }
    (void)multi.Size();
}

struct Target {
    const char* name;
    void (*run)(const std::uint8_t*, std::size_t);
};

/// Every target, by the name of its fuzzer and of its folders of seeds and regression inputs.
inline const Target (&AllTargets())[12] {
    static const Target targets[12] = {
        {"load_scb", LoadScbTarget},
        {"load_from_scb", LoadFromScbTarget},
        {"load_stl", LoadStlTarget},
        {"load_trg", LoadTrgTarget},
        {"multi_load_scb", MultiLoadScbTarget},
        {"host_import", HostImportTarget},
        {"operations", OperationsTarget},
        {"load_binary_stl", LoadBinaryStlTarget},
        {"load_obj", LoadObjTarget},
        {"load_ply", LoadPlyTarget},
        {"import_stl", ImportStlTarget},
        {"import_obj_ply", ImportObjPlyTarget},
    };
    return targets;
}

} // namespace mgfuzz
