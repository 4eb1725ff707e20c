// The streams' own reading and writing.
#include "support/StreamReference.h"

#include <sstream>
#include <unordered_map>

#include "mgmesh/mgmesh.h"

namespace support {

std::string StreamState(std::istream& in) {
    std::ostringstream s;
    s << "state " << in.rdstate() << " at "
      << in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    return s.str();
}

void InsertScbFaces(std::ostream& out, const MgObject& object) {
    for (const MgFace* face : object.FaceList()) {
        out << "\tfaceBegin " << face->GeoFaceId() << "\n\t\ttolerance " << face->GeoTolerance()
            << "\n";
        if (face->TrueDirection())
            out << "\t\ttrueDirection\n";
        std::unordered_map<const MgVertex*, int> vertices;
        std::unordered_map<const MgFacet*, int> facets;
        for (const MgVertex* v : face->VertexList()) {
            const int n = static_cast<int>(vertices.size());
            vertices.emplace(v, n);
            const CGeoVector& p = v->Vertex();
            const CGeoVector& m = v->Normal();
            out << "\t\tvertex " << n << ' ' << v->GeoUV()[0] << ' ' << v->GeoUV()[1] << ' ' << p.x
                << ' ' << p.y << ' ' << p.z << ' ' << m.x << ' ' << m.y << ' ' << m.z << "\n";
        }
        for (const MgFacet* f : face->FacetList())
            facets.emplace(f, static_cast<int>(facets.size()));
        auto vertex = [&](const MgVertex* v) { return v ? vertices.at(v) : -1; };
        auto facet = [&](const MgFacet* f) { return f ? facets.at(f) : -1; };
        for (const MgFacet* f : face->FacetList()) {
            out << "\t\tfacet " << facet(f) << '\t';
            for (int i = 0; i < 3; ++i)
                out << vertex(f->Vertex(i)) << ' ';
            out << '\t';
            for (int i = 0; i < 3; ++i)
                out << facet(f->Neighbor(i)) << ' ';
            out << "\n";
        }
        for (const MgEdge* e : face->EdgeList()) {
            out << "\t\tedge";
            for (const MgVertex* v : e->VertexList())
                out << ' ' << vertex(v);
            out << "\n";
        }
        for (const MgCorner* c : face->CornerList()) {
            const CGeoVector& p = c->Position();
            out << "\t\tcorner " << p.x << ' ' << p.y << ' ' << p.z << "\n";
        }
        out << "\tfaceEnd\n";
    }
}

} // namespace support
