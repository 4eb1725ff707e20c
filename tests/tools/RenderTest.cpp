// mgtool render: headless pictures of the shipped models.
#include <png.h>

#include "ToolRun.h"

using namespace tooltest;

namespace {

// `covered` counts the pixels unlike the top-left one, which the model never reaches.
struct Picture {
    int width = 0, height = 0, covered = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return &rgb[3 * (std::size_t(y) * width + x)]; }
    int Grey(int x, int y) const { return (At(x, y)[0] + At(x, y)[1] + At(x, y)[2]) / 3; }
    // the pixels of exactly this colour in the columns before x1 and the rows from y0
    int Count(const unsigned char* colour, int x1, int y0) const {
        int n = 0;
        for (int y = y0; y < height; ++y)
            for (int x = 0; x < x1; ++x)
                n += std::equal(At(x, y), At(x, y) + 3, colour);
        return n;
    }
};

// `mgtool render MODEL -o PNG OPTIONS`; the picture is empty when no PNG came out.
Picture Render(const std::string& model, std::vector<std::string> options) {
    const std::string output = OutputDir() + "/render.png";
    std::filesystem::remove(output);
    options.insert(options.begin(), {"render", kModels + model, "-o", output});
    const RunResult run = RunTool(options);
    EXPECT_EQ(std::to_string(run.status) + run.out + run.err, "0"); // succeeds silently
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    const bool begun = png_image_begin_read_from_file(&png, output.c_str());
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
    if (begun && png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        Picture picture{int(png.width), int(png.height), 0, rgb};
        for (std::size_t at = 0; at < rgb.size(); at += 3)
            picture.covered += !std::equal(&rgb[at], &rgb[at] + 3, rgb.data());
        return picture;
    }
    png_image_free(&png);
    return Picture();
}

TEST(Render, ImagesShowTheModelAsAsked) {
    for (const char* model :
         {"bracket.stl", "torus-binary.stl", "box.scb", "assembly.scb", "pyramid.trg"}) {
        const Picture image = Render(model, {"--size", "160x120"});
        EXPECT_EQ(image.width * 1000 + image.height, 160120) << model;
        EXPECT_GT(image.covered, 160 * 120 / 10) << model;
        EXPECT_LT(image.covered, 160 * 120) << model;
    }
    // a closed solid has no boundary loops: with neither fill nor loops nothing is drawn
    EXPECT_EQ(Render("bracket.stl", {"--size", "64x64", "--no-fill", "--loops"}).covered, 0);
}

// Pictures judged by their pixels: the box's three visible sides in the iso view (top, front
// on the left, right side on the right) are shaded flat and apart; feature edges are dark
// lines; a highlight covers its whole face.
TEST(Render, ShadingEdgesAndHighlightReadWell) {
    const Picture box = Render("box.scb", {"--size", "200x150"});
    const int top = box.Grey(100, 35), left = box.Grey(70, 95), right = box.Grey(130, 95);
    EXPECT_GT(std::min({std::abs(top - left), std::abs(left - right), std::abs(top - right)}), 30)
        << top << " " << left << " " << right;
    // flat: the front side is one shade from corner to corner
    EXPECT_EQ(box.Grey(60, 80), box.Grey(90, 120));

    const Picture edges = Render("bracket.stl", {"--size", "200x150", "--no-fill", "--edges"});
    EXPECT_GT(edges.covered, 600); // the outline, the plates' rims, the holes
    int dark = 0;
    for (int y = 0; y < edges.height; ++y)
        for (int x = 0; x < edges.width; ++x)
            dark += edges.Grey(x, y) < 100;
    EXPECT_GT(dark, edges.covered / 2);
    EXPECT_LT(edges.covered, Render("bracket.stl", {"--size", "200x150", "--wire"}).covered);

    const Picture lit = Render("box.scb", {"--size", "200x150", "--highlight", "3"});
    // the front side lies left of the middle and below the top side
    const unsigned char* front = box.At(75, 100); // its own shade
    EXPECT_GT(box.Count(front, 100, 45), 2000);
    EXPECT_EQ(lit.Count(front, 100, 45), 0) << "pixels of the base shade in the highlighted face";
    EXPECT_GT(lit.Count(lit.At(75, 100), 100, 45), 2000);
    EXPECT_GT(lit.At(75, 100)[0], 200); // orange
    EXPECT_LT(lit.At(75, 100)[2], 100);
}

} // namespace
