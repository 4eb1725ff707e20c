// What the operation fuzzer checks beyond the model's invariants: that change indices move
// forward, that a good edge rebuild leaves what it promises, and what each operation must
// have done. Each check throws a Finding when it fails.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgSplitResults.h"

class MgFace;
class MgFacet;
class MgObject;
class MgVertex;

namespace mgfuzz {

using Objects = std::vector<std::unique_ptr<MgObject>>;
using Slots = std::array<MgVertex*, 3>;

Slots SlotsOf(const MgFacet* f);

/// The change indices of every object and face, and each face's list lengths.
struct Snapshot {
    struct FaceState {
        unsigned index;
        std::array<std::size_t, 4> counts; // vertices, facets, edges, corners
    };
    std::unordered_map<const MgObject*, unsigned> objects;
    std::unordered_map<const MgFace*, FaceState> faces;
};

Snapshot TakeSnapshot(const Objects& objects);

/// Change indices only move forward, and a face whose lists changed has moved on.
void CheckForward(const Objects& objects, const Snapshot& before);

/// RebuildEdges, which must not throw (every facet holds three vertices) and must leave the
/// face corrupt when it fails; after a good one, CheckRebuilt. Returns its result.
bool CheckedRebuild(MgFace* face);

/// After a good edge rebuild: every vertex is used by a facet, every corner sits on an edge,
/// and the vertex marks are 1 on corner vertices and 0 on all others.
void CheckRebuilt(const MgFace* face);

/// What Split made, and how the facets stood right after it.
struct SplitRecord {
    MgFace* face;
    MgFacet *f, *g, *n, *h;
    MgVertex* v;
    int side, neighborSide;
    Slots fBefore, nBefore;               // before the split
    Slots fAfter, gAfter, nAfter, hAfter; // right after it
};

/// Whether the record's facets still stand as its split left them.
bool Standing(const SplitRecord& r);

/// After an Unsplit of a standing record that went through: the facets it removed are gone
/// (`facets` the face had before), the vertices it had are back, the facet and its neighbour
/// are linked again where the halves were, and the made vertex is gone.
void CheckUnsplit(const SplitRecord& r, std::size_t facets, bool halvesLinked);

/// The facet whose side runs from `from` to `to` (forward) or from `to` to `from`, and the
/// slot of the side's start; the literal walk AddEdgeVertex's search is compared with.
MgFacet* FacetAlong(const MgFace* face, const MgVertex* from, const MgVertex* to, bool forward,
                    int& slot);

/// A fresh copy has the source's facets and edges, with the positions of the source's.
void CheckCopiedFace(const MgFace* source, const MgFace* copy);

/// A face's facets, edges and normals, to compare after reversing it twice.
struct FaceLayout {
    std::vector<Slots> facets;
    std::vector<std::vector<MgVertex*>> edges;
    std::vector<CGeoVector> normals;
};

FaceLayout LayoutOf(const MgFace* face);
void CheckSameLayout(const MgFace* face, const FaceLayout& before);

} // namespace mgfuzz
