// Replays the inputs the fuzzers found problems with, and their seeds, through the same target
// bodies (fuzz/Targets.h); and checks that those bodies do notice a broken model.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Targets.h"
#include "mgmesh/mgmesh.h"
#include "support/Shapes.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

// Runs every file of `folder` through the target; returns how many there were.
int Replay(const mgfuzz::Target& target, const fs::path& folder) {
    if (!fs::is_directory(folder))
        return 0;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        // named before it runs, so that a crash shows which input it was
        std::fprintf(stderr, "replaying %s\n", file.c_str());
        const std::vector<std::uint8_t> bytes = ReadBytes(file);
        try {
            target.run(bytes.data(), bytes.size());
        } catch (const mgfuzz::Finding& finding) {
            ADD_FAILURE() << finding.what;
        } catch (const char* message) {
            ADD_FAILURE() << "message text escaped: " << message;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "exception: " << e.what();
        } catch (...) {
            ADD_FAILURE() << "exception of an unknown type";
        }
    }
    return static_cast<int>(files.size());
}

class Regression : public testing::TestWithParam<const mgfuzz::Target*> {};

TEST_P(Regression, SavedInputs) {
    const mgfuzz::Target& target = *GetParam();
    Replay(target, fs::path(MGMESH_SOURCE_DIR) / "tests/regression/inputs" / target.name);
}

TEST_P(Regression, Seeds) {
    const mgfuzz::Target& target = *GetParam();
    EXPECT_GT(Replay(target, fs::path(MGMESH_SOURCE_DIR) / "fuzz/seeds" / target.name), 0);
}

std::vector<const mgfuzz::Target*> TargetList() {
    std::vector<const mgfuzz::Target*> list;
    for (const mgfuzz::Target& target : mgfuzz::AllTargets())
        list.push_back(&target);
    return list;
}

INSTANTIATE_TEST_SUITE_P(Targets, Regression, testing::ValuesIn(TargetList()),
                         [](const testing::TestParamInfo<const mgfuzz::Target*>& info) {
                             return std::string(info.param->name);
                         });

// The checks the targets rely on must fire on a broken model.
template <class F> std::string FindingOf(F f) {
    try {
        f();
    } catch (const mgfuzz::Finding& finding) {
        return finding.what;
    }
    return std::string();
}

MgFace* Square(MgObject& object) {
    MgFace* face = shapes::Grid(object, 1, 1);
    face->RebuildEdges();
    return face;
}

TEST(Invariants, HoldForAGoodFace) {
    MgObject object;
    Square(object);
    EXPECT_EQ(FindingOf([&] { mgfuzz::CheckObject(object); }), "");
    EXPECT_EQ(FindingOf([&] { mgfuzz::CheckRoundTrip(object); }), "");
}

TEST(Invariants, NoticeAReferenceCountOff) {
    MgObject object;
    MgFace* face = Square(object);
    const MgVertex* v = face->VertexList().front();
    v->Ref();
    EXPECT_NE(FindingOf([&] { mgfuzz::CheckObject(object); }).find("reference count"),
              std::string::npos);
    v->Deref();
}

TEST(Invariants, NoticeALinkOutOfTheFace) {
    MgObject object;
    MgFace* face = Square(object);
    MgFace* other = Square(object);
    MgFacet* f = face->FacetList().front();
    MgFacet* saved = f->Neighbor(0);
    f->SetNeighbor(0, other->FacetList().front());
    EXPECT_NE(FindingOf([&] { mgfuzz::CheckObject(object); }).find("neighbour"), std::string::npos);
    f->SetNeighbor(0, saved);
}

// Links promised to be mutual are checked only where asked for: the targets' faces may hold
// one-sided links.
TEST(Invariants, NoticeALinkNotReturnedWhereLinksMustBeMutual) {
    MgObject object;
    MgFace* face = Square(object);
    MgFacet* f = face->FacetList().front();
    MgFacet* g = face->FacetList().back();
    for (int i = 0; i < 3; ++i)
        if (g->Neighbor(i) == f)
            g->SetNeighbor(i, nullptr); // one-sided: f still points at g
    EXPECT_NE(support::BrokenInvariant(object, true).find("not returned"), std::string::npos);
    EXPECT_EQ(support::BrokenInvariant(object, false), "");
    EXPECT_EQ(FindingOf([&] { mgfuzz::CheckObject(object); }), "");
}

TEST(Invariants, NoticeACornerOnADeletedEdge) {
    MgObject object;
    MgFace* face = Square(object);
    MgEdge* edge = face->EdgeList().front();
    face->NewCorner()->SetEdgeIter(edge, edge->VertexList().begin());
    delete edge;
    EXPECT_NE(FindingOf([&] { mgfuzz::CheckObject(object); }).find("corner"), std::string::npos);
    for (MgCorner* c : face->CornerList())
        c->SetEdgeIter(nullptr, MgVertexList::const_iterator());
}

TEST(Invariants, NoticeStaleBounds) {
    MgObject object;
    MgFace* face = Square(object);
    face->MinBound();
    face->VertexList().front()->SetVertexValue(CGeoVector(-5, 0, 0)); // posts no change
    EXPECT_NE(FindingOf([&] { mgfuzz::CheckObject(object); }).find("bounds"), std::string::npos);
}

} // namespace
