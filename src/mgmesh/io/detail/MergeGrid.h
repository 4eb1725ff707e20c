// A spatial index over the vertices that the host import merges, living for one call (internal).
#pragma once

#include "mgmesh/detail/VertexMerging.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/detail/LargeArray.h"

namespace mgmesh::detail {

/// The host import's merge test: the length of the float difference is strictly less than
/// `threshold`. NaN and infinite positions never pass it.
inline bool WithinMergeDistance(const CGeoVector& a, const CGeoVector& p, float threshold) {
    return (a - p).Norm() < threshold;
}

/// Numbered points (0, 1, 2, … in order of addition) that can move. Find(p) answers exactly
/// what a walk over the points in number order would: the first point within the merge
/// distance of p. A uniform grid with cells 16 to 32 times the reach of the merge test
/// holds the points, so a query looks at one to eight cells (rarely more than one); expected
/// constant time while the points are spread out as a mesh's vertices are.
class MergeGrid {
public:
    explicit MergeGrid(float threshold) : m_threshold(threshold) {
        // thresholds that no length can pass (zero, negative, NaN) leave the grid off
        m_enabled = threshold > 0;
        if (!m_enabled)
            return;
        // The float length falls short of the true one by a few rounding steps at most, and
        // differences below 2^-60 may square to nothing; beyond 2^65 their squares overflow
        // and fail the test. So a passing pair differs by less than `reach` on every axis.
        double reach = static_cast<double>(threshold) * (1 + std::ldexp(1.0, -20));
        reach = std::fmax(reach, std::ldexp(1.0, -60));
        reach = std::fmin(reach, std::ldexp(1.0, 65));
        int exponent = 0;
        std::frexp(16 * reach, &exponent); // 16·reach < 2^exponent
        // a power of two keeps the scaled coordinates, and so the cells, exact
        m_scale = std::ldexp(1.0, -exponent);
        m_reach = reach * m_scale; // below 1/16 of a cell
        m_slots.assign(64, Slot{kNone, 0});
    }

    MergeGrid(const MergeGrid&) = delete;
    MergeGrid& operator=(const MergeGrid&) = delete;

    int Size() const { return static_cast<int>(m_points.size()); }
    const CGeoVector& Position(int i) const {
        return m_points[static_cast<std::size_t>(i)].position;
    }

    /// The lowest-numbered point within the merge distance of `p`, or -1.
    int Find(const CGeoVector& p) const {
        if (!m_enabled || !Finite(p))
            return -1;
        // a passing point lies less than m_reach away: in this cell or in one next door
        double cells[3][3];
        int counts[3];
        for (int axis = 0; axis < 3; ++axis) {
            const double scaled = static_cast<double>(p[axis]) * m_scale;
            const double cell = std::floor(scaled);
            const double within = scaled - cell; // exact: both carry the float's few bits
            int n = 0;
            // far out, a cell's number and its neighbour's may round to the same double;
            // looking at a cell twice does no harm
            if (within < m_reach)
                cells[axis][n++] = cell - 1;
            cells[axis][n++] = cell;
            if (within > 1 - m_reach)
                cells[axis][n++] = cell + 1;
            counts[axis] = n;
        }
        int best = -1;
        for (int x = 0; x < counts[0]; ++x)
            for (int y = 0; y < counts[1]; ++y)
                for (int z = 0; z < counts[2]; ++z) {
                    const Key key{cells[0][x], cells[1][y], cells[2][z]};
                    const std::size_t slot = FindSlot(key, Hash(key));
                    if (slot == kNoSlot)
                        continue;
                    // a cell's points are in no particular order: look at all of them
                    for (std::uint32_t i = m_slots[slot].head; i != kNone; i = m_points[i].next)
                        if ((best < 0 || static_cast<int>(i) < best) &&
                            WithinMergeDistance(m_points[i].position, p, m_threshold))
                            best = static_cast<int>(i);
                }
        return best;
    }

    /// Start loading what Find(p) reads first, for a caller that knows its queries early:
    /// the slot of p's cell, and (some queries later, once that slot is at hand) the cell's
    /// first point. They change nothing.
    void PrefetchSlot(const CGeoVector& p) const {
        if (m_enabled && Finite(p))
            __builtin_prefetch(&m_slots[Hash(CellOf(p)) & (m_slots.size() - 1)]);
    }
    void PrefetchFirstPoint(const CGeoVector& p) const {
        if (!m_enabled || !Finite(p))
            return;
        const std::uint32_t head = m_slots[Hash(CellOf(p)) & (m_slots.size() - 1)].head;
        if (head != kNone)
            __builtin_prefetch(&m_points[head]);
    }

    /// Adds point number Size() at `p`.
    void Add(const CGeoVector& p) {
        m_points.push_back(Point{p, kNone, kNone, false});
        Link(static_cast<std::uint32_t>(m_points.size() - 1));
    }

