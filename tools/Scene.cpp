// Camera, lights and colours around the library's drawing; picking through GL_SELECT.
#include "Scene.h"

#include <cmath>
#include <vector>

#include <GL/gl.h>

namespace mgtool {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kBackground[3] = {0.96f, 0.96f, 0.95f};
constexpr float kEdgeColor[3] = {0.08f, 0.09f, 0.12f};
constexpr float kWireColor[3] = {0.25f, 0.28f, 0.35f};
constexpr float kLoopColor[3] = {0.85f, 0.15f, 0.10f};
constexpr float kHighlightColor[3] = {1.0f, 0.55f, 0.05f};
// parts of a multi-part model, in turn, when no colour was asked for
constexpr float kPartColors[][3] = {
    {0.55f, 0.70f, 0.90f}, {0.90f, 0.70f, 0.45f}, {0.60f, 0.85f, 0.60f}, {0.85f, 0.60f, 0.80f}};

CGeoVector EyeDirection(float yaw, float pitch) {
    const float y = yaw * kPi / 180, p = pitch * kPi / 180;
    return CGeoVector(std::cos(p) * std::cos(y), std::cos(p) * std::sin(y), std::sin(p));
}

} // namespace

Camera Camera::Frame(const MgObject& whole, ViewDir view) {
    Camera camera;
    if (!whole.FaceList().empty()) {
        camera.centre = whole.Average();
        camera.radius = whole.Radius();
    }
    if (!(camera.radius > 1e-6f) || !std::isfinite(camera.radius))
        camera.radius = 1;
    switch (view) {
    case ViewDir::Iso:
        camera.yaw = -45;
        camera.pitch = 35.26439f;
        break;
    case ViewDir::Top:
        camera.yaw = -90;
        camera.pitch = 90;
        break;
    case ViewDir::Front:
        camera.yaw = -90;
        camera.pitch = 0;
        break;
    case ViewDir::Side:
        camera.yaw = 0;
        camera.pitch = 0;
        break;
    }
    return camera;
}

void Camera::Project(int width, int height, bool pick, float pickX, float pickY,
                     float pickSize) const {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (pick) {
        glTranslatef((width - 2 * pickX) / pickSize, (height - 2 * pickY) / pickSize, 0);
        glScalef(width / pickSize, height / pickSize, 1);
    }
    // the bounding sphere fits the shorter side with a small margin
    const float half = radius * 1.05f / zoom;
    const double aspect = double(width) / height;
    const double halfW = aspect >= 1 ? half * aspect : half;
    const double halfH = aspect >= 1 ? half : half / aspect;
    glOrtho(-halfW, halfW, -halfH, halfH, radius, 5 * radius);
    glMatrixMode(GL_MODELVIEW);
}

void Camera::LookAt() const {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light[4] = {-0.3f, 0.5f, 1.0f, 0.0f}; // from the upper left, behind the eye
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    const float y = yaw * kPi / 180;
    const CGeoVector back = EyeDirection(yaw, pitch);
    const CGeoVector right(-std::sin(y), std::cos(y), 0);
    const CGeoVector up(back.y * right.z - back.z * right.y, back.z * right.x - back.x * right.z,
                        back.x * right.y - back.y * right.x);
    const CGeoVector eye(centre.x + 3 * radius * back.x, centre.y + 3 * radius * back.y,
                         centre.z + 3 * radius * back.z);
    auto dot = [](const CGeoVector& a, const CGeoVector& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z;
    };
    const GLfloat view[16] = {
        right.x, up.x, back.x, 0, right.y,          up.y,          back.y,          0,
        right.z, up.z, back.z, 0, -dot(right, eye), -dot(up, eye), -dot(back, eye), 1};
    glMultMatrixf(view);
}

void Camera::Axes(CGeoVector& right, CGeoVector& up, CGeoVector& back) const {
    const float y = yaw * kPi / 180;
    back = EyeDirection(yaw, pitch);
    right = CGeoVector(-std::sin(y), std::cos(y), 0);
    up = CGeoVector(back.y * right.z - back.z * right.y, back.z * right.x - back.x * right.z,
                    back.x * right.y - back.y * right.x);
}

