// MgFace: neighbour links, boundary loops and corners derived from the facets.
#include <cstdint>
#include <iterator>
#include <vector>

#include "mgmesh/algorithms/detail/EdgeVertexGrid.h"
#include "mgmesh/algorithms/detail/OpenSideList.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

using mgmesh::detail::EdgeVertexGrid;
using mgmesh::detail::OpenSideList;

namespace {

// Edge and corner building keep an integer mark in each vertex's aux data.
std::intptr_t Mark(const MgVertex* v) {
    return reinterpret_cast<std::intptr_t>(v->AuxData());
}
void SetMark(const MgVertex* v, std::intptr_t mark) {
    v->SetAuxData(reinterpret_cast<void*>(mark));
}

} // namespace

bool MgFace::RebuildEdges() {
    // the corners' edges are about to go; they stay detached until re-attached below
    for (MgCorner* c : m_corners)
        c->SetEdgeIter(nullptr, MgVertexList::const_iterator());
    while (!m_edges.empty())
        delete m_edges.front();
    if (!BuildEdges()) {
        m_corrupt = true;
        return false;
    }
    RebuildCorners();
    return true;
}

bool MgFace::BuildEdges() {
    for (const MgFacet* f : m_facets)
        for (int i = 0; i < 3; ++i)
            if (!f->Vertex(i))
                throw "Bad face structure";

    // The vertices' aux data hold their numbers while the list lives; the marks are kept
    // aside and written back on the way out, whichever way that is.
    OpenSideList sides(m_vertices, m_facets);
    mgmesh::detail::LargeArray<std::uint32_t> marks(sides.NumVertices(), 1);
    struct MarkWriter {
        const OpenSideList& sides;
        const mgmesh::detail::LargeArray<std::uint32_t>& marks;
        bool done = false;
        void Write() {
            for (std::uint32_t n = 0; n < sides.NumVertices(); ++n)
                if (const MgVertex* v = sides.Vertex(n))
                    SetMark(v, marks[n]);
            done = true;
        }
        ~MarkWriter() {
            if (!done)
                Write();
        }
    } writer{sides, marks};

    sides.MatchSides();
    for (std::uint32_t s = 0; s < sides.NumSides(); ++s)
        marks[sides.From(s)] = 0;

    for (auto it = m_vertices.begin(); it != m_vertices.end();) {
        MgVertex* v = *it;
        ++it;
        while (it != m_vertices.end() && *it == v)
            ++it; // a vertex listed twice goes with all its entries
        const std::uint32_t n = sides.NumberOf(v);
        if (marks[n] != 0) {
            sides.Forget(n);
            delete v; // no facet uses it, whatever holds a reference
        }
    }

    for (std::uint32_t first = sides.TakeFirst(); first != OpenSideList::npos;
         first = sides.TakeFirst()) {
        MgEdge* edge = NewEdge();
        const std::uint32_t a = sides.From(first);
        std::uint32_t b = sides.To(first);
        edge->AddVertex(sides.Vertex(a));
        ++marks[a];
        // a loop's first vertex is not repeated at its end
        while (b != a) {
            edge->AddVertex(sides.Vertex(b));
            ++marks[b];
            const std::uint32_t next = sides.TakeFrom(b);
            if (next == OpenSideList::npos)
                throw "Bad face structure";
            b = sides.To(next);
        }
    }
    writer.Write();
    PostChange();

    // a vertex met twice on the boundary joins loops that touch there
    for (const MgEdge* e : m_edges)
        for (const MgVertex* v : e->VertexList())
            if (Mark(v) != 1)
                return false;
    return true;
}

void MgFace::RebuildCorners() {
    for (const MgEdge* e : m_edges)
        for (const MgVertex* v : e->VertexList())
            SetMark(v, 0);

    if (!m_corners.empty()) {
        EdgeVertexGrid grid(m_edges, 0.1f * m_tolerance);
        for (auto it = m_corners.begin(); it != m_corners.end();) {
            MgCorner* corner = *it;
            ++it;
            if (const EdgeVertexGrid::Spot* spot = grid.Find(corner->Position())) {
                corner->SetEdgeIter(spot->edge, spot->at);
                SetMark(spot->vertex, 1);
            } else {
                delete corner;
            }
        }
    }

    // a loop with a single corner gets a second one half way round
    for (MgEdge* e : m_edges) {
        const MgVertexList& list = e->VertexList();
        int count = 0;
        MgVertexList::const_iterator marked;
        for (auto it = list.begin(); it != list.end() && count < 2; ++it)
            if (Mark(*it) != 0) {
                ++count;
                marked = it;
            }
        if (count != 1)
            continue;
        for (std::size_t step = list.size() / 2; step > 0; --step)
            if (++marked == list.end())
                marked = list.begin();
        MgCorner* corner = NewCorner();
        corner->SetPosition((*marked)->Vertex());
        corner->SetEdgeIter(e, marked);
        SetMark(*marked, 1);
    }
}

MgVertexList::const_iterator MgFace::AddEdgeVertex(MgVertex* vertex,
                                                   MgVertexList::const_iterator at, MgEdge* edge,
                                                   float t, bool forward) {
    if (!vertex || !edge || at == edge->VertexList().end())
        throw "Vertices are not on an edge";
    MgVertex* w = *at;
    const int s = forward ? 1 : 2;
    for (MgFacet* f : m_facets)
        for (int i = 0; i < 3; ++i) {
            if (f->Vertex(i) != vertex || f->Vertex((i + s) % 3) != w)
                continue;
            // either way the new vertex lies at vertex + t × (w − vertex)
            if (forward)
                f->Split(i, t);
            else
                f->Split((i + 2) % 3, 1 - t);
            MgVertex* made = f->Vertex(forward ? (i + 1) % 3 : i);
            return edge->AddVertex(made, forward ? at : std::next(at));
        }
    throw "Vertices are not on an edge";
}
