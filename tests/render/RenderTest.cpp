// Drawing with OpenGL in a headless context (Mesa's surfaceless EGL platform): render faces and
// facets, triangle strips, render objects and multi-objects, checked on the GL calls they make,
// which a recorder in front of libGL logs and passes on, and on what GL makes of them.
#include <dlfcn.h>

#include <EGL/egl.h>
#include <GL/gl.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Check.h"
#include "support/Shapes.h"

namespace {

using Calls = std::vector<std::string>; // GL calls as texts, e.g. "glBegin 5"
Calls* g_calls = nullptr;               // where calls are being recorded
const Calls* g_only = nullptr;          // the names to record, or empty for all
bool g_failGenLists = false;            // glGenLists returns 0, as GL does out of names

// How many calls are named `name` ("glBegin") or read `name` ("glBegin 2").
int Count(const Calls& calls, const std::string& name) {
    return int(std::count_if(calls.begin(), calls.end(), [&](const std::string& call) {
        return call.compare(0, name.size(), name) == 0 &&
               (call.size() == name.size() || call[name.size()] == ' ');
    }));
}

std::ostream& operator<<(std::ostream& out, const std::vector<float>& v) {
    for (const float& x : v)
        out << (&x == &v[0] ? "" : " ") << x;
    return out;
}

template <class... A> void Log(const char* name, const A&... args) {
    std::ostringstream out;
    out << name;
    ((out << ' ' << args), ...);
    const auto named = [&](const std::string& only) { return Count({out.str()}, only); };
    if (g_calls && (g_only->empty() || std::any_of(g_only->begin(), g_only->end(), named)))
        g_calls->push_back(out.str());
}

} // namespace

