// Closed icospheres for the benchmarks: the indexed mesh, its ASCII and binary STL files (cached
// in /tmp) and the same mesh as a face.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "SpherePaths.h"
#include "mgmesh/mgmesh.h"

namespace bench {

struct Icosphere {
    std::vector<CGeoVector> points;
    std::vector<int> triangles; // three point numbers per facet, outward
    int Facets() const { return int(triangles.size() / 3); }
};

/// The subdivision level of an icosphere of `facets` facets (20·4^level), or -1.
inline int SphereLevel(long facets) {
    for (int level = 0; level <= 10; ++level)
        if (20L << (2 * level) == facets)
            return level;
    return -1;
}

/// An icosahedron subdivided `levels` times onto a sphere of radius 100: 20·4^levels facets,
/// 10·4^levels + 2 points, sides far longer than the readers' merge distances.
inline Icosphere MakeIcosphere(int levels) {
    const float t = 1.6180339887f;
    Icosphere s;
    s.points = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    s.triangles = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                   4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                   6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (CGeoVector& p : s.points)
        p = p.Unit();
    for (int level = 0; level < levels; ++level) {
        std::unordered_map<long long, int> middle;
        middle.reserve(s.triangles.size());
        auto midpoint = [&](int a, int b) {
            const long long key = a < b ? (long long)a << 32 | b : (long long)b << 32 | a;
            auto [it, fresh] = middle.emplace(key, int(s.points.size()));
            if (fresh)
                s.points.push_back(
                    ((s.points[std::size_t(a)] + s.points[std::size_t(b)]) * 0.5f).Unit());
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
        p = p * 100;
    return s;
}

inline const Icosphere& CachedIcosphere(int levels) {
    static std::unordered_map<int, std::unique_ptr<Icosphere>> spheres;
    auto& slot = spheres[levels];
    if (!slot)
        slot = std::make_unique<Icosphere>(MakeIcosphere(levels));
    return *slot;
}

/// Appends the sphere as an ASCII STL solid, every number printed with "%e" and the usual
/// indentation (about 254 bytes a facet).
inline void AppendStl(const Icosphere& s, std::string& text) {
    text += "solid icosphere\n";
    char line[200];
    for (std::size_t i = 0; i < s.triangles.size(); i += 3) {
        const CGeoVector& a = s.points[std::size_t(s.triangles[i])];
        const CGeoVector& b = s.points[std::size_t(s.triangles[i + 1])];
        const CGeoVector& c = s.points[std::size_t(s.triangles[i + 2])];
        const CGeoVector n = ((b - a) * (c - a)).Unit();
        int length = std::snprintf(line, sizeof line, "  facet normal %e %e %e\n    outer loop\n",
                                   double(n.x), double(n.y), double(n.z));
        text.append(line, std::size_t(length));
        for (const CGeoVector* p : {&a, &b, &c}) {
            length = std::snprintf(line, sizeof line, "      vertex %e %e %e\n", double(p->x),
                                   double(p->y), double(p->z));
            text.append(line, std::size_t(length));
        }
        text += "    endloop\n  endfacet\n";
    }
    text += "endsolid icosphere\n";
}

/// The value that "%e" prints for `x` and a reader reads back: the binary file holds exactly the
/// numbers of the ASCII one, so that both load into the same model.
inline float AsPrinted(float x) {
    char text[32];
    std::snprintf(text, sizeof text, "%e", double(x));
    return std::strtof(text, nullptr);
}

/// Appends the sphere as a binary STL file (80-byte header, little-endian count, 50 bytes a
/// facet) with the numbers of AppendStl's text.
inline void AppendBinaryStl(const Icosphere& s, std::string& bytes) {
    std::string header = "binary icosphere";
    header.resize(80, ' ');
    bytes += header;
    const std::uint32_t count = std::uint32_t(s.Facets());
    bytes.append(reinterpret_cast<const char*>(&count), 4);
    for (std::size_t i = 0; i < s.triangles.size(); i += 3) {
        const CGeoVector& a = s.points[std::size_t(s.triangles[i])];
        const CGeoVector& b = s.points[std::size_t(s.triangles[i + 1])];
        const CGeoVector& c = s.points[std::size_t(s.triangles[i + 2])];
        const CGeoVector n = ((b - a) * (c - a)).Unit();
        float record[12];
        int k = 0;
        for (const CGeoVector* p : {&n, &a, &b, &c})
            for (float x : {p->x, p->y, p->z})
                record[k++] = AsPrinted(x);
        bytes.append(reinterpret_cast<const char*>(record), sizeof record);
        bytes.append(2, '\0'); // the attribute word
    }
}

/// Writes `text` to `path` through a temporary name, so that a file that exists is complete.
inline void WriteWhole(const std::string& path, const std::string& text) {
    mkdir(SphereDirectory().c_str(), 0777);
    const std::string temporary = path + ".part" + std::to_string(getpid());
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() ||
        std::fclose(file) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

/// The path of the sphere's STL file of `facets` facets, ASCII or binary, written on first use.
inline std::string SphereFile(long facets, bool binary = false) {
    const std::string path = SpherePath(facets, binary);
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && info.st_size > 0)
        return path;
    std::string text;
    text.reserve(std::size_t(facets) * (binary ? 50 : 256) + 100);
    if (binary)
        AppendBinaryStl(CachedIcosphere(SphereLevel(facets)), text);
    else
        AppendStl(CachedIcosphere(SphereLevel(facets)), text);
    WriteWhole(path, text);
    return path;
}

/// Adds the sphere to `object` as one face with shared vertices (normals radial, UV from the
/// normal, no links).
inline MgFace* AddSphereFace(MgObject& object, const Icosphere& s) {
    MgFace* face = object.NewFace();
    std::vector<MgVertex*> vertices;
    vertices.reserve(s.points.size());
    for (const CGeoVector& p : s.points) {
        const CGeoVector n = p.Unit();
        const float uv[2] = {0.5f + 0.5f * n.x, 0.5f + 0.5f * n.y};
        vertices.push_back(face->AddVertex(p, n, uv));
    }
    for (std::size_t i = 0; i < s.triangles.size(); i += 3) {
        MgFacet* f = face->NewFacet();
        for (int k = 0; k < 3; ++k)
            f->SetVertex(k, vertices[std::size_t(s.triangles[i + std::size_t(k)])]);
    }
    return face;
}

} // namespace bench
