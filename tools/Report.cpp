// The info report: counts, areas and bounds of every face and object of a model.
#include "Report.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

namespace mgtool {
namespace {

struct Totals {
    int faces = 0, vertices = 0, facets = 0, loops = 0, corners = 0, corrupt = 0;
    float area = 0;
};

Totals Sum(const MgObject& object) {
    Totals totals;
    for (const MgFace* face : object.FaceList()) {
        ++totals.faces;
        totals.corners += static_cast<int>(face->CornerList().size());
        totals.corrupt += face->Corrupt() ? 1 : 0;
    }
    totals.vertices = object.NumVertices();
    totals.facets = object.NumFacets();
    totals.loops = object.NumEdges();
    totals.area = object.Area();
    return totals;
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// "1 loop", "2 loops".
std::string Count(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The counts a face or an object reports, in the report's order.
std::string Counts(int vertices, int facets, int loops, int corners) {
    return Count(vertices, "vertex", "vertices") + ", " + Count(facets, "facet", "facets") + ", " +
           Count(loops, "loop", "loops") + ", " + Count(corners, "corner", "corners");
}

// The words for each kind of EdgeStatus, in the order of its kinds: the text report's and JSON's.
const char* const kEdgeTexts[] = {"edges from file", "edges derived",
                                  "EDGE REBUILD FAILED (a vertex lies on the boundary twice)",
                                  "EDGE REBUILD FAILED: "};
const char* const kEdgeKinds[] = {"file", "derived", "failed", "threw"};

std::string EdgeText(const EdgeStatus& status) {
    if (status.kind == EdgeStatus::Failed && !status.message.empty()) // the place, inside
        return std::string(kEdgeTexts[status.kind])
            .insert(std::strlen(kEdgeTexts[status.kind]) - 1, ": " + status.message);
    return kEdgeTexts[status.kind] + (status.kind == EdgeStatus::Threw ? status.message : "");
}

// The mesh reports of the faces of a model, each worked out once.
class MeshReports {
public:
    const mgmesh::MeshReport& Of(const MgFace& face) {
        auto found = m_faces.find(&face);
        if (found == m_faces.end())
            found = m_faces.emplace(&face, mgmesh::ReportMesh(face, kSamples)).first;
        return found->second;
    }
    mgmesh::MeshReport Of(const MgObject& object) {
        mgmesh::MeshReport sum;
        for (const MgFace* face : object.FaceList())
            sum.Add(Of(*face), kSamples);
        return sum;
    }

private:
    static constexpr std::size_t kSamples = 5;
    std::map<const MgFace*, mgmesh::MeshReport> m_faces;
};

const char* EdgeKind(const EdgeStatus& status) {
    return kEdgeKinds[status.kind];
}

std::string Vec(const CGeoVector& v) {
    return Printf("(%.6g, %.6g, %.6g)", v.x, v.y, v.z);
}

std::string Number(double value) {
    return std::isfinite(value) ? Printf("%.9g", value) : std::string("null");
}

std::string JsonVec(const CGeoVector& v) {
    return "[" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + "]";
}

// The mesh report's figures under their JSON keys, without braces.
std::string MeshJson(const mgmesh::MeshReport& r) {
    return ", \"volume\": " + Number(r.volume) +
           Printf(", \"shells\": %lld, \"open_edges\": %lld, \"non_manifold_edges\": %lld, "
                  "\"misoriented_edges\": %lld, \"degenerate_facets\": %lld",
                  r.shells, r.openEdges, r.nonManifoldEdges, r.misorientedEdges,
                  r.degenerateFacets);
}

// The first few offenders of a face: edges by their end vertices and facets, facets by number.
std::string SamplesJson(const mgmesh::MeshReport& r) {
    auto edges = [](const char* key, const std::vector<mgmesh::MeshEdgeSample>& list) {
        std::string text = std::string("\"") + key + "\": [";
        for (std::size_t k = 0; k < list.size(); ++k) {
            const mgmesh::MeshEdgeSample& e = list[k];
            text += Printf("%s{\"vertices\": [%lld, %lld], \"uses\": %lld, \"facets\": [",
                           k ? ", " : "", e.vertices[0], e.vertices[1], e.uses);
            for (int i = 0; i < 3 && e.facets[i] >= 0; ++i)
                text += Printf("%s%lld", i ? ", " : "", e.facets[i]);
            text += "]}";
        }
        return text + "]";
    };
    std::string text = ", \"samples\": {" + edges("open_edges", r.open) + ", " +
                       edges("non_manifold_edges", r.nonManifold) + ", " +
                       edges("misoriented_edges", r.misoriented) + ", \"degenerate_facets\": [";
    for (std::size_t k = 0; k < r.degenerate.size(); ++k)
        text += Printf("%s%lld", k ? ", " : "", r.degenerate[k].facet);
    return text + "]}";
}

std::string TotalsText(const char* indent, const char* role, const MgObject& object,
                       MeshReports& reports) {
    const Totals t = Sum(object);
    std::string text = std::string(indent) + role + ": " + Count(t.faces, "face", "faces") + ", " +
                       Counts(t.vertices, t.facets, t.loops, t.corners) +
                       Printf(", area %.6g", double(t.area));
    if (t.corrupt > 0)
        text += Printf(", %d corrupt", t.corrupt);
    text += "\n";
    if (t.vertices == 0)
        text += std::string(indent) + "  empty: no vertices\n";
    else
        text += Printf("%s  bounds %s - %s, centre %s, radius %.6g\n", indent,
                       Vec(object.MinBound()).c_str(), Vec(object.MaxBound()).c_str(),
                       Vec(object.Average()).c_str(), double(object.Radius()));
    if (t.facets > 0)
        text += std::string(indent) + "  mesh: " + reports.Of(object).Describe() + "\n";
    return text;
}

std::string TotalsJson(const MgObject& object, MeshReports& reports) {
    const Totals t = Sum(object);
    return Printf("\"faces\": %d, \"vertices\": %d, \"facets\": %d, \"loops\": %d, "
                  "\"corners\": %d, \"corrupt_faces\": %d, \"area\": %s, ",
                  t.faces, t.vertices, t.facets, t.loops, t.corners, t.corrupt,
                  Number(t.area).c_str()) +
           (t.vertices == 0 ? std::string("\"bounds\": null, \"centre\": null, \"radius\": null")
                            : "\"bounds\": {\"min\": " + JsonVec(object.MinBound()) +
                                  ", \"max\": " + JsonVec(object.MaxBound()) +
                                  "}, \"centre\": " + JsonVec(object.Average()) +
                                  ", \"radius\": " + Number(object.Radius())) +
           MeshJson(reports.Of(object));
}

std::string FaceJson(const Model& model, const MgFace& face, MeshReports& reports) {
    const EdgeStatus status = model.EdgesOf(&face);
    std::string text =
        Printf("{\"id\": %lld, \"vertices\": %d, \"facets\": %d, \"loops\": %d, "
               "\"corners\": %d, \"corrupt\": %s, \"area\": %s, \"edges\": \"%s\"",
               static_cast<long long>(face.GeoFaceId()), face.NumVertices(), face.NumFacets(),
               face.NumEdges(), static_cast<int>(face.CornerList().size()),
               face.Corrupt() ? "true" : "false", Number(face.Area()).c_str(), EdgeKind(status));
    if (status.kind == EdgeStatus::Threw)
        text += ", \"edge_error\": " + JsonString(status.message);
    if (status.kind == EdgeStatus::Failed)
        text += ", \"edge_error\": " +
                JsonString("a vertex lies on the boundary twice" +
                           (status.message.empty() ? "" : ": " + status.message));
    const mgmesh::MeshReport& report = reports.Of(face);
    return text + MeshJson(report) + SamplesJson(report) + "}";
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += Printf("\\u%04x", static_cast<unsigned>(c));
            else
                out += c;
        }
    }
    return out + "\"";
}

std::string ReportText(const Model& model, bool time) {
    MeshReports reports;
    std::string text =
        Printf("%s: %s \"%s\"", model.path.c_str(), FormatName(model.format), model.name.c_str()) +
        (time ? Printf(", loaded in %.3f ms", model.loadSeconds * 1000) : "") + "\n";
    const auto objects = model.Objects();
    for (const auto& [role, object] : objects) {
        text += TotalsText("  ", role.c_str(), *object, reports);
        for (const MgFace* face : object->FaceList())
            text += Printf("    face %lld: ", static_cast<long long>(face->GeoFaceId())) +
                    Counts(face->NumVertices(), face->NumFacets(), face->NumEdges(),
                           static_cast<int>(face->CornerList().size())) +
                    Printf(", %s, area %.6g, ", face->Corrupt() ? "CORRUPT" : "not corrupt",
                           double(face->Area())) +
                    EdgeText(model.EdgesOf(face)) + "\n" +
                    (object->FaceList().size() > 1 ? "      " + reports.Of(*face).Describe() + "\n"
                                                   : "");
    }
    if (model.multi)
        text += TotalsText("  ", "whole model (merged original)", *model.Whole(), reports);
    if (!model.dropped.ids.empty()) {
        text += "  " + Count(long(model.dropped.ids.size()), "face", "faces") +
                " dropped by the reader (edges could not be derived):";
        for (const std::intptr_t id : model.dropped.ids)
            text += Printf(" %lld", static_cast<long long>(id));
        text += "\n";
    }
    return text;
}

std::string ReportJson(const Model& model, bool time) {
    MeshReports reports;
    std::string text = "{\"file\": " + JsonString(model.path) + ", \"format\": \"" +
                       FormatName(model.format) + "\", \"name\": " + JsonString(model.name) +
                       (time ? ", \"load_seconds\": " + Number(model.loadSeconds) : "") +
                       ", \"objects\": [";
    const auto objects = model.Objects();
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const MgObject& object = *objects[k].second;
        text += (k ? ", " : "") + std::string("{\"role\": ") + JsonString(objects[k].first) + ", " +
                TotalsJson(object, reports) + ", \"face_list\": [";
        bool first = true;
        for (const MgFace* face : object.FaceList()) {
            text += (first ? "" : ", ") + FaceJson(model, *face, reports);
            first = false;
        }
        text += "]}";
    }
    text += "], \"whole\": {" + TotalsJson(*model.Whole(), reports) + "}, \"dropped_faces\": [";
    for (std::size_t k = 0; k < model.dropped.ids.size(); ++k)
        text += (k ? ", " : "") + std::to_string(static_cast<long long>(model.dropped.ids[k]));
    return text + "]}";
}

std::string ErrorJson(const std::string& path, const std::string& message) {
    return "{\"file\": " + JsonString(path) + ", \"error\": " + JsonString(message) + "}";
}

} // namespace mgtool