// The library's GL calls bind to these definitions, as the program's own symbols come first in
// the lookup order (the program exports them); each call is logged, then made on libGL's own.
#define FORWARD(name, params, args, ...)                                                           \
    extern "C" void name params {                                                                  \
        static auto real = reinterpret_cast<void(*) params>(dlsym(RTLD_NEXT, #name));              \
        Log(#name, ##__VA_ARGS__);                                                                 \
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
    const GLuint name = g_failGenLists ? 0 : real(range);
    Log("glGenLists", name);
    return name;
}

namespace {

// The calls that `draw` makes, those named in `only` or all. A message text thrown by `draw`
// goes to `thrown`, or fails the test.
Calls Record(const std::function<void()>& draw, const Calls& only = {},
             std::string* thrown = nullptr) {
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

// The GL_3D_COLOR feedback of `draw`: per primitive a token, then x, y, z, r, g, b, a per vertex.
std::vector<float> Feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    buffer.resize(std::size_t(std::max(glRenderMode(GL_RENDER), 0)));
    return buffer;
}

// The name stack of each hit of `draw` in GL_SELECT mode; the stack must end empty.
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

// Every test draws in a compatibility context on a 64 × 64 pbuffer; its GL state is undone
// afterwards, and it must leave no GL error, attribute, matrix or display list open.
class Render : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool ready = [] {
            setenv("EGL_PLATFORM", "surfaceless", 1);
            EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
            const EGLint attribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                      EGL_OPENGL_BIT,   EGL_DEPTH_SIZE,  16,
                                      EGL_NONE};
            const EGLint size[] = {EGL_WIDTH, 64, EGL_HEIGHT, 64, EGL_NONE};
            EGLConfig config = nullptr;
            EGLint count = 0;
            if (!eglInitialize(display, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API) ||
                !eglChooseConfig(display, attribs, &config, 1, &count) || count < 1)
                return false;
            // a context of the default version 1.0 has the compatibility profile
            EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
            EGLSurface surface = eglCreatePbufferSurface(display, config, size);
            return bool(eglMakeCurrent(display, surface, surface, context));
        }();
        ASSERT_TRUE(ready) << "no headless GL context";
        glPushAttrib(GL_ALL_ATTRIB_BITS);
    }
    void TearDown() override {
        for (GLenum what : {GL_ATTRIB_STACK_DEPTH, GL_MODELVIEW_STACK_DEPTH, GL_LIST_INDEX}) {
            GLint n = -1;
            glGetIntegerv(what, &n);
            EXPECT_EQ(n, what != GL_LIST_INDEX) << "left open: " << what;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glPopAttrib();
        g_failGenLists = false;
    }
};

MgRenderMode Mode(bool fill, bool edges) {
    return MgRenderMode{fill, edges};
}

std::vector<float> Colour(const float* c, int n = 3) {
    return std::vector<float>(c, c + n);
}

// The unit square (0, 0)-(1, 1) of two linked facets, with its boundary loop.
MgGrFace* Square(MgObject& object) {
    MgFace* face = shapes::TwoFacetSquare(object);
    face->RebuildEdges();
    return dynamic_cast<MgGrFace*>(face);
}

TEST_F(Render, ColoursFallBackFromCornerToFacetToFaceToObject) {
    MgGrObject object;
    object.SetColor(0.6f, 0.6f, 0.6f);
    MgGrFace* face = Square(object);
    auto* facet = dynamic_cast<MgGrFacet*>(face->FacetList().front());
    const std::vector<float> grey = {0.6f, 0.6f, 0.6f}, red = {1, 0, 0}, green = {0, 1, 0},
                             blue = {0, 0, 1};
    const unsigned index = object.ChangeIndex(), faceIndex = face->ChangeIndex();
    EXPECT_EQ(Colour(facet->Color(2)), grey);
    face->SetColor(red.data());
    facet->SetColor(0, 1, 0);
    EXPECT_EQ(Colour(facet->Color(2)), green);
    facet->SetVertexColor(0, 0, 0, 1);
    EXPECT_EQ(Colour(facet->Color()), red) << "the facet's own colour is out of force";
    EXPECT_EQ(Colour(facet->Color(0)), blue);
    facet->UnsetColor();
    EXPECT_EQ(Colour(facet->Color(0)), red);
    face->UnsetColor();
    EXPECT_EQ(Colour(face->Color()), grey);
    EXPECT_EQ(Colour(face->SelfColor()), red);
    // without a colour of its own the face leaves material and colour alone
    EXPECT_EQ(Record([&] { face->ApplyColor(false); }), (Calls{"glEnable 2896"}));
    face->SetColor1(grey.data()); // highlighted, a face of exactly 0.6 grey shows lighter
    face->ApplyColor(true);
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(Colour(current, 4), (std::vector<float>{0.9f, 0.9f, 0.9f, 0.5f}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    face->SetColorChanged(2);
    face->SetColorChanged(0);
    EXPECT_EQ(face->GetColorChanged(), 2) << "2 is for good";
    EXPECT_EQ(object.ChangeIndex(), index + 2) << "SetColor and UnsetColor only, one step each";
    EXPECT_EQ(face->ChangeIndex(), faceIndex);
    EXPECT_THROW_TEXT(facet->Color(3), "Corner index out of range");
    MgObject plain; // without a render object above, the colour is white
    EXPECT_EQ(Colour((new MgGrFace(&plain))->Color()), (std::vector<float>{1, 1, 1}));
}

TEST_F(Render, EdgesAreUnlitLoopsFacetsPointsAndPrismsWalls) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    const float red[3] = {1, 0, 0};
    face->SetColor1(red);
    glDepthFunc(GL_GREATER);
    glEnable(GL_LIGHTING);
    for (float white : {0, 1}) {
        face->Highlight(white);
        const std::vector<float> lines = Feedback([&] { face->DrawEdges(); });
        ASSERT_EQ(lines.size(), 4u * 15) << "a closed loop of four lines";
        EXPECT_EQ(Colour(&lines[4], 4), (std::vector<float>{1, white, white, 1}));
    }
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depth);
    EXPECT_EQ(depth, GL_GREATER);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    const auto* facet = dynamic_cast<const MgGrFacet*>(face->FacetList().front());
    EXPECT_EQ(Feedback([&] { facet->Draw(false); }).size(), 3u * 8) << "three points";
    // walls down from the loop (0, 0, 1), (1, 0, 1), (1, 1, 1), (0, 1, 1); none from an empty one
    face = dynamic_cast<MgGrFace*>(object.NewFace());
    face->NewEdge();
    MgEdge* loop = face->NewEdge();
    for (int i = 0; i < 4; ++i)
        loop->AddVertex(shapes::AddVertex(face, float(i == 1 || i == 2), float(i >= 2), 1));
    const Calls walls = Record([&] { face->DrawPrism(CGeoVector(0, 0, 2), 0); });
    ASSERT_EQ(walls.size(), 4u * 7) << "a strip of four vertices per wall, nothing else";
    EXPECT_EQ(Calls(walls.begin() + 1, walls.begin() + 6),
              (Calls{"glNormal3fv -1 0 0", "glVertex3fv 0 1 0", "glVertex3fv 0 1 1",
                     "glVertex3fv 0 0 0", "glVertex3fv 0 0 1"}));
}

TEST_F(Render, DisplayListsAreCompiledOnceAndReplayedUntilAChange) {
    auto* object = new MgGrObject;
    MgGrFace* face = Square(*object);
    const Calls lists = {"glGenLists", "glNewList", "glCallList", "glBegin"};
    auto fill = [&] { return Record([&] { object->DrawFill(); }, lists); };
    g_failGenLists = true; // without a name: triangles drawn directly, and a name asked again
    EXPECT_EQ(fill(), (Calls{"glGenLists 0", "glBegin 4", "glBegin 4"}));
    g_failGenLists = false;
    const Calls first = Record([&] { object->DrawFill(); },
                               {"glMaterialfv", "glColor3fv", "glDepthFunc", "glGenLists",
                                "glNewList", "glEnable", "glPushName", "glBegin", "glEndList"});
    ASSERT_EQ(first.size(), 11u);
    const std::string list = first[3].substr(11), compile = "glNewList " + list + " 4865";
    EXPECT_EQ(first, (Calls{"glMaterialfv 1 1 1 0.5", "glColor3fv 1 1 1", "glDepthFunc 513",
                            "glGenLists " + list, compile, "glEnable 2896",
                            "glPushName " + std::to_string(face->SelectionName()),
                            "glBegin 5" /* one strip */, "glEndList", "glDepthFunc 515",
                            "glDepthFunc 513"}));
    EXPECT_EQ(fill(), (Calls{"glCallList " + list}));
    const float red[3] = {1, 0, 0};
    face->SetColor(red);
    EXPECT_EQ(fill(), (Calls{compile, "glBegin 5"}));
    face->UnsetColor();
    EXPECT_EQ(fill(), (Calls{compile, "glBegin 5"}));
    object->SetColor(0, 1, 0); // neither the object's colour nor the use-strip flag is listed
    object->SetUseStrip(false);
    EXPECT_EQ(Record([&] { object->DrawFill(); }, {"glCallList", "glColor3fv"}),
              (Calls{"glColor3fv 0 1 0", "glCallList " + list}));
    face->PostChange();
    EXPECT_EQ(fill(), (Calls{compile, "glBegin 4", "glBegin 4"}));
    // a face drawn alone has a list of its own, of triangles
    auto draw = [&](bool fill, bool edges) {
        return Record([&] { face->Draw(Mode(fill, edges)); }, lists);
    };
    const std::string own = draw(true, false)[0].substr(11);
    EXPECT_EQ(draw(true, true), (Calls{"glCallList " + own, "glBegin 2"}));
    face->PostChange();
    EXPECT_EQ(draw(true, false), (Calls{"glNewList " + own + " 4865", "glBegin 4", "glBegin 4"}));
    EXPECT_TRUE(glIsList(std::stoul(list)) && glIsList(std::stoul(own)));
    EXPECT_EQ(Record([&] { delete object; }),
              (Calls{"glDeleteLists " + list + " 1", "glDeleteLists " + own + " 1"}));
    EXPECT_FALSE(glIsList(std::stoul(list)) || glIsList(std::stoul(own)));
    MgGrObject empty; // an object without faces still compiles a list
    EXPECT_EQ(Count(Record([&] { empty.DrawFill(); }), "glEndList"), 1);
}

TEST_F(Render, SelectionNamesIdentifyLiveFaces) {
    MgGrObject object;
    MgGrFace* a = Square(object);
    MgGrFace* b = Square(object);
    const auto hits = Select([&] {
        a->DrawFill();
        b->DrawEdges();
    });
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(MgGrFace::FromSelectionName(hits[0].back()), a);
    EXPECT_EQ(MgGrFace::FromSelectionName(hits[1].back()), b);
    const GLuint dead = b->SelectionName();
    delete b;
    EXPECT_EQ(MgGrFace::FromSelectionName(dead), nullptr);
    EXPECT_EQ(MgGrFace::FromSelectionName(0), nullptr);
    EXPECT_NE(Square(object)->SelectionName(), dead) << "a freed name is not reused at once";
}

// Items of another kind: the message, what was done before it, and the GL state closed or
// restored (the name stack is checked by Select, the rest after each test).
TEST_F(Render, ItemsOfAnotherKindAreRefusedAndTheGlStateRestored) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    auto thrown = [&] {
        std::string message;
        Select([&] {
            EXPECT_EQ(Count(Record([&] { face->DrawFill(); }, {}, &message), "glVertex4fv"), 6)
                << "the facets before the bad one are drawn";
        });
        return message;
    };
    MgFacet* incomplete = face->NewFacet();
    EXPECT_EQ(thrown(), "Incomplete facet in structure MgGrFacet");
    delete incomplete;
    new MgFacet(face);
    EXPECT_EQ(thrown(), "Incompatible members in structure MgGrFace");
    delete face;
    face = Square(object);
    new MgFace(&object);
    object.HighlightAll(true);
    EXPECT_TRUE(face->Highlighted());
    EXPECT_THROW_TEXT(object.SetSelectable(false), "Incompatible member in structure MgGrObject");
    EXPECT_THROW_TEXT(object.DrawEdges(), "Incompatible members in structure MgGrObject");
    glDepthFunc(GL_GREATER);
    for (bool listed : {true, true, false}) { // a failed compilation compiles again
        MgGrObject direct;
        new MgFace(&direct);
        g_failGenLists = !listed;
        std::string thrown;
        const auto draw = [&] { (listed ? object : direct).Draw(Mode(true, false)); };
        EXPECT_EQ(Count(Record(draw, {}, &thrown), "glNewList"), int(listed));
        EXPECT_EQ(thrown, "Incompatible members in structure MgGrObject");
        GLint depth = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &depth);
        EXPECT_EQ(depth, GL_GREATER);
    }
}

