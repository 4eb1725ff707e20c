// The lenient STL import: what real files hold, read with the place of each warning and error.
#include "IoSupport.h"

namespace {

using io::Messages;

mgmesh::ImportResult Import(const std::string& bytes, MgObject& object, float tolerance = 0.01f) {
    std::istringstream in(bytes);
    mgmesh::ImportOptions options;
    options.tolerance = tolerance;
    return mgmesh::ImportSTL(object, in, options);
}

const std::string kFacet = "facet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                           "vertex 0 1 0\nendloop\nendfacet\n";

} // namespace

// Files that LoadSTL reads give exactly its model, ASCII or binary, with nothing to say.
TEST(StlImport, ReadsWhatTheExactReadersReadAsTheyDo) {
    MgObject grid;
    shapes::Grid(grid, 5, 4);
    for (const bool binary : {false, true}) {
        std::ostringstream out;
        grid.SaveSTL(out, binary);
        MgObject exact, lenient;
        std::istringstream in(out.str());
        exact.LoadAnySTL(in);
        const mgmesh::ImportResult result = Import(out.str(), lenient);
        EXPECT_EQ(Messages(result), "");
        EXPECT_EQ(support::ModelText(lenient), support::ModelText(exact)) << binary;
    }
    // numbers of every shape: the short ones are read in place, the others in general
    const std::string text = "solid s\nfacet normal 0 0 1\nouter loop\nvertex .5 1. -0\n"
                             "vertex +2 3.14159265358979 1e-40\nvertex 1234567.875 12345678 "
                             "-7.5E-3\nendloop\nendfacet\nendsolid s\n";
    std::istringstream in(text);
    MgObject exact, lenient;
    exact.LoadSTL(in);
    EXPECT_EQ(Messages(Import(text, lenient)), "");
    EXPECT_EQ(support::ModelText(lenient), support::ModelText(exact));
}

// What other tools write and accept, with the warning each gets (none for case and line ends).
TEST(StlImport, AcceptsWhatCommonToolsWriteAndSaysWhere) {
    std::string upper = "SOLID A\n" + kFacet + "ENDSOLID A";
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string nan = "solid\n" + kFacet + "endsolid\n";
    nan.replace(nan.find("0 0 1"), 5, "nan nan nan");
    std::string thin = "solid\n" + kFacet + "endsolid\n"; // long on x alone: not small
    thin.replace(thin.find("vertex 1 0 0"), 12, "vertex 4 0 0");
    thin.replace(thin.find("vertex 0 1 0"), 12, "vertex 0 .5 0");
    const struct {
        std::string bytes;
        std::string messages;
        int faces, facets;
    } cases[] = {
        {upper, "", 1, 1},
        {thin, "", 1, 1},
        {"solid a\n" + kFacet + "endsolid a\nsolid b\n" + kFacet + kFacet + "endsolid b\n", "", 2,
         3},
        {"solid\n" + kFacet, "warning line 9, column 1: no \"endsolid\" at the end\n", 1, 1},
        {nan,
         "warning line 2, column 1: 1 facet normal(s) NaN, infinite or zero, replaced by the "
         "normal of the winding\n",
         1, 1},
        {"solid\n" + kFacet + "facet normal 0 0 1\nouter loop\nvertex 0 0 x\n",
         "error line 11, column 12: expected a number, found \"x\"\n", 1, 1},
        {"solid\nfacet\n",
         "error line 3, column 1: expected \"normal\", found the end of the file\n", 1, 0},
        {"solid\nendsolid\nnonsense\n",
         "error line 3, column 1: expected \"solid\", found \"nonsense\"\n", 1, 0},
    };
    for (const auto& c : cases) {
        MgObject object;
        EXPECT_EQ(Messages(Import(c.bytes, object)), c.messages) << c.bytes;
        EXPECT_EQ(object.FaceList().size(), std::size_t(c.faces)) << c.bytes;
        EXPECT_EQ(object.NumFacets(), c.facets) << c.bytes;
        ExpectValidTopology(object, false);
    }
    // the winding's normal, of a facet off the origin and out of the axis planes
    std::string tilted = nan;
    tilted.replace(tilted.find("vertex 0 0 0"), 12, "vertex 0 0 1");
    tilted.replace(tilted.find("vertex 1 0 0"), 12, "vertex 1 0 1");
    tilted.replace(tilted.find("vertex 0 1 0"), 12, "vertex 0 1 2");
    MgObject replaced;
    Import(tilted, replaced);
    const CGeoVector normal = replaced.FaceList().front()->VertexList().front()->Normal();
    EXPECT_NEAR((normal - CGeoVector(0, -1, 1).Unit()).Norm(), 0, 1e-6f);
}

// A binary file's count may disagree with its size: the whole facets there are read.
TEST(StlImport, BinaryWithAWrongCountOrTrailingBytesLoadsTheFacetsThere) {
    MgObject grid;
    shapes::Grid(grid, 2, 1); // four facets
    std::ostringstream out;
    grid.SaveSTL(out, true);
    const std::string good = out.str();
    std::string more = good, fewer = good;
    more[80] = 9;  // claims more than the file holds
    fewer[80] = 3; // the fourth facet is trailing bytes
    const struct {
        std::string bytes;
        std::string messages;
        int facets;
    } cases[] = {
        {more + "xy",
         "warning byte 284 (facet 4): the header counts 9 facets, the file holds 4 and 2 bytes "
         "more: read 4\n",
         4},
        {fewer,
         "warning byte 234 (facet 3): the header counts 3 facets, the file holds 4 and 50 bytes "
         "more: read 3\n",
         3},
        {good.substr(0, 40),
         "error byte 0: a binary STL needs 84 bytes of header and count, the "
         "file has 40\n",
         0},
    };
    for (const auto& c : cases) {
        MgObject object;
        EXPECT_EQ(Messages(Import(c.bytes, object)), c.messages);
        EXPECT_EQ(object.NumFacets(), c.facets);
    }
}

// The caller's tolerance merges as the 0.01 box does at its own size, and warns when the model
// is small against it.
TEST(StlImport, MergesWithinTheCallersTolerance) {
    const std::string text = "solid\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 4 0 0\n"
                             "vertex 0 4 0\nendloop\nendfacet\nfacet normal 0 0 1\nouter loop\n"
                             "vertex 0.3 0 0\nvertex 4 0.5 0\nvertex 0 4.75 0\nendloop\nendfacet\n"
                             "endsolid\n";
    for (const auto& [tolerance, vertices, small] :
         {std::tuple{0.0f, 6, false}, {0.01f, 6, false}, {0.5f, 4, true}, {1.0f, 3, true}}) {
        MgObject object;
        const mgmesh::ImportResult result = Import(text, object, tolerance);
        EXPECT_EQ(object.NumVertices(), vertices) << tolerance;
        EXPECT_EQ(result.warnings.size(), small ? 1u : 0u) << Messages(result);
    }
}
