// mgtool view: an interactive window (freeglut). Orbit with the left mouse button, zoom with
// the wheel, click a face to pick it; keys toggle the layers and strips.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <GL/freeglut.h>

#include "Commands.h"
#include "Errors.h"

namespace mgtool {
namespace {

constexpr int kClickSlack = 3; // pixels a press may move and still count as a click

// freeglut's callbacks take no user data, so the window's state lives here for the main loop.
struct ViewState {
    ViewOptions options;
    std::unique_ptr<Model> model;
    std::unique_ptr<Scene> scene;
    Camera camera;
    Camera home;
    DrawOptions layers;
    int width = 0, height = 0;
    bool useStrip = true;
    bool dragging = false, moved = false;
    int pressX = 0, pressY = 0, lastX = 0, lastY = 0;
    bool firstFrameShown = false;
    int status = kExitOk;
};

ViewState* g_view = nullptr;

void PrintPick(const PickResult& pick) {
    if (pick.face)
        std::printf("pick face=%lld facet=%ld point=(%.6g, %.6g, %.6g) area=%.6g\n",
                    static_cast<long long>(pick.face->GeoFaceId()), pick.facet,
                    double(pick.point.x), double(pick.point.y), double(pick.point.z),
                    double(pick.face->Area()));
    else
        std::printf("pick none\n");
    std::fflush(stdout);
}

void PickAt(int x, int y) {
    const PickResult pick =
        Pick(*g_view->scene, g_view->camera, g_view->width, g_view->height, x, y);
    g_view->scene->HighlightFace(pick.face);
    PrintPick(pick);
    glutPostRedisplay();
}

// A toggle and what it now is, for the user at the terminal.
void Toggle(bool& flag, const char* what) {
    flag = !flag;
    std::fprintf(stderr, "%s %s\n", what, flag ? "on" : "off");
}

// Deletes the model while the window's context is still current (its display lists belong to
// it), then leaves the main loop.
void Quit() {
    g_view->scene.reset();
    g_view->model.reset();
    glutLeaveMainLoop();
}

void OnDisplay() {
    if (!g_view->model)
        return;
    try {
        g_view->scene->Draw(g_view->camera, g_view->width, g_view->height, g_view->layers);
    } catch (const char* message) {
        g_view->status = ReportFailure(g_view->options.input, message);
        Quit();
        return;
    }
    glutSwapBuffers();
    if (!g_view->firstFrameShown && g_view->options.click) {
        glutTimerFunc(
            0,
            [](int) {
                if (!g_view->model)
                    return;
                PickAt(g_view->options.clickX, g_view->options.clickY);
                Quit();
            },
            0);
    }
    g_view->firstFrameShown = true;
}

void OnReshape(int width, int height) {
    g_view->width = width > 0 ? width : 1;
    g_view->height = height > 0 ? height : 1;
    glutPostRedisplay();
}

void OnMouse(int button, int state, int x, int y) {
    if (button == GLUT_LEFT_BUTTON && state == GLUT_DOWN) {
        g_view->dragging = true;
        g_view->moved = false;
        g_view->pressX = g_view->lastX = x;
        g_view->pressY = g_view->lastY = y;
    } else if (button == GLUT_LEFT_BUTTON && state == GLUT_UP) {
        g_view->dragging = false;
        if (!g_view->moved)
            PickAt(x, y);
    } else if ((button == 3 || button == 4) && state == GLUT_DOWN) { // the wheel
        g_view->camera.zoom *= button == 3 ? 1.1f : 1 / 1.1f;
        glutPostRedisplay();
    }
}

void OnMotion(int x, int y) {
    if (!g_view->dragging)
        return;
    if (std::abs(x - g_view->pressX) > kClickSlack || std::abs(y - g_view->pressY) > kClickSlack)
        g_view->moved = true;
    if (!g_view->moved)
        return;
    Camera& camera = g_view->camera;
    camera.yaw -= 0.5f * (x - g_view->lastX);
    camera.pitch += 0.5f * (y - g_view->lastY);
    if (camera.pitch > 90)
        camera.pitch = 90;
    if (camera.pitch < -90)
        camera.pitch = -90;
    g_view->lastX = x;
    g_view->lastY = y;
    glutPostRedisplay();
}

void OnKey(unsigned char key, int, int) {
    switch (key) {
    case 'f':
        Toggle(g_view->layers.fill, "fill");
        break;
    case 'e':
        Toggle(g_view->layers.edges, "feature edges");
        break;
    case 'w':
        Toggle(g_view->layers.wire, "wire");
        break;
    case 'l':
        Toggle(g_view->layers.loops, "boundary loops");
        break;
    case 's':
        Toggle(g_view->useStrip, "triangle strips");
        g_view->scene->SetUseStrip(g_view->useStrip);
        break;
    case 'h':
        g_view->scene->HighlightFace(nullptr);
        std::fprintf(stderr, "highlight cleared\n");
        break;
    case 'r':
        g_view->camera = g_view->home;
        break;
    case 'q':
    case 27: // Escape
        Quit();
        return;
    default:
        return;
    }
    glutPostRedisplay();
}

} // namespace

int RunView(const ViewOptions& options) {
    ViewState state;
    state.options = options;
    try {
        state.model = LoadModel(options.input, true);
    } catch (const char* message) {
        return ReportFailure(options.input, message);
    } catch (const std::exception& error) {
        return ReportFailure(options.input, error.what());
    }
    if (!std::getenv("DISPLAY"))
        return ReportFailure(options.input, "no display to open a window on (DISPLAY is not "
                                            "set; xvfb-run gives a virtual one)");
    int argc = 1;
    char name[] = "mgtool";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowSize(options.draw.width, options.draw.height);
    state.width = options.draw.width;
    state.height = options.draw.height;
    glutCreateWindow(("mgtool - " + options.input).c_str());
    state.scene = std::make_unique<Scene>(*state.model, options.draw);
    if (options.draw.highlight && state.scene->HighlightId(options.draw.highlightId) == 0)
        WarnNoFace(options.input, options.draw.highlightId);
    g_view = &state;
    state.home = state.camera = Camera::Frame(*state.model->Whole(), options.draw.view);
    state.layers = options.draw;
    glutDisplayFunc(OnDisplay);
    glutReshapeFunc(OnReshape);
    glutMouseFunc(OnMouse);
    glutMotionFunc(OnMotion);
    glutKeyboardFunc(OnKey);
    glutCloseFunc([] {
        // the window is going away: its context is still current here
        if (!g_view)
            return;
        g_view->scene.reset();
        g_view->model.reset();
    });
    std::fputs(kViewKeys, stderr);
    glutMainLoop();
    g_view = nullptr;
    return state.status;
}

} // namespace mgtool
