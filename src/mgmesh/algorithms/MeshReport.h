// The mesh report: volume, parts and the edges and facets that are out of order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"

class MgFace;
class MgObject;

namespace mgmesh {

/// An edge the report names: the face it is in, its end vertices (numbers in the face's
/// vertex list, from 0, lower first, with their positions) and the first facets that use it
/// (numbers in the face's facet list, from 0, which is the order a reader met them in).
struct MGMESH_API MeshEdgeSample {
    std::intptr_t face = 0; // the face's GeoFaceId
    long long vertices[2] = {-1, -1};
    CGeoVector positions[2];
    long long uses = 0;                 // how many facet sides run along it
    long long facets[3] = {-1, -1, -1}; // the first three, -1 where there are fewer
};

/// A facet the report names: its face and its number in the face's facet list.
struct MGMESH_API MeshFacetSample {
    std::intptr_t face = 0;
    long long facet = -1;
};

/// What is right and wrong with a mesh. Edges are unordered pairs of distinct vertices of one
/// face (vertex identity as the face holds it) joined by a facet side; the counts of an object
/// are the sums over its faces.
struct MGMESH_API MeshReport {
    /// Sum over facets of p0 · (p1 × p2) / 6 in double precision: the enclosed volume of a
    /// closed, outward-facing mesh, negative when it faces inward.
    double volume = 0;
    /// Connected groups of facets, two facets joined where they share an edge.
    long long shells = 0;
    long long openEdges = 0;        // used by exactly one facet side
    long long nonManifoldEdges = 0; // used by three or more facet sides
    long long misorientedEdges = 0; // used by exactly two sides that run the same way
    /// Facets with one vertex in two slots, an empty slot, or collinear corners (a zero cross
    /// product in double precision).
    long long degenerateFacets = 0;

    /// The first few of each kind, by the first facet that uses them, face by face.
    std::vector<MeshEdgeSample> open, nonManifold, misoriented;
    std::vector<MeshFacetSample> degenerate;

    /// No open, non-manifold or misoriented edge and no degenerate facet.
    bool Clean() const {
        return openEdges == 0 && nonManifoldEdges == 0 && misorientedEdges == 0 &&
               degenerateFacets == 0;
    }
    /// Adds another report's counts and volume; its samples join while there is room for
    /// `samples` of a kind.
    void Add(const MeshReport& other, std::size_t samples);
    /// One line for people: "closed, 1 shell, volume 8" or "2 shells, volume 0.33, 3 open
    /// edges (facets 4, 7 and 9), 1 degenerate facet (facet 12)". Facet numbers are those of
    /// the samples; a model of several faces names the face too ("face 3 facet 12").
    std::string Describe() const;
};

/// The report on one face, keeping at most `samples` samples of each kind. Works from the
/// face's vertex sharing alone, so it needs no RebuildEdges and gives its answer where that
/// fails; it changes nothing (no change index, no aux data). Linear in facets and vertices,
/// about 30 bytes of passing memory a facet.
MGMESH_API MeshReport ReportMesh(const MgFace& face, std::size_t samples = 5);
/// The report on every face of an object, summed.
MGMESH_API MeshReport ReportMesh(const MgObject& object, std::size_t samples = 5);

} // namespace mgmesh
