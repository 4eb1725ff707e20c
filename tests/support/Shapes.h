// Small shapes shared by the tests.
#pragma once

#include <vector>

#include "mgmesh/mgmesh.h"

namespace shapes {

/// Adds a facet (a, b, c) to the face.
MgFacet* AddFacet(MgFace* face, MgVertex* a, MgVertex* b, MgVertex* c);
/// A vertex at (x, y, z) with normal (0, 0, 1) and UV (x, y).
MgVertex* AddVertex(MgFace* face, float x, float y, float z = 0);

/// The unit square (0,0)-(1,1) in z = 0 as two facets (a, b, c) and (a, c, d), counter-clockwise
/// seen from +z; vertices a (0,0), b (1,0), c (1,1), d (0,1) in that list order. No links.
MgFace* TwoFacetSquare(MgObject& object);
/// A closed tetrahedron of four outward facets; no links.
MgFace* Tetrahedron(MgObject& object);
/// A fan of n facets around a centre vertex at the origin, rim on the unit circle; open.
MgFace* OpenFan(MgObject& object, int n);
/// An (nx × ny)-cell grid of 2·nx·ny facets in z = 0, cell size 1, counter-clockwise.
MgFace* Grid(MgObject& object, int nx, int ny);

} // namespace shapes
