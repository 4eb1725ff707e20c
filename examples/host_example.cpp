// A small host program: builds a subdivided grid with a hole, derives its boundary, splits and
// unsplits a facet, and prints what the library reports.
#include <cstdio>
#include <vector>

#include <mgmesh/mgmesh.h>

namespace {

void Report(const char* title, const MgObject& object) {
    const MgFace* face = object.FaceList().front();
    const CGeoVector lo = object.MinBound(), hi = object.MaxBound();
    std::printf("%s\n", title);
    std::printf("  vertices %d, facets %d, edges %d, corners %d, corrupt %s\n",
                object.NumVertices(), object.NumFacets(), object.NumEdges(),
                int(face->CornerList().size()), face->Corrupt() ? "yes" : "no");
    std::printf("  bounds (%g, %g, %g) - (%g, %g, %g), area %g\n", lo.x, lo.y, lo.z, hi.x, hi.y,
                hi.z, object.Area());
    int loop = 0;
    for (const MgEdge* edge : face->EdgeList())
        std::printf("  loop %d: %zu vertices\n", ++loop, edge->VertexList().size());
}

} // namespace

int main() {
    const int n = 6; // an n × n grid of unit cells without its middle 2 × 2 cells
    MgObject object;
    MgFace* face = object.NewFace();
    std::vector<MgVertex*> grid;
    const float uv[2] = {0, 0};
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            grid.push_back(
                face->AddVertex(CGeoVector(float(i), float(j), 0), CGeoVector(0, 0, 1), uv));
    auto at = [&](int i, int j) { return grid[j * (n + 1) + i]; };
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            if (i >= 2 && i < 4 && j >= 2 && j < 4)
                continue; // the hole
            MgVertex* quad[2][3] = {{at(i, j), at(i + 1, j), at(i + 1, j + 1)},
                                    {at(i, j), at(i + 1, j + 1), at(i, j + 1)}};
            for (auto& tri : quad) {
                MgFacet* facet = face->NewFacet();
                for (int k = 0; k < 3; ++k)
                    facet->SetVertex(k, tri[k]);
            }
        }
    for (CGeoVector corner : {CGeoVector(0, 0, 0), CGeoVector(2, 2, 0)})
        face->NewCorner()->SetPosition(corner);

    try {
        const bool simple = face->RebuildEdges();
        std::printf("edges rebuilt: %s\n", simple ? "simple loops" : "not simple");
        Report("grid with a hole", object);

        MgFacet* facet = face->FacetList().front();
        MgFacet* neighbor = facet->Neighbor(1);
        MgTwoFacets cut = facet->Split(1, 0.5f);
        Report("after splitting the first facet across its inner side", object);
        facet->Unsplit(cut.first, neighbor, cut.second);
        Report("after undoing the split", object);
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
    return 0;
}