// Strip vertices as the texts "x y z 1" of their positions.
using Strips = std::vector<std::vector<std::string>>;

std::string At(const MgFacet* f, int corner) {
    const CGeoVector& p = f->Vertex(corner % 3)->Vertex();
    std::ostringstream out;
    out << p.x << ' ' << p.y << ' ' << p.z << " 1";
    return out.str();
}

Strips StripsOf(const MgFace* face) {
    Strips strips;
    const auto draw = [&] { dynamic_cast<const MgGrFace*>(face)->DrawFillStrip(); };
    for (const std::string& call : Record(draw, {"glBegin", "glVertex4fv"}))
        if (call == "glBegin 5")
            strips.emplace_back();
        else
            strips.back().push_back(call.substr(12));
    return strips;
}

// The strips as the algorithm states them: an ordered set of pending facets and aux marks.
Strips LiteralStrips(const MgFace* face) {
    std::set<const MgFacet*> pending(face->FacetList().begin(), face->FacetList().end());
    for (const MgFacet* f : pending)
        f->SetAuxData(reinterpret_cast<void*>(1));
    Strips strips;
    while (!pending.empty()) {
        const MgFacet* f = *pending.begin();
        int s = f->Neighbor(1) ? 0 : f->Neighbor(2) ? 1 : f->Neighbor(0) ? 2 : 3;
        strips.push_back({At(f, s), At(f, s + 1)});
        for (int k = 1; f; k = 3 - k) {
            const MgFacet* g = f->Neighbor((k + s) % 3);
            strips.back().push_back(At(f, s + 2));
            f->SetAuxData(nullptr);
            pending.erase(f);
            for (s = 0; g && s < 3 && g->Neighbor(s) != f;)
                ++s;
            f = g && g->AuxData() && pending.count(g) && s < 3 ? g : nullptr;
        }
    }
    return strips;
}

