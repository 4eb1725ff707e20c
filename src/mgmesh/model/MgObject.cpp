// MgObject: registration of faces, bounds, measures, merging, copying and removal by id.
#include "mgmesh/model/MgObject.h"

#include <cfloat>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/detail/ListSlot.h"

using mgmesh::detail::Delist;
using mgmesh::detail::Enlist;

MgObject::MgObject() = default;

MgObject::~MgObject() {
    while (!m_faces.empty())
        delete m_faces.front();
}

MgFace* MgObject::NewFace() {
    return new MgFace(this);
}

void MgObject::AddItem(MgFace* face) {
    Enlist(m_faces, face, face->m_slot, m_walkFaces);
    PostChange();
}

void MgObject::RemoveItem(MgFace* face) {
    Delist(m_faces, face, &MgFace::m_slot, m_walkFaces);
    PostChange();
}

void MgObject::AddTo(MgObject* target) {
    if (target == this)
        return;
    while (!m_faces.empty())
        m_faces.front()->MoveTo(target);
    delete this;
}

void MgObject::CopyObject(const MgObject* source) {
    // a face copied onto its own object joins the list being walked; stop at the old end
    const std::size_t count = source->m_faces.size();
    auto it = source->m_faces.begin();
    for (std::size_t i = 0; i < count; ++i, ++it)
        NewFace()->CopyFace(*it);
}

int MgObject::NumVertices() const {
    int n = 0;
    for (const MgFace* f : m_faces)
        n += f->NumVertices();
    return n;
}

int MgObject::NumFacets() const {
    int n = 0;
    for (const MgFace* f : m_faces)
        n += f->NumFacets();
    return n;
}

int MgObject::NumEdges() const {
    int n = 0;
    for (const MgFace* f : m_faces)
        n += f->NumEdges();
    return n;
}

const CGeoVector& MgObject::MinBound() const {
    if (m_boundsIndex != m_changeIndex)
        RecalcMinMax();
    return m_minBound;
}

const CGeoVector& MgObject::MaxBound() const {
    if (m_boundsIndex != m_changeIndex)
        RecalcMinMax();
    return m_maxBound;
}

void MgObject::RecalcMinMax() const {
    m_minBound = CGeoVector(FLT_MAX, FLT_MAX, FLT_MAX);
    m_maxBound = -m_minBound;
    for (const MgFace* f : m_faces) {
        m_minBound.Minimize(f->MinBound());
        m_maxBound.Maximize(f->MaxBound());
    }
    m_boundsIndex = m_changeIndex;
}

CGeoVector MgObject::Average() const {
    return (MinBound() + MaxBound()) * 0.5f;
}

float MgObject::Radius() const {
    return 0.5f * (MaxBound() - MinBound()).Norm();
}

float MgObject::Area() const {
    float area = 0;
    for (const MgFace* f : m_faces)
        area += f->Area();
    return area;
}

void MgObject::Reverse() {
    for (MgFace* f : m_faces)
        f->Reverse();
}

void MgObject::RemoveFaceId(std::intptr_t id) {
    for (auto it = m_faces.begin(); it != m_faces.end();) {
        MgFace* face = *it++;
        if (face->GeoFaceId() == id)
            delete face;
    }
}
