// The model as Python holds it: one owner per loaded model, handles that check what they name.
#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include <mgmesh/mgmesh.h>

namespace mgpy {

struct Root;

/// The library's own failures that have no thrown text of the library (a deleted face, an
/// index out of range); they reach Python as mgmesh.Error, as the thrown texts do.
struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

/// One split that Face.undo_split can take back: the split facet, its neighbour across the cut
/// side before the cut (or null), and the two facets the cut made.
struct SplitRecord {
    MgFacet* facet;
    MgFacet* neighbor;
    MgTwoFacets made;
};

/// A face that tells its handles when it is gone, and keeps the splits that can be undone.
class ModelFace : public MgFace {
public:
    explicit ModelFace(MgObject* parent) : MgFace(parent) {}
    ~ModelFace() override { *alive = false; }

    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    /// Undoable splits, newest last, valid while the face's change index is `splitsIndex`.
    std::vector<SplitRecord> splits;
    unsigned int splitsIndex = 0;
};

/// An object that makes ModelFaces and knows the root that owns it.
class ModelObject : public MgObject {
public:
    explicit ModelObject(Root* owner) : root(owner) {}
    ~ModelObject() override;
    MgFace* NewFace() override { return new ModelFace(this); }

    Root* const root;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    std::string name = "model";
};

/// A multi-part object whose objects are ModelObjects of the same root.
class ModelMulti : public CMgMultiObject {
public:
    explicit ModelMulti(Root* owner) : m_root(owner) {}
    MgObject* NewObject() override { return new ModelObject(m_root); }

private:
    Root* m_root;
};

/// The owner of one model: a single object or a multi-part object, and the lock that every
/// call on any of its items takes, so that a call that runs without the GIL never meets
/// another call on the same model.
struct Root {
    std::mutex mutex;
    std::unique_ptr<ModelObject> object;
    std::unique_ptr<ModelMulti> multi;

    /// A root that holds one new, empty object.
    static std::shared_ptr<Root> WithObject();
    /// A root that holds one new multi-part object, after Init().
    static std::shared_ptr<Root> WithMulti();
};

/// Takes the root's lock; waits for it without the GIL, so that a call holding the lock and
/// waiting for the GIL can finish.
std::unique_lock<std::mutex> Lock(Root& root);

/// Python's handle on an object: the root keeps the whole model alive.
struct ObjectRef {
    std::shared_ptr<Root> root;
    ModelObject* object;
    std::shared_ptr<bool> alive;

    explicit ObjectRef(std::shared_ptr<Root> owner, MgObject* item);
    /// The object; throws Error when it was deleted or now belongs to another model. Call with
    /// the root's lock held.
    ModelObject& Get() const;
};

/// Python's handle on a face; a face keeps its model alive.
struct FaceRef {
    std::shared_ptr<Root> root;
    ModelFace* face;
    std::shared_ptr<bool> alive;

    FaceRef(std::shared_ptr<Root> owner, MgFace* item);
    /// The face; throws Error when it was deleted or moved to another model. Call with the
    /// root's lock held.
    ModelFace& Get() const;
};

/// Python's handle on a multi-part object.
struct MultiRef {
    std::shared_ptr<Root> root;
    ModelMulti& Get() const { return *root->multi; }
};

} // namespace mgpy
