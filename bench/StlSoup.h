// A plain reader of the benchmarks' binary STL spheres, for the processes that need the facets
// without the library: the triangle soup (nine floats a facet), and the same soup indexed by
// exact positions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "SphereGen.h"

namespace bench {

/// The corners of every facet of a binary STL file, three floats each; empty when the file
/// cannot be read or its count disagrees with its size.
inline std::vector<float> ReadBinaryStlSoup(const std::string& path) {
    std::vector<float> soup;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return soup;
    char header[84];
    std::uint32_t count = 0;
    if (std::fread(header, 1, sizeof header, file) == sizeof header)
        std::memcpy(&count, header + 80, 4);
    soup.reserve(std::size_t(count) * 9);
    char record[50];
    for (std::uint32_t i = 0; i < count; ++i) {
        if (std::fread(record, 1, sizeof record, file) != sizeof record) {
            soup.clear();
            break;
        }
        float corners[9];
        std::memcpy(corners, record + 12, sizeof corners); // after the facet's normal
        soup.insert(soup.end(), corners, corners + 9);
    }
    if (std::fgetc(file) != EOF)
        soup.clear();
    std::fclose(file);
    return soup;
}

/// The soup with corners of equal positions made one point, numbered in order of appearance.
inline Icosphere IndexSoup(const std::vector<float>& soup) {
    struct Key {
        float x, y, z;
        bool operator==(const Key& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct Hash {
        std::size_t operator()(const Key& k) const {
            std::uint32_t bits[3];
            std::memcpy(bits, &k, sizeof bits);
            return std::size_t(bits[0]) * 73856093u ^ std::size_t(bits[1]) * 19349663u ^
                   std::size_t(bits[2]) * 83492791u;
        }
    };
    Icosphere mesh;
    std::unordered_map<Key, int, Hash> numbers;
    numbers.reserve(soup.size() / 9);
    mesh.triangles.reserve(soup.size() / 3);
    for (std::size_t i = 0; i + 3 <= soup.size(); i += 3) {
        const Key key{soup[i], soup[i + 1], soup[i + 2]};
        auto [it, fresh] = numbers.emplace(key, int(mesh.points.size()));
        if (fresh)
            mesh.points.push_back(CGeoVector(key.x, key.y, key.z));
        mesh.triangles.push_back(it->second);
    }
    return mesh;
}

} // namespace bench
