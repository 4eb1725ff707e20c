// Facet splitting, subdivision and their undoing: where the halves and links go, and refusals.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "mgmesh/mgmesh.h"
#include "support/Check.h"
#include "support/ModelText.h"
#include "support/Shapes.h"

namespace {

// Every item of the face, to show a refused call changed nothing.
std::string FaceText(const MgFace* face) {
    support::TextOptions options;
    options.header = false;
    options.auxData = true;
    return support::FaceText(face, options);
}

using Slots = std::array<MgVertex*, 3>;
Slots SlotsOf(const MgFacet* f) {
    return {f->Vertex(0), f->Vertex(1), f->Vertex(2)};
}

// Every link is the one facet that holds the side the other way round, or null if none does.
void ExpectConformingLinks(const MgFace* face) {
    std::map<std::array<const MgVertex*, 2>, std::vector<const MgFacet*>> holders;
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            holders[{f->Vertex(i), f->Vertex((i + 1) % 3)}].push_back(f);
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            const auto& back = holders[{f->Vertex((i + 1) % 3), f->Vertex(i)}];
            EXPECT_TRUE(back.size() > 1 || f->Neighbor(i) == (back.empty() ? nullptr : back[0]));
        }
}

using Square = shapes::LinkedSquare;

} // namespace

TEST(Split, CutsTheFacetAndItsNeighbourAndSubdivisionExchangesTheHalves) {
    Square s, t;
    s.v[1]->SetNormal(CGeoVector(1, 0, 0));
    const MgTwoFacets one = s.abc->Split(0, 0.25f); // a -> b, on the boundary
    EXPECT_EQ(one.second, nullptr);
    MgVertex* v = s.face->VertexList().back();
    EXPECT_EQ(v->Vertex(), CGeoVector(0.25f, 0, 0));
    EXPECT_EQ(v->Normal(), CGeoVector(0.25f, 0, 0.75f));
    EXPECT_TRUE(v->GeoUV()[0] == 0.25f && v->GeoUV()[1] == 0);
    EXPECT_EQ(v->RefCount(), 2);
    // this facet keeps the half at the side's start, the new one takes the half at its end
    EXPECT_EQ(SlotsOf(s.abc), (Slots{s.v[0], v, s.v[2]}));
    EXPECT_EQ(SlotsOf(one.first), (Slots{v, s.v[1], s.v[2]}));
    const MgTwoFacets two = s.acd->Split(0, 0.5f); // a -> c, the diagonal
    EXPECT_EQ(two.neighborSide, 2);                // c -> a in the other facet
    EXPECT_EQ(two.first->Neighbor(0), s.abc);
    EXPECT_EQ(s.face->VertexList().back()->RefCount(), 4);
    s.abc->Split(1, 1.5f); // from v beyond c
    EXPECT_EQ(s.face->VertexList().back()->Vertex(), CGeoVector(1.375f, 1.5f, 0));
    ExpectConformingLinks(s.face);

    const MgFourFacetsSubDiv half = t.abc->SplitSubDiv(0, 0.5f); // a -> b, on the boundary
    EXPECT_TRUE(half.count == 1 && half.facets[1] == nullptr);
    MgVertex* w = t.face->VertexList().back();
    // this facet keeps the half at b and its link across b -> c; the new one takes c -> a
    EXPECT_EQ(SlotsOf(t.abc), (Slots{w, t.v[1], t.v[2]}));
    EXPECT_EQ(SlotsOf(half.facets[0]), (Slots{t.v[0], w, t.v[2]}));
    EXPECT_EQ(half.facets[0]->Neighbor(2), t.acd);
    const MgFourFacetsSubDiv both = t.abc->SplitSubDiv(2, 0.5f);      // c -> w, inside now
    EXPECT_TRUE(both.count == 3 && both.facets[2] == half.facets[0]); // the neighbour itself
    EXPECT_EQ(t.face->VertexList().back()->RefCount(), 4);
    ExpectConformingLinks(t.face);
}

TEST(Split, Failures) {
    Square s;
    s.acd->SetNeighbor(0, nullptr); // the diagonal is linked one way only now
    EXPECT_THROW_TEXT(s.abc->SplitSubDiv(0, 0.5f), "Bad facet structure"); // across c -> a
    EXPECT_EQ(s.face->NumFacets(), 2); // the facet made for the cut is not kept
    EXPECT_THROW_TEXT(s.abc->Split(2, 0.5f), "Bad facet structure");
    EXPECT_EQ(s.face->NumFacets(), 3); // this facet was cut already, its neighbour not
    EXPECT_THROW_TEXT(s.abc->Split(3, 0.5f), "Bad facet structure");

    Square u;
    const MgTwoFacets r = u.abc->Split(2, 0.5f);     // abc is now (v, b, c)
    const MgTwoFacets later = u.abc->Split(1, 0.5f); // b -> c: v is in a fifth facet now
    MgEdge* e = u.face->EdgeList().front();          // and the later cut's vertex in an edge
    e->AddVertex(u.face->VertexList().back(), e->VertexList().begin());
    const std::string before = FaceText(u.face);
    const char* notSplit = "Cannot unsplit unless facet was originally split by MgFacet::Split";
    const char* depends = "Cannot unsplit if dependes on other splits";
    EXPECT_THROW_TEXT(u.abc->Unsplit(r.first, u.acd, r.second), depends);
    EXPECT_THROW_TEXT(u.abc->Unsplit(later.first, nullptr, nullptr), depends);
    EXPECT_THROW_TEXT(u.acd->Unsplit(u.abc, nullptr, nullptr), notSplit); // no slot alike
    EXPECT_THROW_TEXT(u.acd->Unsplit(nullptr, nullptr, nullptr), notSplit);
    EXPECT_THROW_TEXT(u.abc->Unsplit(r.first, r.first, nullptr), notSplit);
    EXPECT_EQ(FaceText(u.face), before);
}
