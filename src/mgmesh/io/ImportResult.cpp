// mgmesh::ImportIssue: the text of a warning or an error with its place.
#include "mgmesh/io/ImportResult.h"

namespace mgmesh {

std::string ImportIssue::Describe() const {
    std::string where;
    if (line >= 0)
        where = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
    else if (offset >= 0)
        where = "byte " + std::to_string(offset) +
                (facet >= 0 ? " (" + (element.empty() ? std::string("facet") : element) + " " +
                                  std::to_string(facet) + ")"
                            : "") +
                ": ";
    return where + reason;
}

} // namespace mgmesh
