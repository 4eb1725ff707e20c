// Vertices, facets, edges and corners: references, neighbour links, posted changes, copy, move.
#include <tuple>

#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

using shapes::AddFacet;
using shapes::AddVertex;

namespace {

// Three loose vertices a, b, c on a face of their own.
struct Three {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex *a = AddVertex(face, 0, 0), *b = AddVertex(face, 1, 0), *c = AddVertex(face, 1, 1);
};

} // namespace

TEST(MgVertex, ReferencesDecideItsLife) {
    Three t;
    auto [face, a, b, c] = std::tuple(t.face, t.a, t.b, t.c);
    MgVertex* lonely = AddVertex(face, 5, 5);
    MgFacet* f1 = AddFacet(face, a, b, c);
    MgFacet* f2 = AddFacet(face, c, b, a);
    EXPECT_EQ(a->RefCount(), 2);

    // storing the vertex a slot already holds keeps it alive and its count unchanged
    f1->SetVertex(0, a);
    EXPECT_EQ(a->RefCount(), 2);

    delete f1;
    EXPECT_EQ(a->RefCount(), 1);
    EXPECT_EQ(face->NumVertices(), 4);
    delete f2; // the last holder: a, b and c go, the never-referenced vertex stays
    EXPECT_EQ(face->NumVertices(), 1);
    EXPECT_EQ(face->VertexList().front(), lonely);

    // a Deref on a vertex nobody holds drives the count below zero and deletes nothing
    lonely->Deref();
    EXPECT_EQ(lonely->RefCount(), -1);
    EXPECT_EQ(face->NumVertices(), 1);
}

TEST(MgVertex, NormalsAccumulateFromTheLastSet) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* v = AddVertex(face, 0, 0);
    v->SetNormal(CGeoVector(0, 0, 0));
    v->AddNormal(CGeoVector(2, 0, 0));
    v->AddNormal(CGeoVector(0, 4, 0));
    EXPECT_EQ(v->Normal(), CGeoVector(2, 2, 0)); // A + B / 2
    v->SetNormal(CGeoVector(1, 1, 1));
    v->AddNormal(CGeoVector(1, 0, 0)); // the first add after a set adds in full
    EXPECT_EQ(v->Normal(), CGeoVector(2, 1, 1));

    MgVertex* copy = AddVertex(face, 9, 9);
    copy->CopyVertex(v);
    EXPECT_EQ(copy->Vertex(), v->Vertex());
    EXPECT_EQ(copy->Normal(), v->Normal());
    EXPECT_EQ(copy->RefCount(), 0);
}

// Moving a vertex posts a change (the bounds depend on it); setting the value alone does not.
TEST(MgVertex, WhichChangesArePosted) {
    MgObject object;
    MgVertex* v = AddVertex(object.NewFace(), 0, 0);
    const unsigned before = object.ChangeIndex();
    v->SetVertexValue(CGeoVector(3, 3, 3));
    v->Reverse();
    EXPECT_EQ(object.ChangeIndex(), before);
    EXPECT_EQ(v->Normal(), CGeoVector(0, 0, -1));
    v->SetVertex(CGeoVector(1, 1, 1));
    v->SetNormal(CGeoVector(0, 1, 0));
    EXPECT_EQ(object.ChangeIndex(), before + 2);
    // a facet's slot write posts one, and copying an empty edge one after the walk
    MgFace* face = v->ParentFace();
    face->NewFacet()->SetVertex(0, v);
    face->NewEdge()->CopyEdge(face->NewEdge());
    EXPECT_EQ(object.ChangeIndex(), before + 7); // making the facet and the edges posts three
}

TEST(MgFacet, ReversesInPlace) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    MgFacet* f = face->FacetList().front();
    MgFacet* g = face->FacetList().back();
    f->SetNeighbor(1, g, 0);
    MgVertex* slots[3] = {f->Vertex(0), f->Vertex(1), f->Vertex(2)};
    unsigned before = face->ChangeIndex();
    f->Reverse();
    EXPECT_EQ(f->Vertex(0), slots[2]);
    EXPECT_EQ(f->Neighbor(0), g); // the neighbour stays across the side it borders
    EXPECT_EQ(face->ChangeIndex(), before + 1);
    f->Reverse();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f->Vertex(i), slots[i]);
    EXPECT_EQ(f->Neighbor(1), g);
    EXPECT_FLOAT_EQ(f->Area(), 0.5f);
    EXPECT_EQ(f->Normal(), CGeoVector(0, 0, 1));
    for (int empty = 0; empty < 3; ++empty) { // a facet with an empty slot has no extent
        MgFacet* partial = face->NewFacet();
        for (int i = 0; i < 3; ++i)
            partial->SetVertex(i, i == empty ? nullptr : slots[i]);
        EXPECT_EQ(partial->Normal(), CGeoVector());
        EXPECT_EQ(partial->Area(), 0.0f);
        delete partial;
    }
}