// The two-facet example: A = (a0, a1, a2) and B = (a2, a1, b2) linked across a1-a2, with
// a0 = (0, 0), a1 = (1, 0), a2 = (0, 1), b2 = (1, 1).
void MakeExample(MgFace* face, MgFacet* a, MgFacet* b) {
    MgVertex* v[4] = {shapes::AddVertex(face, 0, 0), shapes::AddVertex(face, 1, 0),
                      shapes::AddVertex(face, 0, 1), shapes::AddVertex(face, 1, 1)};
    const int bCorners[3] = {2, 1, 3};
    for (int i = 0; i < 3; ++i) {
        a->SetVertex(i, v[i]);
        b->SetVertex(i, v[bCorners[i]]);
    }
    a->SetNeighbor(1, b, 0);
}

TEST_F(Render, StripsStartAtTheFirstLinkedSideAndColourEveryCorner) {
    MgGrObject object;
    auto* face = dynamic_cast<MgGrFace*>(object.NewFace());
    const auto draw = [&] { face->DrawFillStrip(); };
    EXPECT_EQ(Record(draw),
              (Calls{"glPushName " + std::to_string(face->SelectionName()), "glPopName"}));
    MgFacet* ab[2] = {face->NewFacet(), face->NewFacet()};
    std::sort(ab, ab + 2, std::less<MgFacet*>()); // A at the lower address
    MakeExample(face, ab[0], ab[1]);
    const std::string a0 = "0 0 0 1", a1 = "1 0 0 1", a2 = "0 1 0 1", b2 = "1 1 0 1";
    EXPECT_EQ(StripsOf(face), (Strips{{a0, a1, a2, b2}}));
    // a vertex-coloured facet colours each corner, another applies its own colour once
    for (int i = 0; i < 3; ++i)
        dynamic_cast<MgGrFacet*>(ab[0])->SetVertexColor(i, i == 0, i == 1, i == 2);
    dynamic_cast<MgGrFacet*>(ab[1])->SetColor(0.25f, 0.5f, 0.75f);
    EXPECT_EQ(
        Record(draw, {"glMaterialfv", "glColor3fv", "glVertex4fv"}),
        (Calls{"glMaterialfv 1 0 0 0.5", "glVertex4fv " + a0, "glMaterialfv 0 1 0 0.5",
               "glVertex4fv " + a1, "glMaterialfv 0 0 1 0.5", "glVertex4fv " + a2,
               "glMaterialfv 0.25 0.5 0.75 0.5", "glColor3fv 0.25 0.5 0.75", "glVertex4fv " + b2}));
    face->Highlight(true); // a vertex colour then becomes the current colour too
    EXPECT_EQ(Count(Record(draw), "glColor4fv"), 3);
    ab[1]->SetNeighbor(0, nullptr); // B's back link missing
    EXPECT_EQ(StripsOf(face), (Strips{{a0, a1, a2}, {a2, a1, b2}}));
    delete ab[1];
    EXPECT_EQ(StripsOf(face), (Strips{{a0, a1, a2}}));
    // the only neighbour, in another face, at slot 0: the strip starts at corner 2
    ab[0]->SetNeighbor(0, shapes::TwoFacetSquare(object)->FacetList().front());
    EXPECT_EQ(StripsOf(face), (Strips{{a2, a0, a1}}));
    ab[0]->SetNeighbor(0, nullptr);
}

