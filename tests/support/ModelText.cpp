// A model as text.
#include "support/ModelText.h"

#include <sstream>
#include <unordered_map>

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace support {

namespace {

template <class Item> class Numbers {
public:
    template <class List> explicit Numbers(const List& list) {
        for (const Item* item : list)
            m_numbers.emplace(item, static_cast<long>(m_numbers.size()));
    }
    bool Has(const Item* item) const { return m_numbers.count(item) != 0; }
    std::string operator()(const Item* item) const {
        if (!item)
            return "-";
        const auto it = m_numbers.find(item);
        return it == m_numbers.end() ? "?" : std::to_string(it->second);
    }

private:
    std::unordered_map<const Item*, long> m_numbers;
};

void Write(std::ostream& os, const CGeoVector& v) {
    os << ' ' << v.x << ' ' << v.y << ' ' << v.z;
}

// Walked rather than measured, so that a position outside the edge's list shows as "?".
std::string Place(const MgEdge* e, const MgCorner* c) {
    long place = 0;
    for (auto it = e->VertexList().begin(); it != e->VertexList().end(); ++it, ++place)
        if (it == c->VertIter())
            return std::to_string(place);
    return "?";
}

} // namespace

std::string FaceText(const MgFace* face, const TextOptions& options) {
    std::ostringstream os;
    os << std::hexfloat;
    if (options.header)
        os << "face id " << face->GeoFaceId() << " tolerance " << face->GeoTolerance()
           << (face->TrueDirection() ? " true direction" : "")
           << (face->Corrupt() ? " corrupt" : "") << '\n';
    const Numbers<MgVertex> vertex(face->VertexList());
    const Numbers<MgFacet> facet(face->FacetList());
    const Numbers<MgEdge> edge(face->EdgeList());
    for (const MgVertex* v : face->VertexList()) {
        os << "vertex " << vertex(v) << ':';
        if (options.values) {
            Write(os, v->Vertex());
            Write(os, v->Normal());
            os << ' ' << v->GeoUV()[0] << ' ' << v->GeoUV()[1];
        }
        os << " refs " << v->RefCount();
        if (options.auxData)
            os << " aux " << v->AuxData();
        os << '\n';
    }
    for (const MgFacet* f : face->FacetList())
        os << "facet " << facet(f) << ": " << vertex(f->Vertex(0)) << ' ' << vertex(f->Vertex(1))
           << ' ' << vertex(f->Vertex(2)) << " | " << facet(f->Neighbor(0)) << ' '
           << facet(f->Neighbor(1)) << ' ' << facet(f->Neighbor(2)) << '\n';
    for (const MgEdge* e : face->EdgeList()) {
        os << "edge " << edge(e) << ':';
        for (const MgVertex* v : e->VertexList())
            os << ' ' << vertex(v);
        os << '\n';
    }
    if (!options.corners)
        return os.str();
    long number = 0;
    for (const MgCorner* c : face->CornerList()) {
        os << "corner " << number++ << ':';
        if (options.values)
            Write(os, c->Position());
        const MgEdge* e = c->Edge();
        os << " on " << edge(e) << " at " << (e && edge.Has(e) ? Place(e, c) : "-") << '\n';
    }
    return os.str();
}

std::string ModelText(const MgObject& object, const TextOptions& options) {
    std::string text;
    for (const MgFace* face : object.FaceList())
        text += FaceText(face, options);
    return text;
}

} // namespace support
