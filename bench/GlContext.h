// A compatibility-profile OpenGL context for the drawing benchmarks: a 640 × 480 pbuffer of
// EGL's surfaceless platform (Mesa llvmpipe on a machine without a GPU).
#pragma once

#include <cstdio>
#include <cstdlib>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

namespace bench {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

/// Makes the benchmarks' context current, creating it on first use; exits when there is none.
inline void EnsureContext() {
    static const bool ready = [] {
        auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        EGLDisplay display =
            getDisplay ? getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                       : EGL_NO_DISPLAY;
        EGLint major = 0, minor = 0;
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor) ||
            !eglBindAPI(EGL_OPENGL_API))
            return false;
        const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                        EGL_OPENGL_BIT,   EGL_DEPTH_SIZE,  16,
                                        EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1)
            return false;
        const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
        const EGLint surfaceAttribs[] = {EGL_WIDTH, kFrameWidth, EGL_HEIGHT, kFrameHeight,
                                         EGL_NONE};
        EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
        return context != EGL_NO_CONTEXT && surface != EGL_NO_SURFACE &&
               eglMakeCurrent(display, surface, surface, context);
    }();
    if (!ready) {
        std::fprintf(stderr, "mgmesh_bench: no EGL surfaceless OpenGL context\n");
        std::exit(1);
    }
}

} // namespace bench
