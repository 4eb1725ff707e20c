// Arrays of many items for one whole-model operation, in huge pages where they are large
// (internal).
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include "mgmesh/model/detail/ChunkMemory.h"

namespace mgmesh::detail {

/// Hands out blocks of 2 MiB and more straight from the system, in huge pages where it gives
/// them on request, and smaller ones from the heap. A fresh process pays for each page it
/// touches first, and the indices of a whole-model operation touch every page they have.
template <class T> struct LargeAllocator {
    using value_type = T;
    static constexpr std::size_t kLargeBytes = std::size_t(2) << 20;

    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        const std::size_t bytes = n * sizeof(T);
#ifndef MGMESH_PLAIN_ITEMS // memory checkers see heap blocks only
        if (bytes >= kLargeBytes) {
            if (void* block = MapLargeBlock(bytes))
                return static_cast<T*>(block);
            throw std::bad_alloc();
        }
#endif
        return static_cast<T*>(::operator new(bytes));
    }
    void deallocate(T* p, std::size_t n) noexcept {
#ifndef MGMESH_PLAIN_ITEMS
        if (n * sizeof(T) >= kLargeBytes)
            return UnmapLargeBlock(p, n * sizeof(T));
#else
        (void)n;
#endif
        ::operator delete(p);
    }
    template <class U> bool operator==(const LargeAllocator<U>&) const noexcept {
        return true;
    }
    template <class U> bool operator!=(const LargeAllocator<U>&) const noexcept {
        return false;
    }
};

template <class T> using LargeArray = std::vector<T, LargeAllocator<T>>;

} // namespace mgmesh::detail
