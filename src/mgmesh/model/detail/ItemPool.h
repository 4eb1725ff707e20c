// Fixed-size blocks for the model's most numerous items, carved in creation order from large
// chunks (internal; used by the items' class-level operator new and delete).
#pragma once

#include <cstddef>
#include <mutex>

#include "mgmesh/Export.h"

namespace mgmesh::detail {

#ifdef MGMESH_PLAIN_ITEMS
constexpr bool kPlainItems = true;
#else
constexpr bool kPlainItems = false;
#endif

/// Blocks of one size, taken from 2 MiB chunks: a new block comes from the chunk in use (its
/// freed blocks first, else the next unused one), so items made one after another lie next
/// to each other. A chunk whose blocks are all free again is given back to the system, so
/// deleting a model returns its memory. All operations take a lock: separate models may live
/// on separate threads. In builds with AddressSanitizer, free blocks are poisoned.
class MGMESH_API ItemPool { // exported for the tests; the header is not installed
public:
    explicit ItemPool(std::size_t blockSize);
    /// Gives back the chunk in use if none of its blocks is (the pools of Of() never end).
    ~ItemPool();
    ItemPool(const ItemPool&) = delete;
    ItemPool& operator=(const ItemPool&) = delete;

    /// A block of the pool's size; throws std::bad_alloc when the system has no memory.
    void* Allocate();
    /// Gives back a block that Allocate returned.
    void Release(void* block) noexcept;

    /// The pool for blocks of `Size` bytes. It lives until the process ends (items may be
    /// deleted by static destructors of the host), and only holds chunks still in use then.
    template <std::size_t Size> static ItemPool& Of() {
        static ItemPool* const pool = new ItemPool(Size);
        return *pool;
    }

private:
    struct Chunk;

    Chunk* NewChunk();
    static void FreeChunk(Chunk* chunk) noexcept;
    void Unlink(Chunk* chunk) noexcept;

    std::size_t m_blockSize;
    std::mutex m_mutex;
    Chunk* m_current = nullptr;   // where blocks are taken from
    Chunk* m_available = nullptr; // other chunks with free blocks, most recently freed first
};

} // namespace mgmesh::detail
