// The bit mixer behind the call-long hash indices (internal).
#pragma once

#include <cstdint>

namespace mgmesh::detail {

/// Spreads every input bit over the whole word (the murmur3 finaliser).
inline std::uint64_t HashMix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

} // namespace mgmesh::detail
