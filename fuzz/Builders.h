// Small faces for the fuzz targets to start from, built through the library's factories.
#pragma once

#include <cmath>
#include <vector>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace mgfuzz {

enum class Shape { Grid, Tetrahedron, Fan, SameDirection, Bowtie, Pillow, Single, Count };

struct ShapeParams {
    Shape shape = Shape::Grid;
    int nx = 1, ny = 1; // grid cells, fan facets
    CGeoVector offset;  // added to every position
    float bump = 0;     // z of every other grid vertex
};

inline MgVertex* AddPoint(MgFace* face, const CGeoVector& p) {
    const float uv[2] = {p.x, p.y};
    return face->AddVertex(p, CGeoVector(0, 0, 1), uv);
}

inline MgFacet* AddTriangle(MgFace* face, MgVertex* a, MgVertex* b, MgVertex* c) {
    MgFacet* f = face->NewFacet();
    f->SetVertex(0, a);
    f->SetVertex(1, b);
    f->SetVertex(2, c);
    return f;
}

/// A new face of `object` in the given shape; no links, edges or corners yet.
inline MgFace* BuildShape(MgObject& object, const ShapeParams& params) {
    MgFace* face = object.NewFace();
    const CGeoVector& o = params.offset;
    auto at = [&](float x, float y, float z) { return AddPoint(face, CGeoVector(x, y, z) + o); };
    switch (params.shape) {
    case Shape::Grid: {
        std::vector<MgVertex*> v;
        for (int j = 0; j <= params.ny; ++j)
            for (int i = 0; i <= params.nx; ++i)
                v.push_back(at(float(i), float(j), (i + j) % 2 ? params.bump : 0.0f));
        const int row = params.nx + 1;
        for (int j = 0; j < params.ny; ++j)
            for (int i = 0; i < params.nx; ++i) {
                MgVertex* a = v[j * row + i];
                MgVertex* b = v[j * row + i + 1];
                MgVertex* c = v[(j + 1) * row + i + 1];
                MgVertex* d = v[(j + 1) * row + i];
                AddTriangle(face, a, b, c);
                AddTriangle(face, a, c, d);
            }
        break;
    }
    case Shape::Tetrahedron: {
        MgVertex* p0 = at(0, 0, 0);
        MgVertex* p1 = at(1, 0, 0);
        MgVertex* p2 = at(0, 1, 0);
        MgVertex* p3 = at(0, 0, 1);
        AddTriangle(face, p0, p2, p1);
        AddTriangle(face, p0, p1, p3);
        AddTriangle(face, p1, p2, p3);
        AddTriangle(face, p2, p0, p3);
        break;
    }
    case Shape::Fan: {
        const int n = params.nx + 2;
        MgVertex* centre = at(0, 0, params.bump);
        std::vector<MgVertex*> rim;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * 3.14159265358979323846 * i / n;
            rim.push_back(at(float(std::cos(a)), float(std::sin(a)), 0));
        }
        // a closed fan when the grid's second count is even, an open one otherwise
        const int facets = params.ny % 2 ? n - 1 : n;
        for (int i = 0; i < facets; ++i)
            AddTriangle(face, centre, rim[i], rim[(i + 1) % n]);
        break;
    }
    case Shape::SameDirection: {
        // two facets that share a side in the same direction: not linked, boundary walked twice
        MgVertex* a = at(0, 0, 0);
        MgVertex* b = at(1, 0, 0);
        MgVertex* c = at(1, 1, 0);
        MgVertex* d = at(0, 1, 0);
        AddTriangle(face, a, b, c);
        AddTriangle(face, a, d, c);
        break;
    }
    case Shape::Bowtie: {
        // two loops that touch at one vertex
        MgVertex* m = at(0, 0, 0);
        AddTriangle(face, m, at(1, -1, 0), at(1, 1, 0));
        AddTriangle(face, m, at(-1, 1, 0), at(-1, -1, 0));
        break;
    }
    case Shape::Pillow: {
        // two facets over the same three vertices, facing away from each other: closed
        MgVertex* a = at(0, 0, 0);
        MgVertex* b = at(1, 0, 0);
        MgVertex* c = at(0, 1, 0);
        AddTriangle(face, a, b, c);
        AddTriangle(face, a, c, b);
        break;
    }
    case Shape::Single:
    case Shape::Count:
        AddTriangle(face, at(0, 0, 0), at(1, 0, 0), at(0, 1, 0));
        break;
    }
    return face;
}

} // namespace mgfuzz
