// mgtool render: headless pictures of the shipped models.
#include <png.h>

#include "ToolRun.h"

using namespace tooltest;

namespace {

// `covered` counts the pixels unlike the top-left one, which the model never reaches.
struct Picture {
    int width = 0, height = 0, covered = 0;
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
        Picture picture{int(png.width), int(png.height)};
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
    EXPECT_EQ(Render("bracket.stl", {"--size", "64x64", "--no-fill", "--edges"}).covered, 0);
}

} // namespace
