// HostAPILinearFace: the host's face record read by MgObject::FillFacesInObj.
#pragma once

/// Arrays owned by the host; natural layout on the host's platform.
struct HostAPILinearFace {
    int mergeVertices;
    int reserved0; // not read by the library
    int numVertices;
    int numTriangles;
    int numCorners;
    int reserved1; // not read by the library
    double faceTolerance;
    const double* positions;    // 3 * numVertices
    const double* normals;      // 3 * numVertices
    const double* uvs;          // 2 * numVertices
    const double* cornerPoints; // 3 * numCorners
    const int* triangles;       // 3 * numTriangles
};
