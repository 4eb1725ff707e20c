// Symbol visibility for the library's exported classes.
#pragma once

#if defined(MGMESH_STATIC)
#define MGMESH_API
#else
#define MGMESH_API __attribute__((visibility("default")))
#endif
