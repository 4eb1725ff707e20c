// Memory straight from the system: the item pools' chunks, aligned to their own size, and the
// blocks of large arrays (internal).
#pragma once

#include <cstddef>

namespace mgmesh::detail {

/// `bytes` of zero-filled, readable and writable memory at an address that is a multiple of
/// `bytes` (a power of two, a multiple of the page size); null when the system has none.
void* MapAlignedChunk(std::size_t bytes) noexcept;
/// Gives back a chunk that MapAlignedChunk returned for the same `bytes`.
void UnmapChunk(void* chunk, std::size_t bytes) noexcept;

/// `bytes` of zero-filled memory for one large array, in huge pages where the system gives
/// them on request (a fresh process then faults in one page a 2 MiB instead of 512); null
/// when the system has none.
void* MapLargeBlock(std::size_t bytes) noexcept;
/// Gives back a block that MapLargeBlock returned for the same `bytes`.
void UnmapLargeBlock(void* block, std::size_t bytes) noexcept;

} // namespace mgmesh::detail
