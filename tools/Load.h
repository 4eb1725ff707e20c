// Loading a model file of any format the library reads, into drawable objects.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <mgmesh/mgmesh.h>

namespace mgtool {

enum class Format { ScbSingle, ScbMulti, StlAscii, StlBinary, Trg, Obj, Ply };

/// A short name for the format: "scb1", "scb2", "stl-ascii", "stl-binary", "trg", "obj", "ply".
const char* FormatName(Format format);

/// What became of a face's boundary edges.
struct EdgeStatus {
    enum Kind { FromFile, Derived, Failed, Threw } kind = FromFile;
    std::string message; // the thrown text, for Threw; the place, for Failed
};

/// Ids of faces that the TRG reader deleted because their edges could not be derived. Lives
/// longer than the objects whose faces write to it, and listens only while a load runs.
struct DropLog {
    bool listening = false;
    std::vector<std::intptr_t> ids;
};

/// A loaded file: either one object (SCB "scb1", STL, TRG) or a multi-part object ("scb2").
/// The objects are render objects, so they can be drawn; destroy the model while the GL context
/// it was drawn in is current.
struct Model {
    std::string path;
    std::string name;
    Format format = Format::StlAscii;
    double loadSeconds = 0;
    DropLog dropped; // before the objects: their faces may write to it while they are deleted
    std::unique_ptr<MgGrObject> object;
    std::unique_ptr<CMgGrMultiObject> multi;
    std::map<const MgFace*, EdgeStatus> edges;

    /// The objects to report and draw, with their roles: "object", or "unprocessed" and
    /// the word "part" and its number (from 1) for the parts of a multi-part file.
    std::vector<std::pair<std::string, MgGrObject*>> Objects() const;
    /// The object that holds the whole model: the object, or the multi-part object's merged
    /// original.
    MgObject* Whole() const;
    /// How a face's edges came about; FromFile for faces not recorded.
    EdgeStatus EdgesOf(const MgFace* face) const;
};

/// Reads `path` ("-" is standard input) and loads it: the format is told by the content
/// ("scb1", "scb2", "ply", "solid", the size of a binary STL) or by the ".trg" and ".obj" names.
/// Derives edges where the format does not carry them. Draws a progress bar when `progress` and
/// standard error is a terminal. STL goes through the lenient import, merging corners within
/// `tolerance`; its warnings are printed as "mgtool: FILE: warning: PLACE: reason", its error
/// thrown with its place. Throws the library's message text (const char*) or a ToolError.
std::unique_ptr<Model> LoadModel(const std::string& path, bool progress, float tolerance = 0.01f);

/// Whether `bytes` have the size of a binary STL: 84 + 50 × (the count at byte 80).
bool HasBinaryStlSize(const std::string& bytes);

/// Counts the line feeds of `text` (the progress estimate of a text load).
long CountLines(const std::string& text);

} // namespace mgtool
