// Model files by name: the format from the extension, then the library's reader or writer.
#include "Files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <istream>
#include <streambuf>
#include <sys/stat.h>

namespace mgpy {
namespace {

const char* const kFormats[] = {"stl", "obj", "ply", "scb", "trg"};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The whole file; a directory is refused before it is opened, as reading one gives nothing.
std::string ReadFile(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw FileError{EISDIR, path};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError{errno ? errno : EIO, path};
    std::string bytes;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.seekg(0);
        in.read(&bytes[0], size);
        if (in.gcount() != size)
            throw FileError{EIO, path};
    }
    return bytes;
}

// Reads from bytes the caller keeps, without a copy.
class ByteBuffer : public std::streambuf {
public:
    explicit ByteBuffer(const std::string& bytes) {
        char* begin = const_cast<char*>(bytes.data());
        setg(begin, begin, begin + bytes.size());
    }

protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        char* base = dir == std::ios_base::beg   ? eback()
                     : dir == std::ios_base::cur ? gptr()
                                                 : egptr();
        if (off < eback() - base || off > egptr() - base)
            return pos_type(off_type(-1));
        setg(eback(), base + off, egptr());
        return pos_type(gptr() - eback());
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode mode) override {
        return seekoff(off_type(pos), std::ios_base::beg, mode);
    }
};

// The file name without folder and extension.
std::string Stem(const std::string& path) {
    std::string base = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        base.erase(dot);
    return base.empty() ? "model" : base;
}

// The first word of an SCB file says whether it has one object or parts.
std::string FirstWord(const std::string& bytes) {
    std::size_t begin = 0;
    while (begin < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[begin])))
        ++begin;
    std::size_t end = begin;
    while (end < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[end])))
        ++end;
    return bytes.substr(begin, end - begin);
}

} // namespace

std::string FormatOf(const std::string& path, const std::string& format) {
    std::string name = Lower(format);
    if (name.empty()) {
        const std::size_t slash = path.find_last_of('/');
        const std::size_t dot = path.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            name = Lower(path.substr(dot + 1));
    }
    for (const char* known : kFormats)
        if (name == known)
            return name;
    throw Error("unknown model format" + (name.empty() ? std::string() : " '" + name + "'") +
                " of " + path + " (known: stl, obj, ply, scb, trg; or give format=...)");
}

void LoadFile(ModelObject& object, const std::string& path, const LoadOptions& options,
              std::vector<std::string>& warnings) {
    const std::string format = FormatOf(path, options.format);
    const std::string bytes = ReadFile(path);
    ByteBuffer buffer(bytes);
    std::istream in(&buffer);
    const bool lenient = !options.strict && (format == "stl" || format == "obj" || format == "ply");
    if (lenient) {
        mgmesh::ImportOptions import;
        import.tolerance = options.tolerance;
        const mgmesh::ImportResult result = format == "stl"
                                                ? mgmesh::ImportSTL(object, bytes, import)
                                            : format == "obj" ? mgmesh::ImportOBJ(object, in)
                                                              : mgmesh::ImportPLY(object, in);
        for (const mgmesh::ImportIssue& warning : result.warnings)
            warnings.push_back(warning.Describe());
        if (result.failed)
            throw Error(result.error.Describe());
    } else if (format == "stl") {
        object.LoadAnySTL(in);
    } else if (format == "obj") {
        object.LoadOBJ(in);
    } else if (format == "ply") {
        object.LoadPLY(in);
    } else if (format == "trg") {
        object.name = object.LoadTRG(in);
    } else {
        if (FirstWord(bytes) == "scb2")
            throw Error("a multi-part SCB file (scb2): read it with mgmesh.load_multi");
        object.name = object.LoadSCB(in);
    }
    if (format != "trg" && format != "scb")
        object.name = Stem(path);
}

void LoadMultiFile(ModelMulti& multi, const std::string& path) {
    const std::string bytes = ReadFile(path);
    ByteBuffer buffer(bytes);
    std::istream in(&buffer);
    multi.LoadSCB(in);
}

void SaveFile(const ModelObject& object, const std::string& path, const std::string& format,
              bool binary) {
    const std::string name = FormatOf(path, format);
    if (name == "trg")
        throw Error("the library cannot write TRG files");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileError{errno ? errno : EIO, path};
    if (name == "stl")
        object.SaveSTL(out, binary);
    else if (name == "obj")
        object.SaveOBJ(out);
    else if (name == "ply")
        object.SavePLY(out, binary);
    else
        object.SaveSCB(out, object.name);
    out.close();
    if (!out)
        throw FileError{errno ? errno : EIO, path};
}

} // namespace mgpy
