// MgGrFace: colours, selection names, the face's own display list, filling, edges and prisms.
#include "mgmesh/render/MgGrFace.h"

#include <mutex>
#include <unordered_map>

#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/render/MgGrFacet.h"
#include "mgmesh/render/MgGrObject.h"
#include "mgmesh/render/detail/GlGuards.h"
#include "mgmesh/render/detail/RenderCast.h"

using mgmesh::detail::CompileOrReplay;
using mgmesh::detail::GlBeginEnd;
using mgmesh::detail::GlDepthFuncScope;
using mgmesh::detail::GlNameScope;
using mgmesh::detail::kNoList;

namespace {

const float kWhite[3] = {1, 1, 1};

// The process-wide table from selection names to live faces. Names come from a counter that
// only moves forward (skipping 0 and names still in use after a wrap), so a dead face's name
// is not handed to a new face until some four billion faces later.
struct NameTable {
    std::mutex mutex;
    std::unordered_map<GLuint, MgGrFace*> faces;
    GLuint last = 0;
};

NameTable& Names() {
    // never destroyed: faces that outlive static destruction still unregister safely
    static NameTable* table = new NameTable;
    return *table;
}

GLuint AcquireName(MgGrFace* face) {
    NameTable& table = Names();
    std::lock_guard<std::mutex> lock(table.mutex);
    do
        ++table.last;
    while (table.last == 0 || table.faces.count(table.last) != 0);
    table.faces.emplace(table.last, face);
    return table.last;
}

void ReleaseName(GLuint name) {
    NameTable& table = Names();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.faces.erase(name);
}

} // namespace

MgGrFace::MgGrFace(MgObject* parent)
    : MgFace(parent), m_listName(kNoList), m_selectionName(AcquireName(this)) {}

MgGrFace::~MgGrFace() {
    ReleaseName(m_selectionName);
    if (m_listName != kNoList)
        glDeleteLists(m_listName, 1);
}

MgGrFace* MgGrFace::FromSelectionName(GLuint name) {
    NameTable& table = Names();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.faces.find(name);
    return it == table.faces.end() ? nullptr : it->second;
}

MgFacet* MgGrFace::NewFacet() {
    return new MgGrFacet(this);
}

void MgGrFace::SetColor(const float* rgb) {
    SetColor1(rgb);
    ParentObject()->PostChange();
}

void MgGrFace::SetColor1(const float* rgb) {
    if (!rgb)
        throw "No colour given";
    m_color[0] = rgb[0];
    m_color[1] = rgb[1];
    m_color[2] = rgb[2];
    m_colorSet = true;
}

void MgGrFace::UnsetColor() {
    m_colorSet = false;
    ParentObject()->PostChange();
}

const float* MgGrFace::Color() const {
    if (m_colorSet)
        return m_color;
    if (const MgGrObject* object = ParentGrObject())
        return object->Color();
    return kWhite; // a face of a plain object has no other source
}

void MgGrFace::SetColorChanged(int n) {
    if (m_colorChanged != 2)
        m_colorChanged = n;
}

MgGrObject* MgGrFace::ParentGrObject() const {
    return dynamic_cast<MgGrObject*>(ParentObject());
}

void MgGrFace::ApplyColor(bool highlighted) const {
    const float* c = Color();
    const GLfloat rgba[4] = {c[0], c[1], c[2], 0.5f};
    if (m_colorSet) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, rgba);
        glColor4fv(rgba);
    }
    if (highlighted) {
        glDisable(GL_LIGHTING);
        if (rgba[0] == 0.6f && rgba[1] == 0.6f && rgba[2] == 0.6f) {
            const GLfloat lighter[4] = {0.9f, 0.9f, 0.9f, 0.5f};
            glColor4fv(lighter);
        }
    } else {
        glEnable(GL_LIGHTING);
    }
}

void MgGrFace::Draw(MgRenderMode mode) const {
    ApplyColor(m_highlighted);
    if (mode.fill) {
        CompileOrReplay(m_listName, m_listIndex, ChangeIndex(), [this](bool) { DrawFill(); });
    }
    if (mode.edges)
        DrawEdges();
}

void MgGrFace::DrawFill() const {
    GlNameScope name(m_selectionName);
    for (const MgFacet* facet : FacetList()) {
        mgmesh::detail::CastOrThrow<const MgGrFacet>(facet,
                                                     "Incompatible members in structure MgGrFace")
            ->Draw(true);
    }
}

void MgGrFace::DrawEdges() const {
    GlNameScope name(m_selectionName);
    GlDepthFuncScope depth;
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_LIGHTING);
    if (m_highlighted)
        glColor3f(1, 1, 1);
    else
        glColor3fv(Color());
    for (const MgEdge* edge : EdgeList()) {
        // a loop's first vertex is not repeated at its end; GL_LINE_LOOP closes it
        GlBeginEnd loop(GL_LINE_LOOP);
        for (const MgVertex* v : edge->VertexList())
            glVertex3fv(v->Vertex());
    }
}

void MgGrFace::DrawPrism(const CGeoVector& direction, float level) const {
    const CGeoVector& d = direction;
    const float dd = CGeoVector::Dot(d, d);
    auto onPlane = [&](const CGeoVector& p) {
        return p + d * ((level - CGeoVector::Dot(p, d)) / dd);
    };
    for (const MgEdge* edge : EdgeList()) {
        const MgVertexList& loop = edge->VertexList();
        if (loop.empty())
            continue;
        // the first wall closes the loop from its last vertex back to its first
        const MgVertex* prev = loop.back();
        for (const MgVertex* cur : loop) {
            const CGeoVector& a = prev->Vertex();
            const CGeoVector& b = cur->Vertex();
            CGeoVector n = (b - a) * d;
            n = n / n.Norm();
            const CGeoVector aLow = onPlane(a);
            const CGeoVector bLow = onPlane(b);
            GlBeginEnd wall(GL_TRIANGLE_STRIP);
            glNormal3fv(n);
            glVertex3fv(aLow);
            glVertex3fv(a);
            glVertex3fv(bLow);
            glVertex3fv(b);
            prev = cur;
        }
    }
}
