// A headless OpenGL context for mgtool, the tests and the benchmarks: a compatibility-profile
// context current on a pbuffer of Mesa's surfaceless EGL platform (llvmpipe where there is no
// GPU). The library itself never makes a context; its host does.
#pragma once

#include <stdexcept>

namespace glcontext {

/// Why no context could be made; the message names the missing part.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A width × height context, current for the lifetime of the object.
class HeadlessContext {
public:
    /// Makes the context current, with `samples` samples a pixel where the driver offers them and
    /// one otherwise. Throws Error.
    HeadlessContext(int width, int height, int samples = 0);
    ~HeadlessContext();
    HeadlessContext(const HeadlessContext&) = delete;
    HeadlessContext& operator=(const HeadlessContext&) = delete;

private:
    void Release();

    // EGL's handles, which are pointers, kept out of this header
    void* m_display = nullptr;
    void* m_surface = nullptr;
    void* m_context = nullptr;
};

/// Makes a width × height context current for the rest of the process on the first call; later
/// calls keep it. Throws Error, on every call while there is none.
void EnsureContext(int width, int height);

} // namespace glcontext
