// The model's invariants: the one check that the tests and the fuzz targets run after every
// operation, with no test framework behind it (support/Topology.h turns it into test failures).
#pragma once

#include <string>

class CGeoVector;
class MgFace;
class MgObject;

namespace support {

/// The first broken invariant of the face, as a short sentence, or "" when all hold: counts
/// equal list lengths; no item is listed twice; every item's parent is the face; every facet
/// and edge vertex is in the face's vertex list, and no edge entry is null; every neighbour
/// is a live facet of the face; reference counts equal the facet slots and edge entries that
/// hold each vertex (0 for a vertex nothing holds); every corner on an edge sits on a live
/// edge of the face, at a position in its vertex list; once the face has changed, its cached
/// bounds are those of its vertices. With `mutualLinks`, every neighbour link is also
/// returned by the neighbour. A pointer is compared against the face's own lists before it is
/// followed, so a dangling one is reported, not dereferenced. Linear in the face's items.
std::string BrokenInvariant(const MgFace* face, bool mutualLinks = true);

/// BrokenInvariant for every face, each face's parent the object, the object's counts the
/// sums of its faces' and, once it has changed, its cached bounds those of its faces.
std::string BrokenInvariant(const MgObject& object, bool mutualLinks = true);

/// Every neighbour link of the face is returned by the neighbour (neighbours must be live
/// facets of the face).
bool LinksMutual(const MgFace* face);

/// Links are mutual, and no facet is linked to itself or to one facet across two sides. Only
/// for such faces do the splits promise mutual links afterwards: where two facets border each
/// other along several sides, a split re-points only one of the links.
bool LinksSimple(const MgFace* face);

/// The same bits: tells -0 from 0 and compares NaN equal to itself.
bool SameBits(const CGeoVector& a, const CGeoVector& b);

} // namespace support
