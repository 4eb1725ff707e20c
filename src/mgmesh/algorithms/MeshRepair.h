// Repairs of a mesh: consistent orientation, degenerate facets dropped, close vertices merged.
#pragma once

#include <string>

#include "mgmesh/Export.h"

class MgFace;
class MgObject;

namespace mgmesh {

/// What a repair changed. Each operation counts only its own kind; Add sums.
struct MGMESH_API RepairResult {
    long long facetsReversed = 0;
    long long facetsDropped = 0;
    long long verticesMerged = 0;  // vertices whose facets now use another vertex
    long long verticesRemoved = 0; // vertices that no facet used any more and that went
    long long edgesRebuilt = 0;    // faces whose neighbour links and loops were derived again
    long long rebuildsFailed = 0;  // of those, faces whose RebuildEdges gave false

    bool Changed() const { return facetsReversed + facetsDropped + verticesMerged > 0; }
    void Add(const RepairResult& other);
    /// "2 facets reversed, 1 degenerate facet dropped, 4 vertices merged (4 removed)", or
    /// "nothing to change".
    std::string Describe() const;
};

// Each repair works face by face, posts its changes through the model's own calls (so change
// indices move where something changed, and only there), keeps reference counts and lists
// right, and leaves no stale derived data: a face that held neighbour links or boundary loops
// before a change has them derived again by RebuildEdges (counted in the result; the face's
// corrupt flag says where that failed). A face with nothing to change is not touched. Each is
// linear in facets and vertices (expected).

/// Gives the facets of each shell one orientation: facets joined by an edge of exactly two
/// sides come to run it opposite ways; a shell with no open or non-manifold edge then faces
/// outward (its volume is positive), and any other follows the orientation most of its facets
/// have. Facets are turned with MgFacet::Reverse; a vertex all of whose facets turned has its
/// normal reversed too. A shell that cannot be oriented (a Möbius band) keeps what the walk
/// from its first facet gives.
MGMESH_API RepairResult OrientShells(MgFace& face);
MGMESH_API RepairResult OrientShells(MgObject& object);

/// Deletes the facets that the mesh report calls degenerate (a vertex in two slots, an empty
/// slot, collinear corners), and with them the vertices that no facet uses any more.
MGMESH_API RepairResult DropDegenerateFacets(MgFace& face);
MGMESH_API RepairResult DropDegenerateFacets(MgObject& object);

/// Merges each vertex into the first vertex before it in the list whose position lies within
/// `tolerance` on every axis and that is not itself merged; zero or less merges only equal
/// positions; NaN and infinite positions never merge. The facets move to the kept vertex, the
/// merged vertex goes when nothing else holds it. Facets may become degenerate (see
/// DropDegenerateFacets).
MGMESH_API RepairResult MergeVertices(MgFace& face, float tolerance);
MGMESH_API RepairResult MergeVertices(MgObject& object, float tolerance);

} // namespace mgmesh
