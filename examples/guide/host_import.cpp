// The guide's host import example: a face built from arrays the host owns.
#include <cstdio>

#include <mgmesh/mgmesh.h>

int main() {
    try {
        //! [host-import]
        // A unit square as a host might hold it: two triangles with three vertices each, so the
        // diagonal's ends appear twice; mergeVertices joins them.
        const double positions[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0};
        const double normals[] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
        const double uvs[] = {0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
        const double corners[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
        const int triangles[] = {0, 1, 2, 3, 4, 5};

        HostAPILinearFace record = {};
        record.mergeVertices = 1; // vertices within 0.1 × faceTolerance become one
        record.numVertices = 6;
        record.numTriangles = 2;
        record.numCorners = 4;
        record.faceTolerance = 0.05;
        record.positions = positions; // the library copies what it reads; the arrays stay the
        record.normals = normals;     // host's
        record.uvs = uvs;
        record.cornerPoints = corners;
        record.triangles = triangles;

        static int hostFace; // whatever the host identifies its face by
        MgObject object;
        MgFace* face = object.FillFacesInObj(record, &hostFace); // edges are derived already
        // face->GeoFaceId() is the host's pointer, as an integer
        //! [host-import]
        std::printf("%d vertices, %d facets, %d loop, %zu corners\n", face->NumVertices(),
                    face->NumFacets(), face->NumEdges(), face->CornerList().size());
        const bool right = face->NumVertices() == 4 && face->NumFacets() == 2 &&
                           face->NumEdges() == 1 && face->CornerList().size() == 4 &&
                           face->GeoFaceId() == reinterpret_cast<std::intptr_t>(&hostFace);
        return right ? 0 : 1;
    } catch (const char* message) {
        std::printf("failed: %s\n", message);
        return 1;
    }
}