void Camera::Ray(int width, int height, int x, int y, CGeoVector& from,
                 CGeoVector& direction) const {
    CGeoVector right, up, back;
    Axes(right, up, back);
    const float half = radius * 1.05f / zoom;
    const float aspect = float(width) / float(height);
    const float halfW = aspect >= 1 ? half * aspect : half,
                halfH = aspect >= 1 ? half : half / aspect;
    const float sx = (2 * (x + 0.5f) / width - 1) * halfW,
                sy = (1 - 2 * (y + 0.5f) / height) * halfH;
    from = CGeoVector(centre.x + sx * right.x + sy * up.x + 3 * radius * back.x,
                      centre.y + sx * right.y + sy * up.y + 3 * radius * back.y,
                      centre.z + sx * right.z + sy * up.z + 3 * radius * back.z);
    direction = CGeoVector(-back.x, -back.y, -back.z);
}

Scene::Scene(Model& model, const DrawOptions& options)
    : m_model(model), m_display(model, options.crease) {
    int part = 0;
    const auto& copies = m_display.Objects();
    const auto originals = model.Objects();
    for (std::size_t k = 0; k < originals.size(); ++k) {
        const std::string& role = originals[k].first;
        const float* rgb = options.color || role == "object" || role == "unprocessed"
                               ? options.rgb
                               : kPartColors[part++ % 4];
        originals[k].second->SetColor(rgb);
        copies[k].second->SetColor(rgb);
        // every copy holds its colour itself, so a highlight can lend it another and give it
        // back without the object's list being compiled again
        for (MgFace* face : copies[k].second->FaceList()) {
            auto* drawable = dynamic_cast<MgGrFace*>(face);
            if (drawable->Color() == copies[k].second->Color())
                drawable->SetColor1(rgb);
        }
    }
    if (options.highlight)
        HighlightId(options.highlightId);
}

int Scene::HighlightId(std::intptr_t id) {
    m_highlighted.clear();
    for (const auto& entry : m_display.Objects())
        for (MgFace* face : entry.second->FaceList())
            if (face->GeoFaceId() == id)
                m_highlighted.push_back(dynamic_cast<MgGrFace*>(face));
    return int(m_highlighted.size());
}

void Scene::HighlightFace(MgGrFace* chosen) {
    m_highlighted.clear();
    if (chosen)
        m_highlighted.push_back(chosen);
}

void Scene::SetUseStrip(bool useStrip) {
    for (const auto& entry : m_display.Objects()) {
        entry.second->SetUseStrip(useStrip);
        entry.second->PostChange(); // the setting shows only when the list is compiled again
    }
}

void Scene::DrawFacesDirectly() const {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    try {
        for (const auto& entry : m_display.Objects())
            for (MgFace* face : entry.second->FaceList())
                dynamic_cast<const MgGrFace*>(face)->DrawFill();
    } catch (...) {
        glPopAttrib();
        throw;
    }
    glPopAttrib();
}

void Scene::DrawLines(const DrawOptions& layers) const {
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LEQUAL);
    if (layers.wire) {
        glColor3fv(kWireColor);
        glBegin(GL_LINES);
        for (const auto& entry : m_display.Objects())
            for (const MgFace* face : entry.second->FaceList())
                for (const MgFacet* f : face->FacetList())
                    for (int i = 0; i < 3; ++i) {
                        const CGeoVector &a = f->Vertex(i)->Vertex(),
                                         &b = f->Vertex((i + 1) % 3)->Vertex();
                        glVertex3f(a.x, a.y, a.z);
                        glVertex3f(b.x, b.y, b.z);
                    }
        glEnd();
    }
    if (layers.edges) {
        glColor3fv(kEdgeColor);
        glLineWidth(2);
        const std::vector<CGeoVector>& lines = m_display.FeatureLines();
        glBegin(GL_LINES);
        for (const CGeoVector& p : lines)
            glVertex3f(p.x, p.y, p.z);
        glEnd();
    }
    if (layers.loops) {
        glColor3fv(kLoopColor);
        glLineWidth(2.5f);
        for (const auto& entry : m_model.Objects())
            for (const MgFace* face : entry.second->FaceList())
                for (const MgEdge* edge : face->EdgeList()) {
                    glBegin(GL_LINE_LOOP);
                    for (const MgVertex* v : edge->VertexList())
                        glVertex3f(v->Vertex().x, v->Vertex().y, v->Vertex().z);
                    glEnd();
                }
    }
}

