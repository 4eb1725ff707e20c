// MgVertex: registration, posted changes and reference counting.
#include "mgmesh/model/MgVertex.h"

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/detail/ItemPool.h"

MgVertex::MgVertex(MgFace* face) : m_face(face) {
    static_cast<CGeoContainer<MgVertex>*>(m_face)->AddItem(this);
}

MgVertex::~MgVertex() {
    static_cast<CGeoContainer<MgVertex>*>(m_face)->RemoveItem(this);
}

void MgVertex::SetVertex(const CGeoVector& position) {
    m_position = position;
    m_face->PostChange();
}

void MgVertex::SetNormal(const CGeoVector& normal) {
    m_normal = normal;
    m_normalCount = 0;
    m_face->PostChange();
}

void MgVertex::AddNormal(const CGeoVector& n) {
    // the count is incremented first, so the first normal after SetNormal adds to it in full
    ++m_normalCount;
    const float k = static_cast<float>(m_normalCount);
    m_normal = (n + m_normal * k) / k;
    m_face->PostChange();
}

void MgVertex::Deref() const {
    if (--m_refCount == 0)
        delete this;
}

void MgVertex::CopyVertex(const MgVertex* source) {
    m_position = source->m_position;
    m_normal = source->m_normal;
    m_normalCount = source->m_normalCount;
    m_uv[0] = source->m_uv[0];
    m_uv[1] = source->m_uv[1];
}

void* MgVertex::operator new(std::size_t size) {
    // a plain-items build leaves every item to the heap, where leak checkers can see it
    if (mgmesh::detail::kPlainItems || size != sizeof(MgVertex))
        return ::operator new(size);
    return mgmesh::detail::ItemPool::Of<sizeof(MgVertex)>().Allocate();
}

void MgVertex::operator delete(void* block, std::size_t size) noexcept {
    if (!block)
        return;
    if (mgmesh::detail::kPlainItems || size != sizeof(MgVertex))
        ::operator delete(block);
    else
        mgmesh::detail::ItemPool::Of<sizeof(MgVertex)>().Release(block);
}
