// Faces: moving, merging, deep copy, reversal, and what removing an item posts.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/Check.h"
#include "support/ModelText.h"
#include "support/Shapes.h"
#include "support/Topology.h"

TEST(MgFace, MoveToReparentsAndObjectAddToMergesObjects) {
    MgObject target;
    auto* source = new MgObject;
    MgFace* a = shapes::TwoFacetSquare(*source);
    MgFace* b = shapes::Tetrahedron(*source);
    shapes::Tetrahedron(target);

    unsigned before = target.ChangeIndex();
    a->MoveTo(&target);
    EXPECT_EQ(a->ParentObject(), &target);
    EXPECT_EQ(target.FaceList().back(), a);
    EXPECT_EQ(target.ChangeIndex(), before + 2); // registration, then the face's own change
    before = target.ChangeIndex();
    a->MoveTo(&target);
    EXPECT_EQ(target.ChangeIndex(), before);

    source->AddTo(source);  // onto itself: nothing
    source->AddTo(&target); // deletes the source
    ASSERT_EQ(target.FaceList().size(), 3u);
    EXPECT_EQ(target.FaceList().back(), b);
    EXPECT_EQ(b->ParentObject(), &target);
    ExpectValidTopology(target);
}

TEST(MgFace, AddToSharesVerticesAtEqualPositionsAndRebuildsEdges) {
    MgObject object;
    MgFace* left = object.NewFace();
    MgFace* right = object.NewFace();
    using shapes::AddVertex;
    shapes::AddFacet(left, AddVertex(left, 0, 0), AddVertex(left, 1, 0), AddVertex(left, 1, 1));
    shapes::AddFacet(right, AddVertex(right, 0, 0), AddVertex(right, 1, 1), AddVertex(right, 0, 1));

    right->AddTo(right);
    EXPECT_EQ(object.FaceList().size(), 2u);
    right->AddTo(left);
    ASSERT_EQ(object.FaceList().size(), 1u);
    EXPECT_EQ(left->NumVertices(), 4);
    EXPECT_EQ(left->NumFacets(), 2);
    ASSERT_EQ(left->NumEdges(), 1);
    EXPECT_EQ(left->EdgeList().front()->VertexList().size(), 4u);
    ExpectValidTopology(left);
    MgFacet* f = left->FacetList().front();
    EXPECT_EQ(f->Neighbor(2), left->FacetList().back());
}

TEST(MgFace, CopyFaceMapsItemsAndKeepsWhatIsThere) {
    MgObject object;
    MgFace* source = shapes::Grid(object, 3, 2);
    ASSERT_TRUE(source->RebuildEdges());
    source->SetGeoFaceId(77);
    source->SetGeoTolerance(0.2f);
    source->SetTrueDirection(true);
    for (CGeoVector p : {CGeoVector(0, 0, 0), CGeoVector(3, 2, 0)})
        source->NewCorner()->SetPosition(p);
    source->RebuildCorners();

    MgObject copy;
    copy.CopyObject(&object);
    copy.CopyObject(&object); // appends
    ASSERT_EQ(copy.FaceList().size(), 2u);
    for (const MgFace* face : copy.FaceList()) {
        EXPECT_EQ(face->GeoFaceId(), 77);
        EXPECT_EQ(face->GeoTolerance(), 0.2f);
        EXPECT_FALSE(face->TrueDirection());
        EXPECT_EQ(face->NumVertices(), source->NumVertices());
        EXPECT_EQ(face->NumFacets(), source->NumFacets());
        EXPECT_EQ(face->NumEdges(), 1);
        EXPECT_EQ(face->CornerList().size(), 2u);
        EXPECT_FLOAT_EQ(face->Area(), source->Area());
        ExpectValidTopology(face);
        for (const MgCorner* c : face->CornerList())
            EXPECT_EQ(c->Vertex()->Vertex(), c->Position());
        // the same links, facet by facet
        auto s = source->FacetList().begin();
        for (const MgFacet* f : face->FacetList()) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(f->Vertex(i)->Vertex(), (*s)->Vertex(i)->Vertex());
                EXPECT_EQ(f->Neighbor(i) != nullptr, (*s)->Neighbor(i) != nullptr);
            }
            ++s;
        }
    }
    // the source's aux data now maps to the copies of the last CopyFace
    const MgFace* last = copy.FaceList().back();
    EXPECT_EQ(source->FacetList().front()->AuxData(), last->FacetList().front());

    // copying onto an object's own faces stops at the faces it had
    object.CopyObject(&object);
    EXPECT_EQ(object.FaceList().size(), 2u);
}

TEST(MgFace, CopyMergesSourceVerticesOntoExistingPositions) {
    MgObject object;
    MgFace* source = shapes::TwoFacetSquare(object);
    MgFace* target = object.NewFace();
    MgVertex* existing = shapes::AddVertex(target, 1, 1);
    target->CopyFace(source);
    EXPECT_EQ(target->NumVertices(), 4);
    EXPECT_EQ(existing->RefCount(), 2);
}

