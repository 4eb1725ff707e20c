// MgFace's vertex pool: adding vertices and finding them by exact position or within the
// readers' merge box. While a lookup is installed it answers for the walks below.
#include "mgmesh/detail/VertexMerging.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/VertexLookup.h"

using mgmesh::detail::WithinMergeBox;

MgVertex* MgFace::AddVertex(const CGeoVector& position, const CGeoVector& normal, const float* uv) {
    MgVertex* v = NewVertex();
    v->SetVertex(position);
    v->SetNormal(normal);
    v->SetGeoUV(uv);
    if (m_lookup)
        m_lookup->Added(v); // registered before its position was set
    return v;
}

MgVertex* MgFace::FindVertex(CGeoVector position) {
    if (m_lookup && m_lookup->HasExact())
        return m_lookup->FindExact(position);
    for (MgVertex* v : m_vertices)
        if (v->Vertex() == position)
            return v;
    return nullptr;
}

MgVertex* MgFace::FindAddVertex(const CGeoVector& position, const CGeoVector& normal,
                                const float* uv) {
    if (MgVertex* v = FindVertex(position))
        return v;
    return AddVertex(position, normal, uv);
}

MgVertex* MgFace::FindCloseVertex(const CGeoVector& position, const CGeoVector& normal,
                                  const float* uv) {
    if (m_lookup && m_lookup->HasClose()) {
        if (MgVertex* v = m_lookup->FindClose(position))
            return v;
        return AddVertex(position, normal, uv);
    }
    for (auto it = m_vertices.rbegin(); it != m_vertices.rend(); ++it) {
        if (WithinMergeBox((*it)->Vertex(), position))
            return *it;
    }
    return AddVertex(position, normal, uv);
}
