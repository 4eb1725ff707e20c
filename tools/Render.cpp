// mgtool render: draws a model headless (EGL surfaceless platform, pbuffer) and writes a PNG.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include "Commands.h"
#include "Errors.h"
#include "Png.h"

namespace mgtool {
namespace {

// A compatibility-profile GL context current on a pbuffer of Mesa's surfaceless platform, for
// the lifetime of the object.
class HeadlessContext {
public:
    HeadlessContext(int width, int height) {
        m_display =
            eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (m_display == EGL_NO_DISPLAY || !eglInitialize(m_display, nullptr, nullptr))
            throw ToolError("no EGL surfaceless display (is Mesa's EGL installed?)");
        if (!eglBindAPI(EGL_OPENGL_API))
            throw ToolError("EGL cannot bind desktop OpenGL");
        // four samples smooth the edges where the driver offers them
        for (const EGLint samples : {4, 0}) {
            // clang-format off
            const EGLint attributes[] = {
                EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
                EGL_SAMPLES, samples, EGL_NONE};
            // clang-format on
            EGLConfig config;
            EGLint found = 0;
            if (!eglChooseConfig(m_display, attributes, &config, 1, &found) || found < 1)
                continue;
            const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
            m_surface = eglCreatePbufferSurface(m_display, config, size);
            if (m_surface == EGL_NO_SURFACE)
                continue;
            m_context = eglCreateContext(m_display, config, EGL_NO_CONTEXT, nullptr);
            if (m_context != EGL_NO_CONTEXT)
                break;
            eglDestroySurface(m_display, m_surface);
            m_surface = EGL_NO_SURFACE;
        }
        if (m_context == EGL_NO_CONTEXT)
            throw ToolError("cannot create a " + std::to_string(width) + "x" +
                            std::to_string(height) + " OpenGL pbuffer through EGL");
        if (!eglMakeCurrent(m_display, m_surface, m_surface, m_context)) {
            Release();
            throw ToolError("cannot make the EGL context current");
        }
    }
    ~HeadlessContext() { Release(); }
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

private:
    void Release() {
        if (m_display == EGL_NO_DISPLAY)
            return;
        eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (m_context != EGL_NO_CONTEXT)
            eglDestroyContext(m_display, m_context);
        if (m_surface != EGL_NO_SURFACE)
            eglDestroySurface(m_display, m_surface);
        m_context = EGL_NO_CONTEXT;
        m_surface = EGL_NO_SURFACE;
        // the display stays initialised until the process ends: terminating it unloads Mesa's
        // driver, whose own small leaks leak checkers then cannot attribute any more
    }

    EGLDisplay m_display = EGL_NO_DISPLAY;
    EGLSurface m_surface = EGL_NO_SURFACE;
    EGLContext m_context = EGL_NO_CONTEXT;
};

} // namespace

int RunRender(const RenderOptions& options) {
    const DrawOptions& draw = options.draw;
    // the context outlives the model: display lists are given back when the model is deleted
    std::unique_ptr<HeadlessContext> context;
    std::unique_ptr<Model> model;
    try {
        context = std::make_unique<HeadlessContext>(draw.width, draw.height);
    } catch (const ToolError& error) {
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
            throw ToolError("no face with id " + std::to_string(draw.highlightId));
        MgRenderMode mode{};
        mode.fill = draw.fill;
        mode.edges = draw.edges;
        scene.Draw(Camera::Frame(*model->Whole(), draw.view), draw.width, draw.height, mode);
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
        WritePng(options.output, draw.width, draw.height, pixels);
    } catch (const ToolError& error) {
        return ReportFailure(options.output, error.what());
    }
    return kExitOk;
}

} // namespace mgtool
