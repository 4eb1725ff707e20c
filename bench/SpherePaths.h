// Where the benchmarks' sphere files live, by size and kind; the files themselves are written by
// SphereGen.h (mgmesh_bench --write-spheres).
#pragma once

#include <cstdlib>
#include <string>

namespace bench {

/// The directory of the sphere files: $MGMESH_BENCH_DIR, or /tmp/mgmesh-bench.
inline std::string SphereDirectory() {
    const char* dir = std::getenv("MGMESH_BENCH_DIR");
    return dir && *dir ? dir : "/tmp/mgmesh-bench";
}

/// The path of the icosphere of `facets` facets as ASCII STL, or as binary STL.
inline std::string SpherePath(long facets, bool binary = false) {
    return SphereDirectory() + "/icosphere-" + std::to_string(facets) +
           (binary ? "-binary.stl" : ".stl");
}

} // namespace bench
