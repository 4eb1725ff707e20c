// Facet splitting and subdivision: cuts with and without a neighbour, undo, failures, factories.
#include <array>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

using shapes::AddFacet;
using shapes::AddVertex;

namespace {

MgFacet* FacetAt(const MgFace* face, int n) {
    return *std::next(face->FacetList().begin(), n);
}

std::array<MgVertex*, 3> Slots(const MgFacet* f) {
    return {f->Vertex(0), f->Vertex(1), f->Vertex(2)};
}

// The square (a, b, c), (a, c, d) with its diagonal linked.
struct Square {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    std::vector<MgVertex*> v{face->VertexList().begin(), face->VertexList().end()};
    MgFacet* abc = FacetAt(face, 0);
    MgFacet* acd = FacetAt(face, 1);
    Square() { face->RebuildEdges(); }
};

// Every link is the one facet holding the side the other way round; sides that no facet holds
// the other way have none.
void ExpectConformingLinks(const MgFace* face) {
    std::map<std::pair<const MgVertex*, const MgVertex*>, std::vector<const MgFacet*>> holders;
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            holders[{f->Vertex(i), f->Vertex((i + 1) % 3)}].push_back(f);
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            const auto it = holders.find({f->Vertex((i + 1) % 3), f->Vertex(i)});
            if (it == holders.end()) {
                EXPECT_EQ(f->Neighbor(i), nullptr);
            } else if (it->second.size() == 1) {
                EXPECT_EQ(f->Neighbor(i), it->second.front());
            }
        }
}

// The vertices and links of every facet, as numbers in list order.
struct Snapshot {
    int vertices;
    std::vector<std::array<int, 6>> facets;
};
Snapshot Take(const MgFace* face) {
    std::map<const void*, int> n;
    for (const MgVertex* v : face->VertexList())
        n.emplace(v, int(n.size()));
    for (const MgFacet* f : face->FacetList())
        n.emplace(f, int(n.size()));
    auto number = [&](const void* p) { return p ? n.at(p) : -1; };
    Snapshot s{face->NumVertices(), {}};
    for (const MgFacet* f : face->FacetList())
        s.facets.push_back({number(f->Vertex(0)), number(f->Vertex(1)), number(f->Vertex(2)),
                            number(f->Neighbor(0)), number(f->Neighbor(1)),
                            number(f->Neighbor(2))});
    return s;
}
void ExpectSame(const Snapshot& got, const Snapshot& want) {
    EXPECT_EQ(got.vertices, want.vertices);
    EXPECT_EQ(got.facets, want.facets);
}

// A face whose facets are of its own kind, and whose vertex factory can be made to hand back
// an existing vertex.
class OwnFacet : public virtual MgFacet {
public:
    explicit OwnFacet(MgFace* face) : MgFacet(face) {}
};
class OwnFace : public virtual MgFace {
public:
    explicit OwnFace(MgObject* parent) : MgFace(parent) {}
    MgFacet* NewFacet() override { return new OwnFacet(this); }
    MgVertex* NewVertex() override { return reuse ? reuse : MgFace::NewVertex(); }
    MgVertex* reuse = nullptr;
};

bool AllOwn(const MgFace* face) {
    for (const MgFacet* f : face->FacetList())
        if (!dynamic_cast<const OwnFacet*>(f))
            return false;
    return true;
}

} // namespace

// ---- Split ----

TEST(Split, WithoutNeighbourCutsOneFacetAtTheFraction) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 2, 0);
    MgVertex* c = AddVertex(face, 0, 2);
    b->SetNormal(CGeoVector(1, 0, 0));
    c->SetNormal(CGeoVector(0, 1, 0));
    MgFacet* f = AddFacet(face, a, b, c);

    const MgTwoFacets r = f->Split(1, 0.5f); // b -> c
    ASSERT_NE(r.first, nullptr);
    EXPECT_EQ(r.second, nullptr);
    EXPECT_EQ(face->NumFacets(), 2);
    MgVertex* v = face->VertexList().back();
    EXPECT_EQ(v->Vertex(), CGeoVector(1, 1, 0));
    EXPECT_EQ(v->Normal(), CGeoVector(0.5f, 0.5f, 0));
    EXPECT_EQ(v->GeoUV()[0], 1);
    EXPECT_EQ(v->GeoUV()[1], 1);
    EXPECT_EQ(v->RefCount(), 2);
    // this facet keeps the half at the side's start, the new one takes the half at its end
    EXPECT_EQ(Slots(f), (std::array<MgVertex*, 3>{a, b, v}));
    EXPECT_EQ(Slots(r.first), (std::array<MgVertex*, 3>{a, v, c}));
    EXPECT_EQ(f->Neighbor(2), r.first);
    EXPECT_EQ(r.first->Neighbor(0), f);
    ExpectValidTopology(face);
    ExpectConformingLinks(face);
}

