// MgFace: registration, factories, bounds, the vertex pool, moving, merging, copying, reversal.
#include "mgmesh/model/MgFace.h"

#include <cfloat>
#include <cmath>

#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/ListSlot.h"
#include "mgmesh/model/detail/VertexLookup.h"

using mgmesh::detail::Delist;
using mgmesh::detail::Enlist;
using mgmesh::detail::VertexLookup;

MgFace::MgFace(MgObject* parent) : m_parent(parent) {
    static_cast<CGeoContainer<MgFace>*>(m_parent)->AddItem(this);
}

MgFace::~MgFace() {
    // every facet goes, so the links go first: a one-sided link must not outlive its target
    for (MgFacet* f : m_facets)
        f->m_neighbors[0] = f->m_neighbors[1] = f->m_neighbors[2] = nullptr;
    m_looseLinks = 0;
    while (!m_facets.empty())
        delete m_facets.front();
    while (!m_edges.empty())
        delete m_edges.front();
    while (!m_corners.empty())
        delete m_corners.front();
    while (!m_vertices.empty())
        delete m_vertices.front();
    static_cast<CGeoContainer<MgFace>*>(m_parent)->RemoveItem(this);
}

MgVertex* MgFace::NewVertex() {
    return new MgVertex(this);
}
MgFacet* MgFace::NewFacet() {
    return new MgFacet(this);
}
MgEdge* MgFace::NewEdge() {
    return new MgEdge(this);
}
MgCorner* MgFace::NewCorner() {
    return new MgCorner(this);
}

void MgFace::AddItem(MgVertex* item) {
    Enlist(m_vertices, item, item->m_slot, m_walkVertices);
    if (m_lookup)
        m_lookup->Registered(item);
    PostChange();
}

void MgFace::RemoveItem(MgVertex* item) {
    if (m_lookup && item && item->m_slot.list == &m_vertices)
        m_lookup->Removed(item);
    Delist(m_vertices, item, &MgVertex::m_slot, m_walkVertices);
    PostChange();
}

void MgFace::AddItem(MgFacet* item) {
    Enlist(m_facets, item, item->m_slot, m_walkFacets);
    PostChange();
}

void MgFace::RemoveItem(MgFacet* item) {
    Delist(m_facets, item, &MgFacet::m_slot, m_walkFacets);
    PostChange();
}

void MgFace::AddItem(MgEdge* item) {
    Enlist(m_edges, item, item->m_slot, m_walkEdges);
    PostChange();
}

void MgFace::RemoveItem(MgEdge* item) {
    Delist(m_edges, item, &MgEdge::m_slot, m_walkEdges);
    PostChange();
}

void MgFace::AddItem(MgCorner* item) {
    Enlist(m_corners, item, item->m_slot, m_walkCorners);
    PostChange();
}

void MgFace::RemoveItem(MgCorner* item) {
    Delist(m_corners, item, &MgCorner::m_slot, m_walkCorners);
    PostChange();
}

void MgFace::PostChange() {
    ++m_changeIndex;
    m_parent->PostChange();
}

const CGeoVector& MgFace::MinBound() const {
    if (m_boundsIndex != m_changeIndex)
        RecalcMinMax();
    return m_minBound;
}

const CGeoVector& MgFace::MaxBound() const {
    if (m_boundsIndex != m_changeIndex)
        RecalcMinMax();
    return m_maxBound;
}

void MgFace::RecalcMinMax() const {
    m_minBound = CGeoVector(FLT_MAX, FLT_MAX, FLT_MAX);
    m_maxBound = -m_minBound;
    for (const MgVertex* v : m_vertices) {
        m_minBound.Minimize(v->Vertex());
        m_maxBound.Maximize(v->Vertex());
    }
    m_boundsIndex = m_changeIndex;
}

void MgFace::MoveTo(MgObject* target) {
    if (target == m_parent)
        return;
    static_cast<CGeoContainer<MgFace>*>(m_parent)->RemoveItem(this);
    m_parent = target;
    static_cast<CGeoContainer<MgFace>*>(m_parent)->AddItem(this);
    PostChange();
}

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

float MgFace::Area() const {
    float area = 0;
    for (const MgFacet* f : m_facets)
        area += f->Area();
    return area;
}

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
        const CGeoVector& p = (*it)->Vertex();
        if (std::fabs(p.x - position.x) <= 0.01f && std::fabs(p.y - position.y) <= 0.01f &&
            std::fabs(p.z - position.z) <= 0.01f)
            return *it;
    }
    return AddVertex(position, normal, uv);
}
