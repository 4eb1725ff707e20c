// Repairs of a mesh: orientation, degenerate facets, close vertices.
#include "mgmesh/algorithms/MeshRepair.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "mgmesh/algorithms/detail/Counted.h"
#include "mgmesh/algorithms/detail/EdgeTable.h"
#include "mgmesh/algorithms/detail/FacetMeasures.h"
#include "mgmesh/detail/HashMix.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

using mgmesh::detail::Counted;
using mgmesh::detail::EdgeTable;

namespace mgmesh {

namespace {

bool HasDerivedData(const MgFace& face) {
    if (face.NumEdges() > 0)
        return true;
    for (const MgFacet* f : face.FacetList())
        if (f->Neighbor(0) || f->Neighbor(1) || f->Neighbor(2))
            return true;
    return false;
}

// Links and loops that a change made stale are derived again from scratch.
void Rederive(MgFace& face, RepairResult& result) {
    for (MgFacet* f : face.FacetList())
        for (int i = 0; i < 3; ++i)
            if (f->Neighbor(i))
                f->SetNeighbor(i, nullptr);
    ++result.edgesRebuilt;
    if (!face.RebuildEdges())
        ++result.rebuildsFailed;
}

template <class Repair> RepairResult EachFace(MgObject& object, Repair repair) {
    RepairResult result;
    for (MgFace* face : object.FaceList())
        result.Add(repair(*face));
    return result;
}

// Which facets of each shell turn. Facets joined by an edge of two sides from two facets must
// run it opposite ways; a walk from each shell's first facet settles the rest.
std::vector<std::uint8_t> TurnedFacets(const EdgeTable& table) {
    const std::uint32_t facets = table.NumFacets();
    // per facet, its partners across two-sided edges, and whether the two run the edge alike
    std::vector<std::uint32_t> start(std::size_t(facets) + 1, 0);
    std::vector<std::uint8_t> leaky(facets, 0); // touches an open or non-manifold edge
    for (std::uint32_t b = 0, end = 0; b < table.NumEntries(); b = end) {
        end = table.EdgeEnd(b);
        if (end - b == 2 && table.Side(b) / 3 != table.Side(b + 1) / 3) {
            ++start[table.Side(b) / 3 + 1];
            ++start[table.Side(b + 1) / 3 + 1];
        } else if (end - b != 2) {
            for (std::uint32_t k = b; k < end; ++k)
                leaky[table.Side(k) / 3] = 1;
        }
    }
    for (std::uint32_t f = 0; f < facets; ++f) {
        start[f + 1] += start[f];
        for (int i = 0; i < 3; ++i)
            if (table.Corner(f, i) == EdgeTable::npos)
                leaky[f] = 1;
    }
    std::vector<std::uint32_t> partner(start[facets]), cursor(start.begin(), start.end() - 1);
    for (std::uint32_t b = 0, end = 0; b < table.NumEntries(); b = end) {
        end = table.EdgeEnd(b);
        if (end - b != 2)
            continue;
        const std::uint32_t f = table.Side(b) / 3, g = table.Side(b + 1) / 3;
        if (f == g)
            continue;
        const std::uint32_t alike = table.Up(b) == table.Up(b + 1);
        partner[cursor[f]++] = 2 * g + alike;
        partner[cursor[g]++] = 2 * f + alike;
    }

    std::vector<std::uint8_t> turned(facets, 0), seen(facets, 0);
    std::vector<std::uint32_t> shell;
    for (std::uint32_t first = 0; first < facets; ++first) {
        if (seen[first])
            continue;
        shell.assign(1, first);
        seen[first] = 1;
        bool closed = true;
        for (std::size_t k = 0; k < shell.size(); ++k) {
            const std::uint32_t f = shell[k];
            closed = closed && !leaky[f];
            for (std::uint32_t p = start[f]; p < start[f + 1]; ++p) {
                const std::uint32_t g = partner[p] / 2;
                if (!seen[g]) {
                    seen[g] = 1;
                    turned[g] = turned[f] ^ (partner[p] & 1);
                    shell.push_back(g);
                }
            }
        }
        // a closed shell faces outward; an open one keeps the orientation most facets have
        bool invert;
        if (closed) {
            double volume = 0;
            for (const std::uint32_t f : shell)
                volume += (turned[f] ? -1 : 1) * detail::SignedVolume(*table.Facet(f));
            invert = volume < 0;
        } else {
            std::size_t count = 0;
            for (const std::uint32_t f : shell)
                count += turned[f];
            invert = 2 * count > shell.size();
        }
        if (invert)
            for (const std::uint32_t f : shell)
                turned[f] ^= 1;
    }
    return turned;
}

} // namespace

void RepairResult::Add(const RepairResult& other) {
    facetsReversed += other.facetsReversed;
    facetsDropped += other.facetsDropped;
    verticesMerged += other.verticesMerged;
    verticesRemoved += other.verticesRemoved;
    edgesRebuilt += other.edgesRebuilt;
    rebuildsFailed += other.rebuildsFailed;
}

std::string RepairResult::Describe() const {
    std::string text;
    auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (facetsReversed > 0)
        add(Counted(facetsReversed, "facet reversed", "facets reversed"));
    if (facetsDropped > 0)
        add(Counted(facetsDropped, "degenerate facet dropped", "degenerate facets dropped"));
    if (verticesMerged > 0)
        add(Counted(verticesMerged, "vertex merged", "vertices merged"));
    if (verticesRemoved > 0)
        add(Counted(verticesRemoved, "unused vertex removed", "unused vertices removed"));
    if (rebuildsFailed > 0)
        add(Counted(rebuildsFailed, "face whose edges could not be derived again",
                    "faces whose edges could not be derived again"));
    return text.empty() ? "nothing to change" : text;
}

RepairResult OrientShells(MgFace& face) {
    RepairResult result;
    const EdgeTable table(face);
    const std::vector<std::uint8_t> turned = TurnedFacets(table);
    std::vector<std::uint32_t> uses(table.NumVertices(), 0), turns(table.NumVertices(), 0);
    for (std::uint32_t f = 0; f < table.NumFacets(); ++f)
        for (int i = 0; i < 3; ++i)
            if (const std::uint32_t n = table.Corner(f, i); n != EdgeTable::npos) {
                ++uses[n];
                turns[n] += turned[f];
            }
    for (std::uint32_t f = 0; f < table.NumFacets(); ++f)
        result.facetsReversed += turned[f];
    if (result.facetsReversed == 0)
        return result;
    const bool derived = HasDerivedData(face);
    for (std::uint32_t f = 0; f < table.NumFacets(); ++f)
        if (turned[f])
            table.Facet(f)->Reverse();
    for (std::uint32_t n = 0; n < table.NumVertices(); ++n)
        if (uses[n] > 0 && turns[n] == uses[n])
            table.Vertex(n)->Reverse();
    if (derived)
        Rederive(face, result);
    return result;
}

RepairResult OrientShells(MgObject& object) {
    return EachFace(object, [](MgFace& face) { return OrientShells(face); });
}

RepairResult DropDegenerateFacets(MgFace& face) {
    RepairResult result;
    std::vector<MgFacet*> doomed;
    for (MgFacet* f : face.FacetList())
        if (detail::Degenerate(*f))
            doomed.push_back(f);
    if (doomed.empty())
        return result;
    const bool derived = HasDerivedData(face);
    const int vertices = face.NumVertices();
    for (MgFacet* f : doomed)
        delete f;
    result.facetsDropped = static_cast<long long>(doomed.size());
    if (derived)
        Rederive(face, result);
    result.verticesRemoved = vertices - face.NumVertices();
    return result;
}

RepairResult DropDegenerateFacets(MgObject& object) {
    return EachFace(object, [](MgFace& face) { return DropDegenerateFacets(face); });
}

namespace {

// A cell of the merge grid: positions divided by the tolerance and floored, or the exact
// position when only equal positions merge.
struct Cell {
    double x, y, z;
    bool operator==(const Cell& o) const { return x == o.x && y == o.y && z == o.z; }
};
struct CellHash {
    std::size_t operator()(const Cell& c) const {
        std::uint64_t h = 0;
        for (const double d : {c.x, c.y, c.z}) {
            std::uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            h = detail::HashMix(h ^ bits);
        }
        return std::size_t(h);
    }
};

bool Finite(const CGeoVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool Within(const CGeoVector& a, const CGeoVector& b, float tolerance) {
    if (!(tolerance > 0))
        return a.x == b.x && a.y == b.y && a.z == b.z;
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

} // namespace

RepairResult MergeVertices(MgFace& face, float tolerance) {
    RepairResult result;
    const bool exact = !(tolerance > 0);
    // adding 0 makes -0 the +0 that the hash of the bits sees as equal
    auto cellOf = [&](const CGeoVector& p) {
        if (exact)
            return Cell{p.x + 0.0, p.y + 0.0, p.z + 0.0};
        return Cell{std::floor(p.x / double(tolerance)) + 0.0,
                    std::floor(p.y / double(tolerance)) + 0.0,
                    std::floor(p.z / double(tolerance)) + 0.0};
    };
    std::unordered_map<Cell, std::vector<std::pair<std::size_t, MgVertex*>>, CellHash> kept;
    std::unordered_map<const MgVertex*, MgVertex*> into;
    std::unordered_set<const MgVertex*> seen;
    std::size_t order = 0;
    for (MgVertex* v : face.VertexList()) {
        if (!seen.insert(v).second)
            continue; // a vertex listed twice is met once
        const CGeoVector p = v->Vertex();
        if (!Finite(p))
            continue;
        const Cell c = cellOf(p);
        std::pair<std::size_t, MgVertex*> best{SIZE_MAX, nullptr};
        // a vertex within the tolerance lies in p's cell or in one next to it
        const int reach = exact ? 0 : 1;
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy)
                for (int dz = -reach; dz <= reach; ++dz) {
                    const auto found =
                        kept.find(Cell{c.x + dx + 0.0, c.y + dy + 0.0, c.z + dz + 0.0});
                    if (found == kept.end())
                        continue;
                    for (const auto& entry : found->second)
                        if (entry.first < best.first &&
                            Within(entry.second->Vertex(), p, tolerance))
                            best = entry;
                }
        if (best.second)
            into[v] = best.second;
        else
            kept[c].emplace_back(order++, v);
    }
    if (into.empty())
        return result;
    const bool derived = HasDerivedData(face);
    const int vertices = face.NumVertices();
    for (MgFacet* f : face.FacetList())
        for (int i = 0; i < 3; ++i)
            if (const auto found = into.find(f->Vertex(i)); found != into.end())
                f->SetVertex(i, found->second);
    result.verticesMerged = static_cast<long long>(into.size());
    if (derived)
        Rederive(face, result);
    result.verticesRemoved = vertices - face.NumVertices();
    return result;
}

RepairResult MergeVertices(MgObject& object, float tolerance) {
    return EachFace(object, [tolerance](MgFace& face) { return MergeVertices(face, tolerance); });
}

} // namespace mgmesh
