// Small faces for the tests and the fuzz targets to start from, built through the library's
// factories: no links, edges or corners yet.
#pragma once

#include <vector>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgObject.h"

class MgFace;
class MgFacet;
class MgVertex;

namespace shapes {

/// Adds a facet (a, b, c) to the face.
MgFacet* AddFacet(MgFace* face, MgVertex* a, MgVertex* b, MgVertex* c);
/// A vertex at (x, y, z) with normal (0, 0, 1) and UV (x, y).
MgVertex* AddVertex(MgFace* face, float x, float y, float z = 0);

/// The unit square (0,0)-(1,1) in z = 0 as two facets (a, b, c) and (a, c, d), counter-clockwise
/// seen from +z; vertices a (0,0), b (1,0), c (1,1), d (0,1) in that list order.
MgFace* TwoFacetSquare(MgObject& object);
/// A closed tetrahedron of four outward facets over (0,0,0), (1,0,0), (0,1,0), (0,0,1).
MgFace* Tetrahedron(MgObject& object);
/// A fan of n facets around a centre vertex at the origin, rim on the unit circle; open (the
/// rim is its boundary).
MgFace* OpenFan(MgObject& object, int n);
/// The unit cube (0,0,0)-(1,1,1): closed, 12 outward facets; vertex x + 2y + 4z at (x, y, z).
MgFace* Cube(MgObject& object);
/// An (nx × ny)-cell grid of 2·nx·ny facets in z = 0, cell size 1, counter-clockwise; vertices
/// row by row from (0, 0).
MgFace* Grid(MgObject& object, int nx, int ny);

/// Every shape Build makes. The fuzz targets pick one by its number, so new kinds go last.
enum class Kind {
    Grid,          // Grid(nx, ny)
    Tetrahedron,   // Tetrahedron()
    Fan,           // nx + 2 rim vertices, closed around the centre when ny is even
    SameDirection, // two facets sharing a side in the same direction: not linked
    Bowtie,        // two loops that touch at one vertex
    Pillow,        // two facets over the same three vertices, facing away from each other
    Single,        // one facet
    Cube,          // the unit cube from the origin, 12 outward facets
    Count
};

struct Params {
    Kind kind = Kind::Grid;
    int nx = 1, ny = 1; // grid cells; fan rim and gap (see Kind::Fan)
    CGeoVector offset;  // added to every position, and so to every UV
    float bump = 0;     // the z of every other grid vertex, and of a fan's centre
};

/// A new face of `object` in the given shape (Kind::Count makes a single facet).
MgFace* Build(MgObject& object, const Params& params);

/// TwoFacetSquare with its edges built, so the diagonal is linked; its vertices a, b, c, d in
/// list order and its facets (a, b, c) and (a, c, d).
struct LinkedSquare {
    LinkedSquare();
    MgObject object;
    MgFace* face;
    std::vector<MgVertex*> v;
    MgFacet *abc, *acd;
};

} // namespace shapes
