// The library against a bare streaming parse and its peers, on closed icospheres of 20,480 to
// 1,310,720 facets read from ASCII STL files: loading, the mesh report, edge building, deep
// copy, the SCB round trip (ScbBench.cpp), the host import, and drawing beside a raw display
// list of strips (RenderBench.cpp). The program's options and the goals at the end are in
// Goals.cpp.
//
// The machine these run on is shared, and its speed drifts from one second to the next. So
// each iteration of a row is timed together with its base, measured just before it: the bare
// parse of the same file, or for drawing the raw list's frame. A row reports the median of its
// own times and the median of the ratios of those pairs; the goals at the end of the run are
// judged on the ratios.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BareParse.h"
#include "ProcStatus.h"
#include "SoupRecord.h"
#include "SphereGen.h"
#include "SphereRows.h"
#include "Timing.h"
#include "mgmesh/mgmesh.h"

namespace bench {

bool CheckSphere(benchmark::State& state, const MgObject& object) {
    const long facets = state.range(0);
    if (object.NumFacets() != facets || object.NumVertices() != facets / 2 + 2) {
        state.SkipWithError("the sphere did not load as expected");
        return false;
    }
    return true;
}

const MgObject& Model(long facets) {
    static long cachedFacets = 0;
    static std::unique_ptr<MgObject> cached;
    if (cachedFacets != facets) {
        cached.reset();
        cached = std::make_unique<MgObject>();
        std::ifstream in(SphereFile(facets));
        cached->LoadSTL(in);
        cached->FaceList().front()->RebuildEdges();
        cachedFacets = facets;
    }
    return *cached;
}

namespace {

// ---- rows against the bare parse ----

void BareParseRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    Samples samples(state, "BareParse");
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        const double numbers = BareParse(path);
        const double seconds = Since(start);
        samples.Add(seconds, seconds);
        if (long(numbers) != 12 * state.range(0)) {
            state.SkipWithError("the bare parse missed numbers");
            return;
        }
    }
    samples.Finish();
    struct stat info;
    stat(path.c_str(), &info);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(info.st_size));
}

void LoadStlRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    Samples samples(state, "LoadSTL");
    std::vector<double> deletes;
    for (auto _ : state) {
        const double bare = TimeBare(path);
        auto object = std::make_unique<MgObject>();
        std::ifstream in(path);
        const Clock::time_point start = Clock::now();
        object->LoadSTL(in);
        samples.Add(Since(start), bare);
        if (!CheckSphere(state, *object))
            return;
        const Clock::time_point gone = Clock::now();
        object.reset();
        deletes.push_back(Since(gone));
    }
    samples.Finish();
    state.counters["delete_s"] = Median(deletes);
}

// The binary file of the same model, each load paired with a LoadSTL of the ASCII file.
void LoadBinaryStlRow(benchmark::State& state) {
    const std::string ascii = SphereFile(state.range(0));
    const std::string binary = SphereFile(state.range(0), true);
    Samples samples(state, "LoadBinarySTL", "LoadSTL");
    for (auto _ : state) {
        double text = 0;
        {
            auto object = std::make_unique<MgObject>();
            std::ifstream in(ascii);
            const Clock::time_point start = Clock::now();
            object->LoadSTL(in);
            text = Since(start);
        }
        auto object = std::make_unique<MgObject>();
        std::ifstream in(binary, std::ios::binary);
        const Clock::time_point start = Clock::now();
        object->LoadBinarySTL(in);
        samples.Add(Since(start), text);
        if (!CheckSphere(state, *object))
            return;
    }
    samples.Finish();
}

// The mesh report of a freshly loaded sphere, paired with that load: what info costs beside
// reading the file.
void MeshReportRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    Samples samples(state, "MeshReport", "LoadSTL");
    for (auto _ : state) {
        auto object = std::make_unique<MgObject>();
        std::ifstream in(path);
        Clock::time_point start = Clock::now();
        object->LoadSTL(in);
        const double load = Since(start);
        start = Clock::now();
        const mgmesh::MeshReport report = mgmesh::ReportMesh(*object);
        samples.Add(Since(start), load);
        if (!CheckSphere(state, *object) || report.shells != 1 || !report.Clean()) {
            state.SkipWithError("the sphere's report is not one clean shell");
            return;
        }
    }
    samples.Finish();
}

// The peer, a whole process on the same file (see --peer).
void PeerRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    const std::string command = PeerCommand() + " '" + path + "' >/dev/null 2>&1";
    Samples samples(state, "Peer");
    for (auto _ : state) {
        const double bare = TimeBare(path);
        const Clock::time_point start = Clock::now();
        const int status = std::system(command.c_str());
        samples.Add(Since(start), bare);
        if (status != 0) {
            state.SkipWithError("the peer failed");
            return;
        }
    }
    samples.Finish();
}