TEST(Split, FractionOutsideTheSideExtrapolates) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgFacet* f =
        AddFacet(face, AddVertex(face, 0, 0), AddVertex(face, 1, 0), AddVertex(face, 0, 1));
    f->Split(0, 1.5f);
    EXPECT_EQ(face->VertexList().back()->Vertex(), CGeoVector(1.5f, 0, 0));
    f->Split(0, 0.0f); // lands on the start, as a new vertex all the same
    EXPECT_EQ(face->VertexList().back()->Vertex(), CGeoVector(0, 0, 0));
    EXPECT_EQ(face->NumVertices(), 5);
    ExpectValidTopology(face);
}

TEST(Split, WithNeighbourCutsBothAndKeepsLinksMutual) {
    Square s;
    const MgTwoFacets r = s.abc->Split(2, 0.5f); // c -> a, the diagonal
    ASSERT_NE(r.second, nullptr);
    EXPECT_EQ(r.neighborSide, 0); // a -> c in the other facet
    EXPECT_EQ(s.face->NumFacets(), 4);
    MgVertex* v = s.face->VertexList().back();
    EXPECT_EQ(v->Vertex(), CGeoVector(0.5f, 0.5f, 0));
    EXPECT_EQ(v->RefCount(), 4);
    EXPECT_EQ(r.first->Neighbor(2), s.acd); // v -> a in the new facet, a -> v in the neighbour
    EXPECT_EQ(s.abc->Neighbor(2), r.second);
    ExpectValidTopology(s.face);
    ExpectConformingLinks(s.face);
    // the boundary is the same cycle; the new facet order starts it at b
    ASSERT_TRUE(s.face->RebuildEdges());
    EXPECT_EQ(std::vector<MgVertex*>(s.face->EdgeList().front()->VertexList().begin(),
                                     s.face->EdgeList().front()->VertexList().end()),
              (std::vector<MgVertex*>{s.v[1], s.v[2], s.v[3], s.v[0]}));
}

TEST(Split, PreparedVertexIsUsedAsGiven) {
    Square s;
    MgVertex* v = AddVertex(s.face, 0.5f, 0.5f, 1);
    const MgTwoFacets r = s.abc->Split(2, v);
    EXPECT_EQ(r.first->Vertex(2), v);
    EXPECT_EQ(v->RefCount(), 4);
    EXPECT_EQ(s.face->NumVertices(), 5);
    ExpectValidTopology(s.face);
}

TEST(Split, NeighbourThatDoesNotListTheFacetIsABadFacetStructure) {
    Square s;
    s.acd->SetNeighbor(0, nullptr); // the link is now one-sided
    const auto acd = Slots(s.acd);
    EXPECT_THROW_TEXT(s.abc->Split(2, 0.5f), "Bad facet structure");
    EXPECT_EQ(s.face->NumFacets(), 3); // this facet was cut already
    EXPECT_EQ(Slots(s.acd), acd);
    ExpectValidTopology(s.face, false);
    EXPECT_THROW_TEXT(s.abc->SplitSubDiv(2, 0.5f), "Bad facet structure");
    ExpectValidTopology(s.face, false);
}

