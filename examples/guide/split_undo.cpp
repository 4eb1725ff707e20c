// The guide's split example: a facet and its neighbour cut at the middle of their shared side,
// then joined again.
#include <cstdio>

#include <mgmesh/mgmesh.h>

int main() {
    try {
        //! [build]
        // a unit square of two facets, built item by item through the face's factories
        MgObject object;
        MgFace* face = object.NewFace();
        const float uv[2] = {0, 0};
        const CGeoVector up(0, 0, 1);
        MgVertex* a = face->AddVertex(CGeoVector(0, 0, 0), up, uv);
        MgVertex* b = face->AddVertex(CGeoVector(1, 0, 0), up, uv);
        MgVertex* c = face->AddVertex(CGeoVector(1, 1, 0), up, uv);
        MgVertex* d = face->AddVertex(CGeoVector(0, 1, 0), up, uv);
        MgFacet* lower = face->NewFacet();
        MgFacet* upper = face->NewFacet();
        MgVertex* lowerCorners[3] = {a, b, c};
        MgVertex* upperCorners[3] = {a, c, d};
        for (int i = 0; i < 3; ++i) {
            lower->SetVertex(i, lowerCorners[i]); // each slot holds a reference
            upper->SetVertex(i, upperCorners[i]);
        }
        face->RebuildEdges(); // links the two facets across the diagonal c-a
        //! [build]

        //! [split]
        // side 2 of the lower facet runs from slot 2 (c) to slot 0 (a): the diagonal
        MgFacet* neighbor = lower->Neighbor(2); // the upper facet
        MgTwoFacets cut = lower->Split(2, 0.5f);
        std::printf("split: %d facets, %d vertices\n", face->NumFacets(), face->NumVertices());
        //! [split]
        if (face->NumFacets() != 4 || face->NumVertices() != 5 || !cut.second)
            return 1;

        //! [unsplit]
        lower->Unsplit(cut.first, neighbor, cut.second); // several splits: undo the last first
        std::printf("unsplit: %d facets, %d vertices\n", face->NumFacets(), face->NumVertices());
        //! [unsplit]
        return neighbor == upper && face->NumFacets() == 2 && face->NumVertices() == 4 ? 0 : 1;
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
}
