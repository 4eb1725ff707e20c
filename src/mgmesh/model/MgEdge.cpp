// MgEdge: a boundary loop's vertex run and its references.
#include "mgmesh/model/MgEdge.h"

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"

MgEdge::MgEdge(MgFace* face) : m_face(face) {
    static_cast<CGeoContainer<MgEdge>*>(m_face)->AddItem(this);
}

MgEdge::~MgEdge() {
    // a vertex released here may delete itself, so each entry is dropped from the list first
    while (!m_vertices.empty()) {
        MgVertex* v = m_vertices.front();
        m_vertices.pop_front();
        v->Deref();
    }
    static_cast<CGeoContainer<MgEdge>*>(m_face)->RemoveItem(this);
}

void MgEdge::AddVertex(MgVertex* v) {
    m_vertices.push_back(v);
    m_face->PostChange();
    v->Ref();
}

MgVertexList::const_iterator MgEdge::AddVertex(MgVertex* v, MgVertexList::const_iterator position) {
    auto inserted = m_vertices.insert(position, v);
    m_face->PostChange();
    v->Ref();
    return inserted;
}

void MgEdge::Reverse() {
    if (m_vertices.size() >= 2)
        m_vertices.reverse(); // relinks nodes, so positions held by corners keep their vertices
    m_face->PostChange();
}

void MgEdge::CopyEdge(const MgEdge* source) {
    for (MgVertex* s : source->m_vertices) {
        MgVertex* copy = static_cast<MgVertex*>(s->AuxData());
        if (!copy) {
            copy = m_face->FindAddVertex(s->Vertex(), s->Normal(), s->GeoUV());
            s->SetAuxData(copy);
        }
        m_vertices.push_back(copy);
        m_face->PostChange();
        copy->Ref();
    }
    m_face->PostChange();
}
