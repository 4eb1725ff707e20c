// Camera, lights and colours around the library's drawing; picking through GL_SELECT.
#include "Scene.h"

#include <cmath>
#include <vector>

#include <GL/gl.h>

namespace mgtool {
namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kBackground[3] = {0.10f, 0.12f, 0.15f};
// parts of a multi-part model, in turn, when no colour was asked for
constexpr float kPartColors[][3] = {
    {0.55f, 0.70f, 0.90f}, {0.90f, 0.70f, 0.45f}, {0.60f, 0.85f, 0.60f}, {0.85f, 0.60f, 0.80f}};

CGeoVector EyeDirection(float yaw, float pitch) {
    const float y = yaw * kPi / 180, p = pitch * kPi / 180;
    return CGeoVector(std::cos(p) * std::cos(y), std::cos(p) * std::sin(y), std::sin(p));
}

void ForEachFace(const Model& model, void (*action)(MgGrFace*, void*), void* data) {
    for (const auto& entry : model.Objects())
        for (MgFace* face : entry.second->FaceList())
            if (auto* drawable = dynamic_cast<MgGrFace*>(face))
                action(drawable, data);
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

Scene::Scene(Model& model, const DrawOptions& options) : m_model(model) {
    int part = 0;
    for (const auto& [role, object] : model.Objects()) {
        if (options.color || role == "object" || role == "unprocessed")
            object->SetColor(options.rgb);
        else
            object->SetColor(kPartColors[part++ % 4]);
    }
    if (options.highlight)
        HighlightId(options.highlightId);
}

int Scene::HighlightId(std::intptr_t id) {
    struct Match {
        std::intptr_t id;
        int count;
    } match{id, 0};
    ForEachFace(
        m_model,
        [](MgGrFace* face, void* data) {
            auto* m = static_cast<Match*>(data);
            const bool hit = face->GeoFaceId() == m->id;
            face->Highlight(hit);
            m->count += hit ? 1 : 0;
        },
        &match);
    return match.count;
}

void Scene::HighlightFace(MgGrFace* chosen) {
    ForEachFace(
        m_model,
        [](MgGrFace* face, void* data) { face->Highlight(face == static_cast<MgGrFace*>(data)); },
        chosen);
}

void Scene::SetUseStrip(bool useStrip) {
    for (const auto& entry : m_model.Objects()) {
        entry.second->SetUseStrip(useStrip);
        entry.second->PostChange(); // the setting shows only when the list is compiled again
    }
}

void Scene::DrawModel(MgRenderMode mode) const {
    if (m_model.multi)
        m_model.multi->Draw(mode);
    else
        m_model.object->Draw(mode);
}

void Scene::DrawFacesDirectly(MgRenderMode mode) const {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    try {
        for (const auto& entry : m_model.Objects())
            for (MgFace* face : entry.second->FaceList())
                if (const auto* drawable = dynamic_cast<const MgGrFace*>(face)) {
                    if (mode.fill)
                        drawable->DrawFill();
                    if (mode.edges)
                        drawable->DrawEdges();
                }
    } catch (...) {
        glPopAttrib();
        throw;
    }
    glPopAttrib();
}

void Scene::Draw(const Camera& camera, int width, int height, MgRenderMode mode) const {
    glViewport(0, 0, width, height);
    glClearColor(kBackground[0], kBackground[1], kBackground[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE); // vertex normals from files are not always unit length
    glEnable(GL_LIGHT0);
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1}, ambient[4] = {0.3f, 0.3f, 0.3f, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE); // STL windings are not always consistent
    // the library sets the diffuse material; the ambient one follows the current colour
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT);
    glEnable(GL_COLOR_MATERIAL);
    glLineWidth(1.5f);
    camera.Project(width, height);
    camera.LookAt();
    DrawModel(mode);
}

MgGrFace* PickFace(const Scene& scene, const Camera& camera, int width, int height, int x, int y,
                   MgRenderMode mode) {
    std::vector<GLuint> buffer(1 << 16);
    glSelectBuffer(static_cast<GLsizei>(buffer.size()), buffer.data());
    glRenderMode(GL_SELECT);
    glInitNames();
    camera.Project(width, height, true, x + 0.5f, height - y - 0.5f, 3);
    camera.LookAt();
    scene.DrawFacesDirectly(mode);
    const GLint hits = glRenderMode(GL_RENDER);
    camera.Project(width, height);
    MgGrFace* nearest = nullptr;
    GLuint nearestDepth = 0;
    // each record: name count, min depth, max depth, names (innermost last)
    std::size_t at = 0;
    for (GLint k = 0; k < hits && at + 3 <= buffer.size(); ++k) {
        const GLuint count = buffer[at], depth = buffer[at + 1];
        if (at + 3 + count > buffer.size())
            break;
        if (count > 0) {
            MgGrFace* face = MgGrFace::FromSelectionName(buffer[at + 2 + count]);
            if (face && (!nearest || depth < nearestDepth)) {
                nearest = face;
                nearestDepth = depth;
            }
        }
        at += 3 + count;
    }
    return nearest;
}

} // namespace mgtool
