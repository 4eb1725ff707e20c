// Face operations: merging one face into another, deep copy and reversal.
#include <vector>

#include "support/Check.h"
#include "support/ModelText.h"
#include "support/Shapes.h"
#include "support/Topology.h"

TEST(FaceOperations, AddToSharesVerticesAtEqualPositionsAndRebuildsEdges) {
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

TEST(FaceOperations, CopyFaceMapsItemsAndKeepsWhatIsThere) {
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

TEST(FaceOperations, ReverseTwiceRestores) {
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
