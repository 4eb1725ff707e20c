// Object.render: draws a copy of the object headless (EGL) with the library's OpenGL drawing
// and writes a PNG, as mgtool render does.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <vector>

#include <GL/gl.h>

#include "Bindings.h"
#include "Errors.h"
#include "GlContext.h"
#include "Png.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

namespace mgpy {
namespace {

struct Picture {
    int width = 800;
    int height = 600;
    float yaw = -45; // about z, from the +x axis to the eye
    float pitch = 35.26439f;
    bool fill = true;
    bool edges = false;
    float rgb[3] = {0.6f, 0.6f, 0.6f};
};

// One context at a time: Mesa's surfaceless platform is shared by the whole process.
std::mutex g_gl;

// Looks at the object's bounding sphere from the picture's direction, z up, orthographic.
void SetCamera(const MgObject& object, const Picture& p) {
    float radius = object.FaceList().empty() ? 1 : object.Radius();
    if (!(radius > 1e-6f) || !std::isfinite(radius))
        radius = 1;
    const CGeoVector centre = object.FaceList().empty() ? CGeoVector() : object.Average();
    const double aspect = double(p.width) / p.height, half = 1.05 * radius;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-half * std::max(aspect, 1.0), half * std::max(aspect, 1.0),
            -half / std::min(aspect, 1.0), half / std::min(aspect, 1.0), radius, 5 * radius);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light[4] = {-0.3f, 0.5f, 1.0f, 0.0f}; // fixed to the eye, from the upper left
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glTranslatef(0, 0, -3 * radius);
    glRotatef(p.pitch - 90, 1, 0, 0);
    glRotatef(-90 - p.yaw, 0, 0, 1);
    glTranslatef(-centre.x, -centre.y, -centre.z);
}

// The picture's pixels, top row first.
std::vector<unsigned char> Draw(const MgObject& source, const Picture& p) {
    std::lock_guard<std::mutex> gl(g_gl);
    // four samples smooth the edges where the driver offers them
    glcontext::HeadlessContext context(p.width, p.height, 4);
    std::vector<unsigned char> pixels(std::size_t(p.width) * p.height * 3);
    {
        // a drawable copy, deleted while its context is current: it holds a display list
        MgGrObject copy;
        copy.CopyObject(&source);
        copy.SetColor(p.rgb);
        glViewport(0, 0, p.width, p.height);
        glClearColor(0.10f, 0.12f, 0.15f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_NORMALIZE);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        SetCamera(copy, p);
        MgRenderMode mode{};
        mode.fill = p.fill;
        mode.edges = p.edges;
        copy.Draw(mode);
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        if (glGetError() != GL_NO_ERROR)
            throw Error("OpenGL reported an error while drawing");
    }
    // GL's rows run bottom to top
    const std::size_t stride = std::size_t(p.width) * 3;
    for (int top = 0, bottom = p.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels.begin() + top * stride, pixels.begin() + (top + 1) * stride,
                         pixels.begin() + bottom * stride);
    return pixels;
}

void Render(const ObjectRef& ref, const std::filesystem::path& path, int width, int height,
            const std::string& view, bool fill, bool edges, const std::vector<float>& color) {
    Picture p;
    if (width < 1 || height < 1 || width > 8192 || height > 8192)
        throw Error("the picture must be 1 to 8192 pixels wide and high");
    p.width = width;
    p.height = height;
    if (view == "top")
        p.yaw = -90, p.pitch = 90;
    else if (view == "front")
        p.yaw = -90, p.pitch = 0;
    else if (view == "side")
        p.yaw = 0, p.pitch = 0;
    else if (view != "iso")
        throw Error("view must be 'iso', 'top', 'front' or 'side'");
    if (color.size() != 3)
        throw Error("color must be three numbers from 0 to 1");
    std::copy(color.begin(), color.end(), p.rgb);
    p.fill = fill;
    p.edges = edges;
    try {
        const std::vector<unsigned char> pixels =
            Unlocked(ref, [&](ModelObject& object) { return Draw(object, p); });
        py::gil_scoped_release release;
        mgtool::WritePng(path.string(), p.width, p.height, pixels);
    } catch (const glcontext::Error& failure) {
        throw Error(failure.what());
    } catch (const mgtool::ToolError& failure) {
        throw Error(path.string() + ": " + failure.what());
    }
}

} // namespace

void BindRender(py::class_<ObjectRef>& cls) {
    cls.def(
        "render", &Render, py::arg("path"), py::arg("width") = 800, py::arg("height") = 600,
        py::arg("view") = "iso", py::arg("fill") = true, py::arg("edges") = false,
        py::arg("color") = std::vector<float>{0.6f, 0.6f, 0.6f},
        R"(render(path, width=800, height=600, view="iso", fill=True, edges=False, color=(0.6, 0.6, 0.6))

Draws the object headless (EGL, Mesa's llvmpipe where there is no GPU) with the library's
OpenGL drawing, as mgtool render does, and writes an RGB PNG to `path`. `view` is "iso",
"top", "front" or "side" (z up); `edges` draws the boundary loops too. Raises mgmesh.Error
when no OpenGL context can be made or the PNG cannot be written.)");
}

} // namespace mgpy
