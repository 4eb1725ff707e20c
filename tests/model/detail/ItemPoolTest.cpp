// The pools behind the items' class-level allocation: blocks reused and chunks given back,
// derived items of other sizes on the ordinary heap, separate models on separate threads.
#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "mgmesh/model/detail/ItemPool.h"
#include "support/Shapes.h"
#include "support/Topology.h"

using mgmesh::detail::ItemPool;

TEST(ItemPool, HandsOutDistinctBlocksAndReusesThemAcrossChunks) {
    ItemPool pool(40);
    std::mt19937 random(1);
    std::vector<char*> live;
    // enough blocks for several chunks, freed in random order and taken again
    for (int round = 0; round < 4; ++round) {
        while (live.size() < 150000) {
            char* block = static_cast<char*>(pool.Allocate());
            std::fill(block, block + 40, char(round)); // the whole block is usable
            live.push_back(block);
        }
        std::shuffle(live.begin(), live.end(), random);
        const std::set<char*> distinct(live.begin(), live.end());
        ASSERT_EQ(distinct.size(), live.size());
        for (std::size_t keep = round == 3 ? 0 : 50000; live.size() > keep; live.pop_back())
            pool.Release(live.back());
    }
}

namespace {

// A facet with more data than its base: made on the ordinary heap, deleted from there.
struct BigFacet : MgFacet {
    explicit BigFacet(MgFace* face) : MgFacet(face) {}
    double extra[8] = {};
};

struct BigFacetFace : MgFace {
    explicit BigFacetFace(MgObject* object) : MgFace(object) {}
    MgFacet* NewFacet() override { return new BigFacet(this); }
};

struct BigFacetObject : MgObject {
    MgFace* NewFace() override { return new BigFacetFace(this); }
};

// Builds, changes and destroys a model many times over.
void Churn(unsigned seed, int rounds) {
    std::mt19937 random(seed);
    for (int round = 0; round < rounds; ++round) {
        BigFacetObject drawn;
        MgObject plain;
        MgObject* objects[] = {&drawn, &plain};
        for (MgObject* object : objects) {
            MgFace* face = shapes::Grid(*object, 2 + int(random() % 20), 3);
            face->RebuildEdges();
            MgObject copy;
            copy.CopyObject(object);
            ExpectValidTopology(copy);
            // delete facets in random order; vertices go with their last facet
            std::vector<MgFacet*> facets(face->FacetList().begin(), face->FacetList().end());
            std::shuffle(facets.begin(), facets.end(), random);
            facets.resize(facets.size() / 2);
            for (MgFacet* f : facets)
                delete f;
            ExpectValidTopology(face, false);
        }
    }
}

} // namespace

TEST(ItemPool, ItemsOfDerivedClassesAndItemsOfTheClassLiveSideBySide) {
    BigFacetObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    EXPECT_NE(dynamic_cast<BigFacet*>(face->FacetList().front()), nullptr);
    Churn(2, 50);
}

TEST(ItemPool, AModelBuiltOnOneThreadIsDeletedOnAnother) {
    auto* object = new MgObject;
    std::thread([object] { shapes::Grid(*object, 60, 60)->RebuildEdges(); }).join();
    std::thread([object] { delete object; }).join();
    Churn(3, 5); // the freed blocks serve new items
}
