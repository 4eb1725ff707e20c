// mgmesh.Face: the arrays of a face, its edges, its report and repairs, and split with undo.
#include <cstdint>
#include <iterator>

#include "Bindings.h"

#include <pybind11/stl.h>

namespace mgpy {
namespace {

using F = ModelFace;

// Numbers the face's vertices (or facets) through their aux data, from 0 in list order; the
// module reads aux data nowhere else, and the root's lock is held while the numbers are used.
template <class List> void Number(const List& items) {
    std::intptr_t number = 0;
    for (const auto* item : items)
        item->SetAuxData(reinterpret_cast<void*>(number++));
}

template <class T> std::int32_t NumberOf(const T* item) {
    return item ? static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(item->AuxData())) : -1;
}

// A float32 array of a row per vertex, `columns` values each from `get`.
template <class Get> py::array_t<float> VertexTable(const F& face, py::ssize_t columns, Get get) {
    py::array_t<float> table({py::ssize_t(face.NumVertices()), columns});
    float* out = table.mutable_data();
    for (const MgVertex* v : face.VertexList()) {
        const float* values = get(v);
        for (py::ssize_t k = 0; k < columns; ++k)
            *out++ = values[k];
    }
    return table;
}

py::array_t<std::int32_t> Facets(const FaceRef& ref) {
    return Locked(ref, [](F& face) {
        Number(face.VertexList());
        py::array_t<std::int32_t> table({py::ssize_t(face.NumFacets()), py::ssize_t(3)});
        std::int32_t* out = table.mutable_data();
        for (const MgFacet* f : face.FacetList())
            for (int s = 0; s < 3; ++s)
                *out++ = NumberOf(f->Vertex(s));
        return table;
    });
}

py::array_t<std::int32_t> Neighbors(const FaceRef& ref) {
    return Locked(ref, [](F& face) {
        Number(face.FacetList());
        py::array_t<std::int32_t> table({py::ssize_t(face.NumFacets()), py::ssize_t(3)});
        std::int32_t* out = table.mutable_data();
        for (const MgFacet* f : face.FacetList())
            for (int s = 0; s < 3; ++s) {
                // a link into another face is no neighbour of this face's numbering
                const MgFacet* n = f->Neighbor(s);
                *out++ = n && n->ParentFace() == &face ? NumberOf(n) : -1;
            }
        return table;
    });
}

py::list Loops(const FaceRef& ref) {
    return Locked(ref, [](F& face) {
        Number(face.VertexList());
        py::list loops;
        for (const MgEdge* edge : face.EdgeList()) {
            py::array_t<std::int32_t> loop(py::ssize_t(edge->VertexList().size()));
            std::int32_t* out = loop.mutable_data();
            for (const MgVertex* v : edge->VertexList())
                *out++ = NumberOf(v);
            loops.append(loop);
        }
        return loops;
    });
}

MgFacet* FacetAt(const F& face, long long index) {
    if (index < 0)
        index += face.NumFacets();
    if (index < 0 || index >= face.NumFacets())
        throw py::index_error("facet number out of range");
    // the list has no index: from the nearer end
    if (index < face.NumFacets() / 2)
        return *std::next(face.FacetList().begin(), index);
    return *std::prev(face.FacetList().end(), face.NumFacets() - index);
}

int Split(const FaceRef& ref, long long index, int side, float t) {
    auto lock = Lock(*ref.root);
    F& face = ref.Get();
    MgFacet* facet = FacetAt(face, index);
    if (face.ChangeIndex() != face.splitsIndex)
        face.splits.clear();
    MgFacet* neighbor = side >= 0 && side < 3 ? facet->Neighbor(side) : nullptr;
    MgTwoFacets made;
    {
        py::gil_scoped_release release;
        made = facet->Split(side, t);
    }
    if (made.first)
        face.splits.push_back(SplitRecord{facet, made.second ? neighbor : nullptr, made});
    face.splitsIndex = face.ChangeIndex();
    return made.first ? (made.second ? 2 : 1) : 0;
}

void UndoSplit(const FaceRef& ref) {
    auto lock = Lock(*ref.root);
    F& face = ref.Get();
    // any change since the last split or undo may have deleted the facets a record names
    if (face.ChangeIndex() != face.splitsIndex)
        face.splits.clear();
    if (face.splits.empty())
        throw Error("no split to undo (or the face changed since the last split)");
    const SplitRecord record = face.splits.back();
    record.facet->Unsplit(record.made.first, record.neighbor, record.made.second);
    face.splits.pop_back();
    face.splitsIndex = face.ChangeIndex();
}

std::string Repr(const FaceRef& ref) {
    auto lock = Lock(*ref.root);
    if (!*ref.alive)
        return "<mgmesh.Face (deleted)>";
    const F& f = *ref.face;
    return "<mgmesh.Face id " + std::to_string(f.GeoFaceId()) + ": " +
           std::to_string(f.NumVertices()) + " vertices, " + std::to_string(f.NumFacets()) +
           " facets, " + std::to_string(f.NumEdges()) + " loops>";
}

} // namespace

