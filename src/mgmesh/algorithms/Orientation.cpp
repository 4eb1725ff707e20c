// Orientation tests of a face's vertex normals and the projected area of facets and faces.
#include <cmath>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgVertex.h"

// Normals are used as stored, not normalised: the thresholds apply to raw dot products. All
// arithmetic stays in float through CGeoVector's operators, so a value equal to the tolerance
// passes exactly where plain float operations put it. Comparisons are written so that a NaN
// value (zero direction, vertex on the axis) makes the "> tolerance" tests false: such a
// vertex passes the whole-face tests and fails IsPartVertical's "<= tolerance".

bool MgFace::IsVertical(const CGeoVector& direction, float tolerance) const {
    const CGeoVector u = direction / direction.Norm();
    for (const MgVertex* v : m_vertices)
        if (std::fabs(CGeoVector::Dot(v->Normal(), u)) > tolerance)
            return false;
    return true;
}

bool MgFace::IsFacing(const CGeoVector& direction, float tolerance) const {
    const CGeoVector u = direction / direction.Norm();
    for (const MgVertex* v : m_vertices)
        // the outer absolute value makes a normal longer than 1 count as a deviation too
        if (std::fabs(1.0f - std::fabs(CGeoVector::Dot(v->Normal(), u))) > tolerance)
            return false;
    return true;
}

bool MgFace::IsCylindrical(const CGeoVector& axisPoint, const CGeoVector& axisDirection,
                           float tolerance) const {
    const CGeoVector u = axisDirection / axisDirection.Norm();
    for (const MgVertex* v : m_vertices) {
        const CGeoVector d = v->Vertex() - axisPoint;
        const CGeoVector r = d - u * CGeoVector::Dot(u, d);
        const CGeoVector radial = r / r.Norm();
        // no outer absolute value here: a long normal aligned with the radius passes
        if (1.0f - std::fabs(CGeoVector::Dot(v->Normal(), radial)) > tolerance)
            return false;
    }
    return true;
}

bool MgFace::IsPartVertical(const CGeoVector& direction, float tolerance) const {
    if (m_facets.empty())
        return false;
    const CGeoVector u = direction / direction.Norm();
    for (const MgFacet* f : m_facets) {
        int passed = 0;
        for (; passed < 3; ++passed) {
            const MgVertex* v = f->Vertex(passed);
            // a facet still missing a vertex has nothing to test in that slot and fails
            if (!v || !(std::fabs(CGeoVector::Dot(v->Normal(), u)) <= tolerance))
                break;
        }
        if (passed == 3)
            return true;
    }
    return false;
}

float MgFacet::CastArea(const CGeoVector& direction) const {
    // a facet still missing a vertex casts no shadow
    if (!m_vertices[0] || !m_vertices[1] || !m_vertices[2])
        return 0;
    const CGeoVector& a = m_vertices[0]->Vertex();
    const CGeoVector e1 = m_vertices[1]->Vertex() - a;
    const CGeoVector e2 = m_vertices[2]->Vertex() - a;
    const CGeoVector q1 = e1 - direction * CGeoVector::Dot(e1, direction);
    const CGeoVector q2 = e2 - direction * CGeoVector::Dot(e2, direction);
    return (q1 * q2).z;
}

float MgFace::CastArea(const CGeoVector& direction) const {
    float sum = 0;
    for (const MgFacet* f : m_facets)
        sum += f->CastArea(direction);
    return sum;
}
