// The model's invariants, checked by the fuzz targets after every load and operation.
#pragma once

#include <cstring>
#include <iterator>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace mgfuzz {

/// A broken invariant or an unexpected outcome. The fuzzer entry turns it into a crash, the
/// regression test into a failure.
struct Finding {
    std::string what;
};

[[noreturn]] inline void Fail(const std::string& what) {
    throw Finding{what};
}

#define MGFUZZ_CHECK(condition, what)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::mgfuzz::Fail(std::string(what) + " [" #condition "]");                               \
    } while (0)

inline bool SameBits(const CGeoVector& a, const CGeoVector& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

/// Every neighbour link of the face is returned by the neighbour.
inline bool LinksMutual(const MgFace* face) {
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            if (const MgFacet* n = f->Neighbor(i))
                if (n->Neighbor(0) != f && n->Neighbor(1) != f && n->Neighbor(2) != f)
                    return false;
    return true;
}

/// Links are mutual, and no facet is linked to itself or to one facet across two sides. Only
/// for such faces do the splits promise mutual links afterwards: where two facets border each
/// other along several sides, a split re-points only one of the links.
inline bool LinksSimple(const MgFace* face) {
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            if (const MgFacet* n = f->Neighbor(i))
                if (n == f || n == f->Neighbor((i + 1) % 3) || n == f->Neighbor((i + 2) % 3))
                    return false;
    return LinksMutual(face);
}

/// Ownership, reference counts, list membership and counts of one face, and that its cached
/// bounds are those of its vertices (every change must have invalidated them). Pointers are
/// only compared against the face's own lists before they are followed, so a dangling one is
/// reported rather than dereferenced.
inline void CheckFace(const MgFace* face, const MgObject* owner) {
    MGFUZZ_CHECK(face->ParentObject() == owner, "face parent");
    MGFUZZ_CHECK(face->NumVertices() == static_cast<int>(std::distance(face->VertexList().begin(),
                                                                       face->VertexList().end())),
                 "vertex count");
    MGFUZZ_CHECK(face->NumFacets() == static_cast<int>(std::distance(face->FacetList().begin(),
                                                                     face->FacetList().end())),
                 "facet count");
    MGFUZZ_CHECK(face->NumEdges() == static_cast<int>(std::distance(face->EdgeList().begin(),
                                                                    face->EdgeList().end())),
                 "edge count");

    std::unordered_set<const MgVertex*> vertices;
    for (const MgVertex* v : face->VertexList())
        MGFUZZ_CHECK(vertices.insert(v).second, "vertex listed twice");
    std::unordered_set<const MgFacet*> facets;
    for (const MgFacet* f : face->FacetList())
        MGFUZZ_CHECK(facets.insert(f).second, "facet listed twice");
    std::unordered_set<const MgEdge*> edges;
    for (const MgEdge* e : face->EdgeList())
        MGFUZZ_CHECK(edges.insert(e).second, "edge listed twice");

    std::unordered_map<const MgVertex*, int> held;
    for (const MgFacet* f : face->FacetList()) {
        MGFUZZ_CHECK(f->ParentFace() == face, "facet parent");
        for (int i = 0; i < 3; ++i) {
            if (const MgVertex* v = f->Vertex(i)) {
                MGFUZZ_CHECK(vertices.count(v), "facet holds a vertex that is not in its face");
                ++held[v];
            }
            if (const MgFacet* n = f->Neighbor(i))
                MGFUZZ_CHECK(facets.count(n), "neighbour is not a live facet of the face");
        }
    }
    for (const MgEdge* e : face->EdgeList()) {
        MGFUZZ_CHECK(e->ParentFace() == face, "edge parent");
        for (const MgVertex* v : e->VertexList()) {
            MGFUZZ_CHECK(v != nullptr, "edge holds a null vertex");
            MGFUZZ_CHECK(vertices.count(v), "edge holds a vertex that is not in its face");
            ++held[v];
        }
    }
    for (const MgVertex* v : face->VertexList()) {
        MGFUZZ_CHECK(v->ParentFace() == face, "vertex parent");
        const auto it = held.find(v);
        const int expected = it == held.end() ? 0 : it->second;
        MGFUZZ_CHECK(v->RefCount() == expected, "reference count " + std::to_string(v->RefCount()) +
                                                    " but held " + std::to_string(expected) +
                                                    " times");
    }

    std::unordered_set<const MgCorner*> corners;
    for (const MgCorner* c : face->CornerList()) {
        MGFUZZ_CHECK(corners.insert(c).second, "corner listed twice");
        MGFUZZ_CHECK(c->ParentFace() == face, "corner parent");
        const MgEdge* e = c->Edge();
        if (!e)
            continue;
        MGFUZZ_CHECK(edges.count(e), "corner on an edge that is not a live edge of the face");
        bool inList = false;
        for (auto it = e->VertexList().begin(); it != e->VertexList().end() && !inList; ++it)
            inList = it == c->VertIter();
        MGFUZZ_CHECK(inList, "corner position is not in its edge's vertex list");
    }

    if (face->ChangeIndex() != 0) {
        CGeoVector low(3.40282347e38f, 3.40282347e38f, 3.40282347e38f);
        CGeoVector high = -low;
        for (const MgVertex* v : face->VertexList()) {
            low.Minimize(v->Vertex());
            high.Maximize(v->Vertex());
        }
        MGFUZZ_CHECK(SameBits(face->MinBound(), low) && SameBits(face->MaxBound(), high),
                     "stale face bounds");
    }
}

/// CheckFace for every face, the object's counts as sums and its cached bounds.
inline void CheckObject(const MgObject& object) {
    std::unordered_set<const MgFace*> faces;
    int vertices = 0, facets = 0, edges = 0;
    for (const MgFace* face : object.FaceList()) {
        MGFUZZ_CHECK(faces.insert(face).second, "face listed twice");
        CheckFace(face, &object);
        vertices += face->NumVertices();
        facets += face->NumFacets();
        edges += face->NumEdges();
    }
    MGFUZZ_CHECK(object.NumVertices() == vertices && object.NumFacets() == facets &&
                     object.NumEdges() == edges,
                 "object counts");
    if (object.ChangeIndex() != 0) {
        CGeoVector low(3.40282347e38f, 3.40282347e38f, 3.40282347e38f);
        CGeoVector high = -low;
        for (const MgFace* face : object.FaceList()) {
            low.Minimize(face->MinBound());
            high.Maximize(face->MaxBound());
        }
        MGFUZZ_CHECK(SameBits(object.MinBound(), low) && SameBits(object.MaxBound(), high),
                     "stale object bounds");
    }
}

} // namespace mgfuzz
