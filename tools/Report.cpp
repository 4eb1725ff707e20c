// The info report: counts, areas and bounds of every face and object of a model.
#include "Report.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

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
    return kEdgeTexts[status.kind] + (status.kind == EdgeStatus::Threw ? status.message : "");
}

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

std::string TotalsText(const char* indent, const char* role, const MgObject& object) {
    const Totals t = Sum(object);
    std::string text = std::string(indent) + role + ": " + Count(t.faces, "face", "faces") + ", " +
                       Counts(t.vertices, t.facets, t.loops, t.corners) +
                       Printf(", area %.6g", double(t.area));
    if (t.corrupt > 0)
        text += Printf(", %d corrupt", t.corrupt);
    text += "\n";
    if (t.faces > 0)
        text += Printf("%s  bounds %s - %s, centre %s, radius %.6g\n", indent,
                       Vec(object.MinBound()).c_str(), Vec(object.MaxBound()).c_str(),
                       Vec(object.Average()).c_str(), double(object.Radius()));
    return text;
}

std::string TotalsJson(const MgObject& object) {
    const Totals t = Sum(object);
    return Printf("\"faces\": %d, \"vertices\": %d, \"facets\": %d, \"loops\": %d, "
                  "\"corners\": %d, \"corrupt_faces\": %d, \"area\": %s, ",
                  t.faces, t.vertices, t.facets, t.loops, t.corners, t.corrupt,
                  Number(t.area).c_str()) +
           "\"bounds\": {\"min\": " + JsonVec(object.MinBound()) +
           ", \"max\": " + JsonVec(object.MaxBound()) +
           "}, \"centre\": " + JsonVec(object.Average()) +
           ", \"radius\": " + Number(object.Radius());
}

std::string FaceJson(const Model& model, const MgFace& face) {
    const EdgeStatus status = model.EdgesOf(&face);
    std::string text =
        Printf("{\"id\": %lld, \"vertices\": %d, \"facets\": %d, \"loops\": %d, "
               "\"corners\": %d, \"corrupt\": %s, \"area\": %s, \"edges\": \"%s\"",
               static_cast<long long>(face.GeoFaceId()), face.NumVertices(), face.NumFacets(),
               face.NumEdges(), static_cast<int>(face.CornerList().size()),
               face.Corrupt() ? "true" : "false", Number(face.Area()).c_str(), EdgeKind(status));
    if (status.kind == EdgeStatus::Threw)
        text += ", \"edge_error\": " + JsonString(status.message);
    return text + "}";
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

std::string ReportText(const Model& model) {
    std::string text =
        Printf("%s: %s \"%s\", loaded in %.3f ms\n", model.path.c_str(), FormatName(model.format),
               model.name.c_str(), model.loadSeconds * 1000);
    const auto objects = model.Objects();
    for (const auto& [role, object] : objects) {
        text += TotalsText("  ", role.c_str(), *object);
        for (const MgFace* face : object->FaceList())
            text += Printf("    face %lld: ", static_cast<long long>(face->GeoFaceId())) +
                    Counts(face->NumVertices(), face->NumFacets(), face->NumEdges(),
                           static_cast<int>(face->CornerList().size())) +
                    Printf(", %s, area %.6g, ", face->Corrupt() ? "CORRUPT" : "not corrupt",
                           double(face->Area())) +
                    EdgeText(model.EdgesOf(face)) + "\n";
    }
    if (model.multi)
        text += TotalsText("  ", "whole model (merged original)", *model.Whole());
    if (!model.dropped.ids.empty()) {
        text += "  " + Count(long(model.dropped.ids.size()), "face", "faces") +
                " dropped by the reader (edges could not be derived):";
        for (const std::intptr_t id : model.dropped.ids)
            text += Printf(" %lld", static_cast<long long>(id));
        text += "\n";
    }
    return text;
}

std::string ReportJson(const Model& model) {
    std::string text = "{\"file\": " + JsonString(model.path) + ", \"format\": \"" +
                       FormatName(model.format) + "\", \"name\": " + JsonString(model.name) +
                       ", \"load_seconds\": " + Number(model.loadSeconds) + ", \"objects\": [";
    const auto objects = model.Objects();
    for (std::size_t k = 0; k < objects.size(); ++k) {
        const MgObject& object = *objects[k].second;
        text += (k ? ", " : "") + std::string("{\"role\": ") + JsonString(objects[k].first) + ", " +
                TotalsJson(object) + ", \"face_list\": [";
        bool first = true;
        for (const MgFace* face : object.FaceList()) {
            text += (first ? "" : ", ") + FaceJson(model, *face);
            first = false;
        }
        text += "]}";
    }
    text += "], \"whole\": {" + TotalsJson(*model.Whole()) + "}, \"dropped_faces\": [";
    for (std::size_t k = 0; k < model.dropped.ids.size(); ++k)
        text += (k ? ", " : "") + std::to_string(static_cast<long long>(model.dropped.ids[k]));
    return text + "]}";
}

std::string ErrorJson(const std::string& path, const std::string& message) {
    return "{\"file\": " + JsonString(path) + ", \"error\": " + JsonString(message) + "}";
}

} // namespace mgtool
