// The owners and handles of the Python model.
#include "Model.h"

#include <pybind11/pybind11.h>

namespace mgpy {

ModelObject::~ModelObject() {
    *alive = false;
}

std::shared_ptr<Root> Root::WithObject() {
    auto root = std::make_shared<Root>();
    root->object = std::make_unique<ModelObject>(root.get());
    return root;
}

std::shared_ptr<Root> Root::WithMulti() {
    auto root = std::make_shared<Root>();
    root->multi = std::make_unique<ModelMulti>(root.get());
    root->multi->Init();
    return root;
}

std::unique_lock<std::mutex> Lock(Root& root) {
    std::unique_lock<std::mutex> lock(root.mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        pybind11::gil_scoped_release release;
        lock.lock();
    }
    return lock;
}

namespace {

ModelObject* AsModel(MgObject* object) {
    // every object of a root comes from its factories, so the cast only guards a bug
    auto* model = dynamic_cast<ModelObject*>(object);
    if (!model)
        throw Error("not an object of this module");
    return model;
}

} // namespace

ObjectRef::ObjectRef(std::shared_ptr<Root> owner, MgObject* item)
    : root(std::move(owner)), object(AsModel(item)), alive(object->alive) {}

ModelObject& ObjectRef::Get() const {
    if (!*alive)
        throw Error("the object was deleted");
    return *object;
}

FaceRef::FaceRef(std::shared_ptr<Root> owner, MgFace* item)
    : root(std::move(owner)), face(dynamic_cast<ModelFace*>(item)) {
    if (!face)
        throw Error("not a face of this module");
    alive = face->alive;
}

ModelFace& FaceRef::Get() const {
    if (!*alive)
        throw Error("the face was deleted");
    const auto* parent = dynamic_cast<const ModelObject*>(face->ParentObject());
    if (!parent || parent->root != root.get())
        throw Error("the face was moved to another model");
    return *face;
}

} // namespace mgpy
