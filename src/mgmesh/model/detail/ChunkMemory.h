// Memory for the item pools' chunks straight from the system, aligned to its own size (internal).
#pragma once

#include <cstddef>

namespace mgmesh::detail {

/// `bytes` of zero-filled, readable and writable memory at an address that is a multiple of
/// `bytes` (a power of two, a multiple of the page size); null when the system has none.
void* MapAlignedChunk(std::size_t bytes) noexcept;
/// Gives back a chunk that MapAlignedChunk returned for the same `bytes`.
void UnmapChunk(void* chunk, std::size_t bytes) noexcept;

} // namespace mgmesh::detail
