// CGeoVector: the library's three-component single-precision point and direction.
#pragma once

#include "mgmesh/Export.h"

/// A point or direction in space: three floats x, y, z and nothing else, so an array of
/// vectors is an array of floats. Copied by value; arithmetic is componentwise in float.
class MGMESH_API CGeoVector {
public:
    float x, y, z;

    /// (x, y, z); every argument defaults to 0.
    CGeoVector(float x = 0, float y = 0, float z = 0) : x(x), y(y), z(z) {}
    /// Copies p[0], p[1], p[2].
    CGeoVector(const float* p) : x(p[0]), y(p[1]), z(p[2]) {}
    /// Converts p[0], p[1], p[2] to float.
    CGeoVector(const double* p)
        : x(static_cast<float>(p[0])), y(static_cast<float>(p[1])), z(static_cast<float>(p[2])) {}

    CGeoVector& operator=(const double* p) {
        x = static_cast<float>(p[0]);
        y = static_cast<float>(p[1]);
        z = static_cast<float>(p[2]);
        return *this;
    }

    /// Component i (0 = x, 1 = y, 2 = z); no range check.
    float& operator[](int i) { return (&x)[i]; }
    float operator[](int i) const { return (&x)[i]; }
    operator float*() { return &x; }
    operator const float*() const { return &x; }

    CGeoVector operator+() const { return *this; }
    CGeoVector operator-() const { return CGeoVector(-x, -y, -z); }
    CGeoVector operator+(const CGeoVector& w) const {
        return CGeoVector(x + w.x, y + w.y, z + w.z);
    }
    CGeoVector operator-(const CGeoVector& w) const {
        return CGeoVector(x - w.x, y - w.y, z - w.z);
    }
    CGeoVector operator*(float s) const { return CGeoVector(x * s, y * s, z * s); }
    /// Divides each component by s; no test for s = 0.
    CGeoVector operator/(float s) const { return CGeoVector(x / s, y / s, z / s); }
    /// The cross product this × w.
    CGeoVector operator*(const CGeoVector& w) const {
        return CGeoVector(y * w.z - z * w.y, z * w.x - x * w.z, x * w.y - y * w.x);
    }
    CGeoVector& operator+=(const CGeoVector& w) {
        x += w.x;
        y += w.y;
        z += w.z;
        return *this;
    }
    CGeoVector& operator-=(const CGeoVector& w) {
        x -= w.x;
        y -= w.y;
        z -= w.z;
        return *this;
    }
    CGeoVector& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    CGeoVector& operator/=(float s) {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }

    static float Dot(const CGeoVector& a, const CGeoVector& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z;
    }

    /// Exact comparison of all three components (0 equals -0, NaN equals nothing).
    bool operator==(const CGeoVector& w) const { return x == w.x && y == w.y && z == w.z; }
    bool operator!=(const CGeoVector& w) const { return !(*this == w); }

    /// Length sqrt(x² + y² + z²).
    float Norm() const;
    /// This vector divided by its Norm(); the zero vector gives NaN components.
    CGeoVector Unit() const;
    /// Each component greater than v's becomes v's.
    void Minimize(const CGeoVector& v);
    /// Each component less than v's becomes v's.
    void Maximize(const CGeoVector& v);
    /// Projection parameter of this point on the line a→b: 0 at a, 1 at b;
    /// 3.40282347e38 when a and b coincide.
    float Cast(const CGeoVector& a, const CGeoVector& b) const;
    /// Intersection of the lines p1p2 and p3p4 seen in the x–y plane, as a point on the first
    /// line (its z interpolated along it). Parallel lines give non-finite components.
    static CGeoVector Intersect(const CGeoVector& p1, const CGeoVector& p2, const CGeoVector& p3,
                                const CGeoVector& p4);
    /// Distance of this point from the segment a–b; the nearest point goes to `closest`.
    float CalcDistFromLine(CGeoVector a, CGeoVector b, CGeoVector& closest) const;
};
