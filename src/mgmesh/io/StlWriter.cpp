// MgObject::SaveSTL: ASCII and binary STL.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>

#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

using mgmesh::detail::TextOutput;

bool Writable(const MgFacet* f) {
    return f->Vertex(0) && f->Vertex(1) && f->Vertex(2);
}

// The unit normal of the facet's corners in their order, worked out in double; (0,0,0) for a
// facet without extent.
CGeoVector UnitNormal(const MgFacet* f) {
    double p[3][3];
    for (int i = 0; i < 3; ++i)
        for (int a = 0; a < 3; ++a)
            p[i][a] = f->Vertex(i)->Vertex()[a];
    const double u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const double w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                         u[0] * w[1] - u[1] * w[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0) || !std::isfinite(length))
        return CGeoVector();
    return CGeoVector(float(n[0] / length), float(n[1] / length), float(n[2] / length));
}

void WriteTriple(TextOutput& out, const CGeoVector& v) {
    out.Number(v.x).Text(" ").Number(v.y).Text(" ").Number(v.z).Text("\n");
}

void WriteAscii(const MgObject& object, std::ostream& stream) {
    TextOutput out(stream);
    long long number = 0;
    for (const MgFace* face : object.FaceList()) {
        const std::string name = "face" + std::to_string(number++);
        out.Text("solid ").Text(name).Text("\n");
        for (const MgFacet* f : face->FacetList()) {
            if (!Writable(f))
                continue;
            out.Text("  facet normal ");
            WriteTriple(out, UnitNormal(f));
            out.Text("    outer loop\n");
            for (int i = 0; i < 3; ++i) {
                out.Text("      vertex ");
                WriteTriple(out, f->Vertex(i)->Vertex());
            }
            out.Text("    endloop\n  endfacet\n");
        }
        out.Text("endsolid ").Text(name).Text("\n");
    }
}

void WriteBinary(const MgObject& object, std::ostream& stream) {
    TextOutput out(stream);
    // the header must not start with "solid", which would make it look like text
    unsigned char header[84];
    std::memset(header, ' ', 80);
    std::memcpy(header, "binary STL written by mgmesh", 28);
    std::uint32_t count = 0;
    for (const MgFace* face : object.FaceList())
        for (const MgFacet* f : face->FacetList())
            count += Writable(f) ? 1 : 0;
    mgmesh::detail::StoreU32(header + 80, count);
    out.Bytes(header, sizeof header);
    for (const MgFace* face : object.FaceList())
        for (const MgFacet* f : face->FacetList()) {
            if (!Writable(f))
                continue;
            unsigned char record[50] = {};
            const CGeoVector normal = UnitNormal(f);
            for (int a = 0; a < 3; ++a)
                mgmesh::detail::StoreF32(record + 4 * a, normal[a]);
            for (int i = 0; i < 3; ++i)
                for (int a = 0; a < 3; ++a)
                    mgmesh::detail::StoreF32(record + 12 + 12 * i + 4 * a,
                                             f->Vertex(i)->Vertex()[a]);
            out.Bytes(record, sizeof record); // the attribute stays 0
        }
}

} // namespace

void MgObject::SaveSTL(std::ostream& out, bool binary) const {
    if (binary)
        WriteBinary(*this, out);
    else
        WriteAscii(*this, out);
}
