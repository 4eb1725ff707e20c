// The operation fuzzer's trace: with MGFUZZ_TRACE set in the environment, every step and the
// model after it go to stderr, to follow a finding step by step.
#pragma once

#include <memory>
#include <string>
#include <vector>

class MgFace;
class MgFacet;
class MgObject;

namespace mgfuzz {

class OperationTrace {
public:
    bool On() const { return m_on; }
    /// A line of text.
    void Step(const std::string& text) const;
    /// Every object's faces as support::FaceText writes them, without the values.
    void Model(const std::vector<std::unique_ptr<MgObject>>& objects) const;
    /// The facet's place in its face's list, for the step lines.
    static std::string Position(const MgFace* face, const MgFacet* f);

private:
    bool m_on = Enabled();
    static bool Enabled();
};

} // namespace mgfuzz
