// An array that grows by fixed blocks (internal).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace mgmesh::detail {

/// An array that grows by fixed blocks: no copy and no spare half when it grows (internal).
template <class T> class BlockArray {
public:
    void Clear() {
        m_blocks.clear();
        m_size = 0;
    }
    std::size_t Size() const { return m_size; }
    void PushBack(const T& value) {
        if (m_size % kBlock == 0)
            m_blocks.emplace_back(new T[kBlock]);
        m_blocks.back()[m_size % kBlock] = value;
        ++m_size;
    }
    T& operator[](std::size_t i) { return m_blocks[i / kBlock][i % kBlock]; }
    const T& operator[](std::size_t i) const { return m_blocks[i / kBlock][i % kBlock]; }

private:
    static constexpr std::size_t kBlock = 1 << 14;
    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::size_t m_size = 0;
};

} // namespace mgmesh::detail
