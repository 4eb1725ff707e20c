// What a lenient import reports: its warnings and its error, each with its place in the file.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "mgmesh/Export.h"

namespace mgmesh {

/// One thing an import noticed, with its place: line and column (from 1) in a text file,
/// byte offset and item index (from 0) in a binary one; a place it does not have is -1.
struct MGMESH_API ImportIssue {
    std::string reason;
    long long line = -1;
    long long column = -1;
    long long offset = -1;
    /// The index of the binary STL facet, or of the binary PLY item that `element` names.
    long long facet = -1;
    /// The PLY element the index counts in ("vertex", "face"); empty for an STL facet.
    std::string element;

    /// "line 12, column 5: reason", "byte 184 (facet 2): reason" or "byte 96 (face 0): reason".
    std::string Describe() const;
};

/// How ImportSTL reads; the OBJ and PLY imports take no options.
struct ImportOptions {
    /// Corners closer than this on every axis are merged into the newest such vertex, as
    /// LoadSTL merges within 0.01. Zero or less merges only equal positions.
    float tolerance = 0.01f;
    /// Whether the input is text or binary STL; Decide applies the rule of LoadAnySTL.
    enum Form { Decide, Text, Binary } form = Decide;
    /// Called now and then, when set, with how many leading bytes of the input the import will
    /// not read again: a caller that maps a large file can give those pages back as it goes.
    std::function<void(std::size_t)> released;
};

/// What an import did: the warnings in file order, and the error that stopped it, if any.
struct ImportResult {
    std::vector<ImportIssue> warnings;
    bool failed = false;
    ImportIssue error;
};

} // namespace mgmesh
