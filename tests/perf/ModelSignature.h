// A text that tells two models apart: every face, item, value (to the bit) and link, in order.
#pragma once

#include <map>
#include <sstream>
#include <string>

#include "mgmesh/mgmesh.h"

namespace perf {

inline std::string Signature(const MgObject& object) {
    std::ostringstream s;
    s << std::hexfloat;
    auto vector = [&s](const CGeoVector& v) { s << ' ' << v.x << ' ' << v.y << ' ' << v.z; };
    for (const MgFace* face : object.FaceList()) {
        s << "face " << face->GeoFaceId() << ' ' << face->GeoTolerance() << ' '
          << face->TrueDirection() << ' ' << face->Corrupt() << '\n';
        std::map<const MgVertex*, int> vertices;
        std::map<const MgFacet*, int> facets;
        std::map<const MgEdge*, int> edges;
        for (const MgVertex* v : face->VertexList()) {
            vertices.emplace(v, int(vertices.size()));
            s << "vertex";
            vector(v->Vertex());
            vector(v->Normal());
            s << ' ' << v->GeoUV()[0] << ' ' << v->GeoUV()[1] << ' ' << v->RefCount() << '\n';
        }
        auto vertexNumber = [&](const MgVertex* v) {
            auto it = vertices.find(v);
            return v ? (it == vertices.end() ? -2 : it->second) : -1;
        };
        for (const MgFacet* f : face->FacetList())
            facets.emplace(f, int(facets.size()));
        for (const MgFacet* f : face->FacetList()) {
            s << "facet";
            for (int i = 0; i < 3; ++i)
                s << ' ' << vertexNumber(f->Vertex(i));
            for (int i = 0; i < 3; ++i) {
                auto it = facets.find(f->Neighbor(i));
                s << ' ' << (f->Neighbor(i) ? (it == facets.end() ? -2 : it->second) : -1);
            }
            s << '\n';
        }
        for (const MgEdge* e : face->EdgeList()) {
            edges.emplace(e, int(edges.size()));
            s << "edge";
            for (const MgVertex* v : e->VertexList())
                s << ' ' << vertexNumber(v);
            s << '\n';
        }
        for (const MgCorner* c : face->CornerList()) {
            s << "corner";
            vector(c->Position());
            auto it = edges.find(c->Edge());
            s << ' ' << (c->Edge() ? (it == edges.end() ? -2 : it->second) : -1);
            s << ' ' << (c->Edge() ? vertexNumber(c->Vertex()) : -1) << '\n';
        }
    }
    return s.str();
}

} // namespace perf
