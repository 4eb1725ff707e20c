// What render and view share: the draw options, the camera that frames a model, and the GL
// set-up (lights, colours, highlight, lines) around the library's Draw.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <mgmesh/mgmesh.h>

#include "Load.h"
#include "Shading.h"

namespace mgtool {

enum class ViewDir { Iso, Top, Front, Side };

struct DrawOptions {
    int width = 800;
    int height = 600;
    ViewDir view = ViewDir::Iso;
    bool fill = true;
    bool edges = false; // feature edges: creases, boundaries, edges of three or more facets
    bool wire = false;  // every facet side
    bool loops = false; // the boundary loops the faces hold
    float crease = 30;  // degrees: smooth shading within, a hard edge beyond
    bool highlight = false;
    std::intptr_t highlightId = 0;
    bool color = false;
    float rgb[3] = {0.62f, 0.66f, 0.72f};
};

/// What a pick found: the face, the facet (its number in the face's list, from 0) and the
/// point of the model under the cursor.
struct PickResult {
    MgGrFace* face = nullptr;
    long facet = -1;
    CGeoVector point;
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
    /// The camera's axes in model space: right, up, and back towards the eye.
    void Axes(CGeoVector& right, CGeoVector& up, CGeoVector& back) const;
    /// The ray through window pixel (x, y) (from the top left): a point on the near plane and
    /// the direction into the picture.
    void Ray(int width, int height, int x, int y, CGeoVector& from, CGeoVector& direction) const;
};

/// Draws a model the way pictures should look: the shaded copy (see DisplayModel) in the
/// model's colours through the library's Draw, on a light background, with feature edges,
/// facet sides or boundary loops as lines over it, and highlighted faces painted whole over
/// the fill (the fill is pushed back a little so that lines and highlights always win).
class Scene {
public:
    Scene(Model& model, const DrawOptions& options);

    /// Faces with id `id` highlighted (and others not); returns how many there are.
    int HighlightId(std::intptr_t id);
    /// Highlights `face` alone (null: none).
    void HighlightFace(MgGrFace* face);
    /// Clears the frame and draws the model through `camera` with the layers `layers` asks
    /// for (fill, edges, wire, loops).
    void Draw(const Camera& camera, int width, int height, const DrawOptions& layers) const;
    /// Draws every face by itself, filled, without display lists: the way picking draws. (Mesa's
    /// llvmpipe, 22.3, crashes when a display list holding triangle strips of different lengths
    /// is replayed in GL_SELECT mode.)
    void DrawFacesDirectly() const;
    /// Whether triangle strips are used for the next compilation of the display lists; changing
    /// it makes the objects recompile.
    void SetUseStrip(bool useStrip);

private:
    void DrawLines(const DrawOptions& layers) const;

    Model& m_model;
    DisplayModel m_display;
    std::vector<MgGrFace*> m_highlighted;
};

/// The face hit at window pixel (x, y) (from the top left, as the window system counts), drawn
/// through `camera` in GL_SELECT mode with DrawFacesDirectly, the nearest hit winning; then
/// the facet of that face that the ray through the pixel meets first, and where. No face when
/// nothing is there.
PickResult Pick(const Scene& scene, const Camera& camera, int width, int height, int x, int y);

} // namespace mgtool
