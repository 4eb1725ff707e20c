// MgGrFacet: colour resolution and immediate-mode drawing of one facet.
#include "mgmesh/render/MgGrFacet.h"

#include "mgmesh/model/MgVertex.h"
#include "mgmesh/render/MgGrFace.h"
#include "mgmesh/render/detail/GlGuards.h"

namespace {

void CheckCorner(int corner) {
    if (corner < 0 || corner > 2)
        throw "Corner index out of range";
}

const float kWhite[3] = {1, 1, 1};

} // namespace

MgGrFacet::MgGrFacet(MgFace* face) : MgFacet(face) {}

MgGrFacet::~MgGrFacet() = default;

void MgGrFacet::SetColor(float r, float g, float b) {
    m_color[0] = r;
    m_color[1] = g;
    m_color[2] = b;
    m_colorSet = true;
    m_vertexColorsValid = false;
}

void MgGrFacet::SetVertexColor(int corner, float r, float g, float b) {
    CheckCorner(corner);
    m_vertexColors[corner][0] = r;
    m_vertexColors[corner][1] = g;
    m_vertexColors[corner][2] = b;
    m_colorSet = false;
    m_vertexColorsValid = true;
}

void MgGrFacet::UnsetColor() {
    m_colorSet = false;
    m_vertexColorsValid = false;
}

const float* MgGrFacet::Color() const {
    if (m_colorSet)
        return m_color;
    if (const MgGrFace* face = ParentGrFace())
        return face->Color();
    return kWhite; // a facet outside a render face has no other source
}

const float* MgGrFacet::Color(int corner) const {
    CheckCorner(corner);
    if (m_vertexColorsValid)
        return m_vertexColors[corner];
    return Color();
}

MgGrFace* MgGrFacet::ParentGrFace() const {
    return dynamic_cast<MgGrFace*>(ParentFace());
}

void MgGrFacet::ApplyOwnColor() const {
    const GLfloat rgba[4] = {m_color[0], m_color[1], m_color[2], 0.5f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, rgba);
    glColor3fv(m_color);
}

void MgGrFacet::ApplyColor(int corner, bool highlighting) const {
    const float* c = Color(corner);
    const GLfloat rgba[4] = {c[0], c[1], c[2], 0.5f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, rgba);
    if (highlighting) {
        const MgGrFace* face = ParentGrFace();
        if (face && face->Highlighted())
            glColor4fv(rgba);
    }
}

void MgGrFacet::ThrowNoVertex(int corner) {
    CheckCorner(corner);
    throw "Incomplete facet in structure MgGrFacet";
}

void MgGrFacet::Draw(bool filled) const {
    mgmesh::detail::GlBeginEnd block(filled ? GL_TRIANGLES : GL_POINTS);
    if (!m_vertexColorsValid)
        ApplyColor(filled);
    for (int corner = 0; corner < 3; ++corner) {
        if (m_vertexColorsValid)
            ApplyColor(corner, filled);
        DrawVertex(corner);
    }
}
