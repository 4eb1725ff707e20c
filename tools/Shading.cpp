// Normals from geometry with a crease angle, and the feature edges, for mgtool's pictures.
#include "Shading.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace mgtool {
namespace {

constexpr std::size_t kMostFacetsAtAVertex = 512;

struct Normal {
    double x = 0, y = 0, z = 0;
    double Dot(const Normal& o) const { return x * o.x + y * o.y + z * o.z; }
    bool operator==(const Normal& o) const { return x == o.x && y == o.y && z == o.z; }
};

// The facet's unit normal (zero for a facet without area) and its area.
std::pair<Normal, double> FacetNormal(const MgFacet& f) {
    const CGeoVector &a = f.Vertex(0)->Vertex(), &b = f.Vertex(1)->Vertex(),
                     &c = f.Vertex(2)->Vertex();
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    Normal n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
    const double length = std::sqrt(n.Dot(n));
    if (!(length > 0) || !std::isfinite(length))
        return {Normal{}, 0};
    n = Normal{n.x / length, n.y / length, n.z / length};
    return {n, length / 2};
}

bool Complete(const MgFacet& f) {
    return f.Vertex(0) && f.Vertex(1) && f.Vertex(2);
}

// Copies `face` into `copy` with crease-split vertices and geometric normals.
void CopyShaded(const MgFace& face, MgFace& copy, double cosCrease) {
    std::vector<const MgFacet*> facets;
    for (const MgFacet* f : face.FacetList())
        if (Complete(*f))
            facets.push_back(f);
    std::vector<std::pair<Normal, double>> normals(facets.size());
    for (std::size_t k = 0; k < facets.size(); ++k)
        normals[k] = FacetNormal(*facets[k]);

    // the corners around each vertex, numbered as met
    std::unordered_map<const MgVertex*, std::uint32_t> number;
    std::vector<const MgVertex*> vertices;
    std::vector<std::uint32_t> cornerVertex(3 * facets.size());
    for (std::size_t c = 0; c < cornerVertex.size(); ++c) {
        const MgVertex* v = facets[c / 3]->Vertex(int(c % 3));
        const auto [at, added] = number.emplace(v, std::uint32_t(vertices.size()));
        if (added)
            vertices.push_back(v);
        cornerVertex[c] = at->second;
    }
    std::vector<std::uint32_t> start(vertices.size() + 1, 0), around(cornerVertex.size());
    for (const std::uint32_t v : cornerVertex)
        ++start[v + 1];
    for (std::size_t v = 0; v < vertices.size(); ++v)
        start[v + 1] += start[v];
    {
        std::vector<std::uint32_t> cursor(start.begin(), start.end() - 1);
        for (std::size_t c = 0; c < cornerVertex.size(); ++c)
            around[cursor[cornerVertex[c]]++] = std::uint32_t(c);
    }

    std::vector<MgVertex*> cornerCopy(cornerVertex.size());
    std::vector<std::pair<Normal, MgVertex*>> made;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        made.clear();
        const std::uint32_t begin = start[v], end = start[v + 1];
        for (std::uint32_t k = begin; k < end; ++k) {
            const std::uint32_t corner = around[k];
            const Normal& own = normals[corner / 3].first;
            Normal sum;
            if (end - begin <= kMostFacetsAtAVertex) {
                for (std::uint32_t j = begin; j < end; ++j) {
                    const auto& [n, area] = normals[around[j] / 3];
                    if (own.Dot(n) >= cosCrease) {
                        sum.x += area * n.x;
                        sum.y += area * n.y;
                        sum.z += area * n.z;
                    }
                }
            }
            const double length = std::sqrt(sum.Dot(sum));
            const Normal unit =
                length > 0 ? Normal{sum.x / length, sum.y / length, sum.z / length} : own;
            auto found = std::find_if(made.begin(), made.end(),
                                      [&](const auto& entry) { return entry.first == unit; });
            if (found == made.end()) {
                const MgVertex* original = vertices[v];
                made.emplace_back(
                    unit, copy.AddVertex(original->Vertex(),
                                         CGeoVector(float(unit.x), float(unit.y), float(unit.z)),
                                         original->GeoUV()));
                found = made.end() - 1;
            }
            cornerCopy[corner] = found->second;
        }
    }
    for (std::size_t f = 0; f < facets.size(); ++f) {
        MgFacet* facet = copy.NewFacet();
        for (int i = 0; i < 3; ++i)
            facet->SetVertex(i, cornerCopy[3 * f + i]);
    }
    copy.RebuildEdges(); // the neighbour links let the strips run; the loops are not drawn
}

} // namespace

DisplayModel::DisplayModel(const Model& model, float creaseDegrees)
    : m_model(model), m_cosCrease(std::cos(creaseDegrees * 3.14159265f / 180)) {
    for (const auto& [role, object] : model.Objects()) {
        auto copy = std::make_unique<MgGrObject>();
        copy->SetColor(object->Color());
        for (const MgFace* face : object->FaceList()) {
            auto* shaded = dynamic_cast<MgGrFace*>(copy->NewFace());
            shaded->SetGeoFaceId(face->GeoFaceId());
            CopyShaded(*face, *shaded, m_cosCrease);
            // a face's own colour, where one is in force, goes with it
            const auto* drawable = dynamic_cast<const MgGrFace*>(face);
            if (drawable && drawable->Color() != object->Color())
                shaded->SetColor1(drawable->Color());
        }
        m_objects.emplace_back(role, std::move(copy));
    }
}

const std::vector<CGeoVector>& DisplayModel::FeatureLines() const {
    if (m_featuresFound)
        return m_features;
    m_featuresFound = true;
    struct Use {
        int sides = 0;
        Normal first, second;
    };
    for (const auto& entry : m_model.Objects())
        for (const MgFace* face : entry.second->FaceList()) {
            std::unordered_map<std::uint64_t, std::pair<const MgVertex*, const MgVertex*>> ends;
            std::unordered_map<std::uint64_t, Use> uses;
            // a key per unordered pair of vertices, told apart by their numbers in the face
            std::unordered_map<const MgVertex*, std::uint32_t> number;
            auto numberOf = [&](const MgVertex* v) {
                return number.emplace(v, std::uint32_t(number.size())).first->second;
            };
            for (const MgFacet* f : face->FacetList()) {
                if (!Complete(*f))
                    continue;
                const Normal n = FacetNormal(*f).first;
                for (int i = 0; i < 3; ++i) {
                    const MgVertex *a = f->Vertex(i), *b = f->Vertex((i + 1) % 3);
                    if (a == b)
                        continue;
                    std::uint64_t p = numberOf(a), q = numberOf(b);
                    const std::uint64_t key = std::min(p, q) << 32 | std::max(p, q);
                    Use& use = uses[key];
                    (use.sides++ == 0 ? use.first : use.second) = n;
                    ends.emplace(key, std::make_pair(a, b));
                }
            }
            for (const auto& [key, use] : uses)
                if (use.sides != 2 || use.first.Dot(use.second) < m_cosCrease) {
                    m_features.push_back(ends[key].first->Vertex());
                    m_features.push_back(ends[key].second->Vertex());
                }
        }
    return m_features;
}

} // namespace mgtool
