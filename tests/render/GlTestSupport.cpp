// Render test support: the EGL context, the GL call recorder and the mesh helpers.
#include "GlTestSupport.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <utility>

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace gltest {

std::string EnsureContext() {
    static std::string failure = [] {
        auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getDisplay)
            return std::string("eglGetPlatformDisplayEXT is missing");
        EGLDisplay display =
            getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        EGLint major = 0, minor = 0;
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
            return std::string("the EGL surfaceless platform is unavailable");
        if (!eglBindAPI(EGL_OPENGL_API))
            return std::string("EGL cannot bind desktop OpenGL");
        const EGLint configAttribs[] = {EGL_SURFACE_TYPE,
                                        EGL_PBUFFER_BIT,
                                        EGL_RENDERABLE_TYPE,
                                        EGL_OPENGL_BIT,
                                        EGL_RED_SIZE,
                                        8,
                                        EGL_GREEN_SIZE,
                                        8,
                                        EGL_BLUE_SIZE,
                                        8,
                                        EGL_ALPHA_SIZE,
                                        8,
                                        EGL_DEPTH_SIZE,
                                        16,
                                        EGL_NONE};
        EGLConfig config = nullptr;
        EGLint count = 0;
        if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1)
            return std::string("no pbuffer config for desktop OpenGL");
        const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
        EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
        if (context == EGL_NO_CONTEXT)
            return std::string("no compatibility-profile context");
        const EGLint surfaceAttribs[] = {EGL_WIDTH, 64, EGL_HEIGHT, 64, EGL_NONE};
        EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
        if (surface == EGL_NO_SURFACE || !eglMakeCurrent(display, surface, surface, context))
            return std::string("cannot make the context current");
        return std::string();
    }();
    return failure;
}

void GlTest::SetUp() {
    const std::string failure = EnsureContext();
    ASSERT_EQ(failure, "") << "the render tests need a headless GL context";
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDepthFunc(GL_LESS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glColor4f(1, 1, 1, 1);
    while (glGetError() != GL_NO_ERROR) {
    }
}

void GlTest::TearDown() {
    GLint attribDepth = -1, matrixDepth = -1, list = -1;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &attribDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &matrixDepth);
    glGetIntegerv(GL_LIST_INDEX, &list);
    EXPECT_EQ(attribDepth, 0) << "attribute stack left pushed";
    EXPECT_EQ(matrixDepth, 1) << "matrix stack left pushed";
    EXPECT_EQ(list, 0) << "display list left open";
    FailGenLists(false);
}

std::string Call::Text() const {
    std::ostringstream out;
    out << name;
    for (float a : args) {
        if (a == std::floor(a) && std::fabs(a) < 1e9f)
            out << ' ' << static_cast<long long>(a); // enums, names and masks in full
        else
            out << ' ' << a;
    }
    return out.str();
}

std::vector<std::string> Texts(const std::vector<Call>& calls,
                               const std::vector<std::string>& names) {
    std::vector<std::string> texts;
    for (const Call& call : calls) {
        bool wanted = names.empty();
        for (const std::string& n : names)
            wanted = wanted || n == call.name;
        if (wanted)
            texts.push_back(call.Text());
    }
    return texts;
}

int Count(const std::vector<Call>& calls, const std::string& name) {
    int n = 0;
    for (const Call& call : calls)
        n += call.name == name;
    return n;
}

std::vector<std::vector<CGeoVector>> Blocks(const std::vector<Call>& calls) {
    std::vector<std::vector<CGeoVector>> blocks;
    for (const Call& call : calls) {
        if (call.name == "glBegin")
            blocks.emplace_back();
        else if ((call.name == "glVertex4fv" || call.name == "glVertex3fv") && !blocks.empty())
            blocks.back().push_back(CGeoVector(call.args[0], call.args[1], call.args[2]));
    }
    return blocks;
}

std::vector<Primitive> Feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    std::vector<Primitive> primitives;
    auto vertex = [&](GLint& i) {
        std::vector<float> v(buffer.begin() + i, buffer.begin() + i + 7);
        i += 7;
        return v;
    };
    for (GLint i = 0; i < used;) {
        const GLenum token = GLenum(buffer[i++]);
        Primitive p{token, {}};
        int n = 0;
        if (token == GL_POLYGON_TOKEN)
            n = int(buffer[i++]);
        else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
            n = 2;
        else if (token == GL_POINT_TOKEN)
            n = 1;
        else
            ++i; // a pass-through value
        for (int k = 0; k < n; ++k)
            p.vertices.push_back(vertex(i));
        primitives.push_back(p);
    }
    return primitives;
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
    const GLint hits = glRenderMode(GL_RENDER);
    EXPECT_GE(hits, 0) << "selection buffer overflow";
    std::vector<std::vector<GLuint>> records;
    for (GLint h = 0, i = 0; h < hits; ++h) {
        const GLuint count = buffer[i];
        records.emplace_back(buffer.begin() + i + 3, buffer.begin() + i + 3 + count);
        i += 3 + count;
    }
    return records;
}

void LinkNeighbors(MgFace* face) {
    std::map<std::pair<MgVertex*, MgVertex*>, std::pair<MgFacet*, int>> sides;
    for (MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            sides[{f->Vertex(i), f->Vertex((i + 1) % 3)}] = {f, i};
    for (MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            auto it = sides.find({f->Vertex((i + 1) % 3), f->Vertex(i)});
            if (it != sides.end())
                f->SetNeighbor(i, it->second.first, it->second.second);
        }
}

MgEdge* AddLoop(MgFace* face, const std::vector<MgVertex*>& loop) {
    MgEdge* edge = face->NewEdge();
    for (MgVertex* v : loop)
        edge->AddVertex(v);
    return edge;
}

void Unlink(MgFace* face) {
    for (MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            f->SetNeighbor(i, nullptr);
}

} // namespace gltest