// A facet of another kind, of a render facet's size so that both come from the same heap bins.
struct PlainFacet : MgFacet {
    using MgFacet::MgFacet;
    char pad[sizeof(MgGrFacet) - sizeof(MgFacet)] = {};
};

TEST_F(Render, StripEnteringANonRenderFacetThrowsAndIsClosed) {
    MgGrObject object;
    auto* face = dynamic_cast<MgGrFace*>(object.NewFace());
    MgFacet* a = face->NewFacet(); // and a plain facet B above its address
    std::vector<MgFacet*> plain = {new PlainFacet(face)};
    while (plain.size() < 64 && std::less<MgFacet*>()(plain.back(), a))
        plain.push_back(new PlainFacet(face));
    std::for_each(plain.begin(), plain.end() - 1, [](MgFacet* f) { delete f; });
    ASSERT_TRUE(std::less<MgFacet*>()(a, plain.back()));
    MakeExample(face, a, plain.back());
    std::string thrown;
    Select([&] {
        EXPECT_EQ(Count(Record([&] { face->DrawFillStrip(); }, {}, &thrown), "glVertex4fv"), 3);
    });
    EXPECT_EQ(thrown, "Incompatible member in structure MgGrFace");
    EXPECT_EQ(a->AuxData(), nullptr);
    EXPECT_NE(plain.back()->AuxData(), nullptr);
}

