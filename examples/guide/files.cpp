// The guide's first example: an STL file read, its edges derived, and the model written and read
// back as SCB and written as STL.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <mgmesh/mgmesh.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: files MODEL.stl\n");
        return 2;
    }
    try {
        //! [load-stl]
        MgObject object;
        std::ifstream in(argv[1]);
        object.LoadSTL(in); // one new face; corners closer than 0.01 become one vertex
        MgFace* face = object.FaceList().front();
        if (!face->RebuildEdges()) // neighbour links and boundary loops
            std::puts("a vertex lies on the boundary twice: the face is marked corrupt");
        std::printf("%d facets, %d vertices, %d boundary loops\n", object.NumFacets(),
                    object.NumVertices(), object.NumEdges());
        //! [load-stl]

        //! [save-scb]
        std::ostringstream scb; // any std::ostream: a std::ofstream writes a file
        object.SaveSCB(scb, "bracket");

        MgObject copy;
        std::istringstream back(scb.str());
        const std::string name = copy.LoadSCB(back); // "bracket"
        // the copy has the same vertices, facets, neighbour links and loops, in the same order
        //! [save-scb]
        if (name != "bracket" || copy.NumFacets() != object.NumFacets() ||
            copy.NumVertices() != object.NumVertices() || copy.NumEdges() != object.NumEdges()) {
            std::puts("the SCB copy differs");
            return 1;
        }

        //! [save-stl]
        std::ostringstream ascii, binary;
        copy.SaveSTL(ascii);        // ASCII, one solid per face
        copy.SaveSTL(binary, true); // binary, all faces as one solid

        MgObject third;
        std::istringstream stlBack(binary.str());
        third.LoadAnySTL(stlBack); // tells binary from ASCII by the size and the first word
        //! [save-stl]
        if (third.NumFacets() != object.NumFacets()) {
            std::puts("LoadAnySTL read a different model");
            return 1;
        }
        std::printf("SCB and STL copies of \"%s\" agree\n", name.c_str());
    } catch (const char* message) { // the library throws its message texts
        std::printf("failed: %s\n", message);
        return 1;
    }
    return 0;
}