void BindFace(py::class_<FaceRef>& cls) {
    cls.def_property_readonly(
           "object",
           [](const FaceRef& r) {
               return Locked(r, [&](F& f) { return ObjectRef(r.root, f.ParentObject()); });
           },
           "The Object the face belongs to.")
        .def_property_readonly(
            "vertices",
            [](const FaceRef& r) {
                return Locked(r, [](F& f) {
                    return VertexTable(f, 3, [](const MgVertex* v) { return &v->Vertex().x; });
                });
            },
            "Vertex positions: a new float32 array of shape (n, 3), in vertex-list order.")
        .def_property_readonly(
            "normals",
            [](const FaceRef& r) {
                return Locked(r, [](F& f) {
                    return VertexTable(f, 3, [](const MgVertex* v) { return &v->Normal().x; });
                });
            },
            "Vertex normals: a new float32 array of shape (n, 3).")
        .def_property_readonly(
            "uvs",
            [](const FaceRef& r) {
                return Locked(r, [](F& f) {
                    return VertexTable(f, 2, [](const MgVertex* v) { return v->GeoUV(); });
                });
            },
            "Texture coordinates: a new float32 array of shape (n, 2).")
        .def_property_readonly("facets", &Facets,
                               "The facets' vertex numbers: a new int32 array of shape (m, 3), "
                               "indices into vertices; -1 marks an empty slot.")
        .def_property_readonly("neighbors", &Neighbors,
                               "The facet across each side (side i runs from slot i to slot "
                               "i+1): an int32 array of shape (m, 3) of facet numbers, -1 for "
                               "none. Empty until rebuild_edges() or a reader links them.")
        .def_property_readonly("boundary_loops", &Loops,
                               "The boundary loops, each an int32 array of vertex numbers (the "
                               "first not repeated at the end). Empty until rebuild_edges().")
        .def_property_readonly(
            "num_vertices",
            [](const FaceRef& r) { return Locked(r, [](F& f) { return f.NumVertices(); }); })
        .def_property_readonly(
            "num_facets",
            [](const FaceRef& r) { return Locked(r, [](F& f) { return f.NumFacets(); }); })
        .def_property_readonly(
            "num_edges",
            [](const FaceRef& r) { return Locked(r, [](F& f) { return f.NumEdges(); }); },
            "Boundary loops.")
        .def_property_readonly(
            "area", [](const FaceRef& r) { return Unlocked(r, [](F& f) { return f.Area(); }); },
            "Sum of the facets' areas.")
        .def_property_readonly(
            "bounding_box",
            [](const FaceRef& r) {
                return Locked(r, [](F& f) { return BoxTuple(f.MinBound(), f.MaxBound()); });
            },
            "(min, max) of the vertices, each a float32 array of shape (3,).")
        .def_property_readonly(
            "corrupt", [](const FaceRef& r) { return Locked(r, [](F& f) { return f.Corrupt(); }); },
            "Set when rebuild_edges() found a vertex on the boundary twice.")
        .def_property(
            "id", [](const FaceRef& r) { return Locked(r, [](F& f) { return f.GeoFaceId(); }); },
            [](const FaceRef& r, std::intptr_t id) {
                Locked(r, [&](F& f) {
                    f.SetGeoFaceId(id);
                    return 0;
                });
            },
            "The face id (0 for faces the STL, OBJ and PLY readers make).")
        .def_property(
            "tolerance",
            [](const FaceRef& r) { return Locked(r, [](F& f) { return f.GeoTolerance(); }); },
            [](const FaceRef& r, float tolerance) {
                Locked(r, [&](F& f) {
                    f.SetGeoTolerance(tolerance);
                    return 0;
                });
            },
            "The face's geometric tolerance (0.05 unless a file or add_face set it).")
        .def(
            "rebuild_edges",
            [](const FaceRef& r) { return Unlocked(r, [](F& f) { return f.RebuildEdges(); }); },
            R"(Derives neighbour links and boundary loops from the facets and deletes vertices that no
facet uses. Returns False (and sets corrupt) when a vertex lies on the boundary twice; raises
mgmesh.Error("Bad face structure") when a loop cannot be closed or a slot is empty.)")
        .def(
            "report",
            [](const FaceRef& r) {
                return ReportDict(Unlocked(r, [](F& f) { return mgmesh::ReportMesh(f); }));
            },
            kReportDoc)
        .def(
            "orient_shells",
            [](const FaceRef& r) {
                return RepairDict(Unlocked(r, [](F& f) { return mgmesh::OrientShells(f); }));
            },
            kOrientDoc)
        .def(
            "drop_degenerate_facets",
            [](const FaceRef& r) {
                return RepairDict(
                    Unlocked(r, [](F& f) { return mgmesh::DropDegenerateFacets(f); }));
            },
            kDropDoc)
        .def(
            "merge_vertices",
            [](const FaceRef& r, float tolerance) {
                return RepairDict(
                    Unlocked(r, [&](F& f) { return mgmesh::MergeVertices(f, tolerance); }));
            },
            py::arg("tolerance"), kMergeDoc)
        .def(
            "reverse",
            [](const FaceRef& r) {
                Unlocked(r, [](F& f) {
                    f.Reverse();
                    return 0;
                });
            },
            "Negates the vertex normals, reverses facets and loops, rebuilds the corners.")
        .def("split", &Split, py::arg("facet"), py::arg("side"), py::arg("t") = 0.5f,
             R"(split(facet, side, t=0.5) -> int

Cuts side `side` (0, 1 or 2: from slot side to slot side+1) of facet number `facet` at the
fraction t from its start, and the neighbour across it too (link neighbours first with
rebuild_edges()). The new facets go to the end of the facet list. Returns how many facets
it made. Raises mgmesh.Error("Bad facet structure") for a bad side or facet.)")
        .def(
            "undo_split", &UndoSplit,
            R"(Undoes the newest split that is not undone yet. Raises mgmesh.Error when there is none,
when the face changed otherwise since (any other change forgets the splits), or with the
library's text when the split cannot be undone.)")
        .def("__repr__", &Repr)
        .def(
            "__eq__", [](const FaceRef& a, const FaceRef& b) { return a.face == b.face; },
            py::is_operator())
        .def("__hash__", [](const FaceRef& r) { return std::hash<const void*>()(r.face); });
}

} // namespace mgpy
