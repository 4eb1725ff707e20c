// MgObject::SavePLY: the PLY writer (ASCII or binary little-endian).
#include <ostream>
#include <unordered_map>
#include <vector>

#include "mgmesh/io/detail/FormatIo.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

using mgmesh::detail::TextOutput;

void WriteFloat(TextOutput& out, float value, bool binary, bool last) {
    if (binary) {
        unsigned char bytes[4];
        mgmesh::detail::StoreF32(bytes, value);
        out.Bytes(bytes, 4);
    } else {
        out.Number(value).Text(last ? "\n" : " ");
    }
}

} // namespace

void MgObject::SavePLY(std::ostream& stream, bool binary) const {
    // one file holds one face: the faces go in one after the other, numbered through
    std::unordered_map<const MgVertex*, long long> numbers;
    std::vector<long long> corners; // three a facet
    for (const MgFace* face : m_faces) {
        for (const MgVertex* v : face->VertexList())
            numbers.emplace(v, static_cast<long long>(numbers.size()));
        for (const MgFacet* f : face->FacetList()) {
            long long corner[3];
            bool writable = true;
            for (int i = 0; i < 3; ++i) {
                const auto found = numbers.find(f->Vertex(i));
                writable = writable && found != numbers.end() && found->first->ParentFace() == face;
                corner[i] = writable ? found->second : 0;
            }
            if (writable) // not an empty slot or a vertex of another face
                corners.insert(corners.end(), corner, corner + 3);
        }
    }
    TextOutput out(stream);
    out.Text("ply\nformat ").Text(binary ? "binary_little_endian" : "ascii");
    out.Text(" 1.0\ncomment written by mgmesh\nelement vertex ");
    out.Number(static_cast<long long>(numbers.size()));
    out.Text("\nproperty float x\nproperty float y\nproperty float z\n"
             "property float nx\nproperty float ny\nproperty float nz\n"
             "property float u\nproperty float v\nelement face ");
    out.Number(static_cast<long long>(corners.size() / 3));
    out.Text("\nproperty list uchar int vertex_indices\nend_header\n");
    for (const MgFace* face : m_faces)
        for (const MgVertex* v : face->VertexList()) {
            const float values[8] = {v->Vertex().x, v->Vertex().y, v->Vertex().z, v->Normal().x,
                                     v->Normal().y, v->Normal().z, v->GeoUV()[0], v->GeoUV()[1]};
            for (int i = 0; i < 8; ++i)
                WriteFloat(out, values[i], binary, i == 7);
        }
    for (std::size_t i = 0; i < corners.size(); i += 3) {
        if (!binary) {
            out.Text("3 ").Number(corners[i]).Text(" ").Number(corners[i + 1]);
            out.Text(" ").Number(corners[i + 2]).Text("\n");
            continue;
        }
        unsigned char record[13] = {3};
        for (int j = 0; j < 3; ++j)
            mgmesh::detail::StoreU32(record + 1 + 4 * j,
                                     static_cast<std::uint32_t>(corners[i + j]));
        out.Bytes(record, sizeof record);
    }
}
