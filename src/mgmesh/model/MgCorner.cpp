// MgCorner: registration with its face.
#include "mgmesh/model/MgCorner.h"

#include "mgmesh/model/MgFace.h"

MgCorner::MgCorner(MgFace* face) : m_face(face) {
    static_cast<CGeoContainer<MgCorner>*>(m_face)->AddItem(this);
}

MgCorner::~MgCorner() {
    static_cast<CGeoContainer<MgCorner>*>(m_face)->RemoveItem(this);
}
