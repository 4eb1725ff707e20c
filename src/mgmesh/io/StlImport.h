// A lenient STL import for real files, beside the exact readers LoadSTL and LoadBinarySTL.
#pragma once

#include <istream>
#include <string_view>

#include "mgmesh/Export.h"
#include "mgmesh/io/ImportResult.h"

class MgObject;
class MyProgressNotify;

namespace mgmesh {

/// Reads an ASCII or binary STL from `bytes` into new faces of `object`, accepting what common
/// tools write, and says what it accepted:
/// - ASCII: keywords in any case; names after "solid" and "endsolid" of any length; several
///   solids (one face each, ids 0, 1, 2, …); no line feed after the last keyword; no
///   "endsolid" at the end (warned).
/// - binary (the rule of LoadAnySTL decides, unless the options say): a count that disagrees
///   with the size (warned; the whole facets that are there are read) and bytes after the last
///   facet (warned).
/// - facet normals that are NaN, infinite or zero are replaced by the unit normal of the
///   corners' winding (warned once, with the first place and the count).
/// - a model whose bounding box is under 100 times the tolerance on every axis is warned
///   about: the merge may have joined corners that were meant apart.
/// Otherwise corners merge and normals accumulate as in LoadSTL. A text that breaks off with
/// a malformed facet stops the import with `failed` and the place; the facets read before it
/// stay. Linear in the size of the input.
MGMESH_API ImportResult ImportSTL(MgObject& object, std::string_view bytes,
                                  const ImportOptions& options = {},
                                  MyProgressNotify* progress = nullptr);
/// The same, for the whole rest of a stream, read into memory first.
MGMESH_API ImportResult ImportSTL(MgObject& object, std::istream& in,
                                  const ImportOptions& options = {},
                                  MyProgressNotify* progress = nullptr);

/// Whether `bytes` start, after blanks, with "solid" in any case.
MGMESH_API bool StartsWithSolid(std::string_view bytes);

} // namespace mgmesh
