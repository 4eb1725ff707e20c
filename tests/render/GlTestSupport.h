// Render test support: a headless GL context, a recorder of the library's GL calls, mesh helpers.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"

namespace gltest {

/// Makes a compatibility-profile context current on a 64 × 64 pbuffer of EGL's surfaceless
/// platform (Mesa llvmpipe), once per process. Returns an explanation when that is impossible.
std::string EnsureContext();

/// Every render test: a current context with the state that the tests rely on (a projection of
/// the cube [-2, 2]³ onto the 64 × 64 surface, identity modelview, depth function GL_LESS, depth
/// test and lighting off, no GL error). Afterwards the attribute, matrix and list state is checked.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

/// One GL call made while recording, e.g. "glVertex4fv 1 0 0 1" or "glBegin 5".
struct Call {
    std::string name;
    std::vector<float> args;
    std::string Text() const;
};

/// Records the GL calls of `draw` (the library's and the test's) made through the functions
/// that this test program interposes in front of libGL; each call is forwarded to the real GL.
/// A message text thrown by `draw` goes to `thrown` (rethrown when that is null).
std::vector<Call> Record(const std::function<void()>& draw, std::string* thrown = nullptr);
/// The texts of the calls whose name is one of `names` (all when empty).
std::vector<std::string> Texts(const std::vector<Call>& calls,
                               const std::vector<std::string>& names = {});
/// How many calls are named `name`.
int Count(const std::vector<Call>& calls, const std::string& name);
/// Makes the next glGenLists calls return 0 without reaching GL, as GL does when it has no name.
void FailGenLists(bool fail);

/// For each glBegin ... glEnd, the positions of its glVertex4fv and glVertex3fv calls.
std::vector<std::vector<CGeoVector>> Blocks(const std::vector<Call>& calls);

/// A primitive from GL feedback (GL_3D_COLOR): its token and vertices (x, y, z, r, g, b, a).
struct Primitive {
    GLenum token;
    std::vector<std::vector<float>> vertices;
};
/// Draws `draw` in GL_FEEDBACK mode and parses the buffer.
std::vector<Primitive> Feedback(const std::function<void()>& draw);
/// Draws `draw` in GL_SELECT mode; returns the names of every hit record, innermost last.
std::vector<std::vector<GLuint>> Select(const std::function<void()>& draw);

/// Links every pair of facets of `face` that hold a side in opposite directions, both ways.
void LinkNeighbors(MgFace* face);
/// Appends a boundary edge through `loop` to the face.
MgEdge* AddLoop(MgFace* face, const std::vector<MgVertex*>& loop);
/// Empties every neighbour slot of the face's facets (one-sided links would dangle on deletion).
void Unlink(MgFace* face);

inline MgRenderMode Mode(bool fill, bool edges) {
    MgRenderMode mode{};
    mode.fill = fill;
    mode.edges = edges;
    return mode;
}

} // namespace gltest

inline void PrintTo(const CGeoVector& v, std::ostream* out) {
    *out << '(' << v.x << ", " << v.y << ", " << v.z << ')';
}
