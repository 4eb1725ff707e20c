// Small faces for the tests and the fuzz targets.
#include "support/Shapes.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace shapes {

namespace {

void BuildGrid(MgFace* face, const Params& p) {
    std::vector<MgVertex*> v;
    for (int j = 0; j <= p.ny; ++j)
        for (int i = 0; i <= p.nx; ++i)
            v.push_back(AddVertex(face, float(i) + p.offset.x, float(j) + p.offset.y,
                                  ((i + j) % 2 ? p.bump : 0.0f) + p.offset.z));
    auto at = [&](int i, int j) { return v[j * (p.nx + 1) + i]; };
    for (int j = 0; j < p.ny; ++j)
        for (int i = 0; i < p.nx; ++i) {
            AddFacet(face, at(i, j), at(i + 1, j), at(i + 1, j + 1));
            AddFacet(face, at(i, j), at(i + 1, j + 1), at(i, j + 1));
        }
}

// The points in list order, then the facets over their numbers.
void BuildFacets(MgFace* face, const Params& p, std::initializer_list<std::array<float, 3>> points,
                 std::initializer_list<std::array<int, 3>> facets) {
    std::vector<MgVertex*> v;
    for (const auto& q : points)
        v.push_back(AddVertex(face, q[0] + p.offset.x, q[1] + p.offset.y, q[2] + p.offset.z));
    for (const auto& f : facets)
        AddFacet(face, v[f[0]], v[f[1]], v[f[2]]);
}

void BuildFan(MgFace* face, const Params& p, int n, int facets) {
    auto at = [&](float x, float y, float z) {
        return AddVertex(face, x + p.offset.x, y + p.offset.y, z + p.offset.z);
    };
    MgVertex* centre = at(0, 0, p.bump);
    std::vector<MgVertex*> rim;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        rim.push_back(at(float(std::cos(a)), float(std::sin(a)), 0));
    }
    for (int i = 0; i < facets; ++i)
        AddFacet(face, centre, rim[i], rim[(i + 1) % n]);
}

} // namespace

MgFacet* AddFacet(MgFace* face, MgVertex* a, MgVertex* b, MgVertex* c) {
    MgFacet* f = face->NewFacet();
    f->SetVertex(0, a);
    f->SetVertex(1, b);
    f->SetVertex(2, c);
    return f;
}

MgVertex* AddVertex(MgFace* face, float x, float y, float z) {
    const float uv[2] = {x, y};
    return face->AddVertex(CGeoVector(x, y, z), CGeoVector(0, 0, 1), uv);
}

MgFace* TwoFacetSquare(MgObject& object) {
    MgFace* face = object.NewFace();
    BuildFacets(face, Params(), {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                {{0, 1, 2}, {0, 2, 3}});
    return face;
}

MgFace* Tetrahedron(MgObject& object) {
    return Build(object, {Kind::Tetrahedron, 1, 1, CGeoVector(), 0});
}

MgFace* Cube(MgObject& object) {
    return Build(object, {Kind::Cube, 1, 1, CGeoVector(), 0});
}

MgFace* OpenFan(MgObject& object, int n) {
    MgFace* face = object.NewFace();
    BuildFan(face, Params(), n, n);
    return face;
}

MgFace* Grid(MgObject& object, int nx, int ny) {
    return Build(object, {Kind::Grid, nx, ny, CGeoVector(), 0});
}

MgFace* Build(MgObject& object, const Params& p) {
    MgFace* face = object.NewFace();
    switch (p.kind) {
    case Kind::Grid:
        BuildGrid(face, p);
        break;
    case Kind::Tetrahedron:
        BuildFacets(face, p, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                    {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}});
        break;
    case Kind::Fan:
        BuildFan(face, p, p.nx + 2, p.ny % 2 ? p.nx + 1 : p.nx + 2);
        break;
    case Kind::SameDirection: // the shared side a-c runs the same way in both
        BuildFacets(face, p, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 3, 2}});
        break;
    case Kind::Bowtie:
        BuildFacets(face, p, {{0, 0, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}},
                    {{0, 1, 2}, {0, 3, 4}});
        break;
    case Kind::Pillow:
        BuildFacets(face, p, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 2, 1}});
        break;
    case Kind::Cube:
        // clang-format off
        BuildFacets(face, p,
                    {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                     {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}},
                    {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                     {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}});
        // clang-format on
        break;
    case Kind::Single:
    case Kind::Count:
        BuildFacets(face, p, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
        break;
    }
    return face;
}

LinkedSquare::LinkedSquare()
    : face(TwoFacetSquare(object)), v(face->VertexList().begin(), face->VertexList().end()),
      abc(face->FacetList().front()), acd(face->FacetList().back()) {
    face->RebuildEdges();
}

} // namespace shapes
