// Faces: moving to another object, and what removing an item posts.
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