TEST(MgFace, ReverseTwiceRestores) {
    MgObject object;
    MgFace* face = shapes::Grid(object, 2, 2);
    ASSERT_TRUE(face->RebuildEdges());
    face->NewCorner()->SetPosition(CGeoVector(0, 0, 0));
    face->RebuildCorners();
    std::vector<MgVertex*> slots;
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            slots.push_back(f->Vertex(i));
    MgVertexList loop = face->EdgeList().front()->VertexList();

    face->Reverse();
    EXPECT_EQ(face->VertexList().front()->Normal(), CGeoVector(0, 0, -1));
    EXPECT_EQ(face->FacetList().front()->Normal().z, -1);
    EXPECT_EQ(face->CornerList().size(), 2u);
    ExpectValidTopology(face);
    object.Reverse();
    std::size_t k = 0;
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(f->Vertex(i), slots[k++]);
    EXPECT_EQ(face->EdgeList().front()->VertexList(), loop);
    EXPECT_EQ(face->VertexList().front()->Normal(), CGeoVector(0, 0, 1));
}

TEST(MgFace, AFacetMovedAwayPostsAChangeOfItsOldFace) {
    MgObject source, target;
    MgFace* from = shapes::TwoFacetSquare(source);
    MgFace* to = target.NewFace();
    MgFacet* bare = from->NewFacet(); // no vertices, no links: only its removal posts
    const unsigned face = from->ChangeIndex(), object = source.ChangeIndex();
    bare->MoveTo(to);
    EXPECT_EQ(from->NumFacets(), 2);
    EXPECT_EQ(from->ChangeIndex(), face + 1);
    EXPECT_EQ(source.ChangeIndex(), object + 1);
    ExpectValidTopology(source);
    ExpectValidTopology(target);
}

// Null, or an item of another face or object: nothing is unlinked, and the change is posted
// all the same.
TEST(MgFace, RemovingANullOrForeignItemUnlinksNothingAndPostsAChange) {
    MgObject object, other;
    MgFace* face = shapes::TwoFacetSquare(object);
    face->RebuildEdges();
    face->NewCorner()->SetPosition(CGeoVector(0, 0, 0));
    face->RebuildCorners();
    MgFace* stranger = shapes::TwoFacetSquare(other);
    stranger->RebuildEdges();
    stranger->NewCorner();
    const std::string before = support::ModelText(object), strangers = support::ModelText(other);
    auto expectPosted = [&](const char* what, auto remove) {
        SCOPED_TRACE(what);
        const unsigned faceIndex = face->ChangeIndex(), objectIndex = object.ChangeIndex();
        remove();
        EXPECT_EQ(face->ChangeIndex(), faceIndex + 1);
        EXPECT_EQ(object.ChangeIndex(), objectIndex + 1);
        EXPECT_EQ(support::ModelText(object), before);
        ExpectValidTopology(object);
    };
    auto* vertices = static_cast<CGeoContainer<MgVertex>*>(face);
    auto* facets = static_cast<CGeoContainer<MgFacet>*>(face);
    auto* edges = static_cast<CGeoContainer<MgEdge>*>(face);
    auto* corners = static_cast<CGeoContainer<MgCorner>*>(face);
    expectPosted("null vertex", [&] { vertices->RemoveItem(nullptr); });
    expectPosted("foreign vertex", [&] { vertices->RemoveItem(stranger->VertexList().front()); });
    expectPosted("null facet", [&] { facets->RemoveItem(nullptr); });
    expectPosted("foreign facet", [&] { facets->RemoveItem(stranger->FacetList().front()); });
    expectPosted("null edge", [&] { edges->RemoveItem(nullptr); });
    expectPosted("foreign edge", [&] { edges->RemoveItem(stranger->EdgeList().front()); });
    expectPosted("null corner", [&] { corners->RemoveItem(nullptr); });
    expectPosted("foreign corner", [&] { corners->RemoveItem(stranger->CornerList().front()); });
    // an object posts its own change only
    auto* faces = static_cast<CGeoContainer<MgFace>*>(&object);
    for (MgFace* item : {static_cast<MgFace*>(nullptr), stranger}) {
        const unsigned faceIndex = face->ChangeIndex(), objectIndex = object.ChangeIndex();
        faces->RemoveItem(item);
        EXPECT_EQ(face->ChangeIndex(), faceIndex);
        EXPECT_EQ(object.ChangeIndex(), objectIndex + 1);
        EXPECT_EQ(support::ModelText(object), before);
    }
    EXPECT_EQ(support::ModelText(other), strangers);
    ExpectValidTopology(other);
}