TEST(Split, SidesAndVerticesOutsideTheContractAreRefused) {
    Square s;
    EXPECT_THROW_TEXT(s.abc->Split(3, 0.5f), "Bad facet structure");
    EXPECT_THROW_TEXT(s.abc->Split(-1, s.v[0]), "Bad facet structure");
    EXPECT_THROW_TEXT(s.abc->Split(0, static_cast<MgVertex*>(nullptr)), "Bad facet structure");
    EXPECT_THROW_TEXT(s.abc->SplitSubDiv(7, 0.5f), "Bad facet structure");
    MgFacet* empty = s.face->NewFacet();
    EXPECT_THROW_TEXT(empty->Split(0, 0.5f), "Bad facet structure");
    EXPECT_THROW_TEXT(empty->SplitSubDiv(1, 0.5f), "Bad facet structure");
    EXPECT_EQ(s.face->NumFacets(), 3);
    EXPECT_EQ(s.face->NumVertices(), 4);
}

// ---- Unsplit ----

TEST(Unsplit, RestoresBothFacetsAndDeletesTheVertex) {
    Square s;
    const Snapshot before = Take(s.face);
    const MgTwoFacets r = s.abc->Split(2, 0.25f);
    MgFacet* n = r.first->Neighbor(2);
    EXPECT_EQ(n, s.acd);
    s.abc->Unsplit(r.first, n, r.second);
    ExpectSame(Take(s.face), before);
    EXPECT_EQ(s.abc->Neighbor(2), s.acd);
    EXPECT_EQ(s.acd->Neighbor(0), s.abc);
    ExpectValidTopology(s.face);
}

TEST(Unsplit, RestoresAOneSidedSplit) {
    Square s;
    const Snapshot before = Take(s.face);
    const MgTwoFacets r = s.abc->Split(0, 0.5f);
    s.abc->Unsplit(r.first, nullptr, nullptr);
    ExpectSame(Take(s.face), before);
    ExpectValidTopology(s.face);
}

TEST(Unsplit, RandomSplitsUndoneInReverseRestoreTheGrid) {
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        MgObject object;
        MgFace* face = shapes::Grid(object, 4, 3);
        ASSERT_TRUE(face->RebuildEdges());
        const Snapshot before = Take(face);
        struct Done {
            MgFacet* facet;
            MgTwoFacets r;
            MgFacet* neighbor;
        };
        std::vector<Done> done;
        for (int k = int(rng() % 25); k > 0; --k) {
            MgFacet* f = FacetAt(face, int(rng() % face->FacetList().size()));
            const int side = int(rng() % 3);
            MgFacet* n = f->Neighbor(side);
            done.push_back(Done{f, f->Split(side, float(rng() % 100) / 100), n});
            ExpectConformingLinks(face);
        }
        ExpectValidTopology(face);
        for (auto it = done.rbegin(); it != done.rend(); ++it)
            it->facet->Unsplit(it->r.first, it->neighbor, it->r.second);
        ExpectSame(Take(face), before);
        ExpectValidTopology(face);
    }
}

TEST(Unsplit, LaterCutThroughTheVertexMustBeUndoneFirst) {
    Square s;
    const Snapshot before = Take(s.face);
    const MgTwoFacets r = s.abc->Split(2, 0.5f); // abc is now (v, b, c)
    // cutting b -> c, opposite v, leaves v in both halves: a fifth facet holds it
    const MgTwoFacets later = s.abc->Split(1, 0.5f);
    const Snapshot mid = Take(s.face);
    EXPECT_THROW_TEXT(s.abc->Unsplit(r.first, s.acd, r.second),
                      "Cannot unsplit if dependes on other splits");
    ExpectSame(Take(s.face), mid);
    s.abc->Unsplit(later.first, nullptr, nullptr);
    s.abc->Unsplit(r.first, s.acd, r.second);
    ExpectSame(Take(s.face), before);
    ExpectValidTopology(s.face);
}

