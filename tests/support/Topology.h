// The model's invariants as test failures: support::BrokenInvariant behind gtest.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Invariants.h"

/// Fails the test with the first broken invariant of the face (see support::BrokenInvariant).
/// With `mutualLinks`, every neighbour link must be returned by the neighbour; pass false
/// where the operation promises nothing about the links' other ends.
inline void ExpectValidTopology(const MgFace* face, bool mutualLinks = true) {
    const std::string problem = support::BrokenInvariant(face, mutualLinks);
    if (!problem.empty())
        ADD_FAILURE() << problem;
}

/// ExpectValidTopology for every face of the object, and the object's own counts and bounds.
inline void ExpectValidTopology(const MgObject& object, bool mutualLinks = true) {
    const std::string problem = support::BrokenInvariant(object, mutualLinks);
    if (!problem.empty())
        ADD_FAILURE() << problem;
}
