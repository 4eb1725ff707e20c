// CGeoVector: the layout the GL arrays rely on, and the geometric routines out of line.
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

TEST(CGeoVector, LayoutIsThreeFloatsAndCrossIsOrdered) {
    static_assert(sizeof(CGeoVector) == 3 * sizeof(float), "no hidden fields");
    static_assert(std::is_standard_layout<CGeoVector>::value, "an array of vectors is floats");
    CGeoVector v[2] = {CGeoVector(1, 2, 3), CGeoVector(4, 5, 6)};
    EXPECT_EQ(static_cast<const float*>(v[0])[4], 5.0f);
    ExpectVec(v[0] * v[1], -3, 6, -3);
    ExpectVec(v[1] * v[0], 3, -6, 3);
}

TEST(CGeoVector, NormAndUnit) {
    EXPECT_EQ(CGeoVector(3, 0, 4).Norm(), 5.0f);
    ExpectVec(CGeoVector(3, 0, 4).Unit(), 0.6f, 0, 0.8f);
    const CGeoVector zero = CGeoVector().Unit();
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));
}

TEST(CGeoVector, Cast) {
    const CGeoVector a(1, 1, 1), b(3, 1, 1);
    EXPECT_EQ(CGeoVector(2, 7, 0).Cast(a, b), 0.5f);
    EXPECT_EQ(a.Cast(a, b), 0.0f);
    EXPECT_EQ(b.Cast(a, b), 1.0f);
    EXPECT_LT(CGeoVector(0, 1, 1).Cast(a, b), 0.0f);
    // coinciding ends answer the largest float whatever the point
    EXPECT_EQ(CGeoVector(9, 9, 9).Cast(a, a), FLT_MAX);
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
    struct Case {
        CGeoVector p, from, to;
        float distance;
        CGeoVector closest;
    };
    const Case cases[] = {
        {{1, 3, 0}, a, b, 3, {1, 0, 0}},
        {{-3, 4, 0}, a, b, 5, a}, // before a: distance from a
        {{7, 0, 4}, a, b, 5, b},  // beyond b: distance from b
        {{0, 2, 0}, a, b, 2, a},  // projections exactly on the ends
        {{4, 0, 2}, a, b, 2, b},
        {{3, 4, 0}, a, a, 5, a}, // a zero-length segment gives its point
        {{1, 1, 1}, b, b, std::sqrt(11.0f), b},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(&k - cases);
        CGeoVector closest(9, 9, 9);
        EXPECT_FLOAT_EQ(k.p.CalcDistFromLine(k.from, k.to, closest), k.distance);
        ExpectVec(closest, k.closest.x, k.closest.y, k.closest.z);
    }
}
