// MgVertex: a shared, reference-counted point of a face, with normal and texture coordinate.
#pragma once

#include <cstddef>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgLists.h"
#include "mgmesh/model/MgPickable.h"

class MgFace;

/// A vertex lives in its face's vertex list from construction to destruction. Every facet
/// slot and edge entry that holds it takes one reference; when the count falls back to 0 the
/// vertex deletes itself. Made by MgFace::NewVertex (or the face's vertex pool).
class MGMESH_API MgVertex : public MgPickable {
public:
    /// Registers with `face`; reference count 0, position and normal (0,0,0), UV (0,0).
    explicit MgVertex(MgFace* face);
    /// Unregisters from the face.
    ~MgVertex() override;
    MgVertex(const MgVertex&) = delete;
    MgVertex& operator=(const MgVertex&) = delete;

    /// Items of exactly this class come from a pool of blocks in creation order; a derived
    /// class of another size gets ordinary heap memory.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    const CGeoVector& Vertex() const { return m_position; }
    const CGeoVector& Normal() const { return m_normal; }
    const float* GeoUV() const { return m_uv; }
    int RefCount() const { return m_refCount; }
    MgFace* ParentFace() const { return m_face; }
    void* AuxData() const { return m_auxData; }
    void SetAuxData(void* data) const { m_auxData = data; }

    /// Sets the position; posts a change on the face.
    void SetVertex(const CGeoVector& position);
    /// Sets the position without posting a change.
    void SetVertexValue(CGeoVector position) { m_position = position; }
    /// Sets the normal and resets the normal count; posts a change.
    void SetNormal(const CGeoVector& normal);
    /// With k the normal count after incrementing it, normal := (n + k × normal) / k; posts.
    void AddNormal(const CGeoVector& n);
    /// Copies uv[0], uv[1]; posts nothing.
    void SetGeoUV(const float* uv) {
        m_uv[0] = uv[0];
        m_uv[1] = uv[1];
    }
    /// Negates the normal; posts nothing.
    void Reverse() { m_normal = -m_normal; }
    /// Reference count + 1.
    void Ref() const { ++m_refCount; }
    /// Reference count − 1; deletes the vertex when that leaves exactly 0.
    void Deref() const;
    /// Copies position, normal, normal count and UV; face, count and aux data stay.
    void CopyVertex(const MgVertex* source);

private:
    friend class MgFace;

    MgFace* m_face;
    float m_uv[2] = {0, 0};
    mutable int m_refCount = 0;
    CGeoVector m_position;
    CGeoVector m_normal;
    int m_normalCount = 0;
    mutable void* m_auxData = nullptr;
    mgmesh::detail::ListSlot<MgVertex> m_slot;
};
