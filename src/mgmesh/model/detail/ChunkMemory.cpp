// The item pools' chunks: mmap on POSIX systems, VirtualAlloc on Windows.
#include "mgmesh/model/detail/ChunkMemory.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace mgmesh::detail {

#ifdef _WIN32

void* MapAlignedChunk(std::size_t bytes) noexcept {
    // Windows cannot give back part of a reservation: reserve twice the size to find an aligned
    // address inside, release it, and take just the aligned part; another thread may take that
    // address in between, so try again a few times
    for (int attempt = 0; attempt < 16; ++attempt) {
        void* probe = VirtualAlloc(nullptr, 2 * bytes, MEM_RESERVE, PAGE_NOACCESS);
        if (!probe)
            return nullptr;
        const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(probe);
        const std::uintptr_t aligned = (start + bytes - 1) & ~(std::uintptr_t(bytes) - 1);
        VirtualFree(probe, 0, MEM_RELEASE);
        if (void* chunk = VirtualAlloc(reinterpret_cast<void*>(aligned), bytes,
                                       MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
            return chunk;
    }
    return nullptr;
}

void UnmapChunk(void* chunk, std::size_t) noexcept {
    VirtualFree(chunk, 0, MEM_RELEASE);
}

void* MapLargeBlock(std::size_t bytes) noexcept {
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapLargeBlock(void* block, std::size_t) noexcept {
    VirtualFree(block, 0, MEM_RELEASE);
}

#else

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t HugePages(std::size_t bytes) {
    return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

// `size` bytes at a multiple of `alignment` (a power of two, a multiple of the page size),
// advised to be backed by huge pages where the system gives them on request: a fresh process
// then faults in one page a 2 MiB instead of 512. Maps `alignment` more, so that an aligned
// block lies inside, and gives the rest back at once.
void* MapAligned(std::size_t size, std::size_t alignment) noexcept {
    if (size + alignment < size)
        return nullptr;
    void* raw =
        mmap(nullptr, size + alignment, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + alignment - 1) & ~std::uintptr_t(alignment - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + size), start + alignment - aligned);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#endif
    return block;
}

} // namespace

void* MapAlignedChunk(std::size_t bytes) noexcept {
    return MapAligned(bytes, bytes);
}

void UnmapChunk(void* chunk, std::size_t bytes) noexcept {
    munmap(chunk, bytes);
}

void* MapLargeBlock(std::size_t bytes) noexcept {
    const std::size_t size = HugePages(bytes);
    return size < bytes ? nullptr : MapAligned(size, kHugePage);
}

void UnmapLargeBlock(void* block, std::size_t bytes) noexcept {
    munmap(block, HugePages(bytes));
}

#endif

} // namespace mgmesh::detail
