// Bounding-box comparisons between faces, boxes and points.
#include <cmath>

#include "mgmesh/model/MgFace.h"

namespace {

struct Box {
    CGeoVector min, max;
};

Box BoxOf(const MgFace* face) {
    return Box{face->MinBound(), face->MaxBound()};
}

bool Within(float x, float low, float high) {
    return low <= x && x <= high;
}

// The two forms are kept as written: they agree for boxes with min <= max on every axis but
// not for inverted ones, such as the box of a changed face without vertices.
bool OverlapMinForm(const Box& p, const Box& q, float t) {
    for (int k = 0; k < 3; ++k)
        if (!Within(p.min[k], q.min[k] - t, q.max[k] + t) &&
            !Within(q.min[k], p.min[k] - t, p.max[k] + t))
            return false;
    return true;
}

bool OverlapMaxForm(const Box& p, const Box& q, float t) {
    for (int k = 0; k < 3; ++k)
        if (!Within(p.max[k], q.min[k] - t, q.max[k] + t) &&
            !Within(q.max[k], p.min[k] - t, p.max[k] + t))
            return false;
    return true;
}

} // namespace

bool MgFace::CompareBoundingBoxes(MgFace* other) {
    const Box a = BoxOf(this);
    const Box b = BoxOf(other);
    const float t = other->GeoTolerance() + GeoTolerance();
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a.min[k] - b.min[k]) > t)
            return false;
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a.max[k] - b.max[k]) > t)
            return false;
    return true;
}

bool MgFace::ComparePartialBoundingBoxes(MgFace* other) {
    const Box a = BoxOf(this);
    const Box b = BoxOf(other);
    const float t = other->GeoTolerance() + GeoTolerance();
    return OverlapMinForm(a, b, t) || OverlapMaxForm(a, b, t);
}

// When the min form fails, the max form decides here too, exactly as in
// ComparePartialBoundingBoxes. Answering true regardless would turn the test into a constant
// and take away the only use of a cheap box test, rejecting pairs that cannot touch; with the
// max form deciding, boxes with min <= max are rejected only when they are more than the
// tolerance apart on some axis, so no pair that can touch is ever lost.
bool MgFace::ComparePartialBoundingBoxesDivide(MgFace* other) {
    return ComparePartialBoundingBoxes(other);
}

// The same choice as ComparePartialBoundingBoxesDivide, with this face's tolerance alone.
bool MgFace::CompareBoundingBoxesFaceFaset(CGeoVector boxMin, CGeoVector boxMax) {
    const Box a = BoxOf(this);
    const Box b{boxMin, boxMax};
    const float t = GeoTolerance();
    return OverlapMinForm(a, b, t) || OverlapMaxForm(a, b, t);
}

bool MgFace::CompareBoundingBoxesFaceVertex(CGeoVector point, float margin) {
    const Box a = BoxOf(this);
    for (int k = 0; k < 3; ++k)
        if (!Within(point[k], a.min[k] - margin, a.max[k] + margin))
            return false;
    return true;
}
