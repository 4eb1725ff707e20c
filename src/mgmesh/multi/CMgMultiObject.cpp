// CMgMultiObject: ownership of its objects and the merged original.
#include "mgmesh/multi/CMgMultiObject.h"

#include <memory>

#include "mgmesh/model/MgObject.h"

CMgMultiObject::CMgMultiObject() = default;

CMgMultiObject::~CMgMultiObject() {
    delete m_unprocessed;
    delete m_original;
    for (MgObject* part : m_processed)
        delete part;
}

void CMgMultiObject::Init() {
    // made before the old one goes, so a failing factory leaves the previous state intact
    std::unique_ptr<MgObject> fresh(NewObject());
    delete m_unprocessed;
    m_unprocessed = fresh.release();
    ResetOriginal();
}

MgObject* CMgMultiObject::NewObject() {
    return new MgObject();
}

void CMgMultiObject::AddObject(MgObject* part) {
    if (part && (part == m_unprocessed || part == m_original || m_partSet.count(part)))
        throw "Object already belongs to the multi-part object";
    AppendPart(part);
}

void CMgMultiObject::AppendPart(MgObject* part) {
    // the list, the index and the set change together or not at all
    m_partIndex.push_back(part);
    try {
        if (part)
            m_partSet.insert(part);
        m_processed.push_back(part);
    } catch (...) {
        m_partSet.erase(part);
        m_partIndex.pop_back();
        throw;
    }
}

MgObject* CMgMultiObject::PartObject(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= m_partIndex.size())
        return nullptr;
    return m_partIndex[static_cast<std::size_t>(i)];
}

void CMgMultiObject::ResetOriginal() {
    std::unique_ptr<MgObject> fresh(NewObject());
    delete m_original;
    m_original = fresh.release();
    // null entries are parts the host added as null; they hold nothing to copy
    if (m_unprocessed)
        m_original->CopyObject(m_unprocessed);
    for (const MgObject* part : m_processed)
        if (part)
            m_original->CopyObject(part);
}

float CMgMultiObject::Size() const {
    if (!m_original)
        return 0;
    const CGeoVector extent = m_original->MaxBound() - m_original->MinBound();
    float size = extent.x;
    if (extent.y > size)
        size = extent.y;
    if (extent.z > size)
        size = extent.z;
    return size;
}
