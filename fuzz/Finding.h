// What the fuzz targets report: a broken invariant or an unexpected outcome, thrown as a
// Finding. The fuzzer entry turns it into a crash, the regression test into a failure.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
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

/// Runs `run`; a message text it throws must be one of `allowed` (with none, it must throw
/// nothing). Returns whether `run` completed.
template <class Run> bool ExpectThrown(Run&& run, std::initializer_list<const char*> allowed = {}) {
    try {
        run();
        return true;
    } catch (const char* message) {
        for (const char* text : allowed)
            if (std::strcmp(message, text) == 0)
                return false;
        Fail(std::string("unexpected message \"") + message + "\"");
    }
}

/// Whether the facet holds three vertices, and whether every facet of the face does.
inline bool Complete(const MgFacet* f) {
    return f->Vertex(0) && f->Vertex(1) && f->Vertex(2);
}
inline bool Complete(const MgFace* face) {
    for (const MgFacet* f : face->FacetList())
        if (!Complete(f))
            return false;
    return true;
}

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
