// Loading model files: format detection and edge derivation.
#include "Load.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <sys/stat.h>
#include <unordered_map>

#include "Errors.h"
#include "FileBytes.h"
#include "Platform.h"
#include "Progress.h"

namespace mgtool {
namespace {

// A face that notes its id when it is deleted while a load listens: the TRG reader deletes
// faces whose edges it cannot derive, and those are reported, not hidden. Plain faces: the
// pictures are drawn from a copy made for them (see Shading.h), so a report, a conversion or
// a repair carries no render state.
class ToolFace : public MgFace {
public:
    ToolFace(MgObject* parent, DropLog* log) : MgFace(parent), m_log(log) {}
    ~ToolFace() override {
        if (m_log->listening)
            m_log->ids.push_back(GeoFaceId());
    }

private:
    DropLog* m_log;
};

class ToolObject : public MgObject {
public:
    explicit ToolObject(DropLog* log) : m_log(log) {}
    MgFace* NewFace() override { return new ToolFace(this, m_log); }

private:
    DropLog* m_log;
};

// Listens for deleted faces for the length of one reader call, also when it throws.
class Listening {
public:
    explicit Listening(DropLog& log) : m_log(log) { m_log.listening = true; }
    ~Listening() { m_log.listening = false; }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;

private:
    DropLog& m_log;
};

std::size_t SkipSpace(std::string_view text, std::size_t pos) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    return pos;
}

// The whitespace-separated word at or after `pos`; `pos` moves past it.
std::string NextWord(std::string_view text, std::size_t& pos) {
    pos = SkipSpace(text, pos);
    const std::size_t start = pos;
    while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    return std::string(text.substr(start, pos - start));
}

std::string Stem(const std::string& path) {
    std::string base = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        base.erase(dot);
    return base.empty() ? "model" : base;
}

// Whether `path` ends in `ext` (".trg"), in any case.
bool HasExtension(const std::string& path, const char* ext) {
    const std::size_t n = std::strlen(ext);
    if (path.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - n + i])) != ext[i])
            return false;
    return true;
}

// Reads from bytes the caller keeps, without copying them; never writes to them.
class StringBuffer : public std::streambuf {
public:
    explicit StringBuffer(std::string_view bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        char* target = (dir == std::ios_base::beg   ? eback()
                        : dir == std::ios_base::cur ? gptr()
                                                    : egptr()) +
                       off;
        if (target < eback() || target > egptr())
            return pos_type(off_type(-1));
        setg(eback(), target, egptr());
        return pos_type(target - eback());
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode mode) override {
        return seekoff(off_type(pos), std::ios_base::beg, mode);
    }
};

// A text that starts with "solid" is ASCII STL unless its size is also that of a binary STL
// and its second line does not open a facet: some binary exporters begin the header with
// "solid" too.
Format DetectFormat(const std::string& path, std::string_view bytes) {
    std::size_t pos = 0;
    const std::string first = NextWord(bytes, pos);
    if (first == "scb1")
        return Format::ScbSingle;
    if (first == "scb2")
        return Format::ScbMulti;
    if (first == "ply")
        return Format::Ply;
    if (HasExtension(path, ".trg"))
        return Format::Trg;
    if (HasExtension(path, ".obj"))
        return Format::Obj;
    const std::size_t start = SkipSpace(bytes, 0);
    if (mgmesh::StartsWithSolid(bytes)) {
        if (!HasBinaryStlSize(bytes))
            return Format::StlAscii;
        std::size_t line = bytes.find('\n', start);
        if (line == std::string::npos)
            return Format::StlBinary;
        const std::string second = NextWord(bytes, ++line);
        return second == "facet" || second == "endsolid" ? Format::StlAscii : Format::StlBinary;
    }
    // a binary STL whose count disagrees with its size still has bytes that no text holds
    const auto binary = [](unsigned char c) { return c < 9 || (c > 13 && c < 32) || c == 127; };
    if (HasBinaryStlSize(bytes) ||
        (bytes.size() >= 84 && std::any_of(bytes.begin(), bytes.begin() + 84, binary)))
        return Format::StlBinary;
    if (bytes.empty())
        throw ToolError("empty file");
    throw ToolError(
        "unrecognised format (not SCB, PLY, ASCII or binary STL, nor a .trg or .obj file)");
}

// The rest of an ASCII STL's first line ("solid NAME"), without surrounding space or quotes;
// the file's stem when that is empty.
std::string StlName(std::string_view text, const std::string& path) {
    const std::size_t start = SkipSpace(text, 0) + 5;
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string name(text.substr(start, end - start));
    const char* trim = " \t\r\v\f\"";
    name.erase(0, std::min(name.find_first_not_of(trim), name.size()));
    name.erase(name.find_last_not_of(trim) + 1);
    return name.empty() ? Stem(path) : name;
}

// The name of an "scb2" file: the word after "part", or the library's default.
std::string MultiScbName(std::string_view text) {
    std::size_t pos = 0;
    NextWord(text, pos);
    if (NextWord(text, pos) != "part")
        return "NoName";
    return NextWord(text, pos);
}

// Prints an import's warnings as "mgtool: FILE: warning: place: reason"; its error comes back
// as a ToolError with its place.
void Report(const std::string& path, const mgmesh::ImportResult& result) {
    for (const mgmesh::ImportIssue& warning : result.warnings)
        std::fprintf(stderr, "mgtool: %s: warning: %s\n", path.c_str(), warning.Describe().c_str());
    if (result.failed)
        throw ToolError(result.error.Describe());
}

