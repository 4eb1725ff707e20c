// Generated benchmark meshes: a closed torus and an open grid of about n facets.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "mgmesh/mgmesh.h"

namespace bench {

/// The two facets of the cell from corner (i, j) to (i + 1, j + 1), both wound the same way;
/// `at(i, j)` gives a corner's vertex.
template <class At> void AddCell(MgFace* face, const At& at, int i, int j) {
    MgVertex* const tri[2][3] = {{at(i, j), at(i + 1, j), at(i + 1, j + 1)},
                                 {at(i, j), at(i + 1, j + 1), at(i, j + 1)}};
    for (const auto& t : tri) {
        MgFacet* f = face->NewFacet();
        for (int k = 0; k < 3; ++k)
            f->SetVertex(k, t[k]);
    }
}

/// A closed torus of 2·u·v facets with shared vertices, as one face of `object`.
inline MgFace* Torus(MgObject& object, int facets) {
    const int u = std::max(3, int(std::sqrt(facets / 2.0) * 1.5));
    const int v = std::max(3, facets / (2 * u));
    MgFace* face = object.NewFace();
    std::vector<MgVertex*> ring;
    const float uv[2] = {0, 0};
    for (int i = 0; i < u; ++i)
        for (int j = 0; j < v; ++j) {
            const double a = 2 * M_PI * i / u, b = 2 * M_PI * j / v;
            const CGeoVector p(float((3 + std::cos(b)) * std::cos(a)),
                               float((3 + std::cos(b)) * std::sin(a)), float(std::sin(b)));
            ring.push_back(face->AddVertex(p, CGeoVector(0, 0, 1), uv));
        }
    auto at = [&](int i, int j) { return ring[(i % u) * v + (j % v)]; };
    for (int i = 0; i < u; ++i)
        for (int j = 0; j < v; ++j)
            AddCell(face, at, i, j);
    return face;
}

/// An open square grid of about n facets, as one face of `object`, shifted by dx along x.
inline int GridCells(int facets) {
    return std::max(1, int(std::sqrt(facets / 2.0)));
}

inline MgFace* Grid(MgObject& object, int facets, float dx = 0) {
    const int n = GridCells(facets);
    MgFace* face = object.NewFace();
    std::vector<MgVertex*> grid;
    const float uv[2] = {0, 0};
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            grid.push_back(
                face->AddVertex(CGeoVector(float(i) + dx, float(j), 0), CGeoVector(0, 0, 1), uv));
    auto at = [&](int i, int j) { return grid[j * (n + 1) + i]; };
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            AddCell(face, at, i, j);
    return face;
}

} // namespace bench