    /// Moves point `i` to `p`.
    void Move(int i, const CGeoVector& p) {
        const auto index = static_cast<std::uint32_t>(i);
        Point& point = m_points[index];
        // a move within the point's cell leaves the cell's list as it is
        if (point.linked && Finite(p) && CellOf(point.position) == CellOf(p)) {
            point.position = p;
            return;
        }
        Unlink(index);
        point.position = p;
        Link(index);
    }

private:
    static constexpr std::uint32_t kNone = 0xffffffffu;
    static constexpr std::size_t kNoSlot = ~std::size_t(0);

    struct Key {
        double x, y, z;
        bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    // A slot of the cell table: the first point of a cell's list and bits of the cell's hash
    // (never 0). The cell itself is named by the positions of its points, all of which lie in
    // it. A slot whose list has emptied keeps its tag and stays in the probe chains, as a
    // gap, until the table is next rebuilt.
    struct Slot {
        std::uint32_t head;
        std::uint32_t tag; // 0: never used
    };
    struct Point {
        CGeoVector position;
        std::uint32_t previous, next; // neighbours in the cell's list
        bool linked;                  // false when not in the grid
    };

    static std::uint64_t Bits(double d) {
        d += 0.0; // -0 and 0 name the same cell
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return bits;
    }
    static std::uint64_t Hash(const Key& k) { return CellHash(Bits(k.x), Bits(k.y), Bits(k.z)); }
    static std::uint32_t Tag(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32) | 1u;
    }
    Key CellOf(const CGeoVector& p) const {
        return Key{std::floor(p.x * m_scale), std::floor(p.y * m_scale), std::floor(p.z * m_scale)};
    }

    // Open addressing over the cells, probing linearly: the slot of the cell `key`, or
    // kNoSlot when the cell holds no point.
    std::size_t FindSlot(const Key& key, std::uint64_t hash) const {
        const std::size_t mask = m_slots.size() - 1;
        const std::uint32_t tag = Tag(hash);
        for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
            const Slot& slot = m_slots[s];
            if (slot.tag == 0)
                return kNoSlot;
            if (slot.tag == tag && slot.head != kNone &&
                CellOf(m_points[slot.head].position) == key)
                return s;
        }
    }

    // The table is at most half full, counting the slots whose lists have emptied.
    void Rebuild() {
        std::size_t live = 0;
        for (const Slot& slot : m_slots)
            live += slot.head != kNone;
        std::size_t size = m_slots.size();
        while (4 * (live + 1) > size)
            size *= 2;
        LargeArray<Slot> old(size, Slot{kNone, 0});
        old.swap(m_slots);
        m_used = 0;
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.head == kNone)
                continue;
            std::size_t s = Hash(CellOf(m_points[slot.head].position)) & mask;
            while (m_slots[s].tag != 0)
                s = (s + 1) & mask;
            m_slots[s] = slot;
            ++m_used;
        }
    }

    void Link(std::uint32_t i) {
        Point& point = m_points[i];
        point.linked = false;
        // a point with a non-finite coordinate passes no merge test either way
        if (!m_enabled || !Finite(point.position))
            return;
        const Key key = CellOf(point.position);
        const std::uint64_t hash = Hash(key);
        std::size_t s = FindSlot(key, hash);
        if (s == kNoSlot) {
            if (2 * (m_used + 1) > m_slots.size())
                Rebuild();
            const std::size_t mask = m_slots.size() - 1;
            // a new cell takes the first slot of its chain that holds no list
            for (s = hash & mask; m_slots[s].tag != 0 && m_slots[s].head != kNone;
                 s = (s + 1) & mask) {
            }
            if (m_slots[s].tag == 0)
                ++m_used;
            m_slots[s] = Slot{kNone, Tag(hash)};
        }
        std::uint32_t& head = m_slots[s].head;
        point.previous = kNone;
        point.next = head;
        if (head != kNone)
            m_points[head].previous = i;
        head = i;
        point.linked = true;
    }

    void Unlink(std::uint32_t i) {
        Point& point = m_points[i];
        if (!point.linked)
            return;
        if (point.previous != kNone) {
            m_points[point.previous].next = point.next;
        } else {
            // the cell's first point: its slot is the one in its chain that names it
            const std::size_t mask = m_slots.size() - 1;
            std::size_t s = Hash(CellOf(point.position)) & mask;
            while (m_slots[s].head != i)
                s = (s + 1) & mask;
            m_slots[s].head = point.next;
        }
        if (point.next != kNone)
            m_points[point.next].previous = point.previous;
        point.previous = point.next = kNone;
        point.linked = false;
    }

    float m_threshold;
    bool m_enabled = false;
    double m_scale = 1;
    double m_reach = 0; // in cells
    LargeArray<Point> m_points;
    LargeArray<Slot> m_slots; // a power of two of them
    std::size_t m_used = 0;   // slots that were ever given to a cell since the last rebuild
};

} // namespace mgmesh::detail
