// MgGrObject: the object's display list, fill and edge drawing, and face-wide flags.
#include "mgmesh/render/MgGrObject.h"

#include "mgmesh/render/MgGrFace.h"
#include "mgmesh/render/detail/GlGuards.h"
#include "mgmesh/render/detail/RenderCast.h"

using mgmesh::detail::CompileOrReplay;
using mgmesh::detail::GlDepthFuncScope;
using mgmesh::detail::GlStateScope;
using mgmesh::detail::kNoList;

namespace {

// every attribute group of OpenGL 1.1 (some headers define GL_ALL_ATTRIB_BITS with all 32 bits)
constexpr GLbitfield kAllAttribBits = 0x000FFFFF;

MgGrFace* AsRenderFace(MgFace* face, const char* message) {
    return mgmesh::detail::CastOrThrow<MgGrFace>(face, message);
}

} // namespace

MgGrObject::MgGrObject() : m_listName(kNoList) {}

MgGrObject::~MgGrObject() {
    if (m_listName != kNoList)
        glDeleteLists(m_listName, 1);
}

MgFace* MgGrObject::NewFace() {
    return new MgGrFace(this);
}

void MgGrObject::SetColor(const float* rgb) {
    if (!rgb)
        throw "No colour given";
    SetColor(rgb[0], rgb[1], rgb[2]);
}

void MgGrObject::SetColor(float r, float g, float b) {
    m_color[0] = r;
    m_color[1] = g;
    m_color[2] = b;
}

void MgGrObject::Draw(MgRenderMode mode) const {
    GlStateScope state(kAllAttribBits);
    if (m_transparent) {
        mode.fill = 0;
        mode.edges = 1;
    }
    DoDraw(mode);
}

void MgGrObject::DoDraw(MgRenderMode mode) const {
    if (mode.fill)
        DrawFill();
    if (mode.edges)
        DrawEdges();
}

void MgGrObject::DrawFill() const {
    // the material takes four components; the alpha matches the faces' and facets' colours
    const GLfloat rgba[4] = {m_color[0], m_color[1], m_color[2], 0.5f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, rgba);
    glColor3fv(m_color);
    GlDepthFuncScope depth;
    glDepthFunc(GL_LESS);
    CompileOrReplay(m_listName, m_listIndex, ChangeIndex(),
                    [this](bool compiling) { DrawAllFill(compiling); });
    // highlights and colour overrides go over the list's image at the same depth
    glDepthFunc(GL_LEQUAL);
    for (MgFace* face : FaceList()) {
        const MgGrFace* grFace = dynamic_cast<const MgGrFace*>(face);
        if (grFace && (grFace->Highlighted() || grFace->GetColorChanged() > 0)) {
            grFace->ApplyColor(grFace->Highlighted());
            grFace->DrawFill();
        }
    }
}

void MgGrObject::DrawAllFill(bool compiling) const {
    for (MgFace* face : FaceList()) {
        const MgGrFace* grFace = AsRenderFace(face, "Incompatible members in structure MgGrObject");
        grFace->ApplyColor(false);
        if (compiling && m_useStrip)
            grFace->DrawFillStrip();
        else
            grFace->DrawFill();
    }
}

void MgGrObject::DrawEdges() const {
    for (MgFace* face : FaceList())
        AsRenderFace(face, "Incompatible members in structure MgGrObject")->DrawEdges();
}

void MgGrObject::SetSelectable(bool selectable) const {
    for (MgFace* face : FaceList())
        AsRenderFace(face, "Incompatible member in structure MgGrObject")
            ->SetSelectable(selectable);
}

void MgGrObject::HighlightAll(bool highlighted) const {
    for (MgFace* face : FaceList())
        if (MgGrFace* grFace = dynamic_cast<MgGrFace*>(face))
            grFace->Highlight(highlighted);
}
