// CMgMultiObject: ownership of its objects, the merged original and the multi-part reader's
// routing and failure rules.
#include <algorithm>
#include <fstream>
#include <locale>
#include <sstream>

#include "support/Check.h"
#include "support/ModelText.h"
#include "support/Progress.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace {

// The face ids of an object, e.g. "1 2".
std::string Ids(const MgObject* object) {
    std::string ids;
    for (const MgFace* face : object->FaceList())
        ids += (ids.empty() ? "" : " ") + std::to_string(face->GeoFaceId());
    return ids;
}

// The unprocessed object's face ids, then "|" and the ids of each part, e.g. "1|2|3 4".
std::string Parts(const CMgMultiObject& multi) {
    std::string parts = Ids(multi.UnprocessedObject());
    for (const MgObject* part : multi.ProcessedList())
        parts += "|" + (part ? Ids(part) : "null");
    return parts;
}

// A face block of one facet.
std::string Face(int id) {
    return " faceBegin " + std::to_string(id) +
           " vertex 0 0 0 0 0 0 0 0 1 vertex 1 1 0 1 0 0 0 0 1 vertex 2 0 1 0 1 0 0 0 1"
           " facet 0 0 1 2 -1 -1 -1 edge 0 1 2 faceEnd ";
}

const std::string kBracket = std::string(MGMESH_SOURCE_DIR) + "/examples/models/bracket_parts.scb";

// A multi-object whose factory makes its own kind of object, as the drawable one does.
struct Tagged : MgObject {};
struct TaggedMulti : virtual CMgMultiObject {
    int made = 0;
    MgObject* NewObject() override {
        ++made;
        return new Tagged();
    }
};

TEST(CMgMultiObject, OwnsItsObjectsAndRebuildsTheOriginalOnRequest) {
    TaggedMulti multi;
    EXPECT_EQ(multi.PartObject(0), nullptr);
    EXPECT_EQ(multi.Size(), 0.0f);
    std::istringstream in("scb1 part x");
    EXPECT_THROW_TEXT(multi.LoadSCB(in), "CMgMultiObject::Init not called");
    EXPECT_EQ(in.tellg(), 0) << "refused before reading";
    multi.Init();
    ASSERT_NE(dynamic_cast<Tagged*>(multi.UnprocessedObject()), nullptr);
    shapes::TwoFacetSquare(*multi.UnprocessedObject())->SetGeoFaceId(10);
    auto* twoFaces = new MgObject();
    shapes::TwoFacetSquare(*twoFaces)->SetGeoFaceId(20);
    shapes::Tetrahedron(*twoFaces)->SetGeoFaceId(21);
    multi.AddObject(twoFaces);
    multi.AddObject(nullptr); // kept in place, skipped by the copy
    multi.AddObject(new MgObject());
    for (MgObject* owned : {twoFaces, multi.UnprocessedObject(), multi.OriginalObject()})
        EXPECT_THROW_TEXT(multi.AddObject(owned),
                          "Object already belongs to the multi-part object");
    EXPECT_EQ(Parts(multi), "10|20 21|null|");
    EXPECT_EQ(multi.PartObject(0), twoFaces);
    EXPECT_EQ(multi.PartObject(3), nullptr);
    EXPECT_EQ(multi.PartObject(-1), nullptr);
    EXPECT_EQ(Ids(multi.OriginalObject()), "") << "stale until reset";
    multi.ResetOriginal();
    EXPECT_EQ(Ids(multi.OriginalObject()), "10 20 21");
    EXPECT_EQ(multi.OriginalObject()->NumFacets(), 2 + 2 + 4);
    ExpectValidTopology(*multi.OriginalObject(), false);
    multi.Init(); // a new unprocessed object; the old one is deleted
    EXPECT_EQ(multi.made, 5);
    EXPECT_EQ(Ids(multi.OriginalObject()), "20 21");
}

