// What the library's vertex merges share: the readers' merge box, finiteness and the cell hash
// of their grids (internal). Each grid keeps its own merge rule and cell size.
#pragma once

#include <cmath>
#include <cstdint>

#include "mgmesh/detail/HashMix.h"
#include "mgmesh/geometry/CGeoVector.h"

namespace mgmesh::detail {

/// The half-width of the box within which the readers merge a corner into a vertex.
constexpr float kMergeBox = 0.01f;

/// The readers' merge test: every axis differs by at most kMergeBox (in float). NaN never
/// passes it.
inline bool WithinMergeBox(const CGeoVector& a, const CGeoVector& p) {
    return std::fabs(a.x - p.x) <= kMergeBox && std::fabs(a.y - p.y) <= kMergeBox &&
           std::fabs(a.z - p.z) <= kMergeBox;
}

/// No coordinate is infinite or NaN: only such points can lie in a grid cell.
inline bool Finite(const CGeoVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

/// A hash of a grid cell's three numbers (any integer encoding of them) in which every bit
/// depends on every bit of the numbers, so both the low bits (a slot) and the high bits (a tag)
/// may be used.
inline std::uint64_t CellHash(std::uint64_t x, std::uint64_t y, std::uint64_t z) {
    return HashMix(x * 0x9e3779b97f4a7c15ULL + y * 0xc2b2ae3d27d4eb4fULL +
                   z * 0x165667b19e3779f9ULL);
}

} // namespace mgmesh::detail
