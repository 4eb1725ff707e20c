// Lenient OBJ and PLY imports for real files, beside the exact readers LoadOBJ and LoadPLY.
#pragma once

#include <istream>

#include "mgmesh/Export.h"
#include "mgmesh/io/ImportResult.h"

class MgObject;
class MyProgressNotify;

namespace mgmesh {

/// Reads an OBJ as LoadOBJ does (the same faces, vertices and facets from a file that LoadOBJ
/// reads and that has no line ending in a backslash, and a Step() a line), accepting what common
/// tools write, and says what it accepted, each with the line and column of the first case and the
/// count of its kind:
/// - a face with a corner index of 0 or one that names no line read before (v, vt or vn) is
///   skipped (warned);
/// - a face of fewer than three corners is skipped (warned);
/// - polygons of more than three corners become fans, as in LoadOBJ (warned);
/// - a line that ends in a backslash goes on in the next line.
/// Statements the model does not hold ("mtllib", "usemtl", "s", "l", "p", ...) are skipped, as
/// in LoadOBJ. A word that does not read as the number it stands for stops the import with
/// `failed`, its line and column; the facets of the lines before stay. Memory grows with the
/// input only. Near-linear.
MGMESH_API ImportResult ImportOBJ(MgObject& object, std::istream& in,
                                  MyProgressNotify* progress = nullptr);

/// Reads an ASCII or binary PLY into one new face with id 0 as LoadPLY does (the same model
/// from a file that LoadPLY reads, and the same Step() an item), accepting what common tools
/// write, and says what it accepted, each with its place: line and column in ASCII, byte
/// offset and item index in binary:
/// - a face whose index list names a vertex not read before, or has fewer than three indices,
///   is skipped (warned once, with the first place and the count);
/// - polygons of more than three corners become fans, as in LoadPLY (warned once, likewise);
/// - data that ends before the counted items keeps the whole items read (warned);
/// - data after the last element is passed over (warned).
/// A bad header stops the import with `failed`, its line and the reason, as does a number that
/// does not read or a list longer than an int counts; the items read before stay. Linear.
MGMESH_API ImportResult ImportPLY(MgObject& object, std::istream& in,
                                  MyProgressNotify* progress = nullptr);

} // namespace mgmesh
