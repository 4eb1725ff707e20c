// MgGrFace: the drawable form of a face: colour, highlight, selection name and display list.
#pragma once

#include <GL/gl.h>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgPickable.h"
#include "mgmesh/render/MgRenderMode.h"

class MgObject;
class MgFacet;
class MgGrObject;

/// A face that draws itself with OpenGL. Its facets are render facets (made by NewFacet). A face
/// without a colour of its own draws in its object's colour (white when the object is not a
/// render object). Every output is bracketed by glPushName(SelectionName()) ... glPopName().
/// GL state that a drawing member opens (a glBegin, a pushed name, a list being compiled) is
/// closed again when it throws.
class MGMESH_API MgGrFace : public MgPickable, public virtual MgFace {
public:
    /// Registers the face with `parent` (not null); no own colour, not highlighted, selectable,
    /// colour-changed count 0, no display list; takes a fresh selection name.
    explicit MgGrFace(MgObject* parent);
    /// Gives the display list back to GL (a GL context must be current if the face was drawn
    /// through Draw) and releases the selection name.
    ~MgGrFace() override;
    MgGrFace(const MgGrFace&) = delete;
    MgGrFace& operator=(const MgGrFace&) = delete;

    /// Creates a render facet registered with this face.
    MgFacet* NewFacet() override;

    /// Own colour := rgb and in force; advances the parent object's change index by one.
    /// Throws "No colour given" for a null pointer.
    void SetColor(const float* rgb);
    /// Own colour := rgb and in force; advances nothing. Throws "No colour given" for null.
    void SetColor1(const float* rgb);
    /// The own colour is no longer in force (its value stays); advances the object's index.
    void UnsetColor();
    /// The stored own colour, in force or not; white before it was first set.
    const float* SelfColor() const { return m_color; }
    /// The effective colour: own colour if in force, else the parent object's colour.
    const float* Color() const;
    void Highlight(bool highlighted) { m_highlighted = highlighted; }
    bool Highlighted() const { return m_highlighted; }
    /// Kept for the host; no drawing member reads it.
    void SetSelectable(bool selectable) { m_selectable = selectable; }
    bool Selectable() const { return m_selectable; }
    /// Count := n, except that a count of 2 stays 2 for good.
    void SetColorChanged(int n);
    int GetColorChanged() const { return m_colorChanged; }
    /// The parent object if it is a render object, else null.
    MgGrObject* ParentGrObject() const;

    /// Sets material and colour (c, 0.5) when the own colour is in force; then, when
    /// `highlighted`, turns lighting off (and a face of grey exactly 0.6 gets colour 0.9 grey),
    /// otherwise turns lighting on.
    void ApplyColor(bool highlighted) const;
    /// Draws the face alone: ApplyColor(Highlighted()), then the filled facets through the
    /// face's own display list (compiled with GL_COMPILE_AND_EXECUTE when the face changed),
    /// then the boundary edges, as `mode` says. Pushes no attributes.
    void Draw(MgRenderMode mode) const;
    /// Draws every facet as its own triangle. Throws "Incompatible members in structure
    /// MgGrFace" at the first facet that is not a render facet.
    void DrawFill() const;
    /// Draws all facets as triangle strips that follow mutual neighbour links, starting each
    /// strip at the lowest-addressed facet not yet drawn. Overwrites the facets' aux data (null
    /// afterwards). Throws "Incompatible member in structure MgGrFace" at a facet that is not a
    /// render facet. O(n log n) in the facets.
    void DrawFillStrip() const;
    /// Draws each boundary edge as a GL_LINE_LOOP, unlit, white when highlighted, else in the
    /// effective colour, with depth function GL_LEQUAL (the previous one is restored). Leaves
    /// lighting disabled.
    void DrawEdges() const;
    /// Draws the walls swept by the boundary edges along `direction` down to the plane
    /// {x : x · direction = level}: one four-vertex strip per edge segment, closing each loop.
    /// Sets no colour, material, lighting or name.
    void DrawPrism(const CGeoVector& direction, float level) const;

    /// The face's GL selection name: nonzero, unique among the live render faces of the
    /// process, never reused soon after the face dies.
    GLuint SelectionName() const { return m_selectionName; }
    /// The live render face whose selection name is `name`, or null. Thread-safe.
    static MgGrFace* FromSelectionName(GLuint name);

private:
    mutable GLuint m_listName;
    mutable unsigned int m_listIndex = 0xFFFFFFFF;
    float m_color[3] = {1, 1, 1};
    bool m_colorSet = false;
    bool m_highlighted = false;
    bool m_selectable = true;
    int m_colorChanged = 0;
    GLuint m_selectionName;
};
