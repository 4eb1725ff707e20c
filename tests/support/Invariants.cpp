// The model's invariants, checked without a test framework.
#include "support/Invariants.h"

#include <cstring>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace support {

namespace {

template <class List> int Length(const List& list) {
    return static_cast<int>(std::distance(list.begin(), list.end()));
}

// Fills `set` with the list's items; false when one is listed twice.
template <class List, class Set> bool Collect(const List& list, Set& set) {
    for (const auto* item : list)
        if (!set.insert(item).second)
            return false;
    return true;
}

std::string CountProblem(const char* what, int count, int length) {
    if (count == length)
        return "";
    return std::string(what) + " count " + std::to_string(count) + " but " +
           std::to_string(length) + " listed";
}

// Neither a mutual link nor a live neighbour can be taken for granted before the neighbour
// is known to be one of the face's facets.
std::string LinkProblem(const MgFace* face, const std::unordered_set<const MgFacet*>& facets,
                        bool mutualLinks) {
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            const MgFacet* n = f->Neighbor(i);
            if (!n)
                continue;
            if (!facets.count(n))
                return "neighbour is not a live facet of the face";
            if (mutualLinks && n->Neighbor(0) != f && n->Neighbor(1) != f && n->Neighbor(2) != f)
                return "neighbour link not returned";
        }
    return "";
}

std::string CornerProblem(const MgFace* face, const std::unordered_set<const MgEdge*>& edges) {
    std::unordered_set<const MgCorner*> corners;
    for (const MgCorner* c : face->CornerList()) {
        if (!corners.insert(c).second)
            return "corner listed twice";
        if (c->ParentFace() != face)
            return "corner parent is not the face";
        const MgEdge* e = c->Edge();
        if (!e)
            continue;
        if (!edges.count(e))
            return "corner on an edge that is not a live edge of the face";
        bool inList = false;
        for (auto it = e->VertexList().begin(); it != e->VertexList().end() && !inList; ++it)
            inList = it == c->VertIter();
        if (!inList)
            return "corner position is not in its edge's vertex list";
    }
    return "";
}

// Every change must have invalidated the cached bounds; before the first one they are unset.
template <class Items, class Low, class High>
std::string BoundsProblem(const char* what, const CGeoVector& min, const CGeoVector& max,
                          const Items& items, Low low, High high) {
    CGeoVector lo(3.40282347e38f, 3.40282347e38f, 3.40282347e38f);
    CGeoVector hi = -lo;
    for (const auto* item : items) {
        lo.Minimize(low(item));
        hi.Maximize(high(item));
    }
    if (SameBits(min, lo) && SameBits(max, hi))
        return "";
    return std::string("stale ") + what + " bounds";
}

std::string FaceProblem(const MgFace* face, const MgObject* owner, bool mutualLinks) {
    if (face->ParentObject() != owner)
        return "face parent is not the object";
    std::string problem = CountProblem("vertex", face->NumVertices(), Length(face->VertexList())) +
                          CountProblem("facet", face->NumFacets(), Length(face->FacetList())) +
                          CountProblem("edge", face->NumEdges(), Length(face->EdgeList()));
    if (!problem.empty())
        return problem;

    std::unordered_set<const MgVertex*> vertices;
    std::unordered_set<const MgFacet*> facets;
    std::unordered_set<const MgEdge*> edges;
    if (!Collect(face->VertexList(), vertices))
        return "vertex listed twice";
    if (!Collect(face->FacetList(), facets))
        return "facet listed twice";
    if (!Collect(face->EdgeList(), edges))
        return "edge listed twice";

    std::unordered_map<const MgVertex*, int> held;
    for (const MgFacet* f : face->FacetList()) {
        if (f->ParentFace() != face)
            return "facet parent is not the face";
        for (int i = 0; i < 3; ++i)
            if (const MgVertex* v = f->Vertex(i)) {
                if (!vertices.count(v))
                    return "facet holds a vertex that is not in its face";
                ++held[v];
            }
    }
    problem = LinkProblem(face, facets, mutualLinks);
    if (!problem.empty())
        return problem;
    for (const MgEdge* e : face->EdgeList()) {
        if (e->ParentFace() != face)
            return "edge parent is not the face";
        for (const MgVertex* v : e->VertexList()) {
            if (!v)
                return "edge holds a null vertex";
            if (!vertices.count(v))
                return "edge holds a vertex that is not in its face";
            ++held[v];
        }
    }
    int number = 0;
    for (const MgVertex* v : face->VertexList()) {
        if (v->ParentFace() != face)
            return "vertex parent is not the face";
        const auto it = held.find(v);
        const int expected = it == held.end() ? 0 : it->second;
        if (v->RefCount() != expected)
            return "vertex " + std::to_string(number) + ": reference count " +
                   std::to_string(v->RefCount()) + " but held " + std::to_string(expected) +
                   " times";
        ++number;
    }
    problem = CornerProblem(face, edges);
    if (!problem.empty() || face->ChangeIndex() == 0)
        return problem;
    auto position = [](const MgVertex* v) { return v->Vertex(); };
    return BoundsProblem("face", face->MinBound(), face->MaxBound(), face->VertexList(), position,
                         position);
}

} // namespace

std::string BrokenInvariant(const MgFace* face, bool mutualLinks) {
    return FaceProblem(face, face->ParentObject(), mutualLinks);
}

std::string BrokenInvariant(const MgObject& object, bool mutualLinks) {
    std::unordered_set<const MgFace*> faces;
    int vertices = 0, facets = 0, edges = 0;
    for (const MgFace* face : object.FaceList()) {
        if (!faces.insert(face).second)
            return "face listed twice";
        const std::string problem = FaceProblem(face, &object, mutualLinks);
        if (!problem.empty())
            return problem;
        vertices += face->NumVertices();
        facets += face->NumFacets();
        edges += face->NumEdges();
    }
    if (object.NumVertices() != vertices || object.NumFacets() != facets ||
        object.NumEdges() != edges)
        return "object counts are not the sums of its faces'";
    if (object.ChangeIndex() == 0)
        return "";
    return BoundsProblem(
        "object", object.MinBound(), object.MaxBound(), object.FaceList(),
        [](const MgFace* f) { return f->MinBound(); },
        [](const MgFace* f) { return f->MaxBound(); });
}

bool LinksMutual(const MgFace* face) {
    std::unordered_set<const MgFacet*> facets(face->FacetList().begin(), face->FacetList().end());
    return LinkProblem(face, facets, true).empty();
}

bool LinksSimple(const MgFace* face) {
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            if (const MgFacet* n = f->Neighbor(i))
                if (n == f || n == f->Neighbor((i + 1) % 3) || n == f->Neighbor((i + 2) % 3))
                    return false;
    return LinksMutual(face);
}

bool SameBits(const CGeoVector& a, const CGeoVector& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace support
