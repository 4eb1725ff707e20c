// mgmesh_cgal_build: the peer of RebuildEdges in the whole-process benchmark. Reads a binary STL
// sphere, indexes its corners by exact position (not timed), then builds a CGAL Surface_mesh from
// the indexed triangles by add_vertex and add_face, the first build in the process, and prints
// that build's seconds.
//
//   mgmesh_cgal_build FILE
#include <cstdio>
#include <exception>
#include <vector>

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Surface_mesh.h>

#include "Seconds.h"
#include "StlSoup.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Mesh = CGAL::Surface_mesh<Kernel::Point_3>;

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mgmesh_cgal_build FILE\n");
        return 2;
    }
    const std::vector<float> soup = bench::ReadBinaryStlSoup(argv[1]);
    if (soup.empty()) {
        std::fprintf(stderr, "mgmesh_cgal_build: cannot read %s as binary STL\n", argv[1]);
        return 1;
    }
    const bench::Icosphere indexed = bench::IndexSoup(soup);
    try {
        const bench::Clock::time_point start = bench::Clock::now();
        auto* mesh =
            new Mesh; // left to the process's exit, as the library's processes leave theirs
        std::vector<Mesh::Vertex_index> vertices;
        vertices.reserve(indexed.points.size());
        for (const CGeoVector& p : indexed.points)
            vertices.push_back(mesh->add_vertex(Kernel::Point_3(p.x, p.y, p.z)));
        const std::vector<int>& t = indexed.triangles;
        for (std::size_t i = 0; i + 2 < t.size(); i += 3)
            if (mesh->add_face(vertices[std::size_t(t[i])], vertices[std::size_t(t[i + 1])],
                               vertices[std::size_t(t[i + 2])]) == Mesh::null_face()) {
                std::fprintf(stderr, "mgmesh_cgal_build: facet %zu is not manifold\n", i / 3);
                return 1;
            }
        const double seconds = bench::Since(start);
        if (mesh->number_of_faces() != t.size() / 3 || !CGAL::is_closed(*mesh)) {
            std::fprintf(stderr, "mgmesh_cgal_build: the mesh is not the closed sphere\n");
            return 1;
        }
        std::printf("%.6f\n", seconds);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mgmesh_cgal_build: %s\n", error.what());
        return 1;
    }
    return 0;
}
