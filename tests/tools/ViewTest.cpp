// mgtool view: a real window under Xvfb, picked with a synthesised click.
#include <gtest/gtest.h>

#include "ToolRunner.h"

using namespace tooltest;

namespace {

class View : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveXvfb())
            GTEST_SKIP() << "xvfb-run is not installed";
    }

    // The line mgtool prints for a click at (x, y) on a 200 × 200 window.
    static std::string Pick(const std::string& model, const std::string& view, int x, int y) {
        const RunResult run =
            RunToolUnderXvfb({"view", model, "--view", view, "--size", "200x200", "--click",
                              std::to_string(x) + "," + std::to_string(y)});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }
};

// The box's faces are 1 bottom, 2 top, 3 front, 4 back, 5 left, 6 right, each 2 × 2.
TEST_F(View, ClickPicksTheFaceUnderThePointer) {
    const std::string box = ModelPath("box.scb");
    EXPECT_EQ(Pick(box, "top", 100, 100), "pick face=2 area=4 loops=1\n");
    EXPECT_EQ(Pick(box, "front", 100, 100), "pick face=3 area=4 loops=1\n");
    EXPECT_EQ(Pick(box, "side", 100, 100), "pick face=6 area=4 loops=1\n");
}

TEST_F(View, ClickOnTheBackgroundPicksNothing) {
    EXPECT_EQ(Pick(ModelPath("box.scb"), "top", 2, 2), "pick none\n");
}

// Seen from the front (200 px for 8.2 units around x 2, z 1), the block (part 1, x 0..2,
// z 0..1.5) shows its front face 203 left of the centre, the tube (part 2, x 2.7..4.3,
// z 0..2.5) its side wall 301 to the right.
TEST_F(View, ClickPicksAPartOfAMultiPartModel) {
    const std::string assembly = ModelPath("assembly.scb");
    EXPECT_EQ(Pick(assembly, "front", 80, 90), "pick face=203 area=3 loops=1\n");
    const std::string tube = Pick(assembly, "front", 136, 80);
    EXPECT_EQ(tube.substr(0, 14), "pick face=301 ") << tube;
    EXPECT_NE(tube.find(" loops=2"), std::string::npos) << tube;
}

TEST_F(View, MissingDisplayIsReported) {
    const RunResult run = RunTool({"view", ModelPath("box.scb")});
    if (getenv("DISPLAY"))
        GTEST_SKIP() << "a display is set";
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;
}

} // namespace
