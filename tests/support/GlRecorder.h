// Drawing tests in a headless context: a recorder in front of libGL that logs the library's GL
// calls as texts and passes them on, GL's feedback and selection modes, and the test fixture.
#pragma once

#include <GL/gl.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"

namespace recorder {

using Calls = std::vector<std::string>; // GL calls as texts, e.g. "glBegin 5"

extern bool g_failGenLists; // glGenLists returns 0, as GL does out of names

/// How many calls are named `name` ("glBegin") or read `name` ("glBegin 2").
int Count(const Calls& calls, const std::string& name);

/// The calls that `draw` makes, those named in `only` or all. A message text thrown by `draw`
/// goes to `thrown`, or fails the test.
Calls Record(const std::function<void()>& draw, const Calls& only = {},
             std::string* thrown = nullptr);

/// The GL_3D_COLOR feedback of `draw`: per primitive a token, then x, y, z, r, g, b, a per vertex.
std::vector<float> Feedback(const std::function<void()>& draw);

/// The name stack of each hit of `draw` in GL_SELECT mode; the stack must end empty.
std::vector<std::vector<GLuint>> Select(const std::function<void()>& draw);

inline std::vector<float> Colour(const float* c, int n = 3) {
    return std::vector<float>(c, c + n);
}

/// The unit square (0, 0)-(1, 1) of two linked facets, with its boundary loop.
MgGrFace* Square(MgObject& object);

} // namespace recorder

/// Every test draws in a compatibility context on a 64 × 64 pbuffer; its GL state is undone
/// afterwards, and it must leave no GL error, attribute, matrix or display list open.
class Render : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
