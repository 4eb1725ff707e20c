// The mesh report's figures the plain way, from corner numbers and positions alone: an
// ordered map of edges and a label-spreading pass for the shells. Slow on purpose; the tests
// hold the library's report to it.
#pragma once

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

namespace support {

struct PlainReport {
    double volume = 0;
    long long shells = 0, open = 0, nonManifold = 0, misoriented = 0, degenerate = 0;

    std::string Text() const {
        return std::to_string(shells) + " shells, " + std::to_string(open) + " open, " +
               std::to_string(nonManifold) + " non-manifold, " + std::to_string(misoriented) +
               " misoriented, " + std::to_string(degenerate) + " degenerate";
    }
};

/// Facets as corner numbers into `points` (-1: an empty slot).
inline PlainReport PlainReportOf(const std::vector<std::array<double, 3>>& points,
                                 const std::vector<std::array<int, 3>>& facets) {
    PlainReport r;
    std::map<std::pair<int, int>, std::vector<std::pair<int, bool>>> edges; // facet, runs up
    for (std::size_t f = 0; f < facets.size(); ++f) {
        const auto& c = facets[f];
        const bool empty = c[0] < 0 || c[1] < 0 || c[2] < 0;
        if (!empty) {
            const auto &p = points[c[0]], &q = points[c[1]], &s = points[c[2]];
            r.volume += (p[0] * (q[1] * s[2] - q[2] * s[1]) - p[1] * (q[0] * s[2] - q[2] * s[0]) +
                         p[2] * (q[0] * s[1] - q[1] * s[0])) /
                        6;
            const double u[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]},
                         v[3] = {s[0] - p[0], s[1] - p[1], s[2] - p[2]};
            const bool flat = u[1] * v[2] - u[2] * v[1] == 0 && u[2] * v[0] - u[0] * v[2] == 0 &&
                              u[0] * v[1] - u[1] * v[0] == 0;
            r.degenerate += c[0] == c[1] || c[1] == c[2] || c[0] == c[2] || flat;
        } else {
            ++r.degenerate;
        }
        for (int i = 0; i < 3; ++i) {
            const int a = c[i], b = c[(i + 1) % 3];
            if (a >= 0 && b >= 0 && a != b)
                edges[{std::min(a, b), std::max(a, b)}].emplace_back(int(f), a < b);
        }
    }
    std::vector<std::size_t> label(facets.size());
    for (std::size_t f = 0; f < facets.size(); ++f)
        label[f] = f;
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& [ends, sides] : edges) {
            std::size_t least = label[sides[0].first];
            for (const auto& s : sides)
                least = std::min(least, label[s.first]);
            for (const auto& s : sides)
                if (label[s.first] != least) {
                    label[s.first] = least;
                    changed = true;
                }
        }
    }
    for (std::size_t f = 0; f < facets.size(); ++f)
        r.shells += label[f] == f;
    for (const auto& [ends, sides] : edges) {
        r.open += sides.size() == 1;
        r.nonManifold += sides.size() >= 3;
        r.misoriented += sides.size() == 2 && sides[0].second == sides[1].second;
    }
    return r;
}

/// The same for a face: its vertices by identity, numbered as met.
inline PlainReport PlainReportOf(const MgFace* face) {
    std::map<const MgVertex*, int> seen;
    std::vector<std::array<double, 3>> points;
    std::vector<std::array<int, 3>> facets;
    auto number = [&](const MgVertex* v) {
        if (!v)
            return -1;
        const auto [at, added] = seen.emplace(v, int(points.size()));
        if (added)
            points.push_back({v->Vertex().x, v->Vertex().y, v->Vertex().z});
        return at->second;
    };
    for (const MgFacet* f : face->FacetList())
        facets.push_back({number(f->Vertex(0)), number(f->Vertex(1)), number(f->Vertex(2))});
    return PlainReportOf(points, facets);
}

} // namespace support
