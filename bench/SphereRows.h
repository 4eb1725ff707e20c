// The pieces the sphere rows share across the benchmark program's files: the sizes, the peer
// to time beside the library, the cached model of one size, and the rows that live apart from
// SphereBench.cpp (the SCB round trip, the drawing rows), all registered by Register().
#pragma once

#include <string>

#include <benchmark/benchmark.h>

#include "mgmesh/mgmesh.h"

namespace bench {

inline const long kSphereSizes[] = {20480, 81920, 327680, 1310720};

/// The command of the peer to time beside the library (--peer), or empty.
std::string& PeerCommand();

/// False, with the row skipped, unless `object` holds the whole sphere of the row's size.
bool CheckSphere(benchmark::State& state, const MgObject& object);

/// The loaded sphere with its edges built, kept for the rows of one size.
const MgObject& Model(long facets);

/// SaveSCB then LoadSCB of the model, in memory (ScbBench.cpp).
void ScbRoundTripRow(benchmark::State& state);

/// Drawing the sphere beside a raw display list of strips (RenderBench.cpp).
void RawReplayRow(benchmark::State& state);
void RawFirstRow(benchmark::State& state);
void DrawFirstRow(benchmark::State& state);
void DrawReplayRow(benchmark::State& state);

/// Registers every sphere row, size by size.
void Register();

} // namespace bench
