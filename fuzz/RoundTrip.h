// Saving a model as SCB text and reading it back: the same faces, items and numbering.
#pragma once

#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "Finding.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgVertex.h"
#include "support/ModelText.h"

namespace mgfuzz {

inline bool Finite(const CGeoVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

/// Whether every number the writer puts out for the object is finite. A non-finite one is
/// written as "nan" or "inf", which the reader does not take for a number.
inline bool AllFinite(const MgObject& object) {
    for (const MgFace* face : object.FaceList()) {
        if (!std::isfinite(face->GeoTolerance()))
            return false;
        for (const MgVertex* v : face->VertexList())
            if (!Finite(v->Vertex()) || !Finite(v->Normal()) || !std::isfinite(v->GeoUV()[0]) ||
                !std::isfinite(v->GeoUV()[1]))
                return false;
        for (const MgCorner* c : face->CornerList())
            if (!Finite(c->Position()))
                return false;
    }
    return true;
}

inline bool Close(float a, float b) {
    if (a == b)
        return true;
    const float scale = std::fmax(std::fabs(a), std::fabs(b));
    return std::fabs(a - b) <= 1e-5f * scale + 1e-37f;
}

/// Saves `object` with SaveSCB, reads the text back with LoadSCB into a new object and
/// compares: the name; per face the id, true direction, the vertices (positions to the six
/// digits written), and every facet's vertex and neighbour numbers and every edge's vertex
/// numbers. Reading may fail with "File problem" only when a written number is not finite.
/// Hands the object read back to `keep` when given.
inline void CheckRoundTrip(const MgObject& object, std::unique_ptr<MgObject>* keep = nullptr) {
    CheckObject(object);
    std::ostringstream out;
    object.SaveSCB(out, "roundtrip");
    std::istringstream in(out.str());
    std::unique_ptr<MgObject> copy(new MgObject());
    if (!ExpectThrown([&] { MGFUZZ_CHECK(copy->LoadSCB(in) == "roundtrip", "name read back"); },
                      {"File problem"})) {
        MGFUZZ_CHECK(!AllFinite(object), "text written from finite numbers does not read back");
        CheckObject(*copy);
        if (keep)
            *keep = std::move(copy);
        return;
    }
    CheckObject(*copy);
    MGFUZZ_CHECK(copy->FaceList().size() == object.FaceList().size(), "face count read back");
    // the items by their numbers: corners are placed anew when read
    support::TextOptions numbers;
    numbers.header = numbers.values = numbers.corners = false;
    auto it = copy->FaceList().begin();
    for (const MgFace* face : object.FaceList()) {
        const MgFace* back = *it++;
        MGFUZZ_CHECK(back->GeoFaceId() == face->GeoFaceId(), "face id read back");
        MGFUZZ_CHECK(back->TrueDirection() == face->TrueDirection(), "true direction read back");
        MGFUZZ_CHECK(back->NumVertices() == face->NumVertices(), "vertex count read back");
        auto bv = back->VertexList().begin();
        for (const MgVertex* v : face->VertexList()) {
            const CGeoVector& p = v->Vertex();
            const CGeoVector& q = (*bv++)->Vertex();
            MGFUZZ_CHECK(Close(p.x, q.x) && Close(p.y, q.y) && Close(p.z, q.z),
                         "vertex position read back");
        }
        MGFUZZ_CHECK(support::FaceText(back, numbers) == support::FaceText(face, numbers),
                     "facets and edges read back");
    }
    if (keep)
        *keep = std::move(copy);
}

} // namespace mgfuzz
