// MgFacet: vertex references, neighbour bookkeeping, copying and moving between faces.
#include "mgmesh/model/MgFacet.h"

#include <utility>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/ItemPool.h"

MgFacet::MgFacet(MgFace* face) : m_face(face) {
    static_cast<CGeoContainer<MgFacet>*>(m_face)->AddItem(this);
    for (int i = 0; i < 3; ++i) {
        m_vertices[i] = nullptr;
        m_neighbors[i] = nullptr;
    }
}

MgFacet::~MgFacet() {
    for (int i = 0; i < 3; ++i) {
        MgVertex* v = m_vertices[i];
        m_vertices[i] = nullptr;
        if (v)
            v->Deref();
        m_face->PostChange();
    }
    for (int i = 0; i < 3; ++i)
        if (m_neighbors[i])
            RemoveNeighbor(m_neighbors[i]);
    // a facet that linked here one-sidedly must not keep a dangling pointer
    if (m_face->m_looseLinks > 0)
        DropIncomingLinks();
    static_cast<CGeoContainer<MgFacet>*>(m_face)->RemoveItem(this);
}

int MgFacet::LooseSlots(const MgFacet* x) {
    int loose = 0;
    for (const MgFacet* y : x->m_neighbors)
        if (y && y->m_neighbors[0] != x && y->m_neighbors[1] != x && y->m_neighbors[2] != x)
            ++loose;
    return loose;
}

void MgFacet::WriteSlot(int i, MgFacet* f) {
    MgFacet* old = m_neighbors[i];
    if (old == f)
        return;
    // only this facet, the old and the new neighbour can change whether their links return
    MgFacet* touched[3] = {this, old, f};
    if (touched[2] == this)
        touched[2] = nullptr;
    if (touched[1] == this)
        touched[1] = nullptr;
    for (MgFacet* t : touched)
        if (t)
            t->m_face->m_looseLinks -= LooseSlots(t);
    m_neighbors[i] = f;
    for (MgFacet* t : touched)
        if (t)
            t->m_face->m_looseLinks += LooseSlots(t);
}

void MgFacet::SetNeighbor(int i, MgFacet* f, int j) {
    // Two empty slots of two facets that do not yet link each other: both new links return,
    // and no other facet's links change whether they return, so the count stays as it is.
    // Edge building and copying link the pairs of a fresh face this way.
    if (f != this && !m_neighbors[i] && !f->m_neighbors[j] && !Holds(f) && !f->Holds(this)) {
        m_neighbors[i] = f;
        f->m_neighbors[j] = this;
        return;
    }
    WriteSlot(i, f);
    f->WriteSlot(j, this);
}

void MgFacet::DropIncomingLinks() {
    for (MgFacet* other : m_face->m_facets)
        for (int k = 0; k < 3; ++k)
            if (other->m_neighbors[k] == this)
                other->WriteSlot(k, nullptr);
}

void MgFacet::SetVertex(int i, MgVertex* v) {
    MgVertex* old = m_vertices[i];
    m_vertices[i] = v;
    // the new reference comes first, so storing the vertex a slot already holds is harmless
    if (v)
        v->Ref();
    if (old)
        old->Deref();
    m_face->PostChange();
}

void MgFacet::RemoveNeighbor(MgFacet* f) {
    if (!f)
        return;
    for (int i = 0; i < 3; ++i) {
        if (m_neighbors[i] == f)
            WriteSlot(i, nullptr);
        if (f->m_neighbors[i] == this)
            f->WriteSlot(i, nullptr);
    }
}

void MgFacet::ReplaceNeighbor(MgFacet* from, MgFacet* to) {
    for (int i = 0; i < 3; ++i)
        if (m_neighbors[i] == from)
            WriteSlot(i, to);
    for (int i = 0; i < 3; ++i)
        if (from->m_neighbors[i] == this)
            from->WriteSlot(i, nullptr);
    for (int i = 0; i < 3; ++i)
        if (m_neighbors[i] == from)
            WriteSlot(i, nullptr);
}

CGeoVector MgFacet::Normal() const {
    // a facet read with an undefined vertex number has an empty slot: it has no extent
    if (!m_vertices[0] || !m_vertices[1] || !m_vertices[2])
        return CGeoVector();
    const CGeoVector& a = m_vertices[0]->Vertex();
    return (m_vertices[1]->Vertex() - a) * (m_vertices[2]->Vertex() - a);
}

float MgFacet::Area() const {
    return 0.5f * Normal().Norm();
}

void MgFacet::Reverse() {
    std::swap(m_vertices[0], m_vertices[2]);
    std::swap(m_neighbors[0], m_neighbors[1]);
    m_face->PostChange();
}

void MgFacet::MoveTo(MgFace* target) {
    if (target == m_face)
        return;
    if (m_face->m_looseLinks > 0)
        DropIncomingLinks(); // its old face must not keep pointers to it
    static_cast<CGeoContainer<MgFacet>*>(m_face)->RemoveItem(this);
    m_face = target;
    static_cast<CGeoContainer<MgFacet>*>(m_face)->AddItem(this);
    for (int i = 0; i < 3; ++i)
        if (MgFacet* f = m_neighbors[i])
            RemoveNeighbor(f);
    for (int i = 0; i < 3; ++i) {
        const MgVertex* old = m_vertices[i];
        if (!old)
            continue; // an empty slot stays empty
        MgVertex* v = target->FindVertex(old->Vertex());
        if (!v)
            v = target->AddVertex(old->Vertex(), old->Normal(), old->GeoUV());
        SetVertex(i, v);
    }
}

void MgFacet::CopyFacet(const MgFacet* source) {
    for (int i = 0; i < 3; ++i) {
        const MgVertex* s = source->m_vertices[i];
        MgVertex* copy = s ? static_cast<MgVertex*>(s->AuxData()) : nullptr;
        if (s && !copy) {
            copy = m_face->FindAddVertex(s->Vertex(), s->Normal(), s->GeoUV());
            s->SetAuxData(copy);
        }
        SetVertex(i, copy);

        const MgFacet* n = source->m_neighbors[i];
        if (!n) {
            WriteSlot(i, nullptr);
            continue;
        }
        MgFacet* nCopy = static_cast<MgFacet*>(n->AuxData());
        if (!nCopy)
            continue; // linked when the neighbour itself is copied
        int j = 0;
        while (j < 3 && nCopy->m_vertices[j] != copy)
            ++j;
        if (j == 3)
            throw "Bad face structure";
        SetNeighbor(i, nCopy, (j + 2) % 3);
    }
    source->SetAuxData(this);
}

void* MgFacet::operator new(std::size_t size) {
    // a plain-items build leaves every item to the heap, where leak checkers can see it
    if (mgmesh::detail::kPlainItems || size != sizeof(MgFacet))
        return ::operator new(size);
    return mgmesh::detail::ItemPool::Of<sizeof(MgFacet)>().Allocate();
}

void MgFacet::operator delete(void* block, std::size_t size) noexcept {
    if (!block)
        return;
    if (mgmesh::detail::kPlainItems || size != sizeof(MgFacet))
        ::operator delete(block);
    else
        mgmesh::detail::ItemPool::Of<sizeof(MgFacet)>().Release(block);
}
