// What render and view share: the draw options, the camera that frames a model, and the GL
// set-up (lights, colours, highlight) around the library's Draw.
#pragma once

#include <cstdint>

#include <mgmesh/mgmesh.h>

#include "Load.h"

namespace mgtool {

enum class ViewDir { Iso, Top, Front, Side };

struct DrawOptions {
    int width = 800;
    int height = 600;
    ViewDir view = ViewDir::Iso;
    bool fill = true;
    bool edges = false;
    bool highlight = false;
    std::intptr_t highlightId = 0;
    bool color = false;
    float rgb[3] = {0.6f, 0.6f, 0.6f};
};

/// An orthographic camera on a sphere around the model's bounding box (z is up). Yaw turns
/// about z (−90° looks along +y), pitch raises the eye (90° looks straight down).
struct Camera {
    CGeoVector centre;
    float radius = 1;
    float yaw = -45;
    float pitch = 35.26439f;
    float zoom = 1;

    /// Frames `whole` (its bounds) from the given direction.
    static Camera Frame(const MgObject& whole, ViewDir view);
    /// Loads the projection of a `width` × `height` viewport. With `pick`, narrows it to the
    /// `pickSize`-pixel square around window pixel (pickX, pickY), counted from the bottom left,
    /// as gluPickMatrix does.
    void Project(int width, int height, bool pick = false, float pickX = 0, float pickY = 0,
                 float pickSize = 1) const;
    /// Loads the model-view matrix: the light first (fixed to the eye), then the view.
    void LookAt() const;
};

/// Gives the model's objects their colours and highlights the faces with the chosen id; draws
/// it with the library after setting up depth test, lights and background.
class Scene {
public:
    Scene(Model& model, const DrawOptions& options);

    /// Faces with id `id` highlighted (and others not); returns how many there are.
    int HighlightId(std::intptr_t id);
    /// Highlights `face` alone (null: none).
    void HighlightFace(MgGrFace* face);
    /// Clears the frame and draws the model through `camera`.
    void Draw(const Camera& camera, int width, int height, MgRenderMode mode) const;
    /// Draws the model only, through the library's Draw (the caller has set the matrices).
    void DrawModel(MgRenderMode mode) const;
    /// Draws every face by itself, filled and outlined as `mode` says, without display lists:
    /// the way picking draws. (Mesa's llvmpipe, 22.3, crashes when a display list holding
    /// triangle strips of different lengths is replayed in GL_SELECT mode.)
    void DrawFacesDirectly(MgRenderMode mode) const;
    /// Whether triangle strips are used for the next compilation of the display lists; changing
    /// it makes the objects recompile.
    void SetUseStrip(bool useStrip);

private:
    Model& m_model;
};

/// The face hit at window pixel (x, y) (from the top left, as the window system counts), drawn
/// through `camera` in GL_SELECT mode with DrawFacesDirectly; null when no face is there. The
/// nearest hit wins.
MgGrFace* PickFace(const Scene& scene, const Camera& camera, int width, int height, int x, int y,
                   MgRenderMode mode);

} // namespace mgtool