// The peak memory of a process that loads the file, measured in a child process of this
// program (see --peak-rss-load).
void PeakMemoryRow(benchmark::State& state) {
    const long facets = state.range(0);
    const std::string self = SelfPath();
    if (self.empty()) {
        state.SkipWithError("cannot find this program");
        return;
    }
    const std::string command = self + " --peak-rss-load=" + SphereFile(facets);
    double peakKb = 0, beforeKb = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::FILE* child = popen(command.c_str(), "r");
        long loaded = 0;
        if (!child || std::fscanf(child, "%ld %lf %lf", &loaded, &beforeKb, &peakKb) != 3 ||
            pclose(child) != 0 || loaded != facets) {
            state.SkipWithError("the loading process failed");
            return;
        }
        state.SetIterationTime(Since(start));
    }
    const double perFacet = peakKb * 1024 / double(facets);
    const double modelPerFacet = (peakKb - beforeKb) * 1024 / double(facets);
    Results()["PeakBytesPerFacet"][facets] = Result{perFacet, 0};
    Results()["ModelBytesPerFacet"][facets] = Result{modelPerFacet, 0};
    state.counters["peak_bytes_per_facet"] = perFacet;
    state.counters["model_bytes_per_facet"] = modelPerFacet;
}

void RebuildEdgesRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    MgFace* face = Model(state.range(0)).FaceList().front();
    Samples samples(state, "RebuildEdges");
    for (auto _ : state) {
        const double bare = TimeBare(path);
        const Clock::time_point start = Clock::now();
        const bool built = face->RebuildEdges();
        samples.Add(Since(start), bare);
        if (!built || face->NumEdges() != 0) {
            state.SkipWithError("the sphere is not closed");
            return;
        }
    }
    samples.Finish();
}

void CopyObjectRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    const MgObject& model = Model(state.range(0));
    Samples samples(state, "CopyObject");
    for (auto _ : state) {
        const double bare = TimeBare(path);
        auto copy = std::make_unique<MgObject>();
        const Clock::time_point start = Clock::now();
        copy->CopyObject(&model);
        samples.Add(Since(start), bare);
        if (!CheckSphere(state, *copy))
            return;
    }
    samples.Finish();
}

void FillFacesRow(benchmark::State& state) {
    const long facets = state.range(0);
    const std::string path = SphereFile(facets);
    const SoupRecord soup(CachedIcosphere(SphereLevel(facets)));
    Samples samples(state, "FillFacesInObj");
    for (auto _ : state) {
        const double bare = TimeBare(path);
        auto object = std::make_unique<MgObject>();
        const Clock::time_point start = Clock::now();
        object->FillFacesInObj(soup.record, nullptr);
        samples.Add(Since(start), bare);
        if (!CheckSphere(state, *object))
            return;
    }
    const Result fill = samples.Finish();
    Result load;
    if (Find("LoadSTL", facets, load))
        state.counters["x_LoadSTL"] = fill.ratio / load.ratio;
}

// ---- registration: every row of a size before the next size, so caches serve one size ----

int Iterations(long facets) {
    return facets >= 327680 ? 5 : facets >= 81920 ? 9 : 15;
}

} // namespace

void Register() {
    const std::pair<const char*, void (*)(benchmark::State&)> rows[] = {
        {"BareParse", BareParseRow},
        {"LoadSTL", LoadStlRow},
        {"LoadBinarySTL", LoadBinaryStlRow},
        {"MeshReport", MeshReportRow},
        {"Peer", PeerRow},
        {"PeakMemory", PeakMemoryRow},
        {"RebuildEdges", RebuildEdgesRow},
        {"CopyObject", CopyObjectRow},
        {"SaveLoadSCB", ScbRoundTripRow},
        {"FillFacesInObj", FillFacesRow},
        {"RawStripsReplay", RawReplayRow},
        {"RawStripsFirst", RawFirstRow},
        {"DrawFirst", DrawFirstRow},
        {"DrawReplay", DrawReplayRow}};
    for (long facets : kSphereSizes)
        for (const auto& row : rows) {
            const std::string name = row.first;
            if (name == "Peer" && PeerCommand().empty())
                continue;
            const int iterations = name == "PeakMemory" ? 1
                                   : name == "Peer"     ? 3
                                                        : Iterations(facets);
            benchmark::RegisterBenchmark(("Sphere/" + name).c_str(), row.second)
                ->Arg(facets)
                ->Iterations(iterations)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
}

} // namespace bench