// Where a failed edge derivation went wrong: the first vertex, in loop order, that the
// boundary loops meet twice, by its number in the face's vertex list and its position.
std::string TwiceOnBoundary(const MgFace& face) {
    std::unordered_map<const MgVertex*, int> seen;
    for (const MgEdge* edge : face.EdgeList())
        for (const MgVertex* v : edge->VertexList())
            if (++seen[v] == 2) {
                long number = 0;
                for (const MgVertex* w : face.VertexList()) {
                    if (w == v)
                        break;
                    ++number;
                }
                char text[160];
                std::snprintf(text, sizeof text, "vertex %ld at (%.6g, %.6g, %.6g)", number,
                              double(v->Vertex().x), double(v->Vertex().y), double(v->Vertex().z));
                return text;
            }
    return "";
}

// Derives the edges of `faces`, noting for each whether that worked.
template <class Faces> void DeriveEdges(Model& model, const Faces& faces) {
    for (MgFace* face : faces) {
        EdgeStatus& status = model.edges[face];
        try {
            status.kind = face->RebuildEdges() ? EdgeStatus::Derived : EdgeStatus::Failed;
            if (status.kind == EdgeStatus::Failed)
                status.message = TwiceOnBoundary(*face);
        } catch (const char* message) {
            status.kind = EdgeStatus::Threw;
            status.message = message;
        }
    }
}

} // namespace

const char* FormatName(Format format) {
    switch (format) {
    case Format::ScbSingle:
        return "scb1";
    case Format::ScbMulti:
        return "scb2";
    case Format::StlAscii:
        return "stl-ascii";
    case Format::StlBinary:
        return "stl-binary";
    case Format::Trg:
        return "trg";
    case Format::Obj:
        return "obj";
    case Format::Ply:
        return "ply";
    }
    return "unknown";
}

std::vector<std::pair<std::string, MgObject*>> Model::Objects() const {
    std::vector<std::pair<std::string, MgObject*>> objects;
    if (object) {
        objects.emplace_back("object", object.get());
    } else if (multi) {
        objects.emplace_back("unprocessed", multi->UnprocessedObject());
        int number = 0;
        for (MgObject* part : multi->ProcessedList()) {
            ++number;
            if (part)
                objects.emplace_back("part " + std::to_string(number), part);
        }
    }
    return objects;
}

MgObject* Model::Whole() const {
    return object ? object.get() : multi->OriginalObject();
}

EdgeStatus Model::EdgesOf(const MgFace* face) const {
    const auto found = edges.find(face);
    return found == edges.end() ? EdgeStatus() : found->second;
}

void KeepUntilExit(std::unique_ptr<Model> model) {
    static std::unique_ptr<Model>* kept = new std::unique_ptr<Model>(); // never destroyed
    *kept = std::move(model);
}

bool HasBinaryStlSize(std::string_view bytes) {
    if (bytes.size() < 84)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 80;
    const std::uint64_t count = p[0] | p[1] << 8 | p[2] << 16 | std::uint64_t(p[3]) << 24;
    return 84 + 50 * count == bytes.size();
}

long CountLines(std::string_view text) {
    long lines = 0;
    for (const char *p = text.data(), *end = p + text.size();
         (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
        ++lines;
    return lines;
}

std::unique_ptr<Model> LoadModel(const std::string& path, bool progress, float tolerance) {
    const auto start = std::chrono::steady_clock::now();
    auto model = std::make_unique<Model>();
    model->path = path;
    const FileBytes file(path);
    const std::string_view bytes = file.View();
    model->format = DetectFormat(path, bytes);
    // a binary STL reports seven steps a facet, as the lines of its ASCII form; the lines are
    // counted only for a bar that shows, since counting reads the whole file ahead of the load
    const bool shown = progress && platform::ErrorIsTerminal();
    ProgressBar bar("loading " + path, model->format == Format::StlBinary
                                           ? 7 * long((bytes.size() - 84) / 50)
                                       : shown ? CountLines(bytes)
                                               : 0);
    MyProgressNotify* receiver = progress ? bar.Receiver() : nullptr;
    StringBuffer buffer(bytes);
    std::istream in(&buffer);
    if (model->format != Format::ScbMulti)
        model->object = std::make_unique<ToolObject>(&model->dropped);
    switch (model->format) {
    case Format::ScbSingle:
        model->name = model->object->LoadSCB(in, receiver);
        break;
    case Format::ScbMulti:
        model->multi = std::make_unique<CMgMultiObject>();
        model->multi->Init();
        model->multi->LoadSCB(in, receiver);
        model->name = MultiScbName(bytes);
        break;
    case Format::StlAscii:
    case Format::StlBinary: {
        model->name = model->format == Format::StlAscii ? StlName(bytes, path) : Stem(path);
        mgmesh::ImportOptions options;
        options.tolerance = tolerance;
        options.released = [&file](std::size_t bytes) { file.Release(bytes); };
        options.form = model->format == Format::StlAscii ? mgmesh::ImportOptions::Text
                                                         : mgmesh::ImportOptions::Binary;
        Report(path, mgmesh::ImportSTL(*model->object, bytes, options, receiver));
        DeriveEdges(*model, model->object->FaceList());
        break;
    }
    case Format::Obj:
    case Format::Ply:
        model->name = Stem(path);
        Report(path, model->format == Format::Obj
                         ? mgmesh::ImportOBJ(*model->object, in, receiver)
                         : mgmesh::ImportPLY(*model->object, in, receiver));
        DeriveEdges(*model, model->object->FaceList());
        break;
    case Format::Trg: {
        {
            Listening listening(model->dropped);
            model->name = model->object->LoadTRG(in, receiver);
        }
        for (MgFace* face : model->object->FaceList())
            model->edges[face].kind = EdgeStatus::Derived;
        break;
    }
    }
    bar.Finish();
    model->loadSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return model;
}

} // namespace mgtool