// A host's render facet with data of its own ahead of the render part: from its facet part, the
// render part lies at another offset than in a plain render facet.
struct Ballast {
    double weight[5] = {1, 2, 3, 4, 5};
    virtual ~Ballast() = default;
};
struct BallastFacet : Ballast, MgGrFacet {
    explicit BallastFacet(MgFace* face) : MgFacet(face), MgGrFacet(face) {}
};

// A triangle as the rotation of its vertices that starts at the least one.
std::vector<std::string> Canonical(std::vector<std::string> t) {
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    return t;
}

// Random shapes, facet addresses and links: the strips equal those of the literal walk, and with
// the links as built they hold every facet once, in its own winding.
TEST_F(Render, StripsEqualThoseOfTheLiteralWalk) {
    std::mt19937 random(20240611);
    MgGrObject others; // a facet of another face, marked as if pending
    MgFacet* foreign = shapes::TwoFacetSquare(others)->FacetList().front();
    foreign->SetAuxData(reinterpret_cast<void*>(1));
    for (int round = 0; round < 90; ++round) {
        MgGrObject object;
        MgFace* face = round % 3 == 0   ? shapes::Tetrahedron(object)
                       : round % 3 == 1 ? shapes::OpenFan(object, 3 + round % 8)
                                        : shapes::Grid(object, 1 + round % 7, 1 + round % 5);
        // the facets made again in random order, so that list and address order differ
        std::vector<MgFacet*> facets(face->FacetList().begin(), face->FacetList().end());
        std::shuffle(facets.begin(), facets.end(), random);
        // in some rounds, mixed with render facets of another class
        const bool mixed = round % 4 == 1;
        for (MgFacet*& f : facets) {
            MgFacet* again = nullptr;
            if (mixed && random() % 2) {
                again = new BallastFacet(face);
                for (int i = 0; i < 3; ++i)
                    again->SetVertex(i, f->Vertex(i));
            } else {
                again = shapes::AddFacet(face, f->Vertex(0), f->Vertex(1), f->Vertex(2));
            }
            delete f;
            f = again;
        }
        face->RebuildEdges();
        const bool asBuilt = round % 2;
        for (MgFacet* f : facets) { // broken, one-sided, foreign and nonsense links
            const int slot = int(random() % 3), what = asBuilt ? 9 : int(random() % 6);
            if (what == 1)
                f->SetNeighbor(slot, foreign, 0); // and back
            else if (what < 3)
                f->SetNeighbor(slot, what ? facets[random() % facets.size()] : nullptr);
            else if (what == 3)
                f->RemoveNeighbor(f->Neighbor(slot));
        }
        const Strips strips = StripsOf(face);
        ASSERT_EQ(strips, LiteralStrips(face)) << "round " << round;
        std::multiset<std::vector<std::string>> drawn, own; // GL flips every second triangle
        for (const auto& s : strips)
            for (std::size_t t = 0; t + 2 < s.size(); ++t)
                drawn.insert(Canonical({s[t + t % 2], s[t + 1 - t % 2], s[t + 2]}));
        for (const MgFacet* f : facets) {
            own.insert(Canonical({At(f, 0), At(f, 1), At(f, 2)}));
            ASSERT_EQ(f->AuxData(), nullptr);
        }
        EXPECT_EQ(drawn.size(), facets.size());
        EXPECT_TRUE(!asBuilt || drawn == own) << "round " << round;
        foreign->SetNeighbor(0, nullptr); // a face going drops only its own facets' links
    }
}

