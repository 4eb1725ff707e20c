// mgtool view in a virtual X display: a click picks the face under the pointer.
#include <array>

#include "ToolRun.h"

using namespace tooltest;

namespace {

// The box's faces are 1 bottom, 2 top, 3 front, 4 back, 5 left, 6 right, each 2 x 2. Seen from
// the front, the assembly shows the block's front face 203 left of the centre and the tube's
// wall 301 (two rims) right of it.
TEST(View, ClickPicksTheFaceUnderThePointer) {
    if (std::system("command -v xvfb-run >/dev/null") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    for (const auto& [model, view, click, line] : std::vector<std::array<std::string, 4>>{
             {"box.scb", "top", "100,100",
              "pick face=2 facet=3 point=(1.00909, 0.990907, 2) area=4\n"},
             {"box.scb", "front", "100,100",
              "pick face=3 facet=3 point=(1.00909, 0, 0.990907) area=4\n"},
             {"box.scb", "side", "100,100",
              "pick face=6 facet=3 point=(2, 1.00909, 0.990907) area=4\n"},
             {"box.scb", "top", "2,2", "pick none\n"},
             {"assembly.scb", "front", "80,90",
              "pick face=203 facet=7 point=(1.20043, 0, 1.38954) area=3\n"},
             {"assembly.scb", "front", "136,80",
              "pick face=301 facet=34 point=(3.49664, 0.200442, 1.79957) area=12.5305\n"}}) {
        const RunResult run = RunTool(
            {"view", kModels + model, "--view", view, "--size", "200x200", "--click", click},
            Via::Xvfb);
        EXPECT_EQ(run.out, line) << run.err;
    }
}

} // namespace
