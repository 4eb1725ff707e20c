// The fuzz targets of the exchange-format readers: binary and any-kind STL, OBJ and PLY. Each
// reads the input, checks what was built, writes it back and reads that again; the lenient
// imports are checked against the exact readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>

#include "Finding.h"
#include "mgmesh/mgmesh.h"
#include "support/ModelText.h"
#include "support/Progress.h"

namespace mgfuzz {

using FormatLoad = std::function<void(MgObject&, std::istream&, MyProgressNotify*)>;

/// Loads `bytes` into a new object; a thrown text must be one of `allowed`. Returns whether
/// the load completed.
inline bool LoadFormat(MgObject& object, const std::string& bytes, const FormatLoad& load,
                       std::initializer_list<const char*> allowed, int* steps = nullptr) {
    std::istringstream in(bytes);
    support::CountingProgress progress;
    const bool complete = ExpectThrown([&] { load(object, in, &progress); }, allowed);
    if (steps)
        *steps = progress.steps;
    CheckObject(object);
    MGFUZZ_CHECK(!object.FaceList().empty(), "a load makes a face");
    for (const MgFace* face : object.FaceList())
        for (const MgFacet* f : face->FacetList())
            for (int i = 0; i < 3; ++i)
                MGFUZZ_CHECK(f->Vertex(i) && !f->Neighbor(i), "a read facet: vertices, no links");
    return complete;
}

/// What a model written and read back keeps: its items' structure, and with `values` their
/// values to the bit.
inline void CheckWrittenBack(const MgObject& object, const std::string& written,
                             const FormatLoad& load, bool values) {
    MgObject back;
    MGFUZZ_CHECK(LoadFormat(back, written, load, {}), "a written model reads back");
    support::TextOptions options;
    options.values = values;
    MGFUZZ_CHECK(support::ModelText(back, options) == support::ModelText(object, options),
                 "a written model reads back the same");
}

inline void LoadBinaryStlTarget(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MgObject object, any;
    int steps = 0;
    LoadFormat(object, bytes, &MgObject::LoadBinarySTL, {"File problem"}, &steps);
    MGFUZZ_CHECK(object.FaceList().size() == 1 && steps == 7 * object.NumFacets(),
                 "one face, seven steps a facet");
    LoadFormat(any, bytes, &MgObject::LoadAnySTL, {"File problem", "Unsupported file"});
}

/// Loads the input with `load` and, when that completes, writes it with `save` and reads it
/// back; with `values`, to the bit.
template <class Save>
void LoadAndWriteBack(const std::uint8_t* data, std::size_t size, const FormatLoad& load,
                      std::initializer_list<const char*> allowed, Save save, bool values) {
    MgObject object;
    if (!LoadFormat(object, std::string(reinterpret_cast<const char*>(data), size), load, allowed))
        return;
    std::ostringstream out;
    save(object, out);
    CheckWrittenBack(object, out.str(), load, values);
}

inline void LoadObjTarget(const std::uint8_t* data, std::size_t size) {
    // NaN keeps no payload in text, so only the structure must come back
    LoadAndWriteBack(
        data, size, &MgObject::LoadOBJ, {"Bad OBJ line", "Bad OBJ index", "File problem"},
        [](const MgObject& object, std::ostream& out) { object.SaveOBJ(out); }, false);
}

inline void LoadPlyTarget(const std::uint8_t* data, std::size_t size) {
    LoadAndWriteBack(
        data, size, &MgObject::LoadPLY, {"Bad PLY header", "Bad PLY data", "Bad PLY index"},
        [](const MgObject& object, std::ostream& out) {
            MGFUZZ_CHECK(object.FaceList().size() == 1, "one face");
            object.SavePLY(out, true);
        },
        true);
}

// The lenient import: anything in, a valid model out, seven steps a facet, and every warning
// and error with a reason.
inline void ImportStlTarget(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    MgObject object;
    support::CountingProgress progress;
    const mgmesh::ImportResult result = mgmesh::ImportSTL(object, in, {}, &progress);
    CheckObject(object);
    MGFUZZ_CHECK(progress.steps == 7 * object.NumFacets(), "seven steps a facet");
    MGFUZZ_CHECK(!result.failed || !result.error.reason.empty(), "an error says why");
    for (const mgmesh::ImportIssue& warning : result.warnings)
        MGFUZZ_CHECK(!warning.reason.empty(), "a warning says why");
}

// Every warning and the error of a lenient import say why and where.
inline void CheckIssues(const mgmesh::ImportResult& result) {
    auto placed = [](const mgmesh::ImportIssue& issue) {
        return !issue.reason.empty() &&
               ((issue.line >= 1 && issue.column >= 1) || issue.offset >= 0);
    };
    MGFUZZ_CHECK(!result.failed || placed(result.error), "an error says why and where");
    for (const mgmesh::ImportIssue& warning : result.warnings)
        MGFUZZ_CHECK(placed(warning), "a warning says why and where");
}

// The lenient OBJ and PLY imports: a valid model; what the exact reader reads, the same model
// and no failure; what it throws on, a failure or a warning. An OBJ line that ends in a
// backslash goes on in the next one only in the import.
inline void ImportObjPlyTarget(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const bool obj : {true, false}) {
        MgObject exact, lenient;
        const bool complete =
            LoadFormat(exact, bytes, obj ? FormatLoad(&MgObject::LoadOBJ) : &MgObject::LoadPLY,
                       {"Bad OBJ line", "Bad OBJ index", "File problem", "Bad PLY header",
                        "Bad PLY data", "Bad PLY index"});
        std::istringstream in(bytes);
        support::CountingProgress progress;
        const mgmesh::ImportResult result = obj ? mgmesh::ImportOBJ(lenient, in, &progress)
                                                : mgmesh::ImportPLY(lenient, in, &progress);
        CheckObject(lenient);
        CheckIssues(result);
        if (obj && bytes.find('\\') != std::string::npos)
            continue;
        MGFUZZ_CHECK(complete || result.failed || !result.warnings.empty(),
                     "what the exact reader rejects is warned about or fails");
        if (complete) {
            MGFUZZ_CHECK(!result.failed, "what the exact reader reads imports");
            MGFUZZ_CHECK(support::ModelText(lenient) == support::ModelText(exact),
                         "what the exact reader reads imports as the same model");
        }
    }
}

} // namespace mgfuzz
