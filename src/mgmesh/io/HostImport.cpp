// MgObject::FillFacesInObj: one face built from the host's record.
#include <cstdint>
#include <vector>

#include "mgmesh/io/HostAPILinearFace.h"
#include "mgmesh/io/detail/MergeGrid.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/LargeArray.h"

namespace {

// How many record vertices ahead the merge grid's slots, and then their first points, are
// loaded.
constexpr int kSlotAhead = 16;
constexpr int kPointAhead = 8;

bool Degenerate(const int* t) {
    return t[0] == t[1] || t[1] == t[2] || t[2] == t[0];
}

// The record is the host's; a missing array or an index outside the vertices would be read
// past its end, so such a record is refused before anything is built.
void CheckRecord(const HostAPILinearFace& record) {
    if (record.numVertices > 0 && (!record.positions || !record.normals || !record.uvs))
        throw "Bad host face record";
    if (record.numCorners > 0 && !record.cornerPoints)
        throw "Bad host face record";
    if (record.numTriangles <= 0)
        return;
    if (!record.triangles)
        throw "Bad host face record";
    for (int t = 0; t < record.numTriangles; ++t) {
        const int* indices = record.triangles + 3 * static_cast<std::size_t>(t);
        // a skipped triangle's indices are never looked up
        if (Degenerate(indices))
            continue;
        for (int k = 0; k < 3; ++k)
            if (indices[k] < 0 || indices[k] >= record.numVertices)
                throw "Bad host face record";
    }
}

} // namespace

MgFace* MgObject::FillFacesInObj(const HostAPILinearFace& record, void* hostFace) {
    CheckRecord(record);

    MgFace* face = NewFace();
    face->SetGeoFaceId(reinterpret_cast<std::intptr_t>(hostFace));
    face->SetGeoTolerance(static_cast<float>(record.faceTolerance));

    const int numVertices = record.numVertices > 0 ? record.numVertices : 0;
    mgmesh::detail::LargeArray<MgVertex*> table(static_cast<std::size_t>(numVertices));
    const bool merge = record.mergeVertices != 0;
    // The first vertex in list order within the merge distance wins, and a merged vertex moves
    // to the record vertex merged into it; the grid follows it there. Its point numbers are
    // the vertices' places in the face's list, which holds only the vertices made here.
    mgmesh::detail::MergeGrid grid(0.1f * face->GeoTolerance());
    mgmesh::detail::LargeArray<MgVertex*> made;
    for (int i = 0; i < numVertices; ++i) {
        const std::size_t at = static_cast<std::size_t>(i);
        const CGeoVector position(record.positions + 3 * at);
        const CGeoVector normal(record.normals + 3 * at);
        const float uv[2] = {static_cast<float>(record.uvs[2 * at]),
                             static_cast<float>(record.uvs[2 * at + 1])};
        MgVertex* v = nullptr;
        if (merge) {
            // the grid's tables are far larger than the caches: what the queries a few
            // vertices ahead read is loaded meanwhile
            if (i + kSlotAhead < numVertices)
                grid.PrefetchSlot(CGeoVector(record.positions + 3 * (at + kSlotAhead)));
            if (i + kPointAhead < numVertices)
                grid.PrefetchFirstPoint(CGeoVector(record.positions + 3 * (at + kPointAhead)));
            const int found = grid.Find(position);
            if (found >= 0) {
                v = made[static_cast<std::size_t>(found)];
                grid.Move(found, position);
            } else {
                v = face->NewVertex();
                made.push_back(v);
                grid.Add(position);
            }
        } else {
            v = face->NewVertex();
        }
        v->SetVertex(position);
        v->SetNormal(normal);
        v->SetGeoUV(uv);
        table[at] = v;
    }

    for (int t = 0; t < record.numTriangles; ++t) {
        const int* indices = record.triangles + 3 * static_cast<std::size_t>(t);
        // indices are compared, not vertices: two merged indices still make a facet
        if (Degenerate(indices))
            continue;
        MgFacet* facet = face->NewFacet();
        for (int k = 0; k < 3; ++k)
            facet->SetVertex(k, table[static_cast<std::size_t>(indices[k])]);
    }

    for (int k = 0; k < record.numCorners; ++k)
        face->NewCorner()->SetPosition(
            CGeoVector(record.cornerPoints + 3 * static_cast<std::size_t>(k)));

    face->RebuildEdges();
    return face;
}