TEST(Unsplit, VertexAlsoOnAnEdgeDependsOnOtherSplits) {
    Square s;
    const MgTwoFacets r = s.abc->Split(0, 0.5f); // a -> b lies on the boundary
    MgVertex* v = s.face->VertexList().back();
    MgEdge* e = s.face->EdgeList().front();
    e->AddVertex(v, std::next(e->VertexList().begin()));
    const Snapshot before = Take(s.face);
    EXPECT_THROW_TEXT(s.abc->Unsplit(r.first, nullptr, nullptr),
                      "Cannot unsplit if dependes on other splits");
    ExpectSame(Take(s.face), before);
    // a two-sided undo of a one-sided split is refused the same way
    EXPECT_THROW_TEXT(s.abc->Unsplit(r.first, s.acd, s.acd->Neighbor(1)),
                      "Cannot unsplit if dependes on other splits");
    ExpectSame(Take(s.face), before);
}

TEST(Unsplit, FacetsThatWereNotSplitAreRefused) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgVertex* c = AddVertex(face, 0, 1);
    MgFacet* f = AddFacet(face, a, b, c);
    MgFacet* g = AddFacet(face, b, c, a); // the same vertices, none in the same slot
    const char* text = "Cannot unsplit unless facet was originally split by MgFacet::Split";
    EXPECT_THROW_TEXT(f->Unsplit(g, nullptr, nullptr), text);
    EXPECT_THROW_TEXT(f->Unsplit(nullptr, nullptr, nullptr), text);
    EXPECT_THROW_TEXT(f->Unsplit(f, nullptr, nullptr), text);
    EXPECT_THROW_TEXT(f->Unsplit(g, g, nullptr), text); // g would be deleted before its turn
    EXPECT_EQ(face->NumFacets(), 2);
    ExpectValidTopology(face);
}

// ---- SplitSubDiv ----

TEST(SplitSubDiv, WithoutNeighbourExchangesTheHalves) {
    Square s;
    const MgFourFacetsSubDiv r = s.abc->SplitSubDiv(0, 0.5f); // a -> b, on the boundary
    EXPECT_EQ(r.count, 1);
    ASSERT_NE(r.facets[0], nullptr);
    EXPECT_EQ(r.facets[1], nullptr);
    MgVertex* v = s.face->VertexList().back();
    EXPECT_EQ(v->Vertex(), CGeoVector(0.5f, 0, 0));
    EXPECT_EQ(v->RefCount(), 2);
    // this facet keeps the half at b and its link across b -> c; the new one takes c -> a
    EXPECT_EQ(Slots(s.abc), (std::array<MgVertex*, 3>{v, s.v[1], s.v[2]}));
    EXPECT_EQ(Slots(r.facets[0]), (std::array<MgVertex*, 3>{s.v[0], v, s.v[2]}));
    EXPECT_EQ(r.facets[0]->Neighbor(2), s.acd);
    EXPECT_EQ(s.acd->Neighbor(0), r.facets[0]);
    EXPECT_EQ(r.facets[0]->Neighbor(0), nullptr);
    ExpectValidTopology(s.face);
    ExpectConformingLinks(s.face);
}

TEST(SplitSubDiv, WithNeighbourReturnsTheNeighbourThird) {
    Square s;
    const MgFourFacetsSubDiv r = s.abc->SplitSubDiv(2, 0.5f);
    EXPECT_EQ(r.count, 3);
    ASSERT_NE(r.facets[0], nullptr);
    ASSERT_NE(r.facets[1], nullptr);
    EXPECT_EQ(r.facets[2], s.acd);
    EXPECT_EQ(s.face->NumFacets(), 4);
    EXPECT_EQ(s.face->VertexList().back()->RefCount(), 4);
    ExpectValidTopology(s.face);
    ExpectConformingLinks(s.face);
}

TEST(SplitSubDiv, RepeatedSubdivisionKeepsTheMeshConforming) {
    std::mt19937 rng(3);
    MgObject object;
    MgFace* face = shapes::Grid(object, 3, 3);
    ASSERT_TRUE(face->RebuildEdges());
    const float area = face->Area();
    for (int k = 0; k < 60; ++k) {
        MgFacet* f = FacetAt(face, int(rng() % face->FacetList().size()));
        const MgFourFacetsSubDiv r = f->SplitSubDiv(int(rng() % 3), 0.5f);
        EXPECT_EQ(r.count, r.facets[1] ? 3 : 1);
    }
    ExpectValidTopology(face);
    ExpectConformingLinks(face);
    EXPECT_NEAR(face->Area(), area, 1e-4);
    ASSERT_TRUE(face->RebuildEdges());
    EXPECT_EQ(face->NumEdges(), 1);
}

