// mgmesh.Object: counts, files, the report and repairs, and faces built from NumPy arrays.
#include <climits>
#include <cmath>
#include <filesystem>
#include <optional>

#include "Bindings.h"
#include "Files.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

namespace mgpy {

const char* const kReportDoc = R"(The mesh report as a dict: volume (float), shells, open_edges,
non_manifold_edges, misoriented_edges, degenerate_facets (ints). Changes nothing and needs no
rebuild_edges(); linear in facets and vertices.)";
const char* const kOrientDoc = R"(Gives each shell one orientation; closed shells end up facing
outward (positive volume). Returns what changed as a dict (facets_reversed, ...).)";
const char* const kDropDoc = R"(Deletes degenerate facets (a vertex twice, an empty slot,
collinear corners) and the vertices no facet uses any more. Returns what changed as a dict.)";
const char* const kMergeDoc = R"(merge_vertices(tolerance) -> dict

Merges each vertex into the first earlier vertex within `tolerance` on every axis (0 merges
equal positions only). Facets may become degenerate. Returns what changed as a dict.)";

py::dict ReportDict(const mgmesh::MeshReport& report) {
    py::dict d;
    d["volume"] = report.volume;
    d["shells"] = report.shells;
    d["open_edges"] = report.openEdges;
    d["non_manifold_edges"] = report.nonManifoldEdges;
    d["misoriented_edges"] = report.misorientedEdges;
    d["degenerate_facets"] = report.degenerateFacets;
    return d;
}

py::dict RepairDict(const mgmesh::RepairResult& result) {
    py::dict d;
    d["facets_reversed"] = result.facetsReversed;
    d["facets_dropped"] = result.facetsDropped;
    d["vertices_merged"] = result.verticesMerged;
    d["vertices_removed"] = result.verticesRemoved;
    d["edges_rebuilt"] = result.edgesRebuilt;
    d["rebuilds_failed"] = result.rebuildsFailed;
    return d;
}

py::tuple BoxTuple(const CGeoVector& min, const CGeoVector& max) {
    py::array_t<float> lo(3), hi(3);
    for (int k = 0; k < 3; ++k) {
        lo.mutable_at(k) = min[k];
        hi.mutable_at(k) = max[k];
    }
    return py::make_tuple(lo, hi);
}

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A C-ordered float64 array of shape (rows, columns), or an Error naming `what`.
Doubles Table(const py::handle& values, py::ssize_t columns, const char* what) {
    Doubles table = Doubles::ensure(values);
    if (!table || table.ndim() != 2 || table.shape(1) != columns)
        throw Error(std::string(what) + " must be an array of shape (n, " +
                    std::to_string(columns) + ") of numbers");
    return table;
}

// Triangles as ints of the library: any integer array of shape (m, 3) whose values fit.
std::vector<int> Triangles(const py::handle& values) {
    const py::array any = py::array::ensure(values);
    if (!any || (any.dtype().kind() != 'i' && any.dtype().kind() != 'u') || any.ndim() != 2 ||
        any.shape(1) != 3)
        throw Error("triangles must be an integer array of shape (m, 3)");
    using Longs = py::array_t<long long, py::array::c_style | py::array::forcecast>;
    const Longs wide = Longs::ensure(any);
    if (wide.size() > INT_MAX)
        throw Error("too many triangles for one face");
    std::vector<int> indices(static_cast<std::size_t>(wide.size()));
    const long long* data = wide.data();
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (data[i] < INT_MIN || data[i] > INT_MAX)
            throw Error("triangle index " + std::to_string(data[i]) + " out of range");
        indices[i] = static_cast<int>(data[i]);
    }
    return indices;
}

// Normals for a face given without them: at each vertex the unit sum of its triangles' cross
// products (so larger triangles weigh more); (0, 0, 0) where that sum is zero.
Doubles VertexNormals(const Doubles& positions, const std::vector<int>& indices) {
    const py::ssize_t n = positions.shape(0);
    Doubles normals({n, py::ssize_t(3)});
    double* out = normals.mutable_data();
    std::fill_n(out, 3 * n, 0.0);
    const double* p = positions.data();
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        const int* c = &indices[t];
        bool usable = c[0] != c[1] && c[1] != c[2] && c[2] != c[0];
        for (int k = 0; k < 3; ++k)
            usable = usable && c[k] >= 0 && c[k] < n; // the import refuses other records
        if (!usable)
            continue;
        const double *a = p + 3 * c[0], *b = p + 3 * c[1], *d = p + 3 * c[2];
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double v[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
        const double cross[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                                 u[0] * v[1] - u[1] * v[0]};
        for (int k = 0; k < 3; ++k)
            for (int axis = 0; axis < 3; ++axis)
                out[3 * c[k] + axis] += cross[axis];
    }
    for (double* row = out; row < out + 3 * n; row += 3) {
        const double length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        for (int axis = 0; length > 0 && axis < 3; ++axis)
            row[axis] /= length;
    }
    return normals;
}

