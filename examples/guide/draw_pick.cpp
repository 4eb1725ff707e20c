// The guide's drawing and picking example. A host draws into a context it made itself; here
// that is a headless EGL pbuffer so that the example runs anywhere, where a GUI host would use
// the context of its window (GLUT, Qt, Win32). The model is box.scb, a 2 × 2 × 2 box whose
// top face has id 2.
#include <cstdio>
#include <fstream>
#include <vector>

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <mgmesh/mgmesh.h>

namespace {

const int kSize = 64;

// A compatibility-profile OpenGL context on a pbuffer, current until the end of the program.
bool MakeHostContext() {
    EGLDisplay display =
        eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr) ||
        !eglBindAPI(EGL_OPENGL_API))
        return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,   EGL_DEPTH_SIZE,  24,
                                 EGL_NONE};
    EGLConfig config;
    EGLint found = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &found) || found < 1)
        return false;
    const EGLint size[] = {EGL_WIDTH, kSize, EGL_HEIGHT, kSize, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, size);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    return surface != EGL_NO_SURFACE && context != EGL_NO_CONTEXT &&
           eglMakeCurrent(display, surface, surface, context);
}

// Looking down on the box from above: x and y from -0.5 to 2.5, the top face nearest.
void SetView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.5, 2.5, -0.5, 2.5, 1, 20);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -10);
}

//! [pick]
// The render face under window pixel (x, y), or null: the model drawn once more in selection
// mode through a one-pixel pick volume; the nearest hit wins.
MgGrFace* Pick(const MgGrObject& object, int x, int y) {
    std::vector<GLuint> hits(256);
    glSelectBuffer(GLsizei(hits.size()), hits.data());
    glRenderMode(GL_SELECT);
    glInitNames(); // every face pushes its SelectionName() while it draws
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // the pick volume: one pixel of the viewport, in the view's own coordinates
    const double w = 3.0 / viewport[2], h = 3.0 / viewport[3];
    const double left = -0.5 + x * w, bottom = -0.5 + y * h;
    glOrtho(left, left + w, bottom, bottom + h, 1, 20);
    glMatrixMode(GL_MODELVIEW);
    MgRenderMode mode = {};
    mode.fill = 1;
    object.Draw(mode);
    const GLint count = glRenderMode(GL_RENDER);

    MgGrFace* nearest = nullptr;
    GLuint nearestDepth = ~0u;
    const GLuint* record = hits.data();
    for (GLint i = 0; i < count; ++i) { // each record: names, min depth, max depth, the names
        const GLuint names = record[0], depth = record[1];
        if (names > 0 && depth <= nearestDepth)
            if (MgGrFace* face = MgGrFace::FromSelectionName(record[2 + names])) {
                nearest = face;
                nearestDepth = depth;
            }
        record += 3 + names;
    }
    return nearest;
}
//! [pick]

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pick BOX.scb\n");
        return 2;
    }
    if (!MakeHostContext()) {
        std::puts("no OpenGL context through EGL");
        return 1;
    }
    try {
        //! [draw]
        MgGrObject object; // its faces and facets are render faces and facets
        std::ifstream in(argv[1]);
        object.LoadSCB(in);
        object.SetColor(0.8f, 0.5f, 0.2f);

        // the host's frame: its context is current, it sets the view, lights and clears
        glViewport(0, 0, kSize, kSize);
        SetView();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHT0);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

        MgRenderMode mode = {};
        mode.fill = 1;     // the filled facets, replayed from a display list after the first frame
        mode.edges = 1;    // and the boundary loops as lines
        object.Draw(mode); // saves and restores the GL attributes and matrix it changes
        glFinish();
        //! [draw]

        unsigned char centre[4] = {0, 0, 0, 0};
        glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
        std::printf("centre pixel %d %d %d\n", centre[0], centre[1], centre[2]);
        if (centre[0] == 255 && centre[1] == 255 && centre[2] == 255) {
            std::puts("nothing was drawn at the centre");
            return 1;
        }

        //! [pick-call]
        MgGrFace* face = Pick(object, kSize / 2, kSize / 2);
        if (face) {
            face->Highlight(true); // drawn over the list, unlit, from the next frame on
            std::printf("picked face %ld\n", long(face->GeoFaceId()));
        }
        //! [pick-call]
        SetView();
        return face && face->GeoFaceId() == 2 ? 0 : 1;
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
}
