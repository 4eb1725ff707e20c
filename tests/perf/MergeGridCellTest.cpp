// The host import's merge grid against the walk over its points, at the borders of its cells
// (powers of two between 16 and 32 times the merge distance), while points are added and move.
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/io/detail/MergeGrid.h"

using mgmesh::detail::MergeGrid;
using mgmesh::detail::WithinMergeDistance;

TEST(MergeGridCells, FindAgreesWithTheWalkAcrossCellBorders) {
    std::mt19937 random(31);
    for (float threshold : {0.005f, 0.1f, 3e-7f, 1000.0f}) {
        // every power of two that can be the cell width, and so every border it can have
        std::vector<float> borders;
        for (int e = -40; e <= 20; ++e)
            if (std::ldexp(1.0, e) >= 16 * threshold && std::ldexp(1.0, e) <= 64 * threshold)
                for (int k : {0, 1, -1, 3, -7})
                    borders.push_back(float(std::ldexp(double(k), e)));
        auto coordinate = [&] {
            const float offsets[] = {0, threshold, -threshold, 0.5f * threshold, 0.7f * threshold};
            float c = borders[random() % borders.size()] + offsets[random() % 5];
            if (random() % 3 == 0)
                c = std::nextafter(c, random() % 2 ? INFINITY : -INFINITY);
            return c;
        };
        for (int round = 0; round < 100; ++round) {
            MergeGrid grid(threshold);
            std::vector<CGeoVector> points;
            for (int step = 0; step < 200; ++step) {
                const CGeoVector p(coordinate(), coordinate(), coordinate());
                int expected = -1;
                for (std::size_t i = 0; i < points.size() && expected < 0; ++i)
                    if (WithinMergeDistance(points[i], p, threshold))
                        expected = int(i);
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
