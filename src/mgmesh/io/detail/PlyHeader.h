// The header of a PLY file: its format, elements, properties and their types (internal).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mgmesh/io/detail/FormatIo.h"

namespace mgmesh::detail::ply {

enum class Format { Ascii, Little, Big };

// The scalar types by their sizes in bytes; signedness and float-ness beside.
struct Type {
    int size = 0;
    bool isFloat = false, isSigned = false;
};

/// The type of a PLY type name ("float", "uint8", ...); false for none.
bool TypeNamed(std::string_view name, Type& type);

// Where a vertex property goes: x y z, nx ny nz, u v (s t), or nowhere.
enum Slot { X, Y, Z, NX, NY, NZ, U, V, kSlots, None = kSlots };

/// The slot of a vertex property name; None for one the model does not hold.
Slot SlotNamed(std::string_view name);

struct Property {
    Type type;
    bool list = false;
    Type countType;
    std::string name;
};

struct Element {
    std::string name;
    long long count = 0;
    std::vector<Property> properties;
    long long line = 0; // in the header
};

struct Header {
    Format format = Format::Ascii;
    std::vector<Element> elements;
};

/// Reads the header up to its "end_header" line. Throws "Bad PLY header", or when `lenient`
/// an ImportFailure with the header line and the reason.
Header ReadHeader(ByteInput& input, bool lenient);

} // namespace mgmesh::detail::ply
