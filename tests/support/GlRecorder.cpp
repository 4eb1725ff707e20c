// The recorder: definitions of the GL calls the library makes, which log and then call libGL's.
#include "support/GlRecorder.h"

#include <dlfcn.h>

#include <algorithm>
#include <sstream>

#include "GlContext.h"
#include "support/Shapes.h"

namespace recorder {

bool g_failGenLists = false;

namespace {

Calls* g_calls = nullptr;      // where calls are being recorded
const Calls* g_only = nullptr; // the names to record, or empty for all

std::ostream& operator<<(std::ostream& out, const std::vector<float>& v) {
    for (const float& x : v)
        out << (&x == &v[0] ? "" : " ") << x;
    return out;
}

} // namespace

int Count(const Calls& calls, const std::string& name) {
    return int(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.compare(0, name.size(), name) == 0 &&
               (call.size() == name.size() || call[name.size()] == ' ');
    }));
}

Calls Record(const std::function<void()>& draw, const Calls& only, std::string* thrown) {
    Calls calls;
    g_calls = &calls;
    g_only = &only;
    try {
        draw();
    } catch (const char* message) {
        EXPECT_TRUE(thrown) << "unexpected throw: " << message;
        if (thrown)
            *thrown = message;
    }
    g_calls = nullptr;
    return calls;
}

std::vector<float> Feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    buffer.resize(std::size_t(std::max(glRenderMode(GL_RENDER), 0)));
    return buffer;
}

std::vector<std::vector<GLuint>> Select(const std::function<void()>& draw) {
    std::vector<GLuint> buffer(1 << 14);
    glSelectBuffer(GLsizei(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    draw();
    GLint depth = -1;
    glGetIntegerv(GL_NAME_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 0) << "name stack left pushed";
    std::vector<std::vector<GLuint>> hits(std::size_t(std::max(glRenderMode(GL_RENDER), 0)));
    for (std::size_t h = 0, i = 0; h < hits.size(); ++h, i += 3 + buffer[i])
        hits[h].assign(&buffer[i + 3], &buffer[i + 3] + buffer[i]);
    return hits;
}

MgGrFace* Square(MgObject& object) {
    MgFace* face = shapes::TwoFacetSquare(object);
    face->RebuildEdges();
    return dynamic_cast<MgGrFace*>(face);
}

template <class... A> void Log(const char* name, const A&... args) {
    std::ostringstream out;
    out << name;
    ((out << ' ' << args), ...);
    const auto named = [&](const std::string& only) { return Count({out.str()}, only); };
    if (g_calls && (g_only->empty() || std::any_of(g_only->begin(), g_only->end(), named)))
        g_calls->push_back(out.str());
}

} // namespace recorder

// The library's GL calls bind to these definitions, as the program's own symbols come first in
// the lookup order (the program exports them); each call is logged, then made on libGL's own.
#define FORWARD(name, params, args, ...)                                                           \
    extern "C" void name params {                                                                  \
        static auto real = reinterpret_cast<void(*) params>(dlsym(RTLD_NEXT, #name));              \
        recorder::Log(#name, ##__VA_ARGS__);                                                       \
        real args;                                                                                 \
    }
#define V(n) std::vector<float>(v, v + n)
FORWARD(glBegin, (GLenum m), (m), m)
FORWARD(glEnd, (), ())
FORWARD(glVertex3fv, (const GLfloat* v), (v), V(3))
FORWARD(glVertex4fv, (const GLfloat* v), (v), V(4))
FORWARD(glNormal3fv, (const GLfloat* v), (v), V(3))
FORWARD(glColor3fv, (const GLfloat* v), (v), V(3))
FORWARD(glColor4fv, (const GLfloat* v), (v), V(4))
FORWARD(glMaterialfv, (GLenum f, GLenum p, const GLfloat* v), (f, p, v), V(4))
FORWARD(glEnable, (GLenum c), (c), c)
FORWARD(glDepthFunc, (GLenum f), (f), f)
FORWARD(glNewList, (GLuint l, GLenum m), (l, m), l, m)
FORWARD(glEndList, (), ())
FORWARD(glCallList, (GLuint l), (l), l)
FORWARD(glDeleteLists, (GLuint l, GLsizei n), (l, n), l, n)
FORWARD(glPushName, (GLuint n), (n), n)
FORWARD(glPopName, (), ())
#undef V

extern "C" GLuint glGenLists(GLsizei range) {
    static auto real = reinterpret_cast<GLuint (*)(GLsizei)>(dlsym(RTLD_NEXT, "glGenLists"));
    const GLuint name = recorder::g_failGenLists ? 0 : real(range);
    recorder::Log("glGenLists", name);
    return name;
}

void Render::SetUp() {
    ASSERT_NO_THROW(glcontext::EnsureContext(64, 64)) << "no headless GL context";
    glPushAttrib(GL_ALL_ATTRIB_BITS);
}

void Render::TearDown() {
    for (GLenum what : {GL_ATTRIB_STACK_DEPTH, GL_MODELVIEW_STACK_DEPTH, GL_LIST_INDEX}) {
        GLint n = -1;
        glGetIntegerv(what, &n);
        EXPECT_EQ(n, what != GL_LIST_INDEX) << "left open: " << what;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    glPopAttrib();
    recorder::g_failGenLists = false;
}
