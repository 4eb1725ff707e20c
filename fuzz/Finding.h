// What the fuzz targets report: a broken invariant or an unexpected outcome, thrown as a
// Finding. The fuzzer entry turns it into a crash, the regression test into a failure.
#pragma once

#include <string>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgObject.h"
#include "support/Invariants.h"

namespace mgfuzz {

struct Finding {
    std::string what;
};

[[noreturn]] inline void Fail(const std::string& what) {
    throw Finding{what};
}

#define MGFUZZ_CHECK(condition, what)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::mgfuzz::Fail(std::string(what) + " [" #condition "]");                               \
    } while (0)

/// The model's invariants (support::BrokenInvariant) as a Finding. A file's links, and those
/// that several operations leave, may be one-sided, so only their targets are checked.
inline void CheckFace(const MgFace* face) {
    const std::string problem = support::BrokenInvariant(face, false);
    if (!problem.empty())
        Fail(problem);
}

inline void CheckObject(const MgObject& object) {
    const std::string problem = support::BrokenInvariant(object, false);
    if (!problem.empty())
        Fail(problem);
}

} // namespace mgfuzz
