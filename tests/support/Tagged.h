// Items of derived kinds, made through the overridden factories as the drawing classes make
// theirs, so that a test can tell whether an operation made its items through the factories.
#pragma once

#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"

namespace support {

class TaggedFacet : public virtual MgFacet {
public:
    explicit TaggedFacet(MgFace* face) : MgFacet(face) {}
};

/// Makes TaggedFacets.
class TaggedFace : public virtual MgFace {
public:
    explicit TaggedFace(MgObject* parent) : MgFace(parent) {}
    MgFacet* NewFacet() override { return new TaggedFacet(this); }
};

/// Makes TaggedFaces.
class TaggedObject : public virtual MgObject {
public:
    MgFace* NewFace() override { return new TaggedFace(this); }
};

} // namespace support
