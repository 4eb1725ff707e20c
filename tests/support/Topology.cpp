// The model's invariants, checked by the tests after every operation.
#include "support/Topology.h"

#include <iterator>
#include <map>
#include <set>

#include <gtest/gtest.h>

void ExpectValidTopology(const MgFace* face, bool mutualLinks) {
    std::map<const MgVertex*, int> held;
    std::set<const MgVertex*> listed(face->VertexList().begin(), face->VertexList().end());
    std::set<const MgFacet*> facets(face->FacetList().begin(), face->FacetList().end());
    EXPECT_EQ(listed.size(), face->VertexList().size()) << "a vertex is listed twice";
    EXPECT_EQ(face->NumVertices(),
              int(std::distance(face->VertexList().begin(), face->VertexList().end())));
    EXPECT_EQ(face->NumFacets(),
              int(std::distance(face->FacetList().begin(), face->FacetList().end())));
    EXPECT_EQ(face->NumEdges(),
              int(std::distance(face->EdgeList().begin(), face->EdgeList().end())));
    for (const MgVertex* v : face->VertexList())
        EXPECT_EQ(v->ParentFace(), face);
    for (const MgFacet* f : face->FacetList()) {
        EXPECT_EQ(f->ParentFace(), face);
        for (int i = 0; i < 3; ++i) {
            if (const MgVertex* v = f->Vertex(i)) {
                ++held[v];
                EXPECT_TRUE(listed.count(v)) << "facet vertex not in the face";
            }
            const MgFacet* n = f->Neighbor(i);
            if (n && mutualLinks) {
                EXPECT_TRUE(facets.count(n)) << "neighbour is not a facet of the face";
                EXPECT_TRUE(n->Neighbor(0) == f || n->Neighbor(1) == f || n->Neighbor(2) == f)
                    << "link not returned";
            }
        }
    }
    for (const MgEdge* e : face->EdgeList()) {
        EXPECT_EQ(e->ParentFace(), face);
        for (const MgVertex* v : e->VertexList()) {
            ++held[v];
            EXPECT_TRUE(listed.count(v)) << "edge vertex not in the face";
        }
    }
    for (const MgCorner* c : face->CornerList())
        EXPECT_EQ(c->ParentFace(), face);
    for (const MgVertex* v : face->VertexList())
        EXPECT_EQ(v->RefCount(), held.count(v) ? held[v] : 0) << "reference count off";
}

void ExpectValidTopology(const MgObject& object, bool mutualLinks) {
    for (const MgFace* face : object.FaceList()) {
        EXPECT_EQ(face->ParentObject(), &object);
        ExpectValidTopology(face, mutualLinks);
    }
}
