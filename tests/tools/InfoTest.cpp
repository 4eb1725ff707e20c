// mgtool info on the shipped models, against what the library loads from them.
#include "ToolRun.h"

using namespace tooltest;

namespace {

const char* const kBoxText =
    "  object: 6 faces, 54 vertices, 48 facets, 6 loops, 24 corners, area 24\n"
    "    bounds (0, 0, 0) - (2, 2, 2), centre (1, 1, 1), radius 1.73205\n"
    "    mesh: 6 shells, volume 8, 48 open edges (facets 0, 1, 2, 5, ...)\n"
    "    face 1: 9 vertices, 8 facets, 1 loop, 4 corners, not corrupt, area 4, edges from file\n";

TEST(Info, ShippedModelsMatchTheLibrary) {
    for (const std::string entry : {"bracket.stl stl-ascii", "torus-binary.stl stl-binary",
                                    "box.scb scb1", "assembly.scb scb2", "pyramid.trg trg"}) {
        const std::string name = entry.substr(0, entry.find(' ')), path = kModels + name,
                          format = entry.substr(entry.find(' ') + 1);
        SCOPED_TRACE(path);
        const Json json = ParseJson(RunTool({"info", "--json", path}).out);
        EXPECT_EQ(json.at("/files/0/format") + " " + json.at("/files/0/name") + ".",
                  format + " " + name.substr(0, name.find('.') + 1));
        std::istringstream in(ReadFile(path));
        MgObject object;
        CMgMultiObject multi;
        multi.Init();
        std::vector<const MgObject*> objects{&object, &object}; // the whole, then each object
        if (format[1] == 'c') {                                 // scb1 or scb2
            multi.LoadSCB(in);
            objects = {multi.OriginalObject(), multi.UnprocessedObject()};
            objects.insert(objects.end(), multi.ProcessedList().begin(),
                           multi.ProcessedList().end());
        } else if (format == "trg") {
            object.LoadTRG(in);
        } else {
            object.LoadAnySTL(in);
            EXPECT_EQ(json.at("/files/0/objects/0/face_list/0/edges"),
                      object.FaceList().front()->RebuildEdges() ? "derived" : "failed");
        }
        ASSERT_EQ(json.at("/files/0/objects"), std::to_string(objects.size() - 1));
        ExpectObject(json, "/files/0/whole", *objects[0]);
        for (std::size_t k = 1; k < objects.size(); ++k)
            ExpectObject(json, "/files/0/objects/" + std::to_string(k - 1), *objects[k]);
        const std::string text = RunTool({"info", path}).out; // what a user sees first
        EXPECT_TRUE(format != "scb1" || text.find(kBoxText) != std::string::npos) << text;
    }
}

} // namespace
