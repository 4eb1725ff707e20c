// The mesh report, from a face's vertex sharing.
#include "mgmesh/algorithms/MeshReport.h"

#include <algorithm>
#include <cstdio>

#include "mgmesh/algorithms/detail/Counted.h"
#include "mgmesh/algorithms/detail/EdgeTable.h"
#include "mgmesh/algorithms/detail/FacetMeasures.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgObject.h"

using mgmesh::detail::Counted;
using mgmesh::detail::EdgeTable;
using mgmesh::detail::FacetGroups;

namespace mgmesh {

namespace {

// Keeps the samples with the lowest first facet, at most `room` of them.
template <class Sample, class Key>
void Keep(std::vector<Sample>& kept, const Sample& sample, std::size_t room, Key key) {
    if (room == 0 || (kept.size() == room && key(kept.back()) <= key(sample)))
        return;
    if (kept.size() == room)
        kept.pop_back();
    kept.insert(std::upper_bound(kept.begin(), kept.end(), sample,
                                 [&](const Sample& a, const Sample& b) { return key(a) < key(b); }),
                sample);
}

// "facets 4, 7 and 9": the named facets, each once, in order.
std::string FacetNames(std::vector<std::pair<std::intptr_t, long long>> facets, bool withFace,
                       bool more) {
    std::sort(facets.begin(), facets.end());
    facets.erase(std::unique(facets.begin(), facets.end()), facets.end());
    std::string text = facets.size() == 1 && !more ? "facet " : "facets ";
    for (std::size_t k = 0; k < facets.size(); ++k) {
        if (k > 0)
            text += k + 1 == facets.size() && !more ? " and " : ", ";
        if (withFace)
            text += "face " + std::to_string(static_cast<long long>(facets[k].first)) + " facet ";
        text += std::to_string(facets[k].second);
    }
    return more ? text + ", ..." : text;
}

std::string EdgeFacets(const std::vector<MeshEdgeSample>& samples, long long count, bool withFace) {
    std::vector<std::pair<std::intptr_t, long long>> facets;
    for (const MeshEdgeSample& s : samples)
        for (const long long f : s.facets)
            if (f >= 0)
                facets.emplace_back(s.face, f);
    return FacetNames(facets, withFace, count > static_cast<long long>(samples.size()));
}

} // namespace

void MeshReport::Add(const MeshReport& other, std::size_t samples) {
    volume += other.volume;
    shells += other.shells;
    openEdges += other.openEdges;
    nonManifoldEdges += other.nonManifoldEdges;
    misorientedEdges += other.misorientedEdges;
    degenerateFacets += other.degenerateFacets;
    auto join = [samples](auto& into, const auto& from) {
        for (std::size_t k = 0; k < from.size() && into.size() < samples; ++k)
            into.push_back(from[k]);
    };
    join(open, other.open);
    join(nonManifold, other.nonManifold);
    join(misoriented, other.misoriented);
    join(degenerate, other.degenerate);
}

std::string MeshReport::Describe() const {
    // facets are named with their face only where the samples come from more than one
    std::vector<std::intptr_t> faces;
    for (const auto* list : {&open, &nonManifold, &misoriented})
        for (const MeshEdgeSample& s : *list)
            faces.push_back(s.face);
    for (const MeshFacetSample& s : degenerate)
        faces.push_back(s.face);
    const bool severalFaces = std::find_if(faces.begin(), faces.end(), [&](std::intptr_t f) {
                                  return f != faces[0];
                              }) != faces.end();

    char number[64];
    std::snprintf(number, sizeof number, "%.6g", volume);
    std::string text = (openEdges == 0 && nonManifoldEdges == 0 ? "closed, " : "") +
                       Counted(shells, "shell", "shells") + ", volume " + number;
    auto edges = [&](long long count, const char* kind, const std::vector<MeshEdgeSample>& list) {
        if (count > 0)
            text += ", " + std::to_string(count) + " " + kind + (count == 1 ? " edge" : " edges") +
                    " (" + EdgeFacets(list, count, severalFaces) + ")";
    };
    edges(openEdges, "open", open);
    edges(nonManifoldEdges, "non-manifold", nonManifold);
    edges(misorientedEdges, "misoriented", misoriented);
    if (degenerateFacets > 0) {
        std::vector<std::pair<std::intptr_t, long long>> facets;
        for (const MeshFacetSample& s : degenerate)
            facets.emplace_back(s.face, s.facet);
        text += ", " + Counted(degenerateFacets, "degenerate facet", "degenerate facets") + " (" +
                FacetNames(facets, severalFaces,
                           degenerateFacets > static_cast<long long>(degenerate.size())) +
                ")";
    }
    return text;
}

MeshReport ReportMesh(const MgFace& face, std::size_t samples) {
    MeshReport report;
    const EdgeTable table(face);
    const std::uint32_t facets = table.NumFacets();
    const std::intptr_t id = face.GeoFaceId();

    for (std::uint32_t f = 0; f < facets; ++f) {
        const MgFacet& facet = *table.Facet(f);
        report.volume += detail::SignedVolume(facet);
        if (detail::Degenerate(facet)) {
            ++report.degenerateFacets;
            if (report.degenerate.size() < samples)
                report.degenerate.push_back(MeshFacetSample{id, f});
        }
    }

    FacetGroups groups(facets);
    const auto firstFacet = [](const MeshEdgeSample& s) { return s.facets[0]; };
    for (std::uint32_t begin = 0, end = 0; begin < table.NumEntries(); begin = end) {
        end = table.EdgeEnd(begin);
        const std::uint32_t uses = end - begin;
        int up = 0;
        for (std::uint32_t k = begin; k < end; ++k) {
            groups.Join(table.Side(begin) / 3, table.Side(k) / 3);
            up += table.Up(k);
        }
        std::vector<MeshEdgeSample>* list = nullptr;
        if (uses == 1) {
            ++report.openEdges;
            list = &report.open;
        } else if (uses >= 3) {
            ++report.nonManifoldEdges;
            list = &report.nonManifold;
        } else if (up != 1) {
            ++report.misorientedEdges;
            list = &report.misoriented;
        }
        if (!list || samples == 0)
            continue;
        MeshEdgeSample sample;
        sample.face = id;
        sample.uses = uses;
        const std::uint32_t ends[2] = {table.Low(begin), table.High(begin)};
        for (int i = 0; i < 2; ++i) {
            sample.vertices[i] = ends[i];
            sample.positions[i] = table.Vertex(ends[i])->Vertex();
        }
        for (std::uint32_t k = 0; k < 3 && begin + k < end; ++k)
            sample.facets[k] = table.Side(begin + k) / 3;
        Keep(*list, sample, samples, firstFacet);
    }
    for (std::uint32_t f = 0; f < facets; ++f)
        report.shells += groups.Find(f) == f;
    return report;
}

MeshReport ReportMesh(const MgObject& object, std::size_t samples) {
    MeshReport report;
    for (const MgFace* face : object.FaceList())
        report.Add(ReportMesh(*face, samples), samples);
    return report;
}

} // namespace mgmesh
