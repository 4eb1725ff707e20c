// A spatial index over the vertices that the host import merges, living for one call (internal).
#pragma once

#include "mgmesh/detail/HashMix.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "mgmesh/geometry/CGeoVector.h"

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
        m_slots.assign(64, kNone);
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
                    const std::uint32_t cell = FindCell(Key{cells[0][x], cells[1][y], cells[2][z]});
                    if (cell == kNone)
                        continue;
                    // a cell's points are in no particular order: look at all of them
                    for (std::uint32_t i = m_cells[cell].head; i != kNone; i = m_points[i].next)
                        if ((best < 0 || static_cast<int>(i) < best) &&
                            WithinMergeDistance(m_points[i].position, p, m_threshold))
                            best = static_cast<int>(i);
                }
        return best;
    }

    /// Adds point number Size() at `p`.
    void Add(const CGeoVector& p) {
        m_points.push_back(Point{p, kNone, kNone, kNone});
        Link(static_cast<std::uint32_t>(m_points.size() - 1));
    }

    /// Moves point `i` to `p`.
    void Move(int i, const CGeoVector& p) {
        const auto index = static_cast<std::uint32_t>(i);
        Unlink(index);
        m_points[index].position = p;
        Link(index);
    }

private:
    static constexpr std::uint32_t kNone = 0xffffffffu;

    struct Key {
        double x, y, z;
        bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct Cell {
        Key key;
        std::uint32_t head; // the first point of the cell's list
    };
    struct Point {
        CGeoVector position;
        std::uint32_t previous, next; // neighbours in the cell's list
        std::uint32_t cell;           // kNone when not in the grid
    };

    static std::uint64_t Bits(double d) {
        d += 0.0; // -0 and 0 name the same cell
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return bits;
    }
    static std::uint64_t Mix(std::uint64_t h) { return HashMix(h); }
    static std::uint64_t Hash(const Key& k) {
        return Mix(Bits(k.x) ^ Mix(Bits(k.y) ^ Mix(Bits(k.z))));
    }
    static bool Finite(const CGeoVector& p) {
        return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
    }

    // Open addressing over the cell numbers, probing linearly; the table is at most half full.
    std::uint32_t FindCell(const Key& key) const {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t s = Hash(key) & mask;; s = (s + 1) & mask) {
            const std::uint32_t cell = m_slots[s];
            if (cell == kNone || m_cells[cell].key == key)
                return cell;
        }
    }

    std::uint32_t FindOrAddCell(const Key& key) {
        if (2 * (m_cells.size() + 1) > m_slots.size())
            Grow();
        const std::size_t mask = m_slots.size() - 1;
        std::size_t s = Hash(key) & mask;
        for (; m_slots[s] != kNone; s = (s + 1) & mask)
            if (m_cells[m_slots[s]].key == key)
                return m_slots[s];
        m_slots[s] = static_cast<std::uint32_t>(m_cells.size());
        m_cells.push_back(Cell{key, kNone});
        return m_slots[s];
    }

    void Grow() {
        m_slots.assign(2 * m_slots.size(), kNone);
        const std::size_t mask = m_slots.size() - 1;
        for (std::uint32_t cell = 0; cell < m_cells.size(); ++cell) {
            std::size_t s = Hash(m_cells[cell].key) & mask;
            while (m_slots[s] != kNone)
                s = (s + 1) & mask;
            m_slots[s] = cell;
        }
    }

    void Link(std::uint32_t i) {
        Point& point = m_points[i];
        // a point with a non-finite coordinate passes no merge test either way
        if (!m_enabled || !Finite(point.position))
            return;
        const CGeoVector& p = point.position;
        const std::uint32_t cell = FindOrAddCell(
            Key{std::floor(p.x * m_scale), std::floor(p.y * m_scale), std::floor(p.z * m_scale)});
        std::uint32_t& head = m_cells[cell].head;
        point.previous = kNone;
        point.next = head;
        if (head != kNone)
            m_points[head].previous = i;
        head = i;
        point.cell = cell;
    }

    void Unlink(std::uint32_t i) {
        Point& point = m_points[i];
        if (point.cell == kNone)
            return;
        if (point.previous != kNone)
            m_points[point.previous].next = point.next;
        else
            m_cells[point.cell].head = point.next;
        if (point.next != kNone)
            m_points[point.next].previous = point.previous;
        point.cell = point.previous = point.next = kNone;
    }

    float m_threshold;
    bool m_enabled = false;
    double m_scale = 1;
    double m_reach = 0; // in cells
    std::vector<Point> m_points;
    std::vector<Cell> m_cells;
    std::vector<std::uint32_t> m_slots; // cell numbers; a power of two of them
};

} // namespace mgmesh::detail
