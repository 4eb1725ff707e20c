// CGeoVector: construction, arithmetic and the geometric routines.
#include <cfloat>
#include <cmath>
#include <type_traits>

#include <gtest/gtest.h>

#include "mgmesh/geometry/CGeoVector.h"

namespace {

void ExpectVec(const CGeoVector& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

} // namespace

TEST(CGeoVector, LayoutIsThreeFloats) {
    static_assert(sizeof(CGeoVector) == 3 * sizeof(float), "no hidden fields");
    static_assert(std::is_standard_layout<CGeoVector>::value, "an array of vectors is floats");
    CGeoVector v[2] = {CGeoVector(1, 2, 3), CGeoVector(4, 5, 6)};
    const float* p = v[0];
    EXPECT_EQ(p[4], 5.0f);
}

TEST(CGeoVector, Construction) {
    ExpectVec(CGeoVector(), 0, 0, 0);
    ExpectVec(CGeoVector(1), 1, 0, 0);
    const float f[3] = {1.5f, -2, 3};
    ExpectVec(CGeoVector(f), 1.5f, -2, 3);
    const double d[3] = {0.1, 1e300, -4};
    CGeoVector fromDouble(d);
    EXPECT_EQ(fromDouble.x, 0.1f);
    EXPECT_TRUE(std::isinf(fromDouble.y));
    CGeoVector assigned;
    assigned = d;
    EXPECT_EQ(assigned.z, -4.0f);
    assigned[1] = 7;
    EXPECT_EQ(assigned.y, 7.0f);
}

TEST(CGeoVector, Arithmetic) {
    const CGeoVector a(1, 2, 3), b(4, -5, 6);
    ExpectVec(a + b, 5, -3, 9);
    ExpectVec(a - b, -3, 7, -3);
    ExpectVec(-a, -1, -2, -3);
    ExpectVec(a * 2, 2, 4, 6);
    ExpectVec(a / 2, 0.5f, 1, 1.5f);
    CGeoVector c = a;
    (c += b) *= 2;
    ExpectVec(c, 10, -6, 18);
    (c -= b) /= 2;
    ExpectVec(c, 3, -0.5f, 6);
    EXPECT_EQ(CGeoVector::Dot(a, b), 4.0f - 10 + 18);
    // division by zero is not tested: it gives infinities, not a throw
    EXPECT_TRUE(std::isinf((a / 0.0f).x));
}

TEST(CGeoVector, CrossProductIsRightHandedAndOrdered) {
    ExpectVec(CGeoVector(1, 0, 0) * CGeoVector(0, 1, 0), 0, 0, 1);
    ExpectVec(CGeoVector(0, 1, 0) * CGeoVector(1, 0, 0), 0, 0, -1);
    ExpectVec(CGeoVector(0, 1, 0) * CGeoVector(0, 0, 1), 1, 0, 0);
    ExpectVec(CGeoVector(1, 2, 3) * CGeoVector(4, 5, 6), -3, 6, -3);
}

TEST(CGeoVector, EqualityIsExact) {
    EXPECT_TRUE(CGeoVector(0, 0, 0) == CGeoVector(-0.0f, 0, 0));
    EXPECT_FALSE(CGeoVector(0, 0, 0) != CGeoVector(-0.0f, 0, -0.0f));
    EXPECT_TRUE(CGeoVector(1, 0, 0) != CGeoVector(std::nextafter(1.0f, 2.0f), 0, 0));
    const CGeoVector nan(NAN, 0, 0);
    EXPECT_FALSE(nan == nan);
    EXPECT_TRUE(nan != nan);
}

TEST(CGeoVector, NormAndUnit) {
    EXPECT_EQ(CGeoVector(3, 0, 4).Norm(), 5.0f);
    ExpectVec(CGeoVector(3, 0, 4).Unit(), 0.6f, 0, 0.8f);
    const CGeoVector zero = CGeoVector().Unit();
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));
}

TEST(CGeoVector, MinimizeMaximizeGiveTheBoundingBox) {
    const CGeoVector points[] = {{1, -1, 0}, {-2, 5, 3}, {0, 0, -7}, {4, 1, 1}};
    CGeoVector lo = points[0], hi = points[0];
    for (const CGeoVector& p : points) {
        lo.Minimize(p);
        hi.Maximize(p);
    }
    ExpectVec(lo, -2, -1, -7);
    ExpectVec(hi, 4, 5, 3);
}

TEST(CGeoVector, Cast) {
    const CGeoVector a(1, 1, 1), b(3, 1, 1);
    EXPECT_EQ(CGeoVector(2, 7, 0).Cast(a, b), 0.5f);
    EXPECT_EQ(a.Cast(a, b), 0.0f);
    EXPECT_EQ(b.Cast(a, b), 1.0f);
    EXPECT_GT(CGeoVector(5, 1, 1).Cast(a, b), 1.0f);
    EXPECT_LT(CGeoVector(0, 1, 1).Cast(a, b), 0.0f);
    // coinciding ends answer the largest float whatever the point
    EXPECT_EQ(CGeoVector(9, 9, 9).Cast(a, a), 3.40282347e38f);
    EXPECT_EQ(a.Cast(a, a), FLT_MAX);
}

TEST(CGeoVector, IntersectIgnoresZOfTheSecondLine) {
    ExpectVec(CGeoVector::Intersect({0, 0, 0}, {2, 0, 2}, {1, -1, 5}, {1, 1, 5}), 1, 0, 1);
    // the answer is on the first line, extended beyond its ends
    ExpectVec(CGeoVector::Intersect({0, 0, 0}, {1, 1, 0}, {3, 0, 0}, {3, 1, 0}), 3, 3, 0);
    const CGeoVector parallel = CGeoVector::Intersect({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0});
    EXPECT_FALSE(std::isfinite(parallel.x));
}

TEST(CGeoVector, CalcDistFromLine) {
    const CGeoVector a(0, 0, 0), b(4, 0, 0);
    CGeoVector closest(9, 9, 9);

    EXPECT_FLOAT_EQ(CGeoVector(1, 3, 0).CalcDistFromLine(a, b, closest), 3);
    ExpectVec(closest, 1, 0, 0);
    // before a: distance from a
    EXPECT_FLOAT_EQ(CGeoVector(-3, 4, 0).CalcDistFromLine(a, b, closest), 5);
    EXPECT_EQ(closest, a);
    // beyond b: distance from b
    EXPECT_FLOAT_EQ(CGeoVector(7, 0, 4).CalcDistFromLine(a, b, closest), 5);
    EXPECT_EQ(closest, b);
    // projections exactly on the ends
    EXPECT_FLOAT_EQ(CGeoVector(0, 2, 0).CalcDistFromLine(a, b, closest), 2);
    EXPECT_EQ(closest, a);
    EXPECT_FLOAT_EQ(CGeoVector(4, 0, 2).CalcDistFromLine(a, b, closest), 2);
    EXPECT_EQ(closest, b);
    // a zero-length segment gives its point
    EXPECT_FLOAT_EQ(CGeoVector(3, 4, 0).CalcDistFromLine(a, a, closest), 5);
    EXPECT_EQ(closest, a);
    EXPECT_FLOAT_EQ(CGeoVector(1, 1, 1).CalcDistFromLine(b, b, closest), std::sqrt(11.0f));
    EXPECT_EQ(closest, b);
}
