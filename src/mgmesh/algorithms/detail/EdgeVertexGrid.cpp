// The grid over the vertices of a face's edges.
#include "mgmesh/algorithms/detail/EdgeVertexGrid.h"

#include "mgmesh/detail/VertexMerging.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"
#include <algorithm>
#include <cmath>

namespace mgmesh::detail {

namespace {

// A point within a cell width of another lands at most one cell away as long as its cell
// number stays well inside double precision; 2^38 leaves room for the rounding of the
// division. Corners further out than 2^40 cells cannot be near any vertex.
constexpr double kMaxCellNumber = 0x1p38;
constexpr double kFarCellNumber = 0x1p40;
constexpr std::uint32_t kNone = 0xffffffffu;

} // namespace

std::size_t EdgeVertexGrid::CellHash::operator()(const CellKey& k) const {
    return static_cast<std::size_t>(
        detail::CellHash(std::uint64_t(k.x), std::uint64_t(k.y), std::uint64_t(k.z)));
}

EdgeVertexGrid::EdgeVertexGrid(const MgEdgeList& edges, float radius) : m_radius(radius) {
    // a distance is never below a radius that is zero, negative or NaN
    if (!(radius > 0))
        return;
    // Only finite positions can be at a finite distance, and nothing is below a distance
    // that is infinite or NaN, so other vertices never qualify and are left out.
    double extent = 0;
    for (MgEdge* e : edges) {
        const MgVertexList& list = e->VertexList();
        for (auto it = list.begin(); it != list.end(); ++it) {
            const CGeoVector& p = (*it)->Vertex();
            if (!Finite(p))
                continue;
            m_spots.push_back(Spot{*it, e, it});
            extent = std::max(
                {extent, std::fabs(double(p.x)), std::fabs(double(p.y)), std::fabs(double(p.z))});
        }
    }
    if (m_spots.empty())
        return;
    // A vertex whose computed distance is below the radius differs from the point by less
    // than radius × (1 + 2^-21) on each axis (the float norm is never much below an axis
    // difference), so a cell a little wider than the radius keeps it within one cell. The
    // floor of 1e-15 covers differences whose squares underflow; an infinite radius gives an
    // infinite width and so a single cell.
    m_cell = std::max({double(radius) * 1.001, extent / kMaxCellNumber, 1e-15});

    LargeArray<CellKey> keys(m_spots.size());
    for (std::size_t i = 0; i < m_spots.size(); ++i) {
        CellOf((*m_spots[i].at)->Vertex(), keys[i]);
        ++m_cells[keys[i]].end; // counted first, placed below
    }
    std::uint32_t start = 0;
    for (auto& cell : m_cells) {
        const std::uint32_t count = cell.second.end;
        cell.second = Range{start, start};
        start += count;
    }
    m_sorted.resize(m_spots.size());
    for (std::size_t i = 0; i < m_spots.size(); ++i) {
        Range& r = m_cells[keys[i]];
        m_sorted[r.end++] = static_cast<std::uint32_t>(i); // walk order within each cell
    }
    m_skip.resize(m_sorted.size());
    for (std::size_t i = 0; i < m_skip.size(); ++i)
        m_skip[i] = static_cast<std::uint32_t>(i + 1);
}

bool EdgeVertexGrid::CellOf(const CGeoVector& p, CellKey& key) const {
    std::int64_t c[3];
    for (int axis = 0; axis < 3; ++axis) {
        const double q = double(p[axis]) / m_cell;
        if (!(std::fabs(q) < kFarCellNumber))
            return false; // not finite, or too far from every vertex
        c[axis] = static_cast<std::int64_t>(std::floor(q));
    }
    key = CellKey{c[0], c[1], c[2]};
    return true;
}

std::uint32_t EdgeVertexGrid::NextFree(std::uint32_t i) {
    const std::uint32_t n = static_cast<std::uint32_t>(m_sorted.size());
    std::uint32_t j = i;
    while (j < n && m_spots[m_sorted[j]].vertex->AuxData() != nullptr)
        j = m_skip[j];
    // a taken vertex stays taken, so the entries passed over can jump straight to j
    while (i < j) {
        const std::uint32_t next = m_skip[i];
        m_skip[i] = j;
        i = next;
    }
    return j;
}

const EdgeVertexGrid::Spot* EdgeVertexGrid::Find(const CGeoVector& point) {
    CellKey centre;
    if (m_spots.empty() || !CellOf(point, centre))
        return nullptr;
    std::uint32_t best = kNone;
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy)
            for (std::int64_t dz = -1; dz <= 1; ++dz) {
                const auto cell =
                    m_cells.find(CellKey{centre.x + dx, centre.y + dy, centre.z + dz});
                if (cell == m_cells.end())
                    continue;
                const Range r = cell->second;
                for (std::uint32_t i = NextFree(r.begin); i < r.end && m_sorted[i] < best;
                     i = NextFree(i + 1)) {
                    const Spot& s = m_spots[m_sorted[i]];
                    if ((s.vertex->Vertex() - point).Norm() < m_radius) {
                        best = m_sorted[i];
                        break;
                    }
                }
            }
    return best == kNone ? nullptr : &m_spots[best];
}

} // namespace mgmesh::detail
