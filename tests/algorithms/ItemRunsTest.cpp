// Items by number as runs of evenly spaced addresses, against the list they came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <random>
#include <vector>

#include "mgmesh/algorithms/detail/ItemRuns.h"

namespace {

void ExpectSameAsList(const std::list<int*>& items) {
    const mgmesh::detail::ItemRuns<int> runs(items);
    ASSERT_EQ(runs.Size(), items.size());
    std::uint32_t n = 0;
    for (int* item : items)
        ASSERT_EQ(runs[n++], item) << n - 1;
}

} // namespace

TEST(ItemRuns, AnswersAsTheListInAnyOrder) {
    std::vector<int> pool(5000);
    std::list<int*> items;
    ExpectSameAsList(items);
    // one run, a run of every third item, runs that meet and part, and items listed twice
    for (int& i : pool)
        items.push_back(&i);
    ExpectSameAsList(items);
    items.clear();
    for (std::size_t k = 0; k < pool.size(); k += 3)
        items.push_back(&pool[k]);
    ExpectSameAsList(items);
    items.clear();
    for (int k : {0, 1, 2, 3, 10, 11, 12, 4, 4, 5, 6, 2, 0, 100, 50, 51})
        items.push_back(&pool[std::size_t(k)]);
    ExpectSameAsList(items);
    // descending and scattered lists, the last too scattered for runs
    items.clear();
    for (std::size_t k = pool.size(); k-- > 0;)
        items.push_back(&pool[k]);
    ExpectSameAsList(items);
    std::vector<int*> shuffled(items.begin(), items.end());
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    ExpectSameAsList(std::list<int*>(shuffled.begin(), shuffled.end()));
    // items further apart than a run may stride
    std::vector<int> wide(100000);
    items.clear();
    for (std::size_t k = 0; k < wide.size(); k += 2000)
        items.push_back(&wide[k]);
    ExpectSameAsList(items);
}
