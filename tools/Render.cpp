// mgtool render: draws a model headless (EGL surfaceless platform, pbuffer) and writes a PNG.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <GL/gl.h>

#include "Commands.h"
#include "Errors.h"
#include "GlContext.h"
#include "Output.h"
#include "Png.h"

namespace mgtool {

int RunRender(const RenderOptions& options) {
    const DrawOptions& draw = options.draw;
    // the context outlives the model: display lists are given back when the model is deleted
    std::unique_ptr<glcontext::HeadlessContext> context;
    std::unique_ptr<Model> model;
    try {
        // four samples smooth the edges where the driver offers them
        context = std::make_unique<glcontext::HeadlessContext>(draw.width, draw.height, 4);
    } catch (const glcontext::Error& error) {
        return ReportFailure(options.output, error.what());
    }
    try {
        model = LoadModel(options.input, true);
    } catch (const char* message) {
        return ReportFailure(options.input, message);
    } catch (const std::exception& error) {
        return ReportFailure(options.input, error.what());
    }
    std::vector<unsigned char> pixels(std::size_t(draw.width) * draw.height * 3);
    try {
        Scene scene(*model, draw);
        if (draw.highlight && scene.HighlightId(draw.highlightId) == 0)
            WarnNoFace(options.input, draw.highlightId);
        scene.Draw(Camera::Frame(*model->Whole(), draw.view), draw.width, draw.height, draw);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, draw.width, draw.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        if (glGetError() != GL_NO_ERROR)
            throw ToolError("OpenGL reported an error while drawing");
    } catch (const char* message) {
        return ReportFailure(options.input, message);
    } catch (const std::exception& error) {
        return ReportFailure(options.input, error.what());
    }
    model.reset();
    // GL's rows run bottom to top, PNG's top to bottom
    const std::size_t stride = std::size_t(draw.width) * 3;
    for (int top = 0, bottom = draw.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.begin() + top * stride, pixels.begin() + (top + 1) * stride,
                         pixels.begin() + bottom * stride);
    try {
        OutputFile file(options.output);
        WritePng(file.WritePath(), draw.width, draw.height, pixels);
        file.Commit();
    } catch (const ToolError& error) {
        return ReportFailure(options.output, error.what());
    }
    return kExitOk;
}

} // namespace mgtool
