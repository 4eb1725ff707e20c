// Flat hash indices that stand in for the vertex pool's walks during one whole-face operation.
#include "mgmesh/model/detail/VertexLookup.h"
#include "mgmesh/detail/VertexMerging.h"

#include <cmath>
#include <cstring>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"

namespace mgmesh::detail {

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;
constexpr double kCellsPerUnit = 1.0 / VertexLookup::kCellSize;
// The box test runs on rounded float differences; a hair of slack keeps every candidate.
constexpr double kReach = double(kMergeBox) + 1e-7;
static_assert(2 * kReach < VertexLookup::kCellSize, "the box spans at most two cells");
// Far-out coordinates share the outermost cells; the box test still decides.
constexpr double kLastCell = 1 << 30;

std::uint32_t Bits(float f) {
    if (f == 0)
        f = 0; // -0 and 0 are equal, so they must share a key
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

std::uint64_t ExactHash(const CGeoVector& p) {
    return HashMix((std::uint64_t(Bits(p.x)) << 32 | Bits(p.y)) ^
                   std::uint64_t(Bits(p.z)) * 0x9e3779b97f4a7c15ULL);
}

// floor(c / kCellSize), with far-out coordinates in the outermost cells.
std::int32_t CellNumber(double c) {
    const double scaled = c * kCellsPerUnit; // exact: the width is a power of two
    if (!(std::fabs(scaled) < kLastCell))
        return std::int32_t(scaled > 0 ? kLastCell : -kLastCell);
    const std::int32_t truncated = std::int32_t(scaled);
    return truncated - (scaled < double(truncated));
}

// The coordinates that CellNumber puts into cell number n: lo <= c < hi.
void CellRange(std::int32_t n, double& lo, double& hi) {
    lo = n <= -kLastCell ? -HUGE_VAL : n * VertexLookup::kCellSize;
    hi = n >= kLastCell ? HUGE_VAL : (n + 1) * VertexLookup::kCellSize;
}

// Whether both ends of the box around c, c - kReach and c + kReach, lie in cell number n: then
// CellNumber gives n for both, as the cell's range holds exactly what CellNumber puts there.
bool InCell(std::int32_t n, float c) {
    double lo, hi;
    CellRange(n, lo, hi);
    return double(c) - kReach >= lo && double(c) + kReach < hi;
}

std::uint64_t CellHashOf(std::int32_t x, std::int32_t y, std::int32_t z) {
    return CellHash(std::uint32_t(x), std::uint32_t(y), std::uint32_t(z));
}

bool NotNan(const CGeoVector& p) {
    return p.x == p.x && p.y == p.y && p.z == p.z;
}

} // namespace

VertexLookup::VertexLookup(MgFace* face, int kinds) : m_face(face), m_kinds(kinds) {
    if (m_face->m_lookup)
        return;
    m_face->m_lookup = this;
    m_installed = true;
    Rebuild();
}

VertexLookup::~VertexLookup() {
    if (m_installed)
        m_face->m_lookup = nullptr;
}

void VertexLookup::Rebuild() {
    m_stale = false;
    m_missSlot = kNoSlot;
    m_pending = nullptr;
    // tables for twice the vertices at most half full, so a face that doubles does not grow
    std::size_t slots = 64;
    while (slots < 4 * m_face->m_vertices.size())
        slots *= 2;
    if (HasExact()) {
        m_exactVertices.clear();
        m_exactSlots.assign(slots, kNone);
    }
    if (HasClose()) {
        m_closeVertices.Clear();
        m_closePrevious.Clear();
        m_cellSlots.assign(slots, CellSlot{CGeoVector(), kNone});
        m_cells = 0;
    }
    for (MgVertex* v : m_face->m_vertices)
        Insert(v);
}

void VertexLookup::Insert(MgVertex* v) {
    if (HasExact())
        InsertExact(v);
    if (HasClose())
        InsertClose(v);
}

std::uint32_t* VertexLookup::ExactSlot(const CGeoVector& p) {
    const std::size_t mask = m_exactSlots.size() - 1;
    for (std::size_t s = ExactHash(p) & mask;; s = (s + 1) & mask) {
        const std::uint32_t e = m_exactSlots[s];
        if (e == kNone || m_exactVertices[e]->Vertex() == p)
            return &m_exactSlots[s];
    }
}

void VertexLookup::InsertExact(MgVertex* v) {
    const CGeoVector& p = v->Vertex();
    if (!NotNan(p))
        return; // NaN equals nothing
    std::uint32_t* slot = ExactSlot(p);
    if (*slot != kNone)
        return; // the first vertex at a position is the one the walk finds
    *slot = std::uint32_t(m_exactVertices.size());
    m_exactVertices.push_back(v);
    if (2 * m_exactVertices.size() > m_exactSlots.size())
        GrowExact();
}

void VertexLookup::GrowExact() {
    m_exactSlots.assign(2 * m_exactSlots.size(), kNone);
    const std::size_t mask = m_exactSlots.size() - 1;
    for (std::uint32_t e = 0; e < m_exactVertices.size(); ++e) {
        std::size_t s = ExactHash(m_exactVertices[e]->Vertex()) & mask;
        while (m_exactSlots[s] != kNone)
            s = (s + 1) & mask;
        m_exactSlots[s] = e;
    }
}

VertexLookup::CellSlot& VertexLookup::FindCell(const Cell& cell) {
    // a slot's position names its cell: compared with the cell's ranges, not converted
    double lo[3], hi[3];
    CellRange(cell.x, lo[0], hi[0]);
    CellRange(cell.y, lo[1], hi[1]);
    CellRange(cell.z, lo[2], hi[2]);
    const std::size_t mask = m_cellSlots.size() - 1;
    for (std::size_t s = CellHashOf(cell.x, cell.y, cell.z) & mask;; s = (s + 1) & mask) {
        CellSlot& slot = m_cellSlots[s];
        if (slot.newest == kNone)
            return slot;
        const double x = slot.position.x, y = slot.position.y, z = slot.position.z;
        if (x >= lo[0] && x < hi[0] && y >= lo[1] && y < hi[1] && z >= lo[2] && z < hi[2])
            return slot;
    }
}

void VertexLookup::InsertClose(MgVertex* v) {
    const CGeoVector& p = v->Vertex();
    // a vertex with a non-finite coordinate never passes the box test
    if (!Finite(p))
        return;
    const bool known = m_missSlot != kNoSlot && p == m_missPoint;
    CellSlot& slot = known ? m_cellSlots[m_missSlot]
                           : FindCell(Cell{CellNumber(p.x), CellNumber(p.y), CellNumber(p.z)});
    m_missSlot = kNoSlot;
    if (slot.newest == kNone)
        ++m_cells;
    m_closePrevious.PushBack(slot.newest);
    slot.newest = std::uint32_t(m_closeVertices.Size());
    slot.position = p;
    m_closeVertices.PushBack(v);
    if (4 * m_cells > 3 * m_cellSlots.size())
        GrowCells();
}

void VertexLookup::ReserveClose(std::size_t vertices) {
    if (!m_installed || !HasClose() || m_stale || m_pending)
        return;
    if (vertices > kNone)
        vertices = kNone; // entries are numbered in 32 bits
    std::size_t slots = m_cellSlots.size();
    while (3 * slots < 4 * vertices)
        slots *= 2;
    if (slots > m_cellSlots.size())
        RehashCells(slots);
}

void VertexLookup::GrowCells() {
    RehashCells(2 * m_cellSlots.size());
}

void VertexLookup::RehashCells(std::size_t slots) {
    m_missSlot = kNoSlot;
    LargeArray<CellSlot> old(slots, CellSlot{CGeoVector(), kNone});
    old.swap(m_cellSlots);
    const std::size_t mask = m_cellSlots.size() - 1;
    for (const CellSlot& slot : old) {
        if (slot.newest == kNone)
            continue;
        const CGeoVector& q = slot.position;
        std::size_t s = CellHashOf(CellNumber(q.x), CellNumber(q.y), CellNumber(q.z)) & mask;
        while (m_cellSlots[s].newest != kNone)
            s = (s + 1) & mask;
        m_cellSlots[s] = slot;
    }
}

void VertexLookup::Registered(MgVertex* v) {
    // a vertex that joins without going through the pool leaves its position unknown here
    if (m_pending)
        m_stale = true;
    m_pending = v;
}

void VertexLookup::Added(MgVertex* v) {
    if (v != m_pending)
        m_stale = true;
    m_pending = nullptr;
    if (!m_stale)
        Insert(v);
}

void VertexLookup::Removed(MgVertex* v) {
    if (v == m_pending)
        m_pending = nullptr;
    if (m_stale)
        return;
    if (HasClose()) {
        m_stale = true;
        return;
    }
    const CGeoVector& p = v->Vertex();
    if (!NotNan(p))
        return;
    const std::uint32_t e = *ExactSlot(p);
    if (e != kNone && m_exactVertices[e] == v)
        m_stale = true;
}

MgVertex* VertexLookup::FindExact(const CGeoVector& p) {
    if (m_stale || m_pending)
        Rebuild();
    if (!NotNan(p))
        return nullptr;
    const std::uint32_t e = *ExactSlot(p);
    return e == kNone ? nullptr : m_exactVertices[e];
}

void VertexLookup::Prefetch(const CGeoVector& p) const {
    if (!HasClose() || m_cellSlots.empty() || !Finite(p))
        return;
    const std::size_t mask = m_cellSlots.size() - 1;
    const std::size_t s = CellHashOf(CellNumber(p.x), CellNumber(p.y), CellNumber(p.z)) & mask;
    __builtin_prefetch(&m_cellSlots[s]);
}

MgVertex* VertexLookup::Missed(std::size_t slot, const CGeoVector& p) {
    m_missSlot = slot;
    m_missPoint = p;
    return nullptr;
}

MgVertex* VertexLookup::FindClose(const CGeoVector& p) {
    if (m_stale || m_pending)
        Rebuild();
    if (!Finite(p))
        return nullptr;
    // the box around p lies in one cell per axis, or two where it crosses a border; it lies
    // in p's own cell when both its ends do
    const std::int32_t cx = CellNumber(p.x), cy = CellNumber(p.y), cz = CellNumber(p.z);
    if (InCell(cx, p.x) && InCell(cy, p.y) && InCell(cz, p.z)) { // the common case: one cell
        // A vertex that passes the box test lies in the box, so in this cell: the first slot
        // the cell's hash names answers at once when its vertex passes, whatever cell the
        // slot holds, and an empty one means the cell holds nothing.
        const std::size_t mask = m_cellSlots.size() - 1;
        const std::size_t home = CellHashOf(cx, cy, cz) & mask;
        const CellSlot& first = m_cellSlots[home];
        if (first.newest == kNone)
            return Missed(home, p);
        if (WithinMergeBox(first.position, p))
            return m_closeVertices[first.newest];
        const CellSlot& slot = FindCell(Cell{cx, cy, cz});
        if (slot.newest == kNone)
            return Missed(std::size_t(&slot - m_cellSlots.data()), p);
        if (WithinMergeBox(slot.position, p))
            return m_closeVertices[slot.newest];
        for (std::uint32_t e = m_closePrevious[slot.newest]; e != kNone; e = m_closePrevious[e])
            if (WithinMergeBox(m_closeVertices[e]->Vertex(), p))
                return m_closeVertices[e];
        return nullptr;
    }
    const std::int32_t x0 = CellNumber(p.x - kReach), x1 = CellNumber(p.x + kReach);
    const std::int32_t y0 = CellNumber(p.y - kReach), y1 = CellNumber(p.y + kReach);
    const std::int32_t z0 = CellNumber(p.z - kReach), z1 = CellNumber(p.z + kReach);
    std::uint32_t best = kNone;
    for (std::int32_t ix = x0; ix <= x1; ++ix)
        for (std::int32_t iy = y0; iy <= y1; ++iy)
            for (std::int32_t iz = z0; iz <= z1; ++iz) {
                const CellSlot& slot = FindCell(Cell{ix, iy, iz});
                std::uint32_t e = slot.newest;
                if (e == kNone || (best != kNone && e < best))
                    continue;
                if (WithinMergeBox(slot.position, p)) {
                    best = e;
                    continue;
                }
                // older entries of the cell, newest first; the first hit is the cell's newest
                for (e = m_closePrevious[e]; e != kNone && (best == kNone || e > best);
                     e = m_closePrevious[e]) {
                    if (WithinMergeBox(m_closeVertices[e]->Vertex(), p)) {
                        best = e;
                        break;
                    }
                }
            }
    return best == kNone ? nullptr : m_closeVertices[best];
}

} // namespace mgmesh::detail