TEST_F(Render, HighlightsAndRecolouringShowOverTheListAtTheSameDepth) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    MgGrFace* other = Square(object);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    Calls calls;
    auto pixel = [&] { // the colour inside the square, drawn afresh
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        calls = Record([&] { object.DrawFill(); }, {"glNewList", "glPushName"});
        unsigned char rgb[3] = {};
        glReadPixels(40, 40, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        return std::string{rgb[0] > 200 ? 'r' : '-', rgb[1] > 200 ? 'g' : '-',
                           rgb[2] > 200 ? 'b' : '-'};
    };
    const float red[3] = {1, 0, 0};
    EXPECT_EQ(pixel(), "rgb");
    face->SetColor1(red);
    face->SetColorChanged(1);
    other->SetColorChanged(-1);
    EXPECT_EQ(pixel(), "r--");
    EXPECT_EQ(calls, (Calls{"glPushName " + std::to_string(face->SelectionName())}));
    face->SetColorChanged(0);
    EXPECT_EQ(pixel(), "rgb") << "the list holds the old colour";
    EXPECT_TRUE(calls.empty());
    face->SetColor(red);
    EXPECT_EQ(pixel(), "r--");
    EXPECT_EQ(Count(calls, "glNewList"), 1) << "compiled again";
    other->Highlight(true);
    pixel();
    EXPECT_EQ(calls, (Calls{"glPushName " + std::to_string(other->SelectionName())}));
}

TEST_F(Render, MultiObjectDrawsTransparentPartsFirstThenTheOthersThenUnprocessed) {
    CMgGrMultiObject multi;
    EXPECT_TRUE(Record([&] { multi.Draw(Mode(true, true)); }).empty()) << "nothing before Init";
    multi.Init();
    auto* unprocessed = dynamic_cast<MgGrObject*>(multi.UnprocessedObject());
    ASSERT_NE(unprocessed, nullptr);
    Square(*unprocessed);
    unprocessed->SetColor(0.5f, 0.5f, 0.5f);
    for (float grey : {0.1f, 0.2f, 0.3f, 0.4f}) {
        auto* part = dynamic_cast<MgGrObject*>(multi.NewObject());
        Square(*part);
        part->SetColor(grey, grey, grey);
        part->SetTransparent(grey == 0.1f || grey == 0.3f);
        multi.AddObject(part);
        multi.AddObject(grey == 0.2f ? new MgObject : nullptr); // not drawn
    }
    // the colours of the objects drawn ("0.2" from a fill, "0.2|" from an outline)
    std::string thrown;
    auto drawn = [&](bool fill, bool edges) {
        std::string out;
        const auto draw = [&] { multi.Draw(Mode(fill, edges)); };
        for (const std::string& call : Record(draw, {"glColor3fv", "glBegin 2"}, &thrown))
            out += call == "glBegin 2" ? "|" : " " + call.substr(11, 3);
        return out;
    };
    EXPECT_EQ(drawn(true, false), " 0.3| 0.1| 0.2 0.4 0.5 0.5|");
    EXPECT_EQ(drawn(false, false), " 0.3| 0.1| 0.5|");
    EXPECT_EQ(drawn(false, true), " 0.3| 0.1| 0.2| 0.4| 0.5|");
    EXPECT_EQ(thrown, "");
    new MgFace(multi.PartObject(2)); // the part of 0.2 now fails, which ends the drawing
    EXPECT_EQ(drawn(false, true), " 0.3| 0.1| 0.2|");
    EXPECT_EQ(thrown, "Incompatible members in structure MgGrObject");
}

} // namespace
