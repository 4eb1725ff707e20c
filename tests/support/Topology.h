// The model's invariants, checked by the tests after every operation.
#pragma once

#include "mgmesh/mgmesh.h"

/// Reference counts equal the facet slots and edge entries holding each vertex (vertices
/// that nothing holds have count 0); every item's parent is the face; every facet and edge
/// vertex is in the face's vertex list; counts equal list lengths. With `mutualLinks`,
/// every neighbour link is returned by the neighbour.
void ExpectValidTopology(const MgFace* face, bool mutualLinks = true);
void ExpectValidTopology(const MgObject& object, bool mutualLinks = true);
