// The host import's merge grid against the walk over its points, at the borders of its cells
// (powers of two between 16 and 32 times the merge distance), while points are added and move.
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/io/detail/MergeGrid.h"
#include "support/Coordinates.h"
#include "support/Walks.h"

using mgmesh::detail::MergeGrid;

TEST(MergeGrid, FindAgreesWithTheWalkAcrossCellBorders) {
    std::mt19937 random(31);
    for (float threshold : {0.005f, 0.1f, 3e-7f, 1000.0f}) {
        // every power of two that can be the cell width, and so every border it can have
        support::CoordinateMix mix;
        mix.step = threshold;
        mix.borders.clear();
        for (int e = -40; e <= 20; ++e)
            if (std::ldexp(1.0, e) >= 16 * threshold && std::ldexp(1.0, e) <= 64 * threshold)
                for (int k : {0, 1, -1, 3, -7})
                    mix.borders.push_back(float(std::ldexp(double(k), e)));
        for (int round = 0; round < 100; ++round) {
            MergeGrid grid(threshold);
            std::vector<CGeoVector> points;
            for (int step = 0; step < 200; ++step) {
                const float x = support::StressCoordinate(random, mix);
                const float y = support::StressCoordinate(random, mix);
                const CGeoVector p(x, y, support::StressCoordinate(random, mix));
                const int expected = support::WalkMergeFind(points, p, threshold);
                ASSERT_EQ(grid.Find(p), expected) << threshold << " round " << round;
                if (expected >= 0 && random() % 2) {
                    grid.Move(expected, p);
                    points[std::size_t(expected)] = p;
                } else if (random() % 2) {
                    grid.Add(p);
                    points.push_back(p);
                }
            }
        }
    }
}
