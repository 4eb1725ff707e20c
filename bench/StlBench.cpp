// ASCII STL loading and the host face import with merging, on closed icospheres.
#include <cstdio>
#include <istream>
#include <map>
#include <streambuf>
#include <string>
#include <unordered_map>
#include <vector>

#include <benchmark/benchmark.h>

#include "mgmesh/mgmesh.h"

namespace {

struct Sphere {
    std::vector<CGeoVector> points;
    std::vector<int> triangles;
    int Facets() const { return int(triangles.size() / 3); }
};

// An icosahedron subdivided `levels` times onto a sphere of radius 100: 20·4^levels facets,
// sides far longer than the readers' merge distances.
Sphere Icosphere(int levels) {
    const float t = 1.6180339887f;
    Sphere s;
    s.points = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    s.triangles = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                   4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                   6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (int level = 0; level < levels; ++level) {
        std::unordered_map<long long, int> middle;
        auto midpoint = [&](int a, int b) {
            const long long key = a < b ? (long long)a << 32 | b : (long long)b << 32 | a;
            auto [it, fresh] = middle.emplace(key, int(s.points.size()));
            if (fresh)
                s.points.push_back((s.points[std::size_t(a)] + s.points[std::size_t(b)]) * 0.5f);
            return it->second;
        };
        std::vector<int> finer;
        finer.reserve(s.triangles.size() * 4);
        for (std::size_t i = 0; i < s.triangles.size(); i += 3) {
            const int a = s.triangles[i], b = s.triangles[i + 1], c = s.triangles[i + 2];
            const int ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        s.triangles.swap(finer);
    }
    for (CGeoVector& p : s.points)
        p = p.Unit() * 100;
    return s;
}

std::string StlText(const Sphere& s) {
    std::string text = "solid icosphere\n";
    char line[160];
    for (std::size_t i = 0; i < s.triangles.size(); i += 3) {
        const CGeoVector& a = s.points[std::size_t(s.triangles[i])];
        const CGeoVector& b = s.points[std::size_t(s.triangles[i + 1])];
        const CGeoVector& c = s.points[std::size_t(s.triangles[i + 2])];
        const CGeoVector n = ((b - a) * (c - a)).Unit();
        std::snprintf(line, sizeof line, "facet normal %e %e %e\n outer loop\n", double(n.x),
                      double(n.y), double(n.z));
        text += line;
        for (const CGeoVector* p : {&a, &b, &c}) {
            std::snprintf(line, sizeof line, "  vertex %e %e %e\n", double(p->x), double(p->y),
                          double(p->z));
            text += line;
        }
        text += " endloop\nendfacet\n";
    }
    return text + "endsolid icosphere\n";
}

const Sphere& CachedSphere(int levels) {
    static std::map<int, Sphere> spheres;
    auto it = spheres.find(levels);
    if (it == spheres.end())
        it = spheres.emplace(levels, Icosphere(levels)).first;
    return it->second;
}

const std::string& CachedText(int levels) {
    static std::map<int, std::string> texts;
    auto it = texts.find(levels);
    if (it == texts.end())
        it = texts.emplace(levels, StlText(CachedSphere(levels))).first;
    return it->second;
}

// Reads a string in place, without the copy a string stream would make.
struct MemoryBuffer : std::streambuf {
    explicit MemoryBuffer(const std::string& s) {
        char* p = const_cast<char*>(s.data());
        setg(p, p, p + s.size());
    }
};

void BM_LoadStl(benchmark::State& state) {
    const int levels = int(state.range(0));
    const std::string& text = CachedText(levels);
    const int facets = CachedSphere(levels).Facets();
    for (auto _ : state) {
        state.PauseTiming();
        auto* object = new MgObject;
        MemoryBuffer buffer(text);
        std::istream in(&buffer);
        state.ResumeTiming();
        object->LoadSTL(in);
        benchmark::DoNotOptimize(object->NumVertices());
        state.PauseTiming();
        delete object;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.SetItemsProcessed(int64_t(state.iterations()) * facets);
    state.SetComplexityN(facets);
}

// A triangle soup (three record vertices per triangle) that merging closes up again; the
// import's RebuildEdges is part of the time.
void BM_HostImportMerging(benchmark::State& state) {
    const Sphere& s = CachedSphere(int(state.range(0)));
    std::vector<double> positions, normals, uvs;
    std::vector<int> triangles;
    for (std::size_t i = 0; i < s.triangles.size(); ++i) {
        const CGeoVector& p = s.points[std::size_t(s.triangles[i])];
        positions.insert(positions.end(), {p.x, p.y, p.z});
        const CGeoVector n = p.Unit();
        normals.insert(normals.end(), {n.x, n.y, n.z});
        uvs.insert(uvs.end(), {0.0, 0.0});
        triangles.push_back(int(i));
    }
    HostAPILinearFace record{};
    record.mergeVertices = 1;
    record.numVertices = int(s.triangles.size());
    record.numTriangles = s.Facets();
    record.faceTolerance = 0.05;
    record.positions = positions.data();
    record.normals = normals.data();
    record.uvs = uvs.data();
    record.triangles = triangles.data();
    for (auto _ : state) {
        state.PauseTiming();
        auto* object = new MgObject;
        state.ResumeTiming();
        MgFace* face = object->FillFacesInObj(record, nullptr);
        benchmark::DoNotOptimize(face->NumEdges());
        state.PauseTiming();
        delete object;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * s.Facets());
    state.SetComplexityN(s.Facets());
}

// 20 480, 81 920, 327 680 and 1 310 720 facets.
void Levels(benchmark::internal::Benchmark* b) {
    b->DenseRange(5, 8)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

} // namespace

BENCHMARK(BM_LoadStl)->Apply(Levels);
BENCHMARK(BM_HostImportMerging)->Apply(Levels);
