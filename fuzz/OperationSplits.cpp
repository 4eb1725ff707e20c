// The operation fuzzer's operations on facets: splits, their undoing, and vertices added
// along an edge, each with what it must have done.
#include <string>

#include "Finding.h"
#include "Operations.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

namespace mgfuzz {

OperationFuzzer::Cut OperationFuzzer::PickCut(const char* name) {
    Cut c;
    c.face = PickFace();
    MgFacet* f = PickFacet(c.face);
    if (!f || TotalFacets() >= kMaxFacets)
        return c;
    c.side = m_in.Range(0, 2);
    m_trace.Step(std::string(" ") + name + " facet " + OperationTrace::Position(c.face, f) +
                 " side " + std::to_string(c.side));
    c.f = f;
    c.n = f->Neighbor(c.side);
    c.mutual = support::LinksSimple(c.face);
    return c;
}

void OperationFuzzer::SplitOp(bool withVertex) {
    const Cut c = PickCut("Split");
    if (!c.f)
        return;
    MgFace* face = c.face;
    MgFacet *f = c.f, *n = c.n;
    const int side = c.side;
    const Slots fBefore = SlotsOf(f);
    const Slots nBefore = n ? SlotsOf(n) : Slots{};
    MgTwoFacets made{};
    const auto split = [&] {
        if (!withVertex)
            return void(made = f->Split(side, PickT()));
        const float uv[2] = {m_in.Float(), m_in.Float()};
        const CGeoVector position = PickPoint();
        made = f->Split(side, face->AddVertex(position, PickPoint(), uv));
    };
    if (!ExpectThrown(split, {"Bad facet structure"})) {
        MGFUZZ_CHECK(n, "Bad facet structure without a neighbour");
        return;
    }
    MGFUZZ_CHECK(made.first && (made.second != nullptr) == (n != nullptr), "Split's record");
    if (n == f)
        return; // a facet linked to itself across the side: no undo is tried
    MgVertex* v = f->Vertex((side + 1) % 3);
    MGFUZZ_CHECK(v->RefCount() == (n ? 4 : 2), "the made vertex's references");
    if (c.mutual)
        MGFUZZ_CHECK(support::LinksMutual(face), "links after Split are not mutual");
    m_records.push_back({face, f, made.first, n, made.second, v, side, made.neighborSide, fBefore,
                         nBefore, SlotsOf(f), SlotsOf(made.first), n ? SlotsOf(n) : Slots{},
                         made.second ? SlotsOf(made.second) : Slots{}});
}

void OperationFuzzer::SplitSubDivOp(bool withVertex) {
    const Cut c = PickCut("SplitSubDiv");
    if (!c.f)
        return;
    MgFourFacetsSubDiv made{};
    const float uv[2] = {0, 0};
    if (!ExpectThrown(
            [&] {
                made = withVertex
                           ? c.f->SplitSubDiv(
                                 c.side, c.face->AddVertex(PickPoint(), CGeoVector(0, 0, 1), uv))
                           : c.f->SplitSubDiv(c.side, PickT());
            },
            {"Bad facet structure"}))
        return;
    MGFUZZ_CHECK(made.count == (c.n ? 3 : 1) && made.facets[0] &&
                     (c.n ? made.facets[1] && made.facets[2] == c.n : !made.facets[1]),
                 "SplitSubDiv's record");
    if (c.mutual)
        MGFUZZ_CHECK(support::LinksMutual(c.face), "links after SplitSubDiv are not mutual");
}

// A record whose facets stand as its split left them: undone exactly, or refused as
// dependent when the made vertex has gained references.
void OperationFuzzer::UnsplitRightOp() {
    if (m_records.empty())
        return;
    const std::size_t at = m_in.Index(m_records.size());
    const SplitRecord r = m_records[at];
    if (!Standing(r))
        return;
    const bool dependent = r.v->RefCount() != (r.n ? 4 : 2);
    const unsigned index = r.face->ChangeIndex();
    const std::size_t facets = r.face->FacetList().size();
    const bool mutual = support::LinksSimple(r.face);
    // the halves of the cut side still link across it, so the undo links F and N again
    const bool halvesLinked =
        r.n && r.g->Neighbor(r.side) == r.n && r.h->Neighbor(r.neighborSide) == r.f;
    if (!ExpectThrown([&] { r.f->Unsplit(r.g, r.n, r.h); },
                      {"Cannot unsplit if dependes on other splits"})) {
        MGFUZZ_CHECK(dependent, "Unsplit of an independent standing split refused");
        MGFUZZ_CHECK(r.face->ChangeIndex() == index, "a refused Unsplit changed the face");
        return;
    }
    MGFUZZ_CHECK(!dependent, "Unsplit of a dependent split went through");
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(at));
    CheckUnsplit(r, facets, halvesLinked);
    if (mutual)
        MGFUZZ_CHECK(support::LinksMutual(r.face), "links after Unsplit are not mutual");
}

