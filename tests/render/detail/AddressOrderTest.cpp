// The strip builder's address sort against std::sort, on pointers arranged as pool chunks hand
// them out (ascending runs over disjoint ranges, in any chunk order) and disturbed in the ways
// a model disturbs them: freed and reused blocks, duplicates, interleaved runs.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/render/detail/AddressOrder.h"

using mgmesh::detail::SortByAddress;

TEST(AddressOrder, SortsAsStdSortDoes) {
    std::mt19937 random(7);
    static int arena[1 << 14];
    for (int round = 0; round < 600; ++round) {
        // chunks: disjoint ranges of the arena, each handed out in ascending order
        const int chunks = 1 + int(random() % (round % 10 == 0 ? 5000 : 40));
        const int width = int(std::size(arena)) / chunks;
        std::vector<int> order(std::size_t(chunks), 0);
        for (int c = 0; c < chunks; ++c)
            order[std::size_t(c)] = c;
        std::shuffle(order.begin(), order.end(), random);
        std::vector<int*> items;
        for (int c : order) {
            const int used = width == 0 ? 0 : int(random() % std::size_t(width + 1));
            for (int k = 0; k < used; ++k)
                items.push_back(arena + c * width + k);
        }
        switch (round % 5) {
        case 1: // a few blocks freed and reused at the end
            for (int k = 0; k < 3 && !items.empty(); ++k)
                std::swap(items[random() % items.size()], items.back());
            break;
        case 2: // duplicates, within a run and across runs
            if (!items.empty()) {
                items.push_back(items[random() % items.size()]);
                items.insert(items.begin() + std::ptrdiff_t(random() % items.size()),
                             items[random() % items.size()]);
            }
            break;
        case 3: // two runs that interleave
            if (items.size() > 4)
                items.push_back(arena + (items[0] - arena) + 1);
            break;
        case 4: // no order at all
            std::shuffle(items.begin(), items.end(), random);
            break;
        }
        std::vector<int*> expected = items;
        std::sort(expected.begin(), expected.end(), std::less<int*>());
        const std::uintptr_t gaps[] = {0, 16, 400, std::uintptr_t(1) << 20};
        SortByAddress(items, gaps[round % 4]);
        ASSERT_EQ(items, expected) << "round " << round;
    }
}
