// SCB saving and loading of closed icospheres, and the token reader beside plain extraction.
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>

#include "mgmesh/detail/TokenReader.h"
#include "mgmesh/mgmesh.h"

namespace {

// An icosahedron subdivided `levels` times onto a sphere of radius 100, as one closed face
// with its neighbour links: 20·4^levels facets.
std::unique_ptr<MgObject> IcosphereObject(int levels) {
    const float t = 1.6180339887f;
    std::vector<CGeoVector> points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                      {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                      {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    std::vector<int> triangles = {0, 11, 5, 0, 5,  1,  0,  1,  7,  0,  7, 10, 0, 10, 11,
                                  1, 5,  9, 5, 11, 4,  11, 10, 2,  10, 7, 6,  7, 1,  8,
                                  3, 9,  4, 3, 4,  2,  3,  2,  6,  3,  6, 8,  3, 8,  9,
                                  4, 9,  5, 2, 4,  11, 6,  2,  10, 8,  6, 7,  9, 8,  1};
    for (int level = 0; level < levels; ++level) {
        std::unordered_map<long long, int> middle;
        auto midpoint = [&](int a, int b) {
            const long long key = a < b ? (long long)a << 32 | b : (long long)b << 32 | a;
            auto [it, fresh] = middle.emplace(key, int(points.size()));
            if (fresh)
                points.push_back((points[std::size_t(a)] + points[std::size_t(b)]) * 0.5f);
            return it->second;
        };
        std::vector<int> finer;
        finer.reserve(triangles.size() * 4);
        for (std::size_t i = 0; i < triangles.size(); i += 3) {
            const int a = triangles[i], b = triangles[i + 1], c = triangles[i + 2];
            const int ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        triangles.swap(finer);
    }
    auto object = std::make_unique<MgObject>();
    MgFace* face = object->NewFace();
    std::vector<MgVertex*> vertices;
    vertices.reserve(points.size());
    for (const CGeoVector& p : points) {
        const CGeoVector n = p.Unit();
        const float uv[2] = {0.5f + 0.5f * n.x, 0.5f + 0.5f * n.y};
        vertices.push_back(face->AddVertex(n * 100, n, uv));
    }
    for (std::size_t i = 0; i < triangles.size(); i += 3) {
        MgFacet* f = face->NewFacet();
        for (int k = 0; k < 3; ++k)
            f->SetVertex(k, vertices[std::size_t(triangles[i + std::size_t(k)])]);
    }
    face->RebuildEdges();
    return object;
}

std::string ScbText(const MgObject& object) {
    std::ostringstream out;
    object.SaveSCB(out, "icosphere");
    return out.str();
}

void ScbSave(benchmark::State& state) {
    const std::unique_ptr<MgObject> object = IcosphereObject(int(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        object->SaveSCB(out, "icosphere");
        bytes = out.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * object->NumFacets());
    state.counters["facets"] = object->NumFacets();
}
BENCHMARK(ScbSave)->DenseRange(5, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// To a file every line end flushes: one write to the file system per line.
void ScbSaveToFile(benchmark::State& state) {
    const std::unique_ptr<MgObject> object = IcosphereObject(int(state.range(0)));
    const std::string path = "/tmp/mgmesh_scb_bench_" + std::to_string(state.range(0)) + ".scb";
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        object->SaveSCB(out, "icosphere");
        bytes = std::size_t(out.tellp());
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * object->NumFacets());
}
BENCHMARK(ScbSaveToFile)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void ScbLoad(benchmark::State& state) {
    const std::string text = ScbText(*IcosphereObject(int(state.range(0))));
    int facets = 0;
    for (auto _ : state) {
        auto object = std::make_unique<MgObject>();
        std::istringstream in(text);
        object->LoadSCB(in);
        facets = object->NumFacets();
        state.PauseTiming();
        object.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * facets);
    state.counters["facets"] = facets;
}
BENCHMARK(ScbLoad)->DenseRange(5, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tokens of an SCB text read as words and numbers: the token reader and plain extraction.
template <class Read> void ReadTokens(benchmark::State& state, Read read) {
    const std::string text = ScbText(*IcosphereObject(int(state.range(0))));
    for (auto _ : state) {
        std::istringstream in(text);
        benchmark::DoNotOptimize(read(in));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

// Every token as a float where it parses, else as a word.
template <class Reader> long long Consume(Reader& reader) {
    long long n = 0;
    std::string word;
    float f = 0;
    while (!reader.Eof()) {
        if (reader.Float(f)) {
            ++n;
            continue;
        }
        reader.Clear();
        if (!reader.Word(word))
            break;
    }
    return n;
}

struct PlainReader {
    std::istream& in;
    bool Float(float& f) { return bool(in >> f); }
    bool Word(std::string& w) { return bool(in >> w); }
    void Clear() { in.clear(); }
    bool Eof() const { return in.eof(); }
};

void TokensFast(benchmark::State& state) {
    ReadTokens(state, [](std::istream& in) {
        mgmesh::detail::TokenReader reader(in);
        return Consume(reader);
    });
}
BENCHMARK(TokensFast)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

void TokensPlain(benchmark::State& state) {
    ReadTokens(state, [](std::istream& in) {
        PlainReader reader{in};
        return Consume(reader);
    });
}
BENCHMARK(TokensPlain)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
