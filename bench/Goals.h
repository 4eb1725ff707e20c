// The sphere benchmarks' side of the benchmark program: its own command-line options and the
// closing table of goals, measured against the bare parse and the peers.
#pragma once

namespace bench {

/// Handles and removes the program's own options:
///   --write-spheres          writes the sphere files, ASCII and binary (see SphereGen.h), exits
///   --peak-rss-load=FILE     loads FILE with MgObject::LoadSTL, prints its peak memory, exits
///   --peers=FILE             peer timings ("admesh <facets> <seconds>" lines) for the ratios
/// Returns true when the program should exit with `exitCode` now.
bool HandleOptions(int& argc, char** argv, int& exitCode);

/// Prints every goal as a measured ratio from this run's in-process medians, met or not (for
/// profiling: the goals are judged on whole processes, by mgmesh_whole).
void PrintGoals();

} // namespace bench
