// Memory straight from the system: the item pools' chunks, aligned to their own size, and the
// blocks of large arrays (internal).
#pragma once

#include <cstddef>

#include "mgmesh/Export.h"

namespace mgmesh::detail {

/// `bytes` of zero-filled, readable and writable memory at an address that is a multiple of
/// `bytes` (a power of two, a multiple of the page size); null when the system has none.
void* MapAlignedChunk(std::size_t bytes) noexcept;
/// Gives back a chunk that MapAlignedChunk returned for the same `bytes`.
void UnmapChunk(void* chunk, std::size_t bytes) noexcept;

// The large blocks are exported for the tests, whose arrays come from them too; the header is
// not installed.
/// `bytes` of zero-filled memory for one large array, in huge pages where the system gives
/// them on request (a fresh process then faults in one page a 2 MiB instead of 512); null
/// when the system has none.
MGMESH_API void* MapLargeBlock(std::size_t bytes) noexcept;
/// Gives back a block that MapLargeBlock returned for the same `bytes`.
MGMESH_API void UnmapLargeBlock(void* block, std::size_t bytes) noexcept;

} // namespace mgmesh::detail
