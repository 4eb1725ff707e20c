// CMgGrMultiObject: render objects from the factory and the draw order of the parts.
#include "mgmesh/render/CMgGrMultiObject.h"

#include <deque>

#include "mgmesh/render/MgGrObject.h"

CMgGrMultiObject::CMgGrMultiObject() = default;

CMgGrMultiObject::~CMgGrMultiObject() = default;

MgObject* CMgGrMultiObject::NewObject() {
    return new MgGrObject();
}

void CMgGrMultiObject::Draw(MgRenderMode mode) const {
    // transparent parts go to the front as they come, so they end up in reverse list order
    std::deque<const MgGrObject*> drawList;
    for (const MgObject* part : ProcessedList()) {
        const MgGrObject* grPart = dynamic_cast<const MgGrObject*>(part);
        if (!grPart)
            continue;
        if (grPart->Transparent())
            drawList.push_front(grPart);
        else
            drawList.push_back(grPart);
    }
    for (const MgGrObject* part : drawList)
        part->Draw(mode);
    if (const MgGrObject* unprocessed = dynamic_cast<const MgGrObject*>(UnprocessedObject())) {
        MgRenderMode outlined = mode;
        outlined.edges = 1;
        unprocessed->Draw(outlined);
    }
}
