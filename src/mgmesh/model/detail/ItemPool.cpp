// ItemPool: blocks in 2 MiB chunks, given back to the system when a chunk empties.
#include "mgmesh/model/detail/ItemPool.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "mgmesh/model/detail/ChunkMemory.h"

#if defined(__SANITIZE_ADDRESS__)
#define MGMESH_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MGMESH_POOL_ASAN 1
#endif
#endif

#ifdef MGMESH_POOL_ASAN
#include <sanitizer/asan_interface.h>
#define MGMESH_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define MGMESH_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define MGMESH_POISON(p, n) ((void)(p), (void)(n))
#define MGMESH_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace mgmesh::detail {

namespace {

// A chunk is aligned to its size, so a block finds its chunk by masking its address.
constexpr std::size_t kChunkBytes = std::size_t(2) << 20;
constexpr std::size_t kHeaderBytes = 64;

} // namespace

struct ItemPool::Chunk {
    Chunk* previous; // neighbours in the list of chunks with free blocks
    Chunk* next;
    void* free;       // freed blocks, each holding the next in its first word
    char* unused;     // the first block never handed out
    char* end;        // no whole block fits past this
    std::size_t live; // blocks handed out and not given back
    bool listed;      // in the list of chunks with free blocks
};
ItemPool::ItemPool(std::size_t blockSize)
    : m_blockSize(blockSize < sizeof(void*) ? sizeof(void*) : blockSize) {}

ItemPool::~ItemPool() {
    if (m_current && m_current->live == 0)
        FreeChunk(m_current);
}

ItemPool::Chunk* ItemPool::NewChunk() {
    static_assert(sizeof(Chunk) <= kHeaderBytes, "the header fits before the blocks");
#ifdef MGMESH_POOL_ASAN
    // from the heap, so that the leak checker looks into it for pointers
    void* memory = std::aligned_alloc(kChunkBytes, kChunkBytes);
    if (!memory)
        throw std::bad_alloc();
#else
    void* memory = MapAlignedChunk(kChunkBytes);
    if (!memory)
        throw std::bad_alloc();
#endif
    Chunk* chunk = static_cast<Chunk*>(memory);
    char* blocks = static_cast<char*>(memory) + kHeaderBytes;
    const std::size_t count = (kChunkBytes - kHeaderBytes) / m_blockSize;
    *chunk = Chunk{nullptr, nullptr, nullptr, blocks, blocks + count * m_blockSize, 0, false};
    MGMESH_POISON(blocks, count * m_blockSize);
    return chunk;
}

void ItemPool::FreeChunk(Chunk* chunk) noexcept {
#ifdef MGMESH_POOL_ASAN
    MGMESH_UNPOISON(chunk, kChunkBytes);
    std::free(chunk);
#else
    UnmapChunk(chunk, kChunkBytes);
#endif
}

void ItemPool::Unlink(Chunk* chunk) noexcept {
    if (chunk->previous)
        chunk->previous->next = chunk->next;
    else
        m_available = chunk->next;
    if (chunk->next)
        chunk->next->previous = chunk->previous;
    chunk->previous = chunk->next = nullptr;
    chunk->listed = false;
}

void* ItemPool::Allocate() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Chunk* chunk = m_current;
    if (!chunk || (!chunk->free && chunk->unused == chunk->end)) {
        // the full chunk is left to its blocks; freeing one of them lists it again
        if (m_available) {
            chunk = m_available;
            Unlink(chunk);
        } else {
            chunk = NewChunk();
        }
        m_current = chunk;
    }
    void* block;
    if (chunk->free) {
        block = chunk->free;
        MGMESH_UNPOISON(block, m_blockSize);
        chunk->free = *static_cast<void**>(block);
    } else {
        block = chunk->unused;
        chunk->unused += m_blockSize;
        MGMESH_UNPOISON(block, m_blockSize);
    }
    ++chunk->live;
    return block;
}

void ItemPool::Release(void* block) noexcept {
    Chunk* chunk =
        reinterpret_cast<Chunk*>(reinterpret_cast<std::uintptr_t>(block) & ~(kChunkBytes - 1));
    std::lock_guard<std::mutex> lock(m_mutex);
    *static_cast<void**>(block) = chunk->free;
    chunk->free = block;
    MGMESH_POISON(block, m_blockSize);
    --chunk->live;
    if (chunk == m_current)
        return;
    if (chunk->live == 0) {
        if (chunk->listed)
            Unlink(chunk);
        FreeChunk(chunk);
    } else if (!chunk->listed) {
        chunk->next = m_available;
        if (m_available)
            m_available->previous = chunk;
        m_available = chunk;
        chunk->listed = true;
    }
}

} // namespace mgmesh::detail
