// Turning model items into their render forms, with the text a drawing call throws when an item
// is of another kind (internal).
#pragma once

#include <cstddef>
#include <typeinfo>

#include "mgmesh/render/MgGrFacet.h"

namespace mgmesh::detail {

/// dynamic_cast<To*>(item), throwing `message` where the item is not a To.
template <class To, class From> To* CastOrThrow(From* item, const char* message) {
    To* cast = dynamic_cast<To*>(item);
    if (!cast)
        throw message;
    return cast;
}

// Converts facets to render facets as dynamic_cast does. A cast from the virtual base walks
// the class's inheritance graph; the facets of a face are nearly always of one class, and
// for one complete class the render facet lies at one fixed offset from the facet, so the
// offset found for the last class is reused while the class stays the same.
class RenderFacetCast {
public:
    const MgGrFacet* operator()(const MgFacet* facet) {
        const std::type_info* type = &typeid(*facet);
        if (type == m_type)
            return reinterpret_cast<const MgGrFacet*>(reinterpret_cast<const char*>(facet) +
                                                      m_offset);
        const MgGrFacet* grFacet =
            CastOrThrow<const MgGrFacet>(facet, "Incompatible member in structure MgGrFace");
        m_type = type;
        m_offset = reinterpret_cast<const char*>(grFacet) - reinterpret_cast<const char*>(facet);
        return grFacet;
    }

private:
    const std::type_info* m_type = nullptr;
    std::ptrdiff_t m_offset = 0;
};

} // namespace mgmesh::detail