// Facets of one face for which the undo's checks must refuse: no slot-aligned shared
// vertex, or a vertex there whose reference count is not the split's.
void OperationFuzzer::UnsplitWrongOp() {
    MgFace* face = PickFace();
    MgFacet* f = PickFacet(face);
    MgFacet* g = PickFacet(face);
    if (!f || !g || f == g)
        return;
    MgFacet* n = m_in.Bool() ? PickFacet(face) : nullptr;
    MgFacet* h = m_in.Bool() ? PickFacet(face) : nullptr;
    if (n == g || h == g)
        return;
    int k = 0;
    while (k < 3 && f->Vertex(k) != g->Vertex(k))
        ++k;
    const char* expected = "Cannot unsplit unless facet was originally split by MgFacet::Split";
    if (k < 3) {
        const MgVertex* made = f->Vertex((k + 2) % 3);
        if (!made || made->RefCount() == (n ? 4 : 2))
            return; // the undo would go ahead
        expected = "Cannot unsplit if dependes on other splits";
    }
    const unsigned index = face->ChangeIndex();
    const Slots fSlots = SlotsOf(f), gSlots = SlotsOf(g);
    if (ExpectThrown([&] { f->Unsplit(g, n, h); }, {expected}))
        Fail(std::string("Unsplit went through; expected ") + expected);
    MGFUZZ_CHECK(face->ChangeIndex() == index && SlotsOf(f) == fSlots && SlotsOf(g) == gSlots,
                 "a refused Unsplit changed the face");
}

void OperationFuzzer::AddEdgeVertexOp() {
    MgFace* face = PickFace();
    if (!face || face->EdgeList().empty() || TotalFacets() >= kMaxFacets)
        return;
    MgEdge* edge = Nth(face->EdgeList(), m_in.Index(face->EdgeList().size()));
    const MgVertexList& list = edge->VertexList();
    if (list.empty())
        return;
    const bool forward = m_in.Bool();
    const float t = PickT();
    const auto at = std::next(list.begin(), static_cast<std::ptrdiff_t>(m_in.Index(list.size())));
    // the vertex before `at` along the loop when forward, the one after it otherwise
    MgVertex* vertex = nullptr;
    if (forward)
        vertex = at == list.begin() ? list.back() : *std::prev(at);
    else
        vertex = std::next(at) == list.end() ? list.front() : *std::next(at);
    MgVertex* w = *at;
    int slot = 0;
    MgFacet* found = FacetAlong(face, vertex, w, forward, slot);
    const unsigned index = face->ChangeIndex();
    MgVertexList::const_iterator made;
    if (!ExpectThrown([&] { made = face->AddEdgeVertex(vertex, at, edge, t, forward); },
                      {found ? "Bad facet structure" : "Vertices are not on an edge"})) {
        MGFUZZ_CHECK(found || face->ChangeIndex() == index,
                     "a refused AddEdgeVertex changed things");
        return;
    }
    MGFUZZ_CHECK(found, "AddEdgeVertex found a facet the walk did not");
    MgVertex* v = found->Vertex(forward ? (slot + 1) % 3 : slot);
    MGFUZZ_CHECK(*made == v, "AddEdgeVertex returned another vertex than it made");
    const auto before = made == list.begin() ? std::prev(list.end()) : std::prev(made);
    const auto after = std::next(made) == list.end() ? list.begin() : std::next(made);
    MGFUZZ_CHECK(forward ? *before == vertex && *after == w : *before == w && *after == vertex,
                 "AddEdgeVertex put the vertex elsewhere");
}

} // namespace mgfuzz
