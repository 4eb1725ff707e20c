// MgFacet: cutting a facet (and its neighbour) at a vertex on one side, and undoing such cuts.
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

namespace {

const char* const kBadFacet = "Bad facet structure";
const char* const kNotSplit = "Cannot unsplit unless facet was originally split by MgFacet::Split";
const char* const kDependent = "Cannot unsplit if dependes on other splits";

bool IsSide(int side) {
    return side >= 0 && side < 3;
}

// The first neighbour slot of `of` that holds `f`, or -1.
int SlotOf(const MgFacet* of, const MgFacet* f) {
    for (int j = 0; j < 3; ++j)
        if (of->Neighbor(j) == f)
            return j;
    return -1;
}

// The vertex a fraction form cuts at: t of the way from the side's start to its end.
MgVertex* MakeSideVertex(MgFacet* f, int side, float t) {
    if (!IsSide(side))
        throw kBadFacet;
    const MgVertex* a = f->Vertex(side);
    const MgVertex* b = f->Vertex((side + 1) % 3);
    if (!a || !b)
        throw kBadFacet;
    const float s = 1 - t;
    const float uv[2] = {s * a->GeoUV()[0] + t * b->GeoUV()[0],
                         s * a->GeoUV()[1] + t * b->GeoUV()[1]};
    return f->ParentFace()->AddVertex(a->Vertex() * s + b->Vertex() * t,
                                      a->Normal() * s + b->Normal() * t, uv);
}

// Whether `v` is already a vertex of `f` or of its neighbour across `side`; only a derived
// face's NewVertex can hand back such a vertex.
bool InUse(const MgFacet* f, int side, const MgVertex* v) {
    const MgFacet* n = f->Neighbor(side);
    for (int i = 0; i < 3; ++i)
        if (f->Vertex(i) == v || (n && n->Vertex(i) == v))
            return true;
    return false;
}

} // namespace

MgTwoFacets MgFacet::Split(int side, float t) {
    MgVertex* v = MakeSideVertex(this, side, t);
    if (InUse(this, side, v))
        return MgTwoFacets{nullptr, nullptr, 0};
    return Split(side, v);
}

MgTwoFacets MgFacet::Split(int side, MgVertex* v) {
    if (!IsSide(side) || !v)
        throw kBadFacet;
    MgFacet* n = m_neighbors[side];
    MgFacet* g = DoSplit(side, v);
    if (!n)
        return MgTwoFacets{g, nullptr, 0};
    const int j = SlotOf(n, this);
    if (j < 0)
        throw kBadFacet; // this facet is cut already; the neighbour is not
    MgFacet* h = n->DoSplit(j, v);
    // the cut side's two halves: v–B between g and n, A–v between this facet and h
    g->WriteSlot(side, n);
    n->WriteSlot(j, g);
    h->WriteSlot(j, this);
    WriteSlot(side, h);
    return MgTwoFacets{g, h, j};
}

void MgFacet::Unsplit(MgFacet* splitOff, MgFacet* neighbor, MgFacet* neighborSplitOff) {
    // the first step deletes splitOff, which the second must not meet again
    if (neighbor && (neighbor == splitOff || neighborSplitOff == splitOff))
        throw kNotSplit;
    DoUnsplit(splitOff, neighbor != nullptr);
    if (neighbor)
        neighbor->DoUnsplit(neighborSplitOff, false);
}

MgFourFacetsSubDiv MgFacet::SplitSubDiv(int side, float t) {
    MgVertex* v = MakeSideVertex(this, side, t);
    if (InUse(this, side, v))
        return MgFourFacetsSubDiv{{nullptr, nullptr, nullptr, nullptr}, 0};
    return SplitSubDiv(side, v);
}

MgFourFacetsSubDiv MgFacet::SplitSubDiv(int side, MgVertex* v) {
    if (!IsSide(side) || !v)
        throw kBadFacet;
    MgFacet* n = m_neighbors[side];
    MgFacet* g = DoSplitSubDiv(side, v);
    if (!n) {
        g->WriteSlot(side, nullptr);
        return MgFourFacetsSubDiv{{g, nullptr, nullptr, nullptr}, 1};
    }
    const int j = SlotOf(n, this);
    if (j < 0)
        throw kBadFacet; // this facet is cut already; the neighbour is not
    MgFacet* h = n->DoSplitSubDiv(j, v);
    // the cut side's two halves: A–v between g and n, v–B between this facet and h
    g->WriteSlot(side, n);
    n->WriteSlot(j, g);
    h->WriteSlot(j, this);
    WriteSlot(side, h);
    return MgFourFacetsSubDiv{{g, h, n, nullptr}, 3};
}

MgFacet* MgFacet::DoSplit(int side, MgVertex* v) {
    const int i = side, i1 = (side + 1) % 3, i2 = (side + 2) % 3;
    MgFacet* g = m_face->NewFacet();
    g->SetVertex(i, v);
    g->SetVertex(i1, m_vertices[i1]);
    g->SetVertex(i2, m_vertices[i2]);
    // g takes over the neighbour across B -> C
    MgFacet* m = m_neighbors[i1];
    g->WriteSlot(i1, m);
    if (m) {
        for (int k = 0; k < 3; ++k)
            if (m->m_neighbors[k] == this)
                m->WriteSlot(k, g);
        for (int k = 0; k < 3; ++k)
            if (m_neighbors[k] == m)
                WriteSlot(k, nullptr);
    }
    SetVertex(i1, v);
    WriteSlot(i1, g);
    g->WriteSlot(i2, this);
    return g;
}

void MgFacet::DoUnsplit(MgFacet* splitOff, bool twoSided) {
    MgFacet* g = splitOff;
    if (!g || g == this)
        throw kNotSplit;
    int k = 0;
    while (k < 3 && !(m_vertices[k] && m_vertices[k] == g->m_vertices[k]))
        ++k;
    if (k == 3)
        throw kNotSplit;
    const int s = (k + 2) % 3, r = (k + 1) % 3;
    const MgVertex* made = m_vertices[s];
    if (!made || made->RefCount() != (twoSided ? 4 : 2))
        throw kDependent;

    SetVertex(s, g->m_vertices[s]);
    for (int slot : {s, r}) {
        MgFacet* x = g->m_neighbors[slot];
        WriteSlot(slot, x);
        if (!x)
            continue;
        for (int q = 0; q < 3; ++q)
            if (x->m_neighbors[q] == g)
                x->WriteSlot(q, this);
        g->RemoveNeighbor(x);
    }
    // g's destructor would drop its last links too; dropped here, no link to it is left
    // one-sided when it goes, so its deletion need not look for any
    for (MgFacet* y : g->m_neighbors)
        g->RemoveNeighbor(y);
    delete g;
}

MgFacet* MgFacet::DoSplitSubDiv(int side, MgVertex* v) {
    const int i = side, i1 = (side + 1) % 3, i2 = (side + 2) % 3;
    MgFacet* g = m_face->NewFacet();
    // g takes over the neighbour across C -> A
    MgFacet* m = m_neighbors[i2];
    if (m) {
        const int k = SlotOf(m, this);
        if (k < 0) {
            delete g; // nothing refers to it yet
            throw kBadFacet;
        }
        m->WriteSlot(k, g);
    }
    g->SetVertex(i1, v);
    g->SetVertex(i2, m_vertices[i2]);
    g->SetVertex(i, m_vertices[i]);
    g->WriteSlot(i2, m);
    g->WriteSlot(i1, this);
    SetVertex(i, v);
    WriteSlot(i2, g);
    return g;
}
