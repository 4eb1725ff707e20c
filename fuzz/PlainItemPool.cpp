// The item pool for the fuzz build: every block straight from the global allocator, so that
// AddressSanitizer sees each item's use after free (no block is reused at once) and
// LeakSanitizer each item leaked (no chunk hides it). Replaces model/ItemPool.cpp there.
#include "mgmesh/model/detail/ItemPool.h"

#include <new>

namespace mgmesh::detail {

ItemPool::ItemPool(std::size_t blockSize) : m_blockSize(blockSize) {}

void* ItemPool::Allocate() {
    return ::operator new(m_blockSize);
}

void ItemPool::Release(void* block) noexcept {
    ::operator delete(block);
}

} // namespace mgmesh::detail
