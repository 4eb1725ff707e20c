// MgFacet: vertex references, neighbour bookkeeping, copying and moving between faces.
#include "mgmesh/model/MgFacet.h"

#include <utility>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"

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
    static_cast<CGeoContainer<MgFacet>*>(m_face)->RemoveItem(this);
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
            m_neighbors[i] = nullptr;
        if (f->m_neighbors[i] == this)
            f->m_neighbors[i] = nullptr;
    }
}

void MgFacet::ReplaceNeighbor(MgFacet* from, MgFacet* to) {
    for (int i = 0; i < 3; ++i)
        if (m_neighbors[i] == from)
            m_neighbors[i] = to;
    for (int i = 0; i < 3; ++i)
        if (from->m_neighbors[i] == this)
            from->m_neighbors[i] = nullptr;
    for (int i = 0; i < 3; ++i)
        if (m_neighbors[i] == from)
            m_neighbors[i] = nullptr;
}

CGeoVector MgFacet::Normal() const {
    const CGeoVector& a = m_vertices[0]->Vertex();
    return (m_vertices[1]->Vertex() - a) * (m_vertices[2]->Vertex() - a);
}

float MgFacet::Area() const { return 0.5f * Normal().Norm(); }

void MgFacet::Reverse() {
    std::swap(m_vertices[0], m_vertices[2]);
    std::swap(m_neighbors[0], m_neighbors[1]);
    m_face->PostChange();
}

void MgFacet::MoveTo(MgFace* target) {
    if (target == m_face)
        return;
    static_cast<CGeoContainer<MgFacet>*>(m_face)->RemoveItem(this);
    m_face = target;
    static_cast<CGeoContainer<MgFacet>*>(m_face)->AddItem(this);
    for (int i = 0; i < 3; ++i)
        if (MgFacet* f = m_neighbors[i])
            RemoveNeighbor(f);
    for (int i = 0; i < 3; ++i) {
        const MgVertex* old = m_vertices[i];
        MgVertex* v = target->FindVertex(old->Vertex());
        if (!v)
            v = target->AddVertex(old->Vertex(), old->Normal(), old->GeoUV());
        SetVertex(i, v);
    }
}

void MgFacet::CopyFacet(const MgFacet* source) {
    for (int i = 0; i < 3; ++i) {
        const MgVertex* s = source->m_vertices[i];
        MgVertex* copy = static_cast<MgVertex*>(s->AuxData());
        if (!copy) {
            copy = m_face->FindAddVertex(s->Vertex(), s->Normal(), s->GeoUV());
            s->SetAuxData(copy);
        }
        SetVertex(i, copy);

        const MgFacet* n = source->m_neighbors[i];
        if (!n) {
            m_neighbors[i] = nullptr;
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
        m_neighbors[i] = nCopy;
        nCopy->m_neighbors[(j + 2) % 3] = this;
    }
    source->SetAuxData(this);
}
