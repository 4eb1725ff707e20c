// MgGrObject: the drawable form of a mesh object, with one display list for its filled faces.
#pragma once

#include <GL/gl.h>

#include "mgmesh/Export.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/render/MgRenderMode.h"

class MgFace;

/// An object that draws itself with OpenGL 1.1 in the caller's current context. Its faces are
/// render faces (made by NewFace). The filled image is compiled into a display list (as triangle
/// strips unless SetUseStrip(false)) and replayed until the change index moves; highlighted and
/// recoloured faces are drawn over it. The object's colour, transparency and use-strip flag are
/// not part of the list and changing them does not advance the change index. GL state opened by
/// a drawing member is closed again when it throws.
class MGMESH_API MgGrObject : public virtual MgObject {
public:
    /// An empty object, colour white, opaque, using strips, no display list.
    MgGrObject();
    /// Gives the display list back to GL (a GL context must be current if the object was drawn),
    /// then deletes the faces.
    ~MgGrObject() override;
    MgGrObject(const MgGrObject&) = delete;
    MgGrObject& operator=(const MgGrObject&) = delete;

    /// Creates a render face registered with this object.
    MgFace* NewFace() override;

    /// The three colour components, red, green, blue.
    const float* Color() const { return m_color; }
    /// Stores the colour; nothing else. Throws "No colour given" for a null pointer.
    void SetColor(const float* rgb);
    void SetColor(float r, float g, float b);
    bool Transparent() const { return m_transparent; }
    /// A transparent object draws its boundary edges only, whatever the mode asks.
    void SetTransparent(bool transparent) { m_transparent = transparent; }
    /// Whether the next compilation of the list builds triangle strips.
    void SetUseStrip(bool useStrip) { m_useStrip = useStrip; }

    /// The host's entry point: pushes all attributes and the matrix, calls DoDraw (edges only for
    /// a transparent object), pops both, also when drawing throws.
    void Draw(MgRenderMode mode) const;
    /// DrawFill() if `mode.fill`, then DrawEdges() if `mode.edges`.
    virtual void DoDraw(MgRenderMode mode) const;
    /// Sets material and colour to the object's colour, replays or (re)compiles the list with
    /// GL_LESS, then draws highlighted faces and faces with a colour-changed count above 0 again
    /// with GL_LEQUAL; restores the depth function. Throws as DrawAllFill.
    void DrawFill() const;
    /// Every face's boundary edges. Throws "Incompatible members in structure MgGrObject" at the
    /// first face that is not a render face.
    void DrawEdges() const;
    /// Sets every face's selectable flag. Throws "Incompatible member in structure MgGrObject" at
    /// the first face that is not a render face.
    void SetSelectable(bool selectable) const;
    /// Sets every render face's highlighted flag; other faces are skipped.
    void HighlightAll(bool highlighted) const;

protected:
    /// Every face filled, with its colour applied first; as strips when `compiling` and use strip
    /// is set. Throws "Incompatible members in structure MgGrObject" at a face that is not a
    /// render face.
    void DrawAllFill(bool compiling) const;

private:
    mutable GLuint m_listName;
    mutable unsigned int m_listIndex = 0xFFFFFFFF;
    float m_color[3] = {1, 1, 1};
    bool m_transparent = false;
    bool m_useStrip = true;
};
