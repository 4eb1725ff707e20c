// Hash indices that stand in for the vertex pool's walks during one whole-face operation.
#include "mgmesh/detail/VertexLookup.h"

#include <cmath>
#include <cstring>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"

namespace mgmesh::detail {

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;
// Cells are twice the merge box, so the box around a point spans at most two cells per axis.
constexpr double kCellSize = 0.02;
// The box test runs on rounded float differences; a hair of slack keeps every candidate.
constexpr double kReach = 0.0100001;

std::uint32_t Bits(float f) {
    if (f == 0)
        f = 0; // -0 and 0 are equal, so they must share a key
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

std::size_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return static_cast<std::size_t>(h);
}

bool WithinBox(const CGeoVector& a, const CGeoVector& p) {
    return std::fabs(a.x - p.x) <= 0.01f && std::fabs(a.y - p.y) <= 0.01f &&
           std::fabs(a.z - p.z) <= 0.01f;
}

bool Finite(const CGeoVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

} // namespace

std::size_t VertexLookup::KeyHash::operator()(const ExactKey& k) const {
    return Mix((static_cast<std::uint64_t>(k.x) << 32 | k.y) ^ (static_cast<std::uint64_t>(k.z) * 0x9e3779b97f4a7c15ULL));
}

std::size_t VertexLookup::CellHash::operator()(const CellKey& k) const {
    return Mix(static_cast<std::uint64_t>(k.x) * 0x9e3779b97f4a7c15ULL ^
               static_cast<std::uint64_t>(k.y) * 0xc2b2ae3d27d4eb4fULL ^
               static_cast<std::uint64_t>(k.z));
}

std::int64_t VertexLookup::Cell(double c) {
    const double cell = std::floor(c / kCellSize);
    // far-out coordinates share boundary cells; the exact box test still decides
    if (cell > 4e18)
        return static_cast<std::int64_t>(4e18);
    if (cell < -4e18)
        return static_cast<std::int64_t>(-4e18);
    return static_cast<std::int64_t>(cell);
}

VertexLookup::CellKey VertexLookup::CellOf(float x, float y, float z) {
    return CellKey{Cell(x), Cell(y), Cell(z)};
}

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
    m_exact.clear();
    m_cells.clear();
    m_entries.clear();
    m_stale = false;
    m_pending = nullptr;
    if (HasExact())
        m_exact.reserve(m_face->m_vertices.size());
    for (MgVertex* v : m_face->m_vertices)
        Insert(v);
}

void VertexLookup::Insert(MgVertex* v) {
    const CGeoVector& p = v->Vertex();
    if (HasExact() && p.x == p.x && p.y == p.y && p.z == p.z)
        m_exact.emplace(ExactKey{Bits(p.x), Bits(p.y), Bits(p.z)}, v); // keeps the first
    // a vertex with a non-finite coordinate never passes the box test
    if (HasClose() && Finite(p)) {
        auto [it, inserted] =
            m_cells.emplace(CellOf(p.x, p.y, p.z), static_cast<std::uint32_t>(m_entries.size()));
        m_entries.push_back({v, inserted ? kNone : it->second});
        if (!inserted)
            it->second = static_cast<std::uint32_t>(m_entries.size() - 1);
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
    auto it = m_exact.find(ExactKey{Bits(p.x), Bits(p.y), Bits(p.z)});
    if (it != m_exact.end() && it->second == v)
        m_stale = true;
}

MgVertex* VertexLookup::FindExact(const CGeoVector& p) {
    if (m_stale || m_pending)
        Rebuild();
    if (!(p.x == p.x && p.y == p.y && p.z == p.z))
        return nullptr;
    auto it = m_exact.find(ExactKey{Bits(p.x), Bits(p.y), Bits(p.z)});
    return it == m_exact.end() ? nullptr : it->second;
}

MgVertex* VertexLookup::FindClose(const CGeoVector& p) {
    if (m_stale || m_pending)
        Rebuild();
    if (!Finite(p))
        return nullptr;
    const std::int64_t x0 = Cell(p.x - kReach), x1 = Cell(p.x + kReach);
    const std::int64_t y0 = Cell(p.y - kReach), y1 = Cell(p.y + kReach);
    const std::int64_t z0 = Cell(p.z - kReach), z1 = Cell(p.z + kReach);
    std::uint32_t best = kNone;
    for (std::int64_t cx = x0; cx <= x1; ++cx)
        for (std::int64_t cy = y0; cy <= y1; ++cy)
            for (std::int64_t cz = z0; cz <= z1; ++cz) {
                auto it = m_cells.find(CellKey{cx, cy, cz});
                if (it == m_cells.end())
                    continue;
                // entries of a cell run newest first; the first hit is the cell's newest
                for (std::uint32_t e = it->second; e != kNone && (best == kNone || e > best);
                     e = m_entries[e].previous) {
                    if (WithinBox(m_entries[e].vertex->Vertex(), p)) {
                        best = e;
                        break;
                    }
                }
            }
    return best == kNone ? nullptr : m_entries[best].vertex;
}

} // namespace mgmesh::detail
