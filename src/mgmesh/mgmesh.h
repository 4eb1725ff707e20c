// The one header a host needs: every public class of the library.
#pragma once

#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/io/HostAPILinearFace.h"
#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/model/CGeoContainer.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgLists.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgPickable.h"
#include "mgmesh/model/MgSplitResults.h"
#include "mgmesh/model/MgVertex.h"
