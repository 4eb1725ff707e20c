// The host import target: fuzz bytes decoded into a well-formed HostAPILinearFace record.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

#include "ByteReader.h"
#include "Finding.h"
#include "mgmesh/io/HostAPILinearFace.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"
#include "support/Coordinates.h"
#include "support/Walks.h"

namespace mgfuzz {

/// A record whose arrays have the stated lengths and whose triangle indices name its
/// vertices; the numbers in it are anything the bytes say, non-finite and huge ones included.
struct HostRecord {
    HostAPILinearFace record{};
    std::vector<double> positions, normals, uvs, cornerPoints;
    std::vector<int> triangles;
    void* hostFace = nullptr;
};

// The input's bytes as a source of choices for support::StressCoordinate.
struct ByteChoices {
    ByteReader& in;
    unsigned operator()() { return in.Byte(); }
};

inline double Coordinate(ByteReader& in) {
    // mostly points about a fine lattice near 0 and 1, so that merging has something to do;
    // otherwise any double, beyond a float's range included
    if (in.Byte() >= 160)
        return in.Double();
    static const support::CoordinateMix mix{0.002f, {0.0f, 1.0f}, false};
    ByteChoices choices{in};
    return support::StressCoordinate(choices, mix);
}

inline HostRecord DecodeHostRecord(ByteReader& in) {
    HostRecord r;
    HostAPILinearFace& rec = r.record;
    rec.mergeVertices = in.Byte() % 3 == 0 ? 0 : in.Range(-2, 2);
    rec.reserved0 = rec.reserved1 = -1;
    // a count of 0 or less skips its step, whatever the arrays
    rec.numVertices = in.Byte() % 16 == 0 ? -in.Range(0, 3) : in.Range(0, 40);
    const int vertices = rec.numVertices > 0 ? rec.numVertices : 0;
    rec.numTriangles = vertices == 0 ? -in.Range(0, 2) : in.Range(0, 48);
    rec.numCorners = in.Byte() % 8 == 0 ? -in.Range(0, 2) : in.Range(0, 6);
    const std::uint8_t toleranceMode = in.Byte();
    static const double tolerances[] = {0.05, 0.1, 0.0, -0.05, 1.0, 1e-6, 0.02};
    rec.faceTolerance = toleranceMode < 200
                            ? tolerances[toleranceMode % (sizeof tolerances / sizeof tolerances[0])]
                            : in.Double();
    const bool nullEmpty = in.Bool();

    for (int i = 0; i < vertices; ++i) {
        for (int k = 0; k < 3; ++k)
            r.positions.push_back(Coordinate(in));
        for (int k = 0; k < 3; ++k)
            r.normals.push_back(in.Byte() < 200 ? k == 2 : in.Double());
        for (int k = 0; k < 2; ++k)
            r.uvs.push_back(in.Byte() < 200 ? r.positions[3 * i + k] : in.Double());
    }
    const int triangles = rec.numTriangles > 0 ? rec.numTriangles : 0;
    for (int t = 0; t < triangles; ++t)
        for (int k = 0; k < 3; ++k)
            r.triangles.push_back(static_cast<int>(in.Index(static_cast<std::size_t>(vertices))));
    const int corners = rec.numCorners > 0 ? rec.numCorners : 0;
    for (int c = 0; c < corners; ++c) {
        const std::uint8_t mode = in.Byte();
        for (int k = 0; k < 3; ++k) {
            if (mode < 128 && vertices > 0)
                r.cornerPoints.push_back(r.positions[3 * (mode % vertices) + k] +
                                         (k == 0 ? (mode % 3) * 0.002 : 0.0));
            else
                r.cornerPoints.push_back(Coordinate(in));
        }
    }
    // an empty array as a null pointer, or as a pointer to nothing the import may read
    static const double noDoubles[1] = {0};
    static const int noInts[1] = {0};
    auto pointer = [nullEmpty](const auto& values, const auto* none) {
        return !values.empty() ? values.data() : nullEmpty ? nullptr : none;
    };
    rec.positions = pointer(r.positions, noDoubles);
    rec.normals = pointer(r.normals, noDoubles);
    rec.uvs = pointer(r.uvs, noDoubles);
    rec.cornerPoints = pointer(r.cornerPoints, noDoubles);
    rec.triangles = pointer(r.triangles, noInts);
    r.hostFace = reinterpret_cast<void*>(static_cast<std::uintptr_t>(in.U64()));
    return r;
}

inline void HostImportTarget(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    MgObject object;
    if (in.Bool()) // sometimes into an object that has a face already
        object.NewFace()->SetGeoFaceId(7);
    const HostRecord r = DecodeHostRecord(in);
    MgFace* face = nullptr;
    ExpectThrown([&] { face = object.FillFacesInObj(r.record, r.hostFace); }); // complete facets
    CheckObject(object);
    MGFUZZ_CHECK(face == object.FaceList().back(), "the new face is the last");
    MGFUZZ_CHECK(face->GeoFaceId() == reinterpret_cast<std::intptr_t>(r.hostFace), "face id");
    const float tolerance = static_cast<float>(r.record.faceTolerance);
    MGFUZZ_CHECK(face->GeoTolerance() == tolerance ||
                     (std::isnan(tolerance) && std::isnan(face->GeoTolerance())),
                 "tolerance");
    if (!face->Corrupt())
        for (const MgCorner* c : face->CornerList())
            MGFUZZ_CHECK(c->Edge(), "after a good edge rebuild every corner sits on an edge");

    // the facets, in triangle order, against the literal walk
    const support::MergedVertices m = support::WalkHostMerge(r.record);
    std::unordered_map<int, const MgVertex*> byWalk;
    std::unordered_map<const MgVertex*, int> byFace;
    auto facet = face->FacetList().begin();
    const int triangles = r.record.numTriangles > 0 ? r.record.numTriangles : 0;
    for (int t = 0; t < triangles; ++t) {
        const int* idx = &r.triangles[3 * t];
        if (idx[0] == idx[1] || idx[1] == idx[2] || idx[2] == idx[0])
            continue;
        MGFUZZ_CHECK(facet != face->FacetList().end(), "a facet per kept triangle");
        const MgFacet* f = *facet++;
        for (int k = 0; k < 3; ++k) {
            const int want = m.of[idx[k]];
            const MgVertex* v = f->Vertex(k);
            // the same walk vertex is the same face vertex, across facets too
            MGFUZZ_CHECK(byWalk.emplace(want, v).first->second == v &&
                             byFace.emplace(v, want).first->second == want,
                         "merging differs from the walk's");
            MGFUZZ_CHECK(support::SameBits(v->Vertex(), m.positions[want]) &&
                             support::SameBits(v->Normal(), m.normals[want]) &&
                             std::memcmp(v->GeoUV(), m.uvs[want].data(), 2 * sizeof(float)) == 0,
                         "merged vertex values differ from the walk's");
        }
    }
    MGFUZZ_CHECK(facet == face->FacetList().end(), "no facet beyond the kept triangles");
    MGFUZZ_CHECK(static_cast<int>(byFace.size()) == face->NumVertices(),
                 "the face keeps exactly the vertices its facets use");
}

} // namespace mgfuzz
