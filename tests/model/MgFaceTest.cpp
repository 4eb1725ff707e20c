// Faces: moving to another object, and what removing an item posts.
#include <functional>
#include <vector>

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

// Null, or an item of another face or object: nothing is unlinked, neither model changes, and
// the face and its object post a change all the same (an object only its own).
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
    auto* vertices = static_cast<CGeoContainer<MgVertex>*>(face);
    auto* facets = static_cast<CGeoContainer<MgFacet>*>(face);
    auto* edges = static_cast<CGeoContainer<MgEdge>*>(face);
    auto* corners = static_cast<CGeoContainer<MgCorner>*>(face);
    auto* faces = static_cast<CGeoContainer<MgFace>*>(&object);
    const std::function<void(bool)> removals[] = {
        [&](bool null) { vertices->RemoveItem(null ? nullptr : stranger->VertexList().front()); },
        [&](bool null) { facets->RemoveItem(null ? nullptr : stranger->FacetList().front()); },
        [&](bool null) { edges->RemoveItem(null ? nullptr : stranger->EdgeList().front()); },
        [&](bool null) { corners->RemoveItem(null ? nullptr : stranger->CornerList().front()); },
        [&](bool null) { faces->RemoveItem(null ? nullptr : stranger); },
    };
    for (const auto& remove : removals)
        for (bool null : {true, false}) {
            SCOPED_TRACE(::testing::Message() << &remove - removals << (null ? " null" : ""));
            const unsigned faceIndex = face->ChangeIndex(), objectIndex = object.ChangeIndex();
            remove(null);
            EXPECT_EQ(face->ChangeIndex(), faceIndex + (&remove == &removals[4] ? 0 : 1));
            EXPECT_EQ(object.ChangeIndex(), objectIndex + 1);
            EXPECT_EQ(support::ModelText(object), before);
        }
    EXPECT_EQ(support::ModelText(other), strangers);
    ExpectValidTopology(object);
    ExpectValidTopology(other);
}
