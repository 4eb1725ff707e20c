// Small shapes shared by the tests.
#include "support/Shapes.h"

#include <cmath>
#include <vector>

namespace shapes {

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
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgVertex* c = AddVertex(face, 1, 1);
    MgVertex* d = AddVertex(face, 0, 1);
    AddFacet(face, a, b, c);
    AddFacet(face, a, c, d);
    return face;
}

MgFace* Tetrahedron(MgObject& object) {
    MgFace* face = object.NewFace();
    MgVertex* p0 = AddVertex(face, 0, 0, 0);
    MgVertex* p1 = AddVertex(face, 1, 0, 0);
    MgVertex* p2 = AddVertex(face, 0, 1, 0);
    MgVertex* p3 = AddVertex(face, 0, 0, 1);
    AddFacet(face, p0, p2, p1);
    AddFacet(face, p0, p1, p3);
    AddFacet(face, p1, p2, p3);
    AddFacet(face, p2, p0, p3);
    return face;
}

MgFace* OpenFan(MgObject& object, int n) {
    MgFace* face = object.NewFace();
    MgVertex* centre = AddVertex(face, 0, 0);
    std::vector<MgVertex*> rim;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        rim.push_back(AddVertex(face, float(std::cos(a)), float(std::sin(a))));
    }
    for (int i = 0; i < n; ++i)
        AddFacet(face, centre, rim[i], rim[(i + 1) % n]);
    return face;
}

MgFace* Grid(MgObject& object, int nx, int ny) {
    MgFace* face = object.NewFace();
    std::vector<MgVertex*> v;
    for (int j = 0; j <= ny; ++j)
        for (int i = 0; i <= nx; ++i)
            v.push_back(AddVertex(face, float(i), float(j)));
    auto at = [&](int i, int j) { return v[j * (nx + 1) + i]; };
    for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
            AddFacet(face, at(i, j), at(i + 1, j), at(i + 1, j + 1));
            AddFacet(face, at(i, j), at(i + 1, j + 1), at(i, j + 1));
        }
    return face;
}

} // namespace shapes