TEST(CMgMultiObject, LoadsAFileThroughTheFactoryAndAddsToWhatIsThere) {
    support::CountingProgress progress;
    TaggedMulti multi;
    multi.Init();
    std::ifstream file(kBracket);
    multi.LoadSCB(file, &progress);
    EXPECT_EQ(progress.steps, 27) << "one step per item line, passed on to every part";
    EXPECT_EQ(multi.made, 5) << "two parts and a new original";
    EXPECT_NE(dynamic_cast<Tagged*>(multi.PartObject(1)), nullptr);
    EXPECT_EQ(Parts(multi), "1|2|3 4");
    EXPECT_EQ(Ids(multi.OriginalObject()), "1 2 3 4");
    EXPECT_EQ(multi.Size(), 5.0f);
    ExpectValidTopology(*multi.OriginalObject());
    std::istringstream again("scb1 part again" + Face(9));
    multi.LoadSCB(again);
    EXPECT_EQ(Ids(multi.OriginalObject()), "1 9 2 3 4");

    // written as scb2 and read back: the same parts, faces and items, and the name
    std::stringstream text;
    multi.SaveSCB(text);
    CMgMultiObject back;
    back.Init();
    back.LoadSCB(text);
    EXPECT_EQ(back.Name(), multi.Name());
    EXPECT_EQ(Parts(back), Parts(multi));
    EXPECT_EQ(support::ModelText(*back.OriginalObject()),
              support::ModelText(*multi.OriginalObject()));
    EXPECT_THROW_TEXT(CMgMultiObject().SaveSCB(text), "CMgMultiObject::Init not called");
}

TEST(CMgMultiObject, PartsGoWhereTheirVectorSaysAndFailuresKeepWhatCameBefore) {
    const std::string parts = "objectBegin 1 0 0 1" + Face(1) + "objectEnd objectBegin 2 0.5 0 0" +
                              Face(2) + Face(3) + "objectBegin 3 0 -1e-30 0" + Face(4);
    // the text, then "!" if it fails with "File problem" and what is loaded (see Parts)
    const std::pair<std::string, std::string> cases[] = {
        {"scb2 part name " + parts, "|1|2 3|4"},
        {"scb2 " + parts, "|1|2 3|4"},
        {"scb2 part objectBegin " + parts, "|1|2 3|4"},
        {"scb2 objectBegin 0 0 0 0" + Face(10) + "objectBegin 1 -0 0 -0" + Face(11), "10 11"},
        {"scb2 objectBegin 1 0 0 1" + Face(1) + "objectEnd theEnd objectBegin 2 0 0 1" + Face(2),
         "|1"},
        {"scb2 objectBegin 3 1 1 1" + Face(3) + "whatever" + Face(4), "|3"},
        {"scb2 part empty", ""},
        {"scb1\npart single\n" + Face(7) + Face(8), "7 8"},
        {"", "!"},
        {"scb3 part x", "!"},
        {"SCB2", "!"},
        {"scb1 name", "!"},
        {"scb1", "!"},
        // a face block that fails: a new part is not appended (nor leaked), the unprocessed
        // object keeps the faces made, and the original is not rebuilt
        {"scb2 objectBegin 1 0 0 1" + Face(1) + "objectBegin 2 1 0 0" + Face(2) + "faceBegin 3",
         "!|1"},
        {"scb2 objectBegin 1 0 0 0" + Face(1) + "faceBegin 2 ", "!1 2"},
        // a part header that does not parse ends the load; a vector read as non-zero so far
        // gives an empty new part
        {"scb2 objectBegin one 0 0 1" + Face(1), ""},
        {"scb2 objectBegin 1 1 0 z" + Face(1), "|"},
        {"scb2 objectBegin 1 1", "|"},
    };
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale comma(std::locale::classic(), new Comma); // numbers are read classically
    for (const auto& [text, expected] : cases) {
        CMgMultiObject multi;
        multi.Init();
        MgObject* original = multi.OriginalObject();
        std::istringstream in(text);
        in.imbue(comma);
        std::string loaded;
        try {
            multi.LoadSCB(in);
        } catch (const char* message) {
            loaded = message == std::string("File problem") ? "!" : message;
        }
        loaded += Parts(multi);
        EXPECT_EQ(loaded, expected) << text;
        std::string merged = loaded; // the original: all faces, when rebuilt
        std::replace(merged.begin(), merged.end(), '|', ' ');
        merged.erase(0, merged.find_first_not_of(' '));
        EXPECT_EQ(Ids(multi.OriginalObject()), multi.OriginalObject() == original ? "" : merged);
        EXPECT_EQ(multi.OriginalObject() == original, loaded[0] == '!') << text;
    }
}

} // namespace
