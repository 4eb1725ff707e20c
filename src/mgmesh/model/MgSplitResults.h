// The value records returned by the facet splits.
#pragma once

class MgFacet;

/// What MgFacet::Split made: the facet cut off the split facet, the facet cut off its
/// neighbour (null when there was none) and the neighbour's side that was cut.
struct MgTwoFacets {
    MgFacet* first;
    MgFacet* second;
    int neighborSide;
};

/// What MgFacet::SplitSubDiv made, filled from the front: the facet cut off the split facet,
/// the facet cut off the neighbour, the neighbour itself; `count` says how many are filled.
struct MgFourFacetsSubDiv {
    MgFacet* facets[4];
    int count;
};
