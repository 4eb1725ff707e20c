// Merging corners into a face's vertices within a caller's tolerance (internal).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "mgmesh/detail/VertexMerging.h"
#include "mgmesh/io/detail/RecentCorners.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/VertexLookup.h"

namespace mgmesh::detail {

/// For the life of one import into `face`: Find(p) gives the newest vertex added through it
/// whose position is within `tolerance` of p on every axis, else a new vertex at p. At the
/// readers' own tolerance this is FindCloseVertex; at zero or less, FindAddVertex (equal
/// positions only). NaN and infinite positions never merge.
class ToleranceMerge {
public:
    ToleranceMerge(MgFace* face, float tolerance)
        : m_face(face), m_tolerance(tolerance), m_recent(face) {
        if (tolerance == kMergeBox)
            m_lookup = std::make_unique<VertexLookup>(face, VertexLookup::Close);
        else if (!(tolerance > 0))
            m_lookup = std::make_unique<VertexLookup>(face, VertexLookup::Exact);
        else
            m_cell = 2.0 * static_cast<double>(tolerance);
    }

    MgVertex* Find(const CGeoVector& p) {
        const float noUV[2] = {0, 0};
        if (m_lookup)
            return m_tolerance == kMergeBox ? m_recent.Find(p)
                                            : m_face->FindAddVertex(p, CGeoVector(), noUV);
        if (!Finite(p))
            return m_face->AddVertex(p, CGeoVector(), noUV);
        // a passing vertex lies in p's cell or in one next to it, the cells being twice as wide
        // as the tolerance
        // adding 0 makes -0 the +0 that the hash of the bits sees as equal
        const double cx = std::floor(p.x / m_cell) + 0.0, cy = std::floor(p.y / m_cell) + 0.0,
                     cz = std::floor(p.z / m_cell) + 0.0;
        std::pair<std::size_t, MgVertex*> best{0, nullptr};
        for (double dx = -1; dx <= 1; ++dx)
            for (double dy = -1; dy <= 1; ++dy)
                for (double dz = -1; dz <= 1; ++dz) {
                    const auto found =
                        m_cells.find(Key{cx + dx + 0.0, cy + dy + 0.0, cz + dz + 0.0});
                    if (found == m_cells.end())
                        continue;
                    for (const auto& entry : found->second)
                        if (entry.first >= best.first && Within(entry.second->Vertex(), p))
                            best = {entry.first + 1, entry.second};
                }
        if (best.second)
            return best.second;
        MgVertex* v = m_face->AddVertex(p, CGeoVector(), noUV);
        m_cells[Key{cx, cy, cz}].emplace_back(m_added++, v);
        return v;
    }

    /// Room for about `vertices` vertices, for an import that knows how many it will add.
    void Reserve(std::size_t vertices) {
        if (m_lookup)
            m_lookup->ReserveClose(vertices);
    }
    /// Starts loading what a later Find(p) reads first. Changes nothing.
    void Prefetch(const CGeoVector& p) const {
        if (m_lookup)
            m_lookup->Prefetch(p);
    }

private:
    struct Key {
        double x, y, z;
        bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const {
            std::uint64_t b[3];
            std::memcpy(b, &k, sizeof b);
            return static_cast<std::size_t>(CellHash(b[0], b[1], b[2]));
        }
    };
    bool Within(const CGeoVector& a, const CGeoVector& p) const {
        return std::fabs(a.x - p.x) <= m_tolerance && std::fabs(a.y - p.y) <= m_tolerance &&
               std::fabs(a.z - p.z) <= m_tolerance;
    }

    MgFace* m_face;
    float m_tolerance;
    std::unique_ptr<VertexLookup> m_lookup;
    RecentCorners m_recent; // FindCloseVertex at the readers' own tolerance
    double m_cell = 0;
    std::size_t m_added = 0;
    std::unordered_map<Key, std::vector<std::pair<std::size_t, MgVertex*>>, KeyHash> m_cells;
};

} // namespace mgmesh::detail
