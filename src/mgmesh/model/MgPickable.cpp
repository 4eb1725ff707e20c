// MgPickable's out-of-line destructor anchors its virtual table in the library.
#include "mgmesh/model/MgPickable.h"

MgPickable::~MgPickable() = default;
