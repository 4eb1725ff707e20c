// The headless context on Windows: a hidden window of the requested size with a WGL context on
// it. GDI's pixel formats offer no samples, so a request for them gets one a pixel.
#include "GlContext.h"

#include <string>

#include <windows.h>

namespace glcontext {
namespace {

const char kWindowClass[] = "mgmesh_glcontext";

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered;
}

} // namespace

HeadlessContext::HeadlessContext(int width, int height, int samples) {
    (void)samples;
    if (!RegisterWindowClass())
        throw Error("cannot register a window class for an OpenGL context");
    // the window is never shown; its size bounds the pixels that GL keeps
    HWND window = CreateWindowExA(0, kWindowClass, "mgmesh", WS_POPUP, 0, 0, width, height, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        throw Error("no window to hold an OpenGL context (is there a display?)");
    m_display = window;
    HDC device = GetDC(window);
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cDepthBits = 24;
    format.iLayerType = PFD_MAIN_PLANE;
    const int chosen = device ? ChoosePixelFormat(device, &format) : 0;
    if (!chosen || !SetPixelFormat(device, chosen, &format)) {
        Release();
        throw Error("no OpenGL pixel format for a " + std::to_string(width) + "x" +
                    std::to_string(height) + " window");
    }
    m_surface = device;
    HGLRC context = wglCreateContext(device);
    if (!context) {
        Release();
        throw Error("cannot create an OpenGL context through WGL");
    }
    m_context = context;
    if (!wglMakeCurrent(device, context)) {
        Release();
        throw Error("cannot make the WGL context current");
    }
}

HeadlessContext::~HeadlessContext() {
    Release();
}

void HeadlessContext::Release() {
    if (!m_display)
        return;
    HWND window = static_cast<HWND>(m_display);
    if (m_context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(m_context));
    }
    if (m_surface)
        ReleaseDC(window, static_cast<HDC>(m_surface));
    DestroyWindow(window);
    m_context = nullptr;
    m_surface = nullptr;
    m_display = nullptr;
}

void EnsureContext(int width, int height) {
    // made once and kept for the process, as on the other platforms
    static const HeadlessContext* const context = new HeadlessContext(width, height);
    (void)context;
}

} // namespace glcontext
