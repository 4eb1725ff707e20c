// Scope guards that close the GL state a drawing operation opens, also when it throws.
#pragma once

#include <GL/gl.h>

namespace mgmesh::detail {

/// The name a display list holds while it has none; GL never uses it for a valid list here.
constexpr GLuint kNoList = 1281;

/// glBegin now, glEnd when the scope ends.
class GlBeginEnd {
public:
    explicit GlBeginEnd(GLenum mode) { glBegin(mode); }
    ~GlBeginEnd() { glEnd(); }
    GlBeginEnd(const GlBeginEnd&) = delete;
    GlBeginEnd& operator=(const GlBeginEnd&) = delete;
};

/// glPushName now, glPopName when the scope ends.
class GlNameScope {
public:
    explicit GlNameScope(GLuint name) { glPushName(name); }
    ~GlNameScope() { glPopName(); }
    GlNameScope(const GlNameScope&) = delete;
    GlNameScope& operator=(const GlNameScope&) = delete;
};

/// Saves the depth function now and sets it back when the scope ends.
class GlDepthFuncScope {
public:
    GlDepthFuncScope() { glGetIntegerv(GL_DEPTH_FUNC, &m_saved); }
    ~GlDepthFuncScope() { glDepthFunc(static_cast<GLenum>(m_saved)); }
    GlDepthFuncScope(const GlDepthFuncScope&) = delete;
    GlDepthFuncScope& operator=(const GlDepthFuncScope&) = delete;

private:
    GLint m_saved = GL_LESS;
};

/// glNewList now; End() closes the list, and so does the end of the scope when End() was not
/// reached (the list then holds a partial image, which the caller must treat as stale).
class GlListScope {
public:
    GlListScope(GLuint name, GLenum mode) { glNewList(name, mode); }
    ~GlListScope() {
        if (m_open)
            glEndList();
    }
    void End() {
        m_open = false;
        glEndList();
    }
    GlListScope(const GlListScope&) = delete;
    GlListScope& operator=(const GlListScope&) = delete;

private:
    bool m_open = true;
};

/// glPushAttrib and glPushMatrix now, glPopMatrix and glPopAttrib when the scope ends.
class GlStateScope {
public:
    explicit GlStateScope(GLbitfield mask) {
        glPushAttrib(mask);
        glPushMatrix();
    }
    ~GlStateScope() {
        glPopMatrix();
        glPopAttrib();
    }
    GlStateScope(const GlStateScope&) = delete;
    GlStateScope& operator=(const GlStateScope&) = delete;
};

/// A new display list name from glGenLists(1), or 0 when GL gives none. Name 1281 means "no
/// list" to this library, so when GL hands it out another name is taken and 1281 given back.
inline GLuint GenListName() {
    GLuint name = glGenLists(1);
    if (name == kNoList) {
        const GLuint other = glGenLists(1);
        glDeleteLists(kNoList, 1);
        name = other == kNoList ? 0 : other;
    }
    return name;
}

/// Replays the list `name` when it was compiled at `changeIndex`; otherwise compiles it anew
/// with GL_COMPILE_AND_EXECUTE around draw(true), taking a name first if it has none. Without
/// a name from GL, draw(false) draws directly. A throw ends the list early and leaves `index`
/// stale, so the next call compiles again.
template <class Draw>
void CompileOrReplay(GLuint& name, unsigned int& index, unsigned int changeIndex, Draw draw) {
    if (name != kNoList && index == changeIndex) {
        glCallList(name);
        return;
    }
    if (name == kNoList) {
        if (const GLuint fresh = GenListName())
            name = fresh;
    }
    if (name == kNoList) {
        draw(false);
        return;
    }
    GlListScope list(name, GL_COMPILE_AND_EXECUTE);
    draw(true);
    list.End();
    index = changeIndex;
}

} // namespace mgmesh::detail
