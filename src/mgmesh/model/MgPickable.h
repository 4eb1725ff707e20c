// MgPickable: the empty polymorphic base of things a host may pick.
#pragma once

#include "mgmesh/Export.h"

class MGMESH_API MgPickable {
public:
    MgPickable() = default;
    virtual ~MgPickable();

protected:
    MgPickable(const MgPickable&) = default;
    MgPickable& operator=(const MgPickable&) = default;
};