void Scene::Draw(const Camera& camera, int width, int height, const DrawOptions& layers) const {
    glViewport(0, 0, width, height);
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHT0);
    const GLfloat diffuse[4] = {0.75f, 0.75f, 0.75f, 1}, ambient[4] = {0.35f, 0.35f, 0.35f, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE); // STL windings are not always consistent
    // the library sets the diffuse material; the ambient one follows the current colour
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);
    glEnable(GL_COLOR_MATERIAL);
    glLineWidth(1.5f);
    camera.Project(width, height);
    camera.LookAt();
    MgRenderMode fill{};
    fill.fill = 1;
    if (layers.fill) {
        // the fill sits a little behind its own depth, so lines and highlights drawn at the
        // same place afterwards always win
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(1, 1);
        for (const auto& entry : m_display.Objects())
            entry.second->Draw(fill);
        glDisable(GL_POLYGON_OFFSET_FILL);
    }
    glDepthFunc(GL_LEQUAL);
    for (MgGrFace* face : m_highlighted) {
        // painted whole and unlit in the highlight colour, then back to how it was
        const float own[3] = {face->SelfColor()[0], face->SelfColor()[1], face->SelfColor()[2]};
        face->SetColor1(kHighlightColor);
        face->Highlight(true);
        face->Draw(fill);
        face->Highlight(false);
        face->SetColor1(own);
    }
    DrawLines(layers);
}

PickResult Pick(const Scene& scene, const Camera& camera, int width, int height, int x, int y) {
    std::vector<GLuint> buffer(1 << 16);
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    camera.Project(width, height, true, x + 0.5f, height - y - 0.5f, 3);
    camera.LookAt();
    scene.DrawFacesDirectly();
    const GLint hits = glRenderMode(GL_RENDER);
    camera.Project(width, height);
    PickResult result;
    GLuint nearestDepth = 0;
    // each record: name count, min depth, max depth, names (innermost last)
    std::size_t at = 0;
    for (GLint k = 0; k < hits && at + 3 <= buffer.size(); ++k) {
        const GLuint count = buffer[at], depth = buffer[at + 1];
        if (at + 3 + count > buffer.size())
            break;
        if (count > 0) {
            MgGrFace* face = MgGrFace::FromSelectionName(buffer[at + 2 + count]);
            if (face && (!result.face || depth < nearestDepth)) {
                result.face = face;
                nearestDepth = depth;
            }
        }
        at += 3 + count;
    }
    if (!result.face)
        return result;
    // the facet: the first the ray meets (Möller and Trumbore's test)
    CGeoVector from, dir;
    camera.Ray(width, height, x, y, from, dir);
    double best = HUGE_VAL;
    long number = 0;
    for (const MgFacet* f : result.face->FacetList()) {
        const CGeoVector &a = f->Vertex(0)->Vertex(), &b = f->Vertex(1)->Vertex(),
                         &c = f->Vertex(2)->Vertex();
        const double e1[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
        const double e2[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
        const double d[3] = {dir.x, dir.y, dir.z};
        const double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                             d[0] * e2[1] - d[1] * e2[0]};
        const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
        if (det != 0) {
            const double s[3] = {double(from.x) - a.x, double(from.y) - a.y, double(from.z) - a.z};
            const double u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) / det;
            const double q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2],
                                 s[0] * e1[1] - s[1] * e1[0]};
            const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / det;
            const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
            // a little slack: the pick square is three pixels wide, the ray one point
            const double slack = 1e-3;
            if (u >= -slack && v >= -slack && u + v <= 1 + slack && t < best) {
                best = t;
                result.facet = number;
                result.point = CGeoVector(float(from.x + t * dir.x), float(from.y + t * dir.y),
                                          float(from.z + t * dir.z));
            }
        }
        ++number;
    }
    return result;
}

} // namespace mgtool
