// "1 shell", "3 facets reversed": a count with its noun (internal).
#pragma once

#include <string>

namespace mgmesh::detail {

inline std::string Counted(long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace mgmesh::detail
