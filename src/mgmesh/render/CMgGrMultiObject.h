// CMgGrMultiObject: the drawable form of a multi-part object.
#pragma once

#include "mgmesh/Export.h"
#include "mgmesh/multi/CMgMultiObject.h"
#include "mgmesh/render/MgRenderMode.h"

class MgObject;

/// A multi-part object whose factory makes render objects, so that after Init() the unprocessed
/// object, the original object and every loaded part are MgGrObjects. Draws the processed parts
/// (transparent ones first) and the outlined unprocessed object.
class MGMESH_API CMgGrMultiObject : public virtual CMgMultiObject {
public:
    /// No objects yet; does not call Init().
    CMgGrMultiObject();
    ~CMgGrMultiObject() override;
    CMgGrMultiObject(const CMgGrMultiObject&) = delete;
    CMgGrMultiObject& operator=(const CMgGrMultiObject&) = delete;

    /// A new, empty MgGrObject on the heap, owned by the caller.
    MgObject* NewObject() override;

    /// Draws the processed parts that are render objects with MgGrObject::Draw(mode): the
    /// transparent ones first, in reverse list order, then the others in list order; then the
    /// unprocessed object, if it is a render object, with `edges` added to the mode. Other parts
    /// and the original object are not drawn. A part's exception ends the call at once.
    void Draw(MgRenderMode mode) const;
};