FaceRef AddFace(const ObjectRef& ref, const py::handle& vertices, const py::handle& triangles,
                const py::object& normals, const py::object& uvs, bool merge, double tolerance,
                std::intptr_t id) {
    const Doubles positions = Table(vertices, 3, "vertices");
    const py::ssize_t n = positions.shape(0);
    if (n > INT_MAX / 3)
        throw Error("too many vertices for one face");
    Doubles uvTable = uvs.is_none() ? Doubles({n, py::ssize_t(2)}) : Table(uvs, 2, "uvs");
    if (uvs.is_none())
        std::fill_n(uvTable.mutable_data(), 2 * n, 0.0);
    const std::vector<int> indices = Triangles(triangles);
    Doubles normalTable =
        normals.is_none() ? VertexNormals(positions, indices) : Table(normals, 3, "normals");
    if (normalTable.shape(0) != n || uvTable.shape(0) != n)
        throw Error("normals and uvs must have a row per vertex");

    HostAPILinearFace record{};
    record.mergeVertices = merge ? 1 : 0;
    record.numVertices = static_cast<int>(n);
    record.numTriangles = static_cast<int>(indices.size() / 3);
    record.faceTolerance = tolerance;
    record.positions = positions.data();
    record.normals = normalTable.data();
    record.uvs = uvTable.data();
    record.triangles = indices.data();
    MgFace* face = Unlocked(ref, [&](ModelObject& object) {
        return object.FillFacesInObj(record, reinterpret_cast<void*>(id));
    });
    return FaceRef(ref.root, face);
}

void RemoveFace(const ObjectRef& ref, const FaceRef& face) {
    auto lock = Lock(*ref.root);
    ModelObject& object = ref.Get();
    if (face.root != ref.root || face.Get().ParentObject() != &object)
        throw Error("the face is not in this object");
    delete &face.Get();
}

ObjectRef Copy(const ObjectRef& ref) {
    std::shared_ptr<Root> root = Root::WithObject();
    Unlocked(ref, [&](ModelObject& object) {
        root->object->CopyObject(&object);
        root->object->name = object.name;
        return 0;
    });
    return ObjectRef(root, root->object.get());
}

std::string Repr(const ObjectRef& ref) {
    auto lock = Lock(*ref.root);
    if (!*ref.alive)
        return "<mgmesh.Object (deleted)>";
    const ModelObject& o = *ref.object;
    return "<mgmesh.Object '" + o.name + "': " + std::to_string(o.FaceList().size()) + " faces, " +
           std::to_string(o.NumVertices()) + " vertices, " + std::to_string(o.NumFacets()) +
           " facets>";
}

} // namespace

