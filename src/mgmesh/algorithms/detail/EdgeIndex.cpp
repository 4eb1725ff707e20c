// Indices that edge and corner building keep for one call.
#include "mgmesh/algorithms/detail/EdgeIndex.h"

#include <algorithm>
#include <cmath>

#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

namespace mgmesh::detail {

// ---- OpenSideList ----

OpenSideList::OpenSideList(const MgVertexList& vertices, const MgFacetList& facets)
    : m_facets(facets.begin(), facets.end()) {
    m_vertices.reserve(vertices.size());
    for (MgVertex* v : vertices)
        Number(v);
    m_from.resize(3 * m_facets.size());
    for (std::size_t f = 0; f < m_facets.size(); ++f)
        for (int i = 0; i < 3; ++i)
            m_from[3 * f + i] = Number(m_facets[f]->Vertex(i));
}

std::uint32_t OpenSideList::Number(MgVertex* v) {
    // a number is only trusted when it leads back to the vertex; a caller's value, a vertex
    // listed twice or one of another face are all sorted out by that
    const std::uintptr_t n = reinterpret_cast<std::uintptr_t>(v->AuxData());
    if (n < m_vertices.size() && m_vertices[n] == v)
        return std::uint32_t(n);
    m_vertices.push_back(v);
    v->SetAuxData(reinterpret_cast<void*>(m_vertices.size() - 1));
    return std::uint32_t(m_vertices.size() - 1);
}

std::uint32_t OpenSideList::NumberOf(const MgVertex* v) const {
    return std::uint32_t(reinterpret_cast<std::uintptr_t>(v->AuxData()));
}

template <class Key> void OpenSideList::Sort(Key key) {
    const std::uint32_t sides = NumSides();
    m_start.assign(m_vertices.size() + 1, 0);
    for (std::uint32_t s = 0; s < sides; ++s)
        if (!m_gone[s])
            ++m_start[key(s) + 1];
    for (std::size_t n = 1; n < m_start.size(); ++n)
        m_start[n] += m_start[n - 1];
    m_sorted.resize(m_start.back());
    m_head.assign(m_start.begin(), m_start.end() - 1);
    for (std::uint32_t s = 0; s < sides; ++s)
        if (!m_gone[s])
            m_sorted[m_head[key(s)]++] = s;
    m_head.assign(m_start.begin(), m_start.end() - 1);
}

void OpenSideList::MatchSides() {
    const std::uint32_t vertices = NumVertices(), sides = NumSides();
    m_gone.assign(sides, 0);
    // The sides grouped by their lower end vertex, in list order within a group; each record
    // carries what the matching needs so that the groups are read in one sweep.
    struct Record {
        std::uint32_t side;
        std::uint32_t other;  // the end vertex that is not the group's
        std::uint8_t fromLow; // runs from the group's vertex
        std::uint8_t partner; // the direction of the sides it can be matched with
    };
    std::vector<std::uint32_t> start(vertices + 1, 0);
    for (std::uint32_t s = 0; s < sides; ++s)
        ++start[std::min(From(s), To(s)) + 1];
    for (std::uint32_t n = 0; n < vertices; ++n)
        start[n + 1] += start[n];
    std::vector<std::uint32_t> cursor(start.begin(), start.end() - 1);
    std::vector<Record> groups(sides);
    for (std::uint32_t s = 0; s < sides; ++s) {
        const std::uint32_t a = From(s), b = To(s), low = std::min(a, b);
        const std::uint8_t fromLow = a == low;
        // a side from a vertex to itself is its own reverse
        const std::uint8_t partner = a == b ? fromLow : !fromLow;
        groups[cursor[low]++] = Record{s, a ^ b ^ low, fromLow, partner};
    }

    // Within a group, a table by the other end vertex queues the sides of each pair that wait
    // for a partner, oldest first; they all run the same way, or a partner would have taken
    // them.
    std::vector<std::uint32_t> head(vertices, npos), tail(vertices, npos), next(sides);
    std::vector<std::uint8_t> waiting(vertices, 0); // the direction of the queued sides
    for (std::uint32_t low = 0; low < vertices; ++low) {
        const std::uint32_t begin = start[low], end = start[low + 1];
        for (std::uint32_t k = begin; k < end; ++k) {
            const Record& r = groups[k];
            const std::uint32_t other = r.other;
            if (head[other] != npos && waiting[other] == r.partner) {
                const std::uint32_t e = head[other];
                head[other] = e == tail[other] ? npos : next[e];
                MgFacet* f = m_facets[r.side / 3];
                MgFacet* g = m_facets[e / 3];
                // every side is matched at most once, so the order of these writes is free
                f->SetNeighbor(int(r.side % 3), g);
                g->SetNeighbor(int(e % 3), f);
                m_gone[r.side] = m_gone[e] = 1;
            } else if (head[other] == npos) {
                head[other] = tail[other] = r.side;
                waiting[other] = r.fromLow;
            } else {
                next[tail[other]] = r.side;
                tail[other] = r.side;
            }
        }
        for (std::uint32_t k = begin; k < end; ++k)
            head[groups[k].other] = npos;
    }
    // the open sides by start vertex, in list order within each
    Sort([this](std::uint32_t s) { return From(s); });
    m_first = 0;
}

std::uint32_t OpenSideList::TakeFirst() {
    while (m_first < NumSides() && m_gone[m_first])
        ++m_first;
    if (m_first == NumSides())
        return npos;
    const std::uint32_t s = m_first;
    m_gone[s] = 1;
    ++m_head[From(s)]; // the first open side overall is the first leaving its vertex
    return s;
}

std::uint32_t OpenSideList::TakeFrom(std::uint32_t n) {
    if (m_head[n] == m_start[n + 1])
        return npos;
    const std::uint32_t s = m_sorted[m_head[n]++];
    m_gone[s] = 1;
    return s;
}

// ---- EdgeVertexGrid ----

namespace {

// A point within a cell width of another lands at most one cell away as long as its cell
// number stays well inside double precision; 2^38 leaves room for the rounding of the
// division. Corners further out than 2^40 cells cannot be near any vertex.
constexpr double kMaxCellNumber = 0x1p38;
constexpr double kFarCellNumber = 0x1p40;
constexpr std::uint32_t kNone = 0xffffffffu;

bool IsFinite(const CGeoVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

} // namespace

std::size_t EdgeVertexGrid::CellHash::operator()(const CellKey& k) const {
    std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h >> 29);
    h ^= static_cast<std::uint64_t>(k.z) * 0x165667B19E3779F9ull + (h >> 31);
    h ^= h >> 32;
    return static_cast<std::size_t>(h);
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
            if (!IsFinite(p))
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

    std::vector<CellKey> keys(m_spots.size());
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
