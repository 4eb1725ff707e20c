// MgFace: registration, factories, bounds, moving and area.
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

float MgFace::Area() const {
    float area = 0;
    for (const MgFacet* f : m_facets)
        area += f->Area();
    return area;
}
