// Replays the inputs the fuzzers found problems with, and their seeds, through the same target
// bodies (fuzz/Targets.h); and checks that those bodies do notice a broken model.
#include <algorithm>
#include <filesystem>
#include <functional>

#include "Targets.h"
#include "mgmesh/mgmesh.h"
#include "support/Corpus.h"
#include "support/Shapes.h"

namespace {

namespace fs = std::filesystem;

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
        std::fprintf(stderr, "replaying %s\n", file.string().c_str());
        const std::string bytes = testsupport::ReadFile(file.string());
        try {
            target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
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
    Replay(*GetParam(), fs::path(MGMESH_SOURCE_DIR) / "tests/regression/inputs" / GetParam()->name);
}

TEST_P(Regression, Seeds) {
    EXPECT_GT(Replay(*GetParam(), fs::path(MGMESH_SOURCE_DIR) / "fuzz/seeds" / GetParam()->name),
              0);
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

// The checks the targets rely on must fire on a broken model: a linked square, broken in one
// way by each case and mended where its deletion needs it.
TEST(Invariants, HoldForAGoodFaceAndNoticeEachBreak) {
    const auto square = [](MgObject& object) {
        MgFace* face = shapes::Grid(object, 1, 1);
        face->RebuildEdges();
        return face;
    };
    const auto finding = [](const MgObject& object, bool roundTrip = false) -> std::string {
        try {
            roundTrip ? mgfuzz::CheckRoundTrip(object) : mgfuzz::CheckObject(object);
        } catch (const mgfuzz::Finding& finding) {
            return finding.what;
        }
        return "";
    };
    MgObject good;
    square(good);
    EXPECT_EQ(finding(good) + finding(good, true), "");
    using Break = std::function<std::function<void()>(MgObject&, MgFace*)>;
    const std::pair<const char*, Break> cases[] = {
        {"reference count",
         [](MgObject&, MgFace* face) {
             MgVertex* v = face->VertexList().front();
             v->Ref();
             return [v] { v->Deref(); };
         }},
        {"neighbour",
         [&](MgObject& object, MgFace* face) {
             MgFacet* f = face->FacetList().front();
             MgFacet* saved = f->Neighbor(0);
             f->SetNeighbor(0, square(object)->FacetList().front());
             return [f, saved] { f->SetNeighbor(0, saved); };
         }},
    };
    for (const auto& [what, breakIt] : cases) {
        MgObject object;
        const std::function<void()> mend = breakIt(object, square(object));
        EXPECT_NE(finding(object).find(what), std::string::npos) << what;
        mend();
    }
    // links promised to be mutual are checked only where asked for: the targets' faces may hold
    // one-sided links
    MgObject object;
    MgFace* face = square(object);
    MgFacet *f = face->FacetList().front(), *g = face->FacetList().back();
    for (int i = 0; i < 3; ++i)
        if (g->Neighbor(i) == f)
            g->SetNeighbor(i, nullptr); // one-sided: f still points at g
    EXPECT_NE(support::BrokenInvariant(object, true).find("not returned"), std::string::npos);
    EXPECT_EQ(support::BrokenInvariant(object, false) + finding(object), "");
}

} // namespace
