// MgFace's whole-face operations that derive edges or corners afresh: merging into another
// face, copying and reversal.
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/VertexLookup.h"

using mgmesh::detail::VertexLookup;

void MgFace::AddTo(MgFace* target) {
    if (target == this)
        return;
    // moving drops every link of the moved facets; dropping them all first keeps that linear
    for (MgFacet* f : m_facets)
        f->m_neighbors[0] = f->m_neighbors[1] = f->m_neighbors[2] = nullptr;
    m_looseLinks = 0;
    {
        // the moved facets look their vertices up in the target by exact position
        VertexLookup lookup(target, VertexLookup::Exact);
        while (!m_facets.empty())
            m_facets.front()->MoveTo(target);
    }
    target->RebuildEdges();
    target->PostChange();
    delete this;
}

void MgFace::CopyFace(const MgFace* source) {
    for (const MgVertex* v : source->m_vertices)
        v->SetAuxData(nullptr);
    for (const MgFacet* f : source->m_facets)
        f->SetAuxData(nullptr);
    {
        VertexLookup lookup(this, VertexLookup::Exact);
        for (const MgFacet* f : source->m_facets)
            NewFacet()->CopyFacet(f);
        for (const MgEdge* e : source->m_edges)
            NewEdge()->CopyEdge(e);
    }
    for (const MgCorner* c : source->m_corners)
        NewCorner()->SetPosition(c->Position());
    RebuildCorners();
    m_faceId = source->m_faceId;
    m_tolerance = source->m_tolerance;
}

void MgFace::Reverse() {
    for (MgVertex* v : m_vertices)
        v->Reverse();
    for (MgFacet* f : m_facets)
        f->Reverse();
    for (MgEdge* e : m_edges)
        e->Reverse();
    RebuildCorners();
}
