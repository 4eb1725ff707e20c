// What the binding files share: the registration calls and the conversions to Python values.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "Model.h"

namespace mgpy {

namespace py = pybind11;

// Each fills in a class that the module declared first, so that every signature names the
// Python classes.
void BindObject(py::class_<ObjectRef>& cls);
void BindFace(py::class_<FaceRef>& cls);
void BindMulti(py::class_<MultiRef>& cls);
/// Object.render, in builds that have EGL and libpng.
void BindRender(py::class_<ObjectRef>& cls);

/// The mesh report's counts under the keys of `mgtool info --json`.
py::dict ReportDict(const mgmesh::MeshReport& report);
/// What a repair changed, under snake_case keys of RepairResult's fields.
py::dict RepairDict(const mgmesh::RepairResult& result);
/// A bounding box as (min, max), each a float32 array of shape (3,).
py::tuple BoxTuple(const CGeoVector& min, const CGeoVector& max);

/// Runs `work` on the item that `ref` names with the root's lock held and the GIL released.
template <class Ref, class Work> auto Unlocked(const Ref& ref, Work work) {
    auto lock = Lock(*ref.root);
    auto& item = ref.Get();
    py::gil_scoped_release release;
    return work(item);
}

/// Runs `work` on the item that `ref` names with the root's lock held (and the GIL kept).
template <class Ref, class Work> auto Locked(const Ref& ref, Work work) {
    auto lock = Lock(*ref.root);
    return work(ref.Get());
}

/// The repair docstrings, shared by Object and Face.
extern const char* const kReportDoc;
extern const char* const kOrientDoc;
extern const char* const kDropDoc;
extern const char* const kMergeDoc;

} // namespace mgpy
