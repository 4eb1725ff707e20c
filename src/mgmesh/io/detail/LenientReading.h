// The exact and lenient modes of the OBJ and PLY readers: the warnings a lenient read collects,
// the failure that stops it, and the readers' entries (internal).
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mgmesh/io/ImportResult.h"

class MgObject;
class MyProgressNotify;

namespace mgmesh::detail {

/// What stops a lenient read: the reason and the place.
struct ImportFailure {
    ImportIssue issue;
};

/// The warnings of a lenient read, in file order. A reader that has none reads exactly.
class ImportWarnings {
public:
    /// A warning that is given as it is.
    void Once(ImportIssue issue) { m_issues.push_back(std::move(issue)); }
    /// A warning of the kind `what` (a constant text): the first keeps its place and, at the
    /// end, gets the count of its kind before `what` as its reason.
    void Count(ImportIssue place, const char* what) {
        for (Kind& kind : m_kinds)
            if (kind.what == what) {
                ++kind.count;
                return;
            }
        m_kinds.push_back({what, m_issues.size(), 1});
        m_issues.push_back(std::move(place));
    }
    std::vector<ImportIssue> Take() {
        for (const Kind& kind : m_kinds)
            m_issues[kind.at].reason = std::to_string(kind.count) + " " + kind.what;
        m_kinds.clear();
        return std::move(m_issues);
    }

private:
    struct Kind {
        const char* what;
        std::size_t at;
        long long count;
    };
    std::vector<ImportIssue> m_issues;
    std::vector<Kind> m_kinds;
};

/// The OBJ and PLY readers: `warnings` null reads as LoadOBJ and LoadPLY do, throwing their
/// texts; otherwise what a lenient read accepts goes to `warnings`, and what stops it is thrown
/// as an ImportFailure.
void ReadObj(MgObject& object, std::istream& in, MyProgressNotify* progress,
             ImportWarnings* warnings);
void ReadPly(MgObject& object, std::istream& in, MyProgressNotify* progress,
             ImportWarnings* warnings);

/// "\"word\"" (at most 40 bytes of it), or `none` when the word is empty.
inline std::string Quoted(std::string_view word, const char* none = "the end of the line") {
    return word.empty() ? none : "\"" + std::string(word.substr(0, 40)) + "\"";
}

} // namespace mgmesh::detail
