// MgObject::SaveOBJ: the Wavefront OBJ writer.
#include <ostream>
#include <string>
#include <unordered_map>

#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

void MgObject::SaveOBJ(std::ostream& stream) const {
    mgmesh::detail::TextOutput out(stream);
    out.Text("# written by mgmesh\n");
    // OBJ numbers its v lines through the whole file, from 1
    long long written = 0, group = 0;
    std::unordered_map<const MgVertex*, long long> numbers;
    for (const MgFace* face : m_faces) {
        numbers.clear();
        numbers.reserve(face->VertexList().size());
        out.Text("g face").Number(group++).Text("\n");
        for (const MgVertex* v : face->VertexList()) {
            numbers[v] = ++written;
            const CGeoVector& p = v->Vertex();
            const CGeoVector& n = v->Normal();
            out.Text("v ").Number(p.x).Text(" ").Number(p.y).Text(" ").Number(p.z);
            out.Text("\nvt ").Number(v->GeoUV()[0]).Text(" ").Number(v->GeoUV()[1]);
            out.Text("\nvn ").Number(n.x).Text(" ").Number(n.y).Text(" ").Number(n.z).Text("\n");
        }
        for (const MgFacet* f : face->FacetList()) {
            long long corner[3];
            bool writable = true;
            for (int i = 0; i < 3; ++i) {
                const auto found = numbers.find(f->Vertex(i));
                writable = writable && found != numbers.end();
                corner[i] = writable ? found->second : 0;
            }
            if (!writable) // an empty slot, or a vertex of another face
                continue;
            out.Text("f");
            for (long long c : corner)
                out.Text(" ").Number(c).Text("/").Number(c).Text("/").Number(c);
            out.Text("\n");
        }
    }
}
