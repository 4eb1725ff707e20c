// MgGrFacet: the drawable form of a facet, with a colour of its own or one per corner.
#pragma once

#include <GL/gl.h>

#include "mgmesh/Export.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

class MgFace;
class MgGrFace;

/// A facet that draws itself in immediate mode. Its colour resolves upwards: corner colour,
/// own colour, face colour, object colour. No colour setter advances a change index; a caller
/// that wants a compiled list to show a facet colour calls the face's PostChange(). Corner
/// indices are 0, 1, 2; any other throws "Corner index out of range".
class MGMESH_API MgGrFacet : public virtual MgFacet {
public:
    /// Registers with `face`; neither the own colour nor the corner colours are in force.
    explicit MgGrFacet(MgFace* face);
    ~MgGrFacet() override;
    MgGrFacet(const MgGrFacet&) = delete;
    MgGrFacet& operator=(const MgGrFacet&) = delete;

    /// Own colour := (r, g, b) and in force; the corner colours are no longer in force.
    void SetColor(float r, float g, float b);
    /// Corner colour of `corner` := (r, g, b); all three corner colours are in force (the
    /// caller sets all three) and the own colour no longer is.
    void SetVertexColor(int corner, float r, float g, float b);
    /// Neither colour is in force any more; the stored values stay.
    void UnsetColor();
    /// Own colour if in force, else the face's effective colour; corner colours are ignored.
    const float* Color() const;
    /// The corner's colour if corner colours are in force, else Color().
    const float* Color(int corner) const;
    bool VertexColorValid() const { return m_vertexColorsValid; }
    /// The facet's face if it is a render face, else null.
    MgGrFace* ParentGrFace() const;

    /// With an own colour in force: glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, (c, 0.5)) and
    /// glColor3fv(c); otherwise nothing. The argument is not used.
    void ApplyColor(bool) const {
        if (m_colorSet)
            ApplyOwnColor();
    }
    /// Material diffuse := (Color(corner), 0.5); also the current colour when the face is
    /// highlighted and `highlighting` is true.
    void ApplyColor(int corner, bool highlighting) const;
    /// glNormal3fv of the corner vertex's normal, then glVertex4fv of (position, 1). Throws
    /// "Incomplete facet in structure MgGrFacet" when the corner's vertex slot is empty.
    void DrawVertex(int corner) const {
        const MgVertex* v = corner >= 0 && corner <= 2 ? Vertex(corner) : nullptr;
        if (!v)
            ThrowNoVertex(corner);
        const CGeoVector& p = v->Vertex();
        const GLfloat position[4] = {p.x, p.y, p.z, 1.0f};
        glNormal3fv(v->Normal());
        glVertex4fv(position);
    }
    /// One glBegin(GL_TRIANGLES) block (GL_POINTS when not `filled`) of the three corners,
    /// each preceded by its colour. The block is closed even when a corner throws.
    void Draw(bool filled) const;
    /// Draws nothing.
    void DrawNormal() const {}

private:
    void ApplyOwnColor() const;
    [[noreturn]] static void ThrowNoVertex(int corner);

    float m_color[3] = {1, 1, 1};
    float m_vertexColors[3][3] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    bool m_colorSet = false;
    bool m_vertexColorsValid = false;
};
