// CGeoVector's geometric routines.
#include "mgmesh/geometry/CGeoVector.h"

#include <cfloat>
#include <cmath>

float CGeoVector::Norm() const {
    return std::sqrt(x * x + y * y + z * z);
}

CGeoVector CGeoVector::Unit() const {
    return *this / Norm();
}

void CGeoVector::Minimize(const CGeoVector& v) {
    if (x > v.x)
        x = v.x;
    if (y > v.y)
        y = v.y;
    if (z > v.z)
        z = v.z;
}

void CGeoVector::Maximize(const CGeoVector& v) {
    if (x < v.x)
        x = v.x;
    if (y < v.y)
        y = v.y;
    if (z < v.z)
        z = v.z;
}

float CGeoVector::Cast(const CGeoVector& a, const CGeoVector& b) const {
    const CGeoVector d = b - a;
    const float length2 = Dot(d, d);
    if (length2 == 0)
        return FLT_MAX;
    return Dot(*this - a, d) / length2;
}

CGeoVector CGeoVector::Intersect(const CGeoVector& p1, const CGeoVector& p2, const CGeoVector& p3,
                                 const CGeoVector& p4) {
    const float ex = p2.x - p1.x, ey = p2.y - p1.y;
    const float fx = p3.x - p4.x, fy = p3.y - p4.y;
    const float gx = p3.x - p1.x, gy = p3.y - p1.y;
    const float s = (gx * fy - gy * fx) / (ex * fy - ey * fx);
    return p1 + (p2 - p1) * s;
}

float CGeoVector::CalcDistFromLine(CGeoVector a, CGeoVector b, CGeoVector& closest) const {
    const CGeoVector d = b - a;
    const float length = d.Norm();
    const CGeoVector u = d / length;
    const float t = Dot(u, *this - a);
    // a zero-length segment gives a NaN t, which lands on a
    if (t == 0 || std::isnan(t))
        closest = a;
    else if (t == length)
        closest = b;
    else if (t < 0)
        closest = a;
    else if (t > length)
        closest = b;
    else
        closest = a + u * t;
    return (closest - *this).Norm();
}