TEST(SplitSubDiv, NeighbourAcrossTheKeptSideMustListTheFacet) {
    Square s;
    s.acd->SetNeighbor(0, nullptr); // abc's side c -> a is now linked one way only
    EXPECT_THROW_TEXT(s.abc->SplitSubDiv(0, 0.5f), "Bad facet structure");
    EXPECT_EQ(s.face->NumFacets(), 2);   // the facet made for the cut is not kept
    EXPECT_EQ(s.face->NumVertices(), 5); // the made vertex stays, unused
    ExpectValidTopology(s.face, false);
}

// ---- Factories ----

TEST(Split, DerivedFaceCutsThroughItsOwnFactory) {
    MgObject object;
    auto* face = new OwnFace(&object); // owned by the object from here on
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgVertex* c = AddVertex(face, 1, 1);
    MgVertex* d = AddVertex(face, 0, 1);
    MgFacet* abc = AddFacet(face, a, b, c);
    AddFacet(face, a, c, d);
    ASSERT_TRUE(face->RebuildEdges());
    abc->Split(2, 0.5f);
    abc->SplitSubDiv(0, 0.5f); // v -> b, across from the facet just made
    EXPECT_EQ(face->NumFacets(), 6);
    EXPECT_TRUE(AllOwn(face));
    ExpectValidTopology(face);

    // a factory that hands back a vertex the cut facets already use: nothing is cut
    face->reuse = abc->Vertex(1);
    const MgTwoFacets none = abc->Split(1, 0.5f);
    EXPECT_TRUE(none.first == nullptr && none.second == nullptr && none.neighborSide == 0);
    const MgFourFacetsSubDiv noneSubDiv = abc->SplitSubDiv(1, 0.5f);
    EXPECT_EQ(noneSubDiv.count, 0);
    for (MgFacet* f : noneSubDiv.facets)
        EXPECT_EQ(f, nullptr);
    EXPECT_EQ(face->NumFacets(), 6);
    face->reuse = nullptr;
    ExpectValidTopology(face);
}

// ---- Odd input ----

TEST(Split, RandomCutsOnOddFacesKeepTheModelSound) {
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        MgObject object;
        MgFace* face = object.NewFace();
        // few vertices and many facets: repeated vertices, duplicates, sides met three times
        std::vector<MgVertex*> v;
        for (int i = 0, n = 2 + int(rng() % 5); i < n; ++i)
            v.push_back(AddVertex(face, float(rng() % 3), float(rng() % 3)));
        for (int k = int(rng() % 10); k >= 0; --k)
            AddFacet(face, v[rng() % v.size()], v[rng() % v.size()], v[rng() % v.size()]);
        face->RebuildEdges();
        auto any = [&]() -> MgFacet* {
            const std::size_t n = face->FacetList().size();
            const std::size_t k = rng() % (n + 1);
            return k == n ? nullptr : FacetAt(face, int(k));
        };
        for (int step = 0; step < 30; ++step) {
            MgFacet* f = any();
            if (!f)
                continue;
            const int side = int(rng() % 3);
            const float t = float(rng() % 5) * 0.5f - 0.5f;
            try {
                switch (rng() % 3) {
                case 0:
                    f->Split(side, t);
                    break;
                case 1:
                    f->SplitSubDiv(side, t);
                    break;
                default:
                    f->Unsplit(any(), any(), any());
                    break;
                }
            } catch (const char*) {
                // refused or stopped half way; the model must stay sound either way
            }
            ExpectValidTopology(face, false);
            // links may be one-sided here, but never lead out of the face's facets
            const std::set<const MgFacet*> facets(face->FacetList().begin(),
                                                  face->FacetList().end());
            for (const MgFacet* g : face->FacetList())
                for (int i = 0; i < 3; ++i)
                    EXPECT_TRUE(!g->Neighbor(i) || facets.count(g->Neighbor(i)));
            if (HasFailure())
                return;
        }
    }
}
