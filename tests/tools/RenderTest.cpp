// mgtool render: headless drawing to PNG, checked by the pixels it writes.
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "PngRead.h"
#include "ToolRunner.h"

using namespace tooltest;

namespace {

// Renders `input` with `options` to a fresh PNG and reads it back.
Image Render(const std::string& input, const std::vector<std::string>& options) {
    static int serial = 0;
    const std::string output = OutputDir() + "/render" + std::to_string(++serial) + ".png";
    std::vector<std::string> args{"render", input, "-o", output};
    args.insert(args.end(), options.begin(), options.end());
    const RunResult run = RunTool(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    Image image;
    std::string error;
    EXPECT_TRUE(ReadPng(output, image, error)) << error;
    return image;
}

bool SamePixel(const unsigned char* a, const unsigned char* b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// Pixels that differ from the top-left one, which the model never reaches.
int Covered(const Image& image) {
    int count = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            count += SamePixel(image.At(x, y), image.At(0, 0)) ? 0 : 1;
    return count;
}

TEST(Render, WritesAnImageOfTheRequestedSizeShowingTheModel) {
    for (const char* model :
         {"bracket.stl", "torus-binary.stl", "box.scb", "assembly.scb", "pyramid.trg"}) {
        SCOPED_TRACE(model);
        const Image image = Render(ModelPath(model), {"--size", "160x120"});
        ASSERT_EQ(image.width, 160);
        ASSERT_EQ(image.height, 120);
        const int covered = Covered(image);
        EXPECT_GT(covered, 160 * 120 / 10);
        EXPECT_LT(covered, 160 * 120);
    }
}

TEST(Render, ViewsShowDifferentSides) {
    const std::string model = ModelPath("bracket.stl");
    const Image iso = Render(model, {"--size", "96x96", "--view", "iso"});
    const Image top = Render(model, {"--size", "96x96", "--view", "top"});
    const Image front = Render(model, {"--size", "96x96", "--view", "front"});
    EXPECT_NE(iso.rgb, top.rgb);
    EXPECT_NE(top.rgb, front.rgb);
    // the top view of the 40 x 30 base plate fills a wider area than the front view of it
    EXPECT_GT(Covered(top), Covered(front));
}

// The top of the box (face 2) faces the eye in the top view: lit grey, or highlighted unlit in
// the lighter grey of a 0.6 grey face.
TEST(Render, HighlightAndColourShowInTheFaceAtTheCentre) {
    const std::string model = ModelPath("box.scb");
    const std::vector<std::string> top{"--size", "64x64", "--view", "top"};
    const Image plain = Render(model, top);
    auto with = [&](std::vector<std::string> extra) {
        extra.insert(extra.begin(), top.begin(), top.end());
        return Render(model, extra);
    };
    const Image highlighted = with({"--highlight", "2"});
    const unsigned char* centre = highlighted.At(32, 32);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(centre[c], 0.9 * 255, 2) << "channel " << c;
    EXPECT_LT(plain.At(32, 32)[0], centre[0] - 20);
    const Image other = with({"--highlight", "1"}); // the bottom face, hidden below the top
    EXPECT_TRUE(SamePixel(other.At(32, 32), plain.At(32, 32)));
    const Image red = with({"--color", "1,0,0"});
    EXPECT_GT(red.At(32, 32)[0], 100);
    EXPECT_LT(red.At(32, 32)[1], 10);
    EXPECT_LT(red.At(32, 32)[2], 10);
}

TEST(Render, FillAndEdgesFollowTheOptions) {
    // a closed solid has no boundary loops: without fill nothing is drawn
    EXPECT_EQ(Covered(Render(ModelPath("bracket.stl"), {"--size", "64x64", "--no-fill"})), 0);
    EXPECT_EQ(
        Covered(Render(ModelPath("bracket.stl"), {"--size", "64x64", "--no-fill", "--edges"})), 0);
    // every face of the box has its loop: the outline alone covers less than the filled box
    const int outline =
        Covered(Render(ModelPath("box.scb"), {"--size", "64x64", "--no-fill", "--edges"}));
    const int filled = Covered(Render(ModelPath("box.scb"), {"--size", "64x64"}));
    EXPECT_GT(outline, 0);
    EXPECT_LT(outline, filled);
}

TEST(Render, UnknownFaceIdFails) {
    const std::string output = OutputDir() + "/nothing.png";
    const RunResult run =
        RunTool({"render", ModelPath("box.scb"), "-o", output, "--highlight", "99"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "mgtool: " + ModelPath("box.scb") + ": no face with id 99\n");
    EXPECT_FALSE(FileExists(output));
}

TEST(Render, BadFileFailsWithTheLibrarysMessage) {
    const std::string input = OutputDir() + "/bad.scb";
    WriteFile(input, "scb1\nfrog\n");
    const std::string output = OutputDir() + "/bad.png";
    const RunResult run = RunTool({"render", input, "-o", output});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "mgtool: " + input + ": File problem\n");
    EXPECT_FALSE(FileExists(output));
}

} // namespace
