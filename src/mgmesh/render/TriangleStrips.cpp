// MgGrFace::DrawFillStrip: a face's facets as triangle strips along their neighbour links.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "mgmesh/render/MgGrFace.h"
#include "mgmesh/render/MgGrFacet.h"
#include "mgmesh/render/detail/AddressOrder.h"
#include "mgmesh/render/detail/GlGuards.h"
#include "mgmesh/render/detail/RenderCast.h"

using mgmesh::detail::GlBeginEnd;
using mgmesh::detail::GlNameScope;
using mgmesh::detail::RenderFacetCast;

namespace {

void* const kPending = reinterpret_cast<void*>(1);

// A vertex-coloured facet colours each corner; any other applies its own colour, if it has one.
void ColorCorner(const MgGrFacet* facet, int corner) {
    if (facet->VertexColorValid())
        facet->ApplyColor(corner, true);
    else
        facet->ApplyColor(true);
}

} // namespace

void MgGrFace::DrawFillStrip() const {
    // The facets still to draw, in ascending address order. A facet's aux data is 1 while it
    // is pending and null once drawn, so a cursor that skips null marks yields the lowest
    // pending facet, and a facet is pending exactly when it belongs to this face and is still
    // marked: the sorted array with the marks answers what an ordered set of the pending
    // facets would, without one tree node per facet.
    std::vector<const MgFacet*> pending;
    pending.reserve(FacetList().size());
    for (const MgFacet* facet : FacetList()) {
        facet->SetAuxData(kPending);
        pending.push_back(facet);
    }
    mgmesh::detail::SortByAddress(pending);
    pending.erase(std::unique(pending.begin(), pending.end()), pending.end());
    const MgFace* self = this;
    auto isPending = [self](const MgFacet* facet) {
        return facet->AuxData() != nullptr && facet->ParentFace() == self;
    };

    RenderFacetCast asRenderFacet;
    GlNameScope name(SelectionName());
    std::size_t first = 0;
    for (;;) {
        while (first < pending.size() && pending[first]->AuxData() == nullptr)
            ++first;
        if (first == pending.size())
            break;
        const MgGrFacet* f = asRenderFacet(pending[first]);
        // enter at the first corner whose opposite-going side has a neighbour, drawn or not
        int s = 3;
        for (int i = 0; i < 3; ++i) {
            if (f->Neighbor((i + 1) % 3)) {
                s = i;
                break;
            }
        }
        GlBeginEnd strip(GL_TRIANGLE_STRIP);
        ColorCorner(f, s % 3);
        f->DrawVertex(s % 3);
        if (f->VertexColorValid())
            f->ApplyColor((s + 1) % 3, true);
        f->DrawVertex((s + 1) % 3);
        // the strip's last two vertices lie on side (k + s) mod 3 of the current facet; the
        // turn k alternates between 1 and 2 as GL alternates the winding
        int k = 1;
        for (;;) {
            const int slot = (k + s) % 3;
            ColorCorner(f, (s + 2) % 3);
            f->DrawVertex((s + 2) % 3);
            f->SetAuxData(nullptr);
            const MgFacet* g = f->Neighbor(slot);
            if (!g || !isPending(g))
                break;
            const MgGrFacet* next = asRenderFacet(g);
            const MgFacet* back = f;
            int j = 0;
            while (j < 3 && g->Neighbor(j) != back)
                ++j;
            if (j == 3)
                break; // the link is not mutual
            s = j;
            k = 3 - k;
            f = next;
        }
    }
}
