// Model files by name: the format from the extension, then the library's reader or writer.
#pragma once

#include <string>
#include <vector>

#include "Model.h"

namespace mgpy {

/// A file that could not be opened, read or written; reaches Python as OSError with errno.
struct FileError {
    int code;
    std::string path;
};

struct LoadOptions {
    std::string format; // "" for the extension's
    float tolerance = 0.01f;
    bool strict = false; // STL through LoadAnySTL rather than the lenient import
};

/// "stl", "obj", "ply", "scb" or "trg" for `format` or else `path`'s extension (any case);
/// throws Error for any other.
std::string FormatOf(const std::string& path, const std::string& format);

/// Reads `path` into `object` (runs without the GIL). STL goes through the lenient import,
/// whose warnings are appended to `warnings` ("line 3, column 1: reason"), or with `strict`
/// through LoadAnySTL. Throws FileError, Error, or the library's texts.
void LoadFile(ModelObject& object, const std::string& path, const LoadOptions& options,
              std::vector<std::string>& warnings);

/// Reads an "scb1" or "scb2" file into `multi`.
void LoadMultiFile(ModelMulti& multi, const std::string& path);

/// Writes `object` to `path` in `format` (or the extension's); `binary` for STL and PLY.
void SaveFile(const ModelObject& object, const std::string& path, const std::string& format,
              bool binary);

} // namespace mgpy
