// The headless context: Mesa's surfaceless EGL platform and a pbuffer.
#include "GlContext.h"

#include <string>

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace glcontext {

HeadlessContext::HeadlessContext(int width, int height, int samples) {
    EGLDisplay display =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        throw Error("no EGL surfaceless display (is Mesa's EGL installed?)");
    m_display = display;
    if (!eglBindAPI(EGL_OPENGL_API))
        throw Error("EGL cannot bind desktop OpenGL");
    for (const EGLint tried : {samples, 0}) {
        // clang-format off
        const EGLint attributes[] = {
            EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
            EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24,
            EGL_SAMPLES, tried, EGL_NONE};
        // clang-format on
        EGLConfig config;
        EGLint found = 0;
        if (!eglChooseConfig(display, attributes, &config, 1, &found) || found < 1)
            continue;
        const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        EGLSurface surface = eglCreatePbufferSurface(display, config, size);
        if (surface == EGL_NO_SURFACE)
            continue;
        // a context of the default version 1.0 has the compatibility profile
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
        if (context != EGL_NO_CONTEXT) {
            m_surface = surface;
            m_context = context;
            break;
        }
        eglDestroySurface(display, surface);
    }
    if (!m_context)
        throw Error("cannot create a " + std::to_string(width) + "x" + std::to_string(height) +
                    " OpenGL pbuffer through EGL");
    if (!eglMakeCurrent(display, m_surface, m_surface, m_context)) {
        Release();
        throw Error("cannot make the EGL context current");
    }
}

HeadlessContext::~HeadlessContext() {
    Release();
}

void HeadlessContext::Release() {
    if (!m_display)
        return;
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (m_context)
        eglDestroyContext(m_display, m_context);
    if (m_surface)
        eglDestroySurface(m_display, m_surface);
    m_context = nullptr;
    m_surface = nullptr;
    // the display stays initialised until the process ends: terminating it unloads Mesa's
    // driver, whose own small leaks leak checkers then cannot attribute any more
}

void EnsureContext(int width, int height) {
    // a constructor that throws leaves the static to be made again on the next call; the context
    // lives as long as the process: destroyed at exit, it leaves driver allocations unreachable
    // that leak checkers then report
    static const HeadlessContext* const context = new HeadlessContext(width, height);
    (void)context;
}

} // namespace glcontext
