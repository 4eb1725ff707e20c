// The copy of a model that pictures are drawn from: normals from the facets' geometry with a
// crease angle, and the feature edges as lines.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <mgmesh/mgmesh.h>

#include "Load.h"

namespace mgtool {

/// Render objects that mirror a model's objects face by face (same ids, facets in the same
/// order, the same colours), with vertices split where facets meet at more than the crease
/// angle: each corner's normal is the area-weighted mean of the normals of the facets around
/// its vertex that lie within the crease angle of its own facet. So flat parts look flat,
/// curved parts smooth, and normals a file got wrong, or left zero, do not matter. Linear in
/// the facets (a vertex of more than 512 facets gets the facets' own normals).
class DisplayModel {
public:
    DisplayModel(const Model& model, float creaseDegrees);

    /// The copies with the roles of the model's objects, in the same order.
    const std::vector<std::pair<std::string, std::unique_ptr<MgGrObject>>>& Objects() const {
        return m_objects;
    }
    /// The feature edges of the model as pairs of end points: boundaries, edges of three or
    /// more facets, and edges whose two facets meet at more than the crease angle. Worked out
    /// on the first call.
    const std::vector<CGeoVector>& FeatureLines() const;

private:
    const Model& m_model;
    float m_cosCrease;
    std::vector<std::pair<std::string, std::unique_ptr<MgGrObject>>> m_objects;
    mutable bool m_featuresFound = false;
    mutable std::vector<CGeoVector> m_features;
};

} // namespace mgtool
