// The lenient OBJ and PLY imports: what real files hold, with the place of each warning and error.
#include "IoSupport.h"

namespace {

using io::Messages;

using Import = mgmesh::ImportResult (*)(MgObject&, std::istream&, MyProgressNotify*);
using Load = void (MgObject::*)(std::istream&, MyProgressNotify*);

const std::string kObj = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n";
const std::string kPly = "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\nproperty "
                         "float y\nproperty float z\nelement face 2\nproperty list uchar int "
                         "vertex_index\nend_header\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n";

} // namespace

// What other tools write, with the place and count of each warning, and the error that stops
// an import with the facets before it kept.
TEST(MeshImport, AcceptsWhatCommonToolsWriteAndSaysWhere) {
    MgObject square;
    shapes::TwoFacetSquare(square);
    std::ostringstream out;
    square.SavePLY(out, true); // 4 vertices of 32 bytes and 2 faces of 13 after the header
    const std::string binary = out.str();
    const std::string noLine = " face(s) with a corner index of 0 or past the lines read, skipped";
    const std::string fans = " polygon(s) of more than three corners, read as fans\n";
    const struct {
        Import import;
        std::string bytes, messages;
        int facets;
    } cases[] = {
        {mgmesh::ImportOBJ,
         kObj + "f 1 2 5\nf 1 2 3\nf 0 1 2\nf -5//1 1 2\nf 1 2 99999999999999999999\n",
         "warning line 5, column 7: 4" + noLine + "\n", 1},
        {mgmesh::ImportOBJ,
         kObj + "mtllib m\nusemtl a\ns 1\nl 1 2\np 1\nf 1 2\nf 1 2 3 4\nf 4 3 2 1\n",
         "warning line 10, column 1: 1 face(s) of fewer than three corners, skipped\n"
         "warning line 11, column 1: 2" +
             fans,
         4},
        {mgmesh::ImportOBJ, kObj + "f 1 \\\n  2 \\\n 3\nf 1 2\\\n 9\n",
         "warning line 9, column 2: 1" + noLine + "\n", 1},
        {mgmesh::ImportOBJ, kObj + "f 1 2 3 # \\\nvn 0 0 q\nf 1 2 3\n",
         "error line 6, column 8: expected a number, found \"q\"\n", 1},
        {mgmesh::ImportOBJ, kObj + "f 1 2 3\nf 1/x 2 3\n",
         "error line 6, column 5: expected a texture coordinate index, found \"x\"\n", 1},
        {mgmesh::ImportOBJ, kObj + "f 1 2 3\nf 1 2 3//\n",
         "error line 6, column 10: expected a normal index, found nothing\n", 1},
        {mgmesh::ImportPLY, kPly + "4 0 1 3 2\n3 0 1 2\n", "warning line 14, column 1: 1" + fans,
         3},
        {mgmesh::ImportPLY, kPly + "2 0 1\n 3 0 1 9\n",
         "warning line 14, column 1: 1 face(s) of fewer than three indices, skipped\n"
         "warning line 15, column 2: 1 face(s) with an index of no vertex read before, skipped\n",
         0},
        {mgmesh::ImportPLY, kPly + "3 0 1 2\n3 0 1",
         "warning line 15, column 6: the data ends after 1 of the 2 face items: the items before "
         "are read\n",
         1},
        {mgmesh::ImportPLY, kPly + "3 0 1 2\n3 0 2 3\n\nend\n",
         "warning line 17, column 1: text after the last element: \"end\"\n", 2},
        {mgmesh::ImportPLY, kPly + "3 0 1 x\n",
         "error line 14, column 7: expected an integer, found \"x\"\n", 0},
        {mgmesh::ImportPLY, kPly.substr(0, kPly.find("property float y")) + "property quad q\n",
         "error line 5, column 10: unknown type \"quad\"\n", 0},
        {mgmesh::ImportPLY, kPly.substr(0, kPly.find("end_header")),
         "error line 9, column 1: the header has no \"end_header\" line\n", 0},
        {mgmesh::ImportPLY, binary.substr(0, binary.size() - 4),
         "warning byte " + std::to_string(binary.size() - 13) +
             " (face 1): the data ends after 1 of the 2 face items: the items before are read\n",
         1},
        {mgmesh::ImportPLY, binary + "xy",
         "warning byte " + std::to_string(binary.size()) + ": 2 bytes after the last element\n", 2},
    };
    for (const auto& c : cases) {
        MgObject object;
        std::istringstream in(c.bytes);
        EXPECT_EQ(Messages(c.import(object, in, nullptr)), c.messages) << c.bytes;
        EXPECT_EQ(object.NumFacets(), c.facets) << c.bytes;
        ExpectValidTopology(object, false);
    }
}
