// What the operation fuzzer checks beyond the model's invariants.
#include "OperationChecks.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_set>

#include "Finding.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace mgfuzz {

namespace {

std::array<std::size_t, 4> Counts(const MgFace* f) {
    return {f->VertexList().size(), f->FacetList().size(), f->EdgeList().size(),
            f->CornerList().size()};
}

} // namespace

Slots SlotsOf(const MgFacet* f) {
    return {f->Vertex(0), f->Vertex(1), f->Vertex(2)};
}

Snapshot TakeSnapshot(const Objects& objects) {
    Snapshot s;
    for (const auto& o : objects) {
        s.objects[o.get()] = o->ChangeIndex();
        for (const MgFace* f : o->FaceList())
            s.faces[f] = {f->ChangeIndex(), Counts(f)};
    }
    return s;
}

void CheckForward(const Objects& objects, const Snapshot& before) {
    for (const auto& o : objects) {
        const auto it = before.objects.find(o.get());
        if (it != before.objects.end())
            MGFUZZ_CHECK(o->ChangeIndex() >= it->second, "object change index went back");
        for (const MgFace* f : o->FaceList()) {
            const auto was = before.faces.find(f);
            if (was == before.faces.end())
                continue;
            MGFUZZ_CHECK(f->ChangeIndex() >= was->second.index, "face change index went back");
            if (Counts(f) != was->second.counts)
                MGFUZZ_CHECK(f->ChangeIndex() != was->second.index,
                             "a face's items changed without a change of its index");
        }
    }
}

void CheckRebuilt(const MgFace* face) {
    std::unordered_set<const MgVertex*> used, cornered;
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            used.insert(f->Vertex(i));
    for (const MgCorner* c : face->CornerList()) {
        MGFUZZ_CHECK(c->Edge(), "a corner left off the edges by a good rebuild");
        cornered.insert(c->Vertex());
    }
    for (const MgVertex* v : face->VertexList()) {
        MGFUZZ_CHECK(used.count(v), "a vertex no facet uses survived the edge rebuild");
        const std::intptr_t mark = reinterpret_cast<std::intptr_t>(v->AuxData());
        MGFUZZ_CHECK(mark == (cornered.count(v) ? 1 : 0), "vertex mark after the rebuild");
    }
}

// Bad face structure cannot come from facets that all hold three vertices.
bool CheckedRebuild(MgFace* face) {
    bool good = false;
    ExpectThrown([&] { good = face->RebuildEdges(); });
    MGFUZZ_CHECK(good || face->Corrupt(), "a failed edge rebuild leaves the face corrupt");
    if (good)
        CheckRebuilt(face);
    return good;
}

bool Standing(const SplitRecord& r) {
    return SlotsOf(r.f) == r.fAfter && SlotsOf(r.g) == r.gAfter &&
           (!r.n || (SlotsOf(r.n) == r.nAfter && SlotsOf(r.h) == r.hAfter));
}

void CheckUnsplit(const SplitRecord& r, std::size_t facets, bool halvesLinked) {
    MGFUZZ_CHECK(r.face->FacetList().size() == facets - (r.n ? 2 : 1), "Unsplit's facets");
    MGFUZZ_CHECK(SlotsOf(r.f) == r.fBefore && (!r.n || SlotsOf(r.n) == r.nBefore),
                 "Unsplit did not restore the vertices");
    if (halvesLinked)
        MGFUZZ_CHECK(r.f->Neighbor(0) == r.n || r.f->Neighbor(1) == r.n || r.f->Neighbor(2) == r.n,
                     "Unsplit did not link the facet and its neighbour again");
    for (const MgVertex* v : r.face->VertexList())
        MGFUZZ_CHECK(v != r.v, "the made vertex survived Unsplit");
}

MgFacet* FacetAlong(const MgFace* face, const MgVertex* from, const MgVertex* to, bool forward,
                    int& slot) {
    const int s = forward ? 1 : 2;
    for (MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            if (f->Vertex(i) == from && f->Vertex((i + s) % 3) == to) {
                slot = i;
                return f;
            }
    return nullptr;
}

void CheckCopiedFace(const MgFace* source, const MgFace* copy) {
    MGFUZZ_CHECK(copy->NumFacets() == source->NumFacets() && copy->NumEdges() == source->NumEdges(),
                 "copied items");
    auto c = copy->FacetList().begin();
    for (const MgFacet* f : source->FacetList()) {
        const MgFacet* g = *c++;
        for (int i = 0; i < 3; ++i) {
            const CGeoVector& p = f->Vertex(i)->Vertex();
            const CGeoVector& q = g->Vertex(i)->Vertex();
            // positions are matched exactly, so a zero may come back with the other sign
            MGFUZZ_CHECK(p == q || support::SameBits(p, q), "copied facet positions");
        }
    }
}

FaceLayout LayoutOf(const MgFace* face) {
    FaceLayout layout;
    for (const MgFacet* f : face->FacetList())
        layout.facets.push_back(SlotsOf(f));
    for (const MgEdge* e : face->EdgeList())
        layout.edges.emplace_back(e->VertexList().begin(), e->VertexList().end());
    for (const MgVertex* v : face->VertexList())
        layout.normals.push_back(v->Normal());
    return layout;
}

void CheckSameLayout(const MgFace* face, const FaceLayout& before) {
    std::size_t i = 0;
    for (const MgFacet* f : face->FacetList())
        MGFUZZ_CHECK(SlotsOf(f) == before.facets[i++], "Reverse twice changed a facet");
    i = 0;
    for (const MgEdge* e : face->EdgeList()) {
        const std::vector<MgVertex*>& was = before.edges[i++];
        MGFUZZ_CHECK(
            std::equal(e->VertexList().begin(), e->VertexList().end(), was.begin(), was.end()),
            "Reverse twice changed an edge");
    }
    i = 0;
    for (const MgVertex* v : face->VertexList())
        MGFUZZ_CHECK(support::SameBits(v->Normal(), before.normals[i++]),
                     "Reverse twice changed a normal");
}

} // namespace mgfuzz
