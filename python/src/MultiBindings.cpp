// mgmesh.MultiObject: a model in parts, with its unprocessed object and merged original.
#include "Bindings.h"

#include <pybind11/stl.h>

namespace mgpy {
namespace {

using M = ModelMulti;

// The handle on one of the multi-part object's objects; null stays None.
py::object Handle(const MultiRef& ref, MgObject* object) {
    return object ? py::cast(ObjectRef(ref.root, object)) : py::none();
}

} // namespace

void BindMulti(py::class_<MultiRef>& cls) {
    cls.def(py::init([] { return MultiRef{Root::WithMulti()}; }),
            "An empty multi-part object: an empty unprocessed object and original, no parts.")
        .def_property_readonly(
            "parts",
            [](const MultiRef& r) {
                auto lock = Lock(*r.root);
                py::list parts;
                for (MgObject* part : r.Get().ProcessedList())
                    parts.append(Handle(r, part));
                return parts;
            },
            "The processed parts in order of addition, as Objects.")
        .def_property_readonly(
            "unprocessed",
            [](const MultiRef& r) {
                return Locked(r, [&](M& m) { return Handle(r, m.UnprocessedObject()); });
            },
            "The object that receives an \"scb1\" file and parts without a vector.")
        .def_property_readonly(
            "original",
            [](const MultiRef& r) {
                return Locked(r, [&](M& m) { return Handle(r, m.OriginalObject()); });
            },
            "The merged copy of the unprocessed object and every part, as reset_original() made "
            "it.")
        .def(
            "add_part",
            [](const MultiRef& r, const ObjectRef& source) {
                // the part is a copy: the source stays with its own model and lock
                auto part = std::make_unique<ModelObject>(r.root.get());
                Unlocked(source, [&](ModelObject& object) {
                    part->CopyObject(&object);
                    part->name = object.name;
                    return 0;
                });
                auto lock = Lock(*r.root);
                MgObject* added = part.get();
                r.Get().AddObject(part.release());
                return ObjectRef(r.root, added);
            },
            py::arg("object"),
            "Appends a copy of `object` as a new part and returns it; the original stays stale "
            "until reset_original().")
        .def(
            "reset_original",
            [](const MultiRef& r) {
                Unlocked(r, [](M& m) {
                    m.ResetOriginal();
                    return 0;
                });
            },
            "Rebuilds the original as copies of the unprocessed object's faces, then each part's. "
            "Handles on the previous original raise mgmesh.Error afterwards.")
        .def_property_readonly(
            "size", [](const MultiRef& r) { return Locked(r, [](M& m) { return m.Size(); }); },
            "The largest extent of the original's bounding box.")
        .def("__repr__", [](const MultiRef& r) {
            auto lock = Lock(*r.root);
            return "<mgmesh.MultiObject: " + std::to_string(r.Get().ProcessedList().size()) +
                   " parts>";
        });
}

} // namespace mgpy
