// Symbol visibility for the library's exported classes: exported from mgmesh.dll and imported
// by its hosts on Windows, default visibility elsewhere.
#pragma once

#if defined(MGMESH_STATIC)
#define MGMESH_API
#elif defined(_WIN32)
#if defined(MGMESH_BUILDING)
#define MGMESH_API __declspec(dllexport)
#else
#define MGMESH_API __declspec(dllimport)
#endif
#else
#define MGMESH_API __attribute__((visibility("default")))
#endif
