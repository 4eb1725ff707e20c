// The sphere's drawing as the benchmarks measure it: the view (a 640 x 480 frame, lit,
// depth-tested), a frame of a render object, and the raw display list it is compared with, the
// same facets as greedy triangle strips sent by glNormal3fv + glVertex3fv. Needs a current GL
// context (glcontext::EnsureContext).
#pragma once

#include <GL/gl.h>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "Seconds.h"
#include "SphereGen.h"
#include "mgmesh/mgmesh.h"

namespace bench {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

/// Triangle strips over the indexed sphere, built greedily along shared sides from the first
/// facet on: the raw list's content, independent of the library's strip builder.
inline std::vector<std::vector<int>> Strips(const Icosphere& s) {
    const int n = s.Facets();
    std::unordered_map<std::uint64_t, int> bySide; // directed side -> facet
    bySide.reserve(std::size_t(3 * n));
    auto key = [](int a, int b) {
        return std::uint64_t(std::uint32_t(a)) << 32 | std::uint32_t(b);
    };
    const int* t = s.triangles.data();
    for (int f = 0; f < n; ++f)
        for (int k = 0; k < 3; ++k)
            bySide[key(t[3 * f + k], t[3 * f + (k + 1) % 3])] = f;
    std::vector<char> used(std::size_t(n), 0);
    std::vector<std::vector<int>> strips;
    for (int first = 0; first < n; ++first) {
        if (used[std::size_t(first)])
            continue;
        std::vector<int> strip(t + 3 * first, t + 3 * first + 3);
        used[std::size_t(first)] = 1;
        for (;;) {
            // GL winds the triangles of a strip alternately; the next one must hold the last
            // side in the direction that its place in the strip gives it
            const std::size_t m = strip.size();
            const int p = strip[m - 2], q = strip[m - 1];
            const bool even = (m - 2) % 2 == 0;
            auto it = bySide.find(even ? key(p, q) : key(q, p));
            if (it == bySide.end() || used[std::size_t(it->second)])
                break;
            const int g = it->second;
            int third = t[3 * g];
            for (int k = 0; k < 3; ++k)
                if (t[3 * g + k] != p && t[3 * g + k] != q)
                    third = t[3 * g + k];
            strip.push_back(third);
            used[std::size_t(g)] = 1;
        }
        strips.push_back(std::move(strip));
    }
    return strips;
}

/// The sphere of radius 100 seen whole in the frame, lit and depth-tested.
inline void SetSphereView() {
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-140, 140, -105, 105, -200, 200);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

/// One frame of the render object (clear, fill, wait for the picture), in seconds.
inline double LibraryFrame(const MgGrObject& object) {
    const Clock::time_point start = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    MgRenderMode mode{};
    mode.fill = 1;
    object.Draw(mode);
    glFinish();
    return Since(start);
}

/// The raw list of strips over a sphere that outlives it, with radial normals.
class RawStrips {
public:
    explicit RawStrips(const Icosphere& sphere)
        : m_sphere(sphere), m_strips(Strips(sphere)), m_list(glGenLists(1)) {
        m_normals.reserve(sphere.points.size());
        for (const CGeoVector& p : sphere.points)
            m_normals.push_back(p.Unit());
    }
    ~RawStrips() { glDeleteLists(m_list, 1); }
    RawStrips(const RawStrips&) = delete;
    RawStrips& operator=(const RawStrips&) = delete;

    /// A frame that compiles the list while drawing it, as a render object's first frame does.
    double FirstFrame() const {
        const Clock::time_point start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glNewList(m_list, GL_COMPILE_AND_EXECUTE);
        for (const std::vector<int>& strip : m_strips) {
            glBegin(GL_TRIANGLE_STRIP);
            for (int v : strip) {
                glNormal3fv(&m_normals[std::size_t(v)].x);
                glVertex3fv(&m_sphere.points[std::size_t(v)].x);
            }
            glEnd();
        }
        glEndList();
        glFinish();
        return Since(start);
    }
    /// A frame that replays the list FirstFrame compiled.
    double ReplayFrame() const {
        const Clock::time_point start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(m_list);
        glFinish();
        return Since(start);
    }

private:
    const Icosphere& m_sphere;
    std::vector<std::vector<int>> m_strips;
    std::vector<CGeoVector> m_normals;
    GLuint m_list;
};

} // namespace bench