TEST(MgFacet, NeighbourBookkeeping) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgFacet* f = face->NewFacet();
    MgFacet* g = face->NewFacet();
    MgFacet* h = face->NewFacet();

    f->SetNeighbor(0, g, 2);
    f->SetNeighbor(1, g); // one-sided
    EXPECT_EQ(g->Neighbor(2), f);
    f->RemoveNeighbor(g); // every link, both ways
    EXPECT_EQ(f->Neighbor(0), nullptr);
    EXPECT_EQ(f->Neighbor(1), nullptr);
    EXPECT_EQ(g->Neighbor(2), nullptr);
    f->RemoveNeighbor(nullptr);

    f->SetNeighbor(0, g, 1);
    f->SetNeighbor(2, g);
    f->ReplaceNeighbor(g, h); // h is not linked back, g loses its link to f
    EXPECT_EQ(f->Neighbor(0), h);
    EXPECT_EQ(f->Neighbor(2), h);
    EXPECT_EQ(g->Neighbor(1), nullptr);
    EXPECT_EQ(h->Neighbor(0), nullptr);

    f->SetNeighbor(0, g, 1);
    f->ReplaceNeighbor(g, g); // replacing a facet by itself leaves it unlinked
    EXPECT_EQ(f->Neighbor(0), nullptr);
    EXPECT_EQ(g->Neighbor(1), nullptr);

    // a deleted facet takes its links with it, one-sided ones pointing at it included
    f->SetNeighbor(1, h, 2);
    g->SetNeighbor(2, h);
    delete h;
    EXPECT_EQ(f->Neighbor(0), nullptr);
    EXPECT_EQ(f->Neighbor(1), nullptr);
    EXPECT_EQ(g->Neighbor(2), nullptr);
    // and a facet moved away leaves no pointer to it behind
    MgFace* elsewhere = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    f->SetVertex(0, a);
    f->SetVertex(1, AddVertex(face, 1, 0));
    f->SetVertex(2, AddVertex(face, 0, 1));
    g->SetNeighbor(0, f);
    f->MoveTo(elsewhere);
    EXPECT_EQ(g->Neighbor(0), nullptr);
    EXPECT_EQ(f->ParentFace(), elsewhere);
    EXPECT_EQ(face->NumVertices(), 0); // released by the move
    EXPECT_EQ(elsewhere->NumVertices(), 3);
}

TEST(MgEdge, EntriesHoldReferencesAndPositionsSurviveReversal) {
    Three t;
    auto [face, a, b, c] = std::tuple(t.face, t.a, t.b, t.c);
    MgEdge* edge = face->NewEdge();
    edge->AddVertex(a);
    edge->AddVertex(c);
    edge->AddVertex(a); // twice in one edge: two references
    EXPECT_EQ(a->RefCount(), 2);
    auto atB = edge->AddVertex(b, std::next(edge->VertexList().begin()));
    EXPECT_EQ(*atB, b);
    EXPECT_EQ(*std::next(edge->VertexList().begin()), b);
    auto atEnd = edge->AddVertex(c, edge->VertexList().end());
    EXPECT_EQ(*atEnd, c);

    MgCorner* corner = face->NewCorner();
    corner->SetEdgeIter(edge, atB);
    unsigned before = face->ChangeIndex();
    edge->Reverse();
    EXPECT_EQ(face->ChangeIndex(), before + 1);
    EXPECT_EQ(corner->Vertex(), b);
    EXPECT_EQ(edge->VertexList().front(), c);
    ExpectValidTopology(face);

    delete edge; // releases every entry: a, b and c were held only here
    EXPECT_EQ(face->NumVertices(), 0);
}

TEST(MgCorner, CopyTakesThePositionNotTheMatch) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgCorner* corner = face->NewCorner();
    EXPECT_TRUE(corner->Edge() == nullptr && corner->Vertex() == nullptr);
    corner->SetPosition(CGeoVector(1, 2, 3));
    corner->SetFoundMatch(true);
    MgCorner* other = face->NewCorner();
    other->CopyCorner(corner);
    EXPECT_EQ(other->Position(), CGeoVector(1, 2, 3));
    EXPECT_FALSE(other->GetFoundMatch());
}

TEST(MgFacet, CopyFacetLinksOnceBothSidesAreCopied) {
    MgObject object;
    MgFace* source = shapes::TwoFacetSquare(object);
    MgFacet* f = source->FacetList().front(); // (a, b, c)
    MgFacet* g = source->FacetList().back();  // (a, c, d)
    f->SetNeighbor(2, g, 0);                  // across (c, a)
    for (const MgVertex* v : source->VertexList())
        v->SetAuxData(nullptr);
    f->SetAuxData(nullptr);
    g->SetAuxData(nullptr);

    MgFace* target = object.NewFace();
    MgFacet* fc = target->NewFacet();
    fc->CopyFacet(f);
    EXPECT_EQ(fc->Neighbor(2), nullptr); // g not copied yet
    EXPECT_EQ(f->AuxData(), fc);
    MgFacet* gc = target->NewFacet();
    gc->CopyFacet(g);
    EXPECT_EQ(fc->Neighbor(2), gc);
    EXPECT_EQ(gc->Neighbor(0), fc);
    EXPECT_EQ(target->NumVertices(), 4);
    ExpectValidTopology(target);
}

TEST(MgFacet, CopyFacetRejectsLinksThatDoNotMatchVertices) {
    MgObject object;
    MgFace* source = shapes::TwoFacetSquare(object);
    MgFacet* f = source->FacetList().front(); // (a, b, c)
    MgFacet* g = source->FacetList().back();  // (a, c, d)
    g->SetNeighbor(2, f);                     // across (d, a): f's copy holds no d
    MgFace* target = object.NewFace();
    EXPECT_THROW_TEXT(target->CopyFace(source), "Bad face structure");
    // what was copied before the throw stays, consistently counted
    EXPECT_EQ(target->NumFacets(), 2);
    ExpectValidTopology(target, false);
}
