// Interposes the GL entry points the library uses: each call is logged, then forwarded to the
// real libGL function found with dlsym(RTLD_NEXT). The library's calls bind to these
// definitions because the test program's symbols come first in the lookup order.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "GlTestSupport.h"

namespace {

bool g_recording = false;
bool g_failGenLists = false;
std::vector<gltest::Call>* g_calls = nullptr;

template <class F> F Real(const char* name) {
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        std::fprintf(stderr, "no real %s\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(symbol);
}

void Log(const char* name, std::vector<float> args) {
    if (g_recording && g_calls)
        g_calls->push_back({name, std::move(args)});
}

} // namespace

#define MGMESH_FORWARD(ret, name, params, args, logged)                                            \
    extern "C" ret name params {                                                                   \
        static auto real = Real<ret(*) params>(#name);                                             \
        Log(#name, logged);                                                                        \
        return real args;                                                                          \
    }

MGMESH_FORWARD(void, glBegin, (GLenum m), (m), {float(m)})
MGMESH_FORWARD(void, glEnd, (), (), {})
MGMESH_FORWARD(void, glVertex3fv, (const GLfloat* v), (v), (std::vector<float>(v, v + 3)))
MGMESH_FORWARD(void, glVertex4fv, (const GLfloat* v), (v), (std::vector<float>(v, v + 4)))
MGMESH_FORWARD(void, glNormal3fv, (const GLfloat* v), (v), (std::vector<float>(v, v + 3)))
MGMESH_FORWARD(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b),
               (std::vector<float>{r, g, b}))
MGMESH_FORWARD(void, glColor3fv, (const GLfloat* v), (v), (std::vector<float>(v, v + 3)))
MGMESH_FORWARD(void, glColor4fv, (const GLfloat* v), (v), (std::vector<float>(v, v + 4)))
MGMESH_FORWARD(void, glMaterialfv, (GLenum f, GLenum p, const GLfloat* v), (f, p, v),
               (std::vector<float>(v, v + 4)))
MGMESH_FORWARD(void, glEnable, (GLenum c), (c), {float(c)})
MGMESH_FORWARD(void, glDisable, (GLenum c), (c), {float(c)})
MGMESH_FORWARD(void, glDepthFunc, (GLenum f), (f), {float(f)})
MGMESH_FORWARD(void, glNewList, (GLuint l, GLenum m), (l, m),
               (std::vector<float>{float(l), float(m)}))
MGMESH_FORWARD(void, glEndList, (), (), {})
MGMESH_FORWARD(void, glCallList, (GLuint l), (l), {float(l)})
MGMESH_FORWARD(void, glDeleteLists, (GLuint l, GLsizei n), (l, n),
               (std::vector<float>{float(l), float(n)}))
MGMESH_FORWARD(void, glPushName, (GLuint n), (n), {float(n)})
MGMESH_FORWARD(void, glPopName, (), (), {})
MGMESH_FORWARD(void, glPushAttrib, (GLbitfield m), (m), {float(m)})
MGMESH_FORWARD(void, glPopAttrib, (), (), {})
MGMESH_FORWARD(void, glPushMatrix, (), (), {})
MGMESH_FORWARD(void, glPopMatrix, (), (), {})

extern "C" GLuint glGenLists(GLsizei range) {
    static auto real = Real<GLuint (*)(GLsizei)>("glGenLists");
    const GLuint name = g_failGenLists ? 0 : real(range);
    Log("glGenLists", {float(name)});
    return name;
}

namespace gltest {

std::vector<Call> Record(const std::function<void()>& draw, std::string* thrown) {
    std::vector<Call> calls;
    g_calls = &calls;
    g_recording = true;
    try {
        draw();
    } catch (const char* message) {
        g_recording = false;
        g_calls = nullptr;
        if (!thrown)
            throw;
        *thrown = message;
    }
    g_recording = false;
    g_calls = nullptr;
    return calls;
}

void FailGenLists(bool fail) {
    g_failGenLists = fail;
}

} // namespace gltest
