// The operation fuzzer's trace.
#include "OperationTrace.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgObject.h"
#include "support/ModelText.h"

namespace mgfuzz {

bool OperationTrace::Enabled() {
    return std::getenv("MGFUZZ_TRACE") != nullptr;
}

void OperationTrace::Step(const std::string& text) const {
    if (m_on)
        std::fprintf(stderr, "%s\n", text.c_str());
}

void OperationTrace::Model(const std::vector<std::unique_ptr<MgObject>>& objects) const {
    if (!m_on)
        return;
    support::TextOptions options;
    options.values = false;
    int number = 0;
    for (const auto& o : objects)
        std::fprintf(stderr, " object %d\n%s", number++, support::ModelText(*o, options).c_str());
}

std::string OperationTrace::Position(const MgFace* face, const MgFacet* f) {
    const auto it = std::find(face->FacetList().begin(), face->FacetList().end(), f);
    return std::to_string(std::distance(face->FacetList().begin(), it));
}

} // namespace mgfuzz