void BindObject(py::class_<ObjectRef>& cls) {
    using O = ModelObject;
    cls.def(py::init([] {
                std::shared_ptr<Root> root = Root::WithObject();
                return ObjectRef(root, root->object.get());
            }),
            "An empty object.")
        .def_property_readonly(
            "faces",
            [](const ObjectRef& ref) {
                auto lock = Lock(*ref.root);
                py::list faces;
                for (MgFace* face : ref.Get().FaceList())
                    faces.append(FaceRef(ref.root, face));
                return faces;
            },
            "The faces in list order, as a new list of Face handles.")
        .def_property_readonly(
            "num_vertices",
            [](const ObjectRef& r) { return Locked(r, [](O& o) { return o.NumVertices(); }); },
            "Vertices of all faces.")
        .def_property_readonly(
            "num_facets",
            [](const ObjectRef& r) { return Locked(r, [](O& o) { return o.NumFacets(); }); },
            "Facets of all faces.")
        .def_property_readonly(
            "num_edges",
            [](const ObjectRef& r) { return Locked(r, [](O& o) { return o.NumEdges(); }); },
            "Boundary loops of all faces (0 until their edges are derived).")
        .def_property_readonly(
            "area", [](const ObjectRef& r) { return Unlocked(r, [](O& o) { return o.Area(); }); },
            "Sum of the facets' areas (float32 arithmetic, as the library's Area).")
        .def_property_readonly(
            "bounding_box",
            [](const ObjectRef& r) {
                return Locked(r, [](O& o) { return BoxTuple(o.MinBound(), o.MaxBound()); });
            },
            "(min, max) over the faces' bounds, each a float32 array of shape (3,).")
        .def_property_readonly(
            "change_index",
            [](const ObjectRef& r) { return Locked(r, [](O& o) { return o.ChangeIndex(); }); },
            "Advances with every change to the object or its faces.")
        .def_property(
            "name", [](const ObjectRef& r) { return Locked(r, [](O& o) { return o.name; }); },
            [](const ObjectRef& r, const std::string& name) {
                Locked(r, [&](O& o) { return o.name = name; });
            },
            "The model's name: the SCB or TRG file's, else the file name's stem; SCB writes it.")
        .def(
            "save",
            [](const ObjectRef& r, const std::filesystem::path& path,
               const std::optional<std::string>& format, bool binary) {
                Unlocked(r, [&](O& o) {
                    SaveFile(o, path.string(), format.value_or(""), binary);
                    return 0;
                });
            },
            py::arg("path"), py::arg("format") = py::none(), py::arg("binary") = false,
            R"(save(path, format=None, binary=False)

Writes every face to `path` in the format of its extension or `format`: "stl" (ASCII, a solid
per face; binary=True: one solid of all facets), "obj" (a group per face), "ply" (all faces
as one; binary=True for binary_little_endian) or "scb" (with the object's name). Numbers read
back as the same float32 values. Raises OSError when the file cannot be written.)")
        .def(
            "report",
            [](const ObjectRef& r) {
                return ReportDict(Unlocked(r, [](O& o) { return mgmesh::ReportMesh(o); }));
            },
            kReportDoc)
        .def(
            "describe",
            [](const ObjectRef& r) {
                return Unlocked(r, [](O& o) { return mgmesh::ReportMesh(o).Describe(); });
            },
            R"(The mesh report as one line: "closed, 1 shell, volume 8".)")
        .def(
            "orient_shells",
            [](const ObjectRef& r) {
                return RepairDict(Unlocked(r, [](O& o) { return mgmesh::OrientShells(o); }));
            },
            kOrientDoc)
        .def(
            "drop_degenerate_facets",
            [](const ObjectRef& r) {
                return RepairDict(
                    Unlocked(r, [](O& o) { return mgmesh::DropDegenerateFacets(o); }));
            },
            kDropDoc)
        .def(
            "merge_vertices",
            [](const ObjectRef& r, float tolerance) {
                return RepairDict(
                    Unlocked(r, [&](O& o) { return mgmesh::MergeVertices(o, tolerance); }));
            },
            py::arg("tolerance"), kMergeDoc)
        .def(
            "reverse",
            [](const ObjectRef& r) {
                Unlocked(r, [](O& o) {
                    o.Reverse();
                    return 0;
                });
            },
            "Reverses every face: normals negated, facets and loops turned.")
        .def(
            "add_face", &AddFace, py::arg("vertices"), py::arg("triangles"),
            py::arg("normals") = py::none(), py::arg("uvs") = py::none(), py::arg("merge") = false,
            py::arg("tolerance") = 0.05, py::arg("id") = 0,
            R"(add_face(vertices, triangles, normals=None, uvs=None, merge=False, tolerance=0.05, id=0) -> Face

Builds one new face from arrays, through the library's host import: `vertices` (n, 3)
numbers, `triangles` (m, 3) integer indices into them (a triangle with a repeated index is
skipped), optional `normals` (n, 3) (by default each vertex gets the unit sum of its triangles' normals)
and `uvs` (n, 2). With merge=True, vertices within
0.1 x `tolerance` merge. Edges are derived. `id` becomes the face id. Raises mgmesh.Error
("Bad host face record" for an index that names no vertex).)")
        .def("remove_face", &RemoveFace, py::arg("face"),
             "Deletes `face` from this object; its handles raise mgmesh.Error afterwards.")
        .def("copy", &Copy, "A deep copy as a new, independent Object.")
        .def("__repr__", &Repr)
        .def(
            "__eq__", [](const ObjectRef& a, const ObjectRef& b) { return a.object == b.object; },
            py::is_operator())
        .def("__hash__", [](const ObjectRef& r) { return std::hash<const void*>()(r.object); });
}

} // namespace mgpy
