// CMgMultiObject: ownership, the merged original and the multi-part reader.
#include <cstdint>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace {

static_assert(!std::is_copy_constructible<CMgMultiObject>::value, "objects are owned once");
static_assert(!std::is_copy_assignable<CMgMultiObject>::value, "objects are owned once");

std::string ReadModel(const char* name) {
    std::ifstream file(std::string(MGMESH_SOURCE_DIR) + "/examples/models/" + name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

/// The face ids of an object's faces, in list order.
std::vector<std::intptr_t> FaceIds(const MgObject* object) {
    std::vector<std::intptr_t> ids;
    for (const MgFace* face : object->FaceList())
        ids.push_back(face->GeoFaceId());
    return ids;
}

using Ids = std::vector<std::intptr_t>;

/// An object holding one face with the given id (two facets, a unit square).
MgObject* PartWithFace(std::intptr_t id) {
    MgObject* part = new MgObject();
    shapes::TwoFacetSquare(*part)->SetGeoFaceId(id);
    return part;
}

struct CountingProgress : MyProgressNotify {
    int steps = 0;
    void Step() override { ++steps; }
};

/// A face block with one facet and the given id.
std::string FaceBlock(int id) {
    return "faceBegin " + std::to_string(id) +
           "\nvertex 0 0 0 0 0 0 0 0 1\nvertex 1 1 0 1 0 0 0 0 1\nvertex 2 0 1 0 1 0 0 0 1\n"
           "facet 0 0 1 2 -1 -1 -1\nedge 0 1 2\nfaceEnd\n";
}

void Load(CMgMultiObject& multi, const std::string& text, MyProgressNotify* progress = nullptr) {
    std::istringstream in(text);
    multi.LoadSCB(in, progress);
}

// A derived multi-object whose factory makes its own kind of object, as a drawable one does.
struct TaggedObject : MgObject {};
struct TaggedMulti : virtual CMgMultiObject {
    int made = 0;
    MgObject* NewObject() override {
        ++made;
        return new TaggedObject();
    }
};

} // namespace

TEST(CMgMultiObject, ConstructedEmptyAndUsableBeforeInit) {
    CMgMultiObject multi;
    EXPECT_EQ(multi.UnprocessedObject(), nullptr);
    EXPECT_EQ(multi.OriginalObject(), nullptr);
    EXPECT_TRUE(multi.ProcessedList().empty());
    EXPECT_EQ(multi.PartObject(0), nullptr);
    EXPECT_EQ(multi.Size(), 0.0f);
    // reading needs the unprocessed object, and refuses before touching the stream
    std::istringstream in("scb1 part x");
    EXPECT_THROW_TEXT(multi.LoadSCB(in), "CMgMultiObject::Init not called");
    std::string first;
    in >> first;
    EXPECT_EQ(first, "scb1");
}

TEST(CMgMultiObject, InitMakesEmptyObjects) {
    CMgMultiObject multi;
    multi.Init();
    ASSERT_NE(multi.UnprocessedObject(), nullptr);
    ASSERT_NE(multi.OriginalObject(), nullptr);
    EXPECT_NE(multi.UnprocessedObject(), multi.OriginalObject());
    EXPECT_TRUE(multi.UnprocessedObject()->FaceList().empty());
    EXPECT_TRUE(multi.OriginalObject()->FaceList().empty());
    // a never-changed original reports (0,0,0) bounds
    EXPECT_EQ(multi.Size(), 0.0f);
}

TEST(CMgMultiObject, SecondInitReplacesTheUnprocessedObjectSafely) {
    CMgMultiObject multi;
    multi.Init();
    shapes::TwoFacetSquare(*multi.UnprocessedObject())->SetGeoFaceId(1);
    multi.AddObject(PartWithFace(2));
    multi.ResetOriginal();
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{1, 2}));
    // the old unprocessed object and its faces are deleted (AddressSanitizer sees no leak)
    multi.Init();
    EXPECT_TRUE(multi.UnprocessedObject()->FaceList().empty());
    EXPECT_EQ(multi.ProcessedList().size(), 1u);
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{2}));
}

TEST(CMgMultiObject, FactoryMakesEveryObject) {
    TaggedMulti multi;
    EXPECT_EQ(multi.made, 0);
    multi.Init();
    EXPECT_EQ(multi.made, 2);
    Load(multi, ReadModel("bracket_parts.scb"));
    EXPECT_NE(dynamic_cast<TaggedObject*>(multi.UnprocessedObject()), nullptr);
    EXPECT_NE(dynamic_cast<TaggedObject*>(multi.OriginalObject()), nullptr);
    ASSERT_EQ(multi.ProcessedList().size(), 2u);
    for (MgObject* part : multi.ProcessedList())
        EXPECT_NE(dynamic_cast<TaggedObject*>(part), nullptr);
    // two parts and one new original
    EXPECT_EQ(multi.made, 5);
}

TEST(CMgMultiObject, AddObjectLeavesTheOriginalStaleUntilReset) {
    CMgMultiObject multi;
    multi.Init();
    MgObject* original = multi.OriginalObject();
    MgObject* part = PartWithFace(5);
    multi.AddObject(part);
    EXPECT_EQ(multi.PartObject(0), part);
    EXPECT_EQ(multi.ProcessedList().back(), part);
    EXPECT_EQ(multi.OriginalObject(), original);
    EXPECT_TRUE(original->FaceList().empty());

    multi.ResetOriginal();
    EXPECT_NE(multi.OriginalObject()->FaceList().front(), part->FaceList().front());
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{5}));
    EXPECT_EQ(multi.OriginalObject()->NumFacets(), 2);
    ExpectValidTopology(*multi.OriginalObject(), false);
}

TEST(CMgMultiObject, AddObjectRefusesWhatItOwnsAlready) {
    CMgMultiObject multi;
    multi.Init();
    MgObject* part = PartWithFace(1);
    multi.AddObject(part);
    EXPECT_THROW_TEXT(multi.AddObject(part), "Object already belongs to the multi-part object");
    EXPECT_THROW_TEXT(multi.AddObject(multi.UnprocessedObject()),
                      "Object already belongs to the multi-part object");
    EXPECT_THROW_TEXT(multi.AddObject(multi.OriginalObject()),
                      "Object already belongs to the multi-part object");
    EXPECT_EQ(multi.ProcessedList().size(), 1u);
    EXPECT_EQ(multi.PartObject(1), nullptr);
    // null parts are kept in place and skipped by the copy
    multi.AddObject(nullptr);
    multi.AddObject(nullptr);
    multi.AddObject(PartWithFace(2));
    EXPECT_EQ(multi.ProcessedList().size(), 4u);
    EXPECT_EQ(multi.PartObject(1), nullptr);
    EXPECT_EQ(multi.PartObject(3)->FaceList().front()->GeoFaceId(), 2);
    multi.ResetOriginal();
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{1, 2}));
}

TEST(CMgMultiObject, OriginalHoldsUnprocessedFacesThenEachPart) {
    CMgMultiObject multi;
    multi.Init();
    shapes::TwoFacetSquare(*multi.UnprocessedObject())->SetGeoFaceId(10);
    MgObject* twoFaces = PartWithFace(20);
    shapes::Tetrahedron(*twoFaces)->SetGeoFaceId(21);
    multi.AddObject(twoFaces);
    multi.AddObject(PartWithFace(30));
    multi.ResetOriginal();
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{10, 20, 21, 30}));
    EXPECT_EQ(multi.OriginalObject()->NumFacets(), 2 + 2 + 4 + 2);
    // a reset replaces the copy rather than adding to it
    multi.ResetOriginal();
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{10, 20, 21, 30}));
}

TEST(CMgMultiObject, ResetOriginalKeepsThePartialCopyOnFailure) {
    CMgMultiObject multi;
    multi.Init();
    multi.AddObject(PartWithFace(1));
    // a part whose facets are linked without sharing a vertex
    MgObject* broken = new MgObject();
    MgFace* face = broken->NewFace();
    MgFacet* first = shapes::AddFacet(face, shapes::AddVertex(face, 0, 0),
                                      shapes::AddVertex(face, 1, 0), shapes::AddVertex(face, 0, 1));
    MgFacet* second =
        shapes::AddFacet(face, shapes::AddVertex(face, 5, 5), shapes::AddVertex(face, 6, 5),
                         shapes::AddVertex(face, 5, 6));
    second->SetNeighbor(0, first, 0);
    multi.AddObject(broken);
    EXPECT_THROW_TEXT(multi.ResetOriginal(), "Bad face structure");
    // the new original is in place and owned, with what was copied before the failure
    ASSERT_NE(multi.OriginalObject(), nullptr);
    EXPECT_EQ(multi.OriginalObject()->FaceList().size(), 2u);
}

TEST(CMgMultiObject, SizeIsTheLargestExtent) {
    CMgMultiObject multi;
    multi.Init();
    MgFace* face = multi.UnprocessedObject()->NewFace();
    MgVertex* a = shapes::AddVertex(face, -1, 1, 0);
    MgVertex* b = shapes::AddVertex(face, 1, 6, 3);
    shapes::AddFacet(face, a, b, shapes::AddVertex(face, 1, 1, 0));
    multi.ResetOriginal();
    EXPECT_EQ(multi.Size(), 5.0f);
    // stale until reset
    shapes::AddFacet(face, a, b, shapes::AddVertex(face, 0, 0, 9));
    EXPECT_EQ(multi.Size(), 5.0f);
    multi.ResetOriginal();
    EXPECT_EQ(multi.Size(), 9.0f);
}

TEST(CMgMultiObject, LoadsPartsInFileOrder) {
    CMgMultiObject multi;
    multi.Init();
    CountingProgress progress;
    Load(multi, ReadModel("bracket_parts.scb"), &progress);

    EXPECT_EQ(FaceIds(multi.UnprocessedObject()), (Ids{1}));
    ASSERT_EQ(multi.ProcessedList().size(), 2u);
    EXPECT_EQ(FaceIds(multi.PartObject(0)), (Ids{2}));
    EXPECT_EQ(FaceIds(multi.PartObject(1)), (Ids{3, 4}));
    EXPECT_EQ(multi.PartObject(2), nullptr);
    EXPECT_EQ(multi.PartObject(-1), nullptr);
    EXPECT_EQ(multi.ProcessedList().front(), multi.PartObject(0));
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{1, 2, 3, 4}));
    EXPECT_EQ(multi.OriginalObject()->NumFacets(), 5);
    EXPECT_TRUE(multi.PartObject(0)->FaceList().front()->TrueDirection());
    EXPECT_EQ(multi.Size(), 5.0f);
    ExpectValidTopology(*multi.OriginalObject());
    // one step per item line of every face block, passed on to each part
    EXPECT_EQ(progress.steps, 27);
}

TEST(CMgMultiObject, NullVectorPartsGoToTheUnprocessedObject) {
    CMgMultiObject multi;
    multi.Init();
    // no "part" line; the second part's vector is (-0, 0, -0) and has no "objectEnd"
    Load(multi, ReadModel("loose_pieces.scb"));
    EXPECT_TRUE(multi.ProcessedList().empty());
    EXPECT_EQ(FaceIds(multi.UnprocessedObject()), (Ids{10, 11}));
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{10, 11}));
}

TEST(CMgMultiObject, PartLineIsOptionalAndObjectEndToo) {
    const std::string parts = "objectBegin 1 0 0 1\n" + FaceBlock(1) + "objectEnd\n" +
                              "objectBegin 2 0.5 0 0\n" + FaceBlock(2) + FaceBlock(3) +
                              "objectBegin 3 0 -1e-30 0\n" + FaceBlock(4);
    for (const std::string header : {"scb2\npart name\n", "scb2\n", "scb2 part objectBegin\n"}) {
        SCOPED_TRACE(header);
        CMgMultiObject multi;
        multi.Init();
        Load(multi, header + parts);
        ASSERT_EQ(multi.ProcessedList().size(), 3u);
        EXPECT_EQ(FaceIds(multi.PartObject(0)), (Ids{1}));
        EXPECT_EQ(FaceIds(multi.PartObject(1)), (Ids{2, 3}));
        EXPECT_EQ(FaceIds(multi.PartObject(2)), (Ids{4}));
        EXPECT_TRUE(multi.UnprocessedObject()->FaceList().empty());
    }
}

TEST(CMgMultiObject, ReadingStopsAtTheFirstOtherWordUnchecked) {
    CMgMultiObject multi;
    multi.Init();
    Load(multi, "scb2 objectBegin 1 0 0 1 " + FaceBlock(1) +
                    "objectEnd theEnd objectBegin 2 0 0 1 " + FaceBlock(2));
    ASSERT_EQ(multi.ProcessedList().size(), 1u);
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{1}));
    // the face run's own end word is not checked either
    Load(multi, "scb2 objectBegin 3 1 1 1 " + FaceBlock(3) + "whatever " + FaceBlock(4));
    ASSERT_EQ(multi.ProcessedList().size(), 2u);
    EXPECT_EQ(FaceIds(multi.PartObject(1)), (Ids{3}));
    // no part blocks at all still rebuilds the original
    MgObject* before = multi.OriginalObject();
    Load(multi, "scb2 part empty");
    EXPECT_NE(multi.OriginalObject(), before);
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{1, 3}));
}

TEST(CMgMultiObject, SingleObjectFileGoesToTheUnprocessedObject) {
    CMgMultiObject multi;
    multi.Init();
    Load(multi, "scb2 objectBegin 1 0 1 0 " + FaceBlock(1));
    Load(multi, "scb1\npart single\n" + FaceBlock(7) + FaceBlock(8));
    EXPECT_EQ(FaceIds(multi.UnprocessedObject()), (Ids{7, 8}));
    ASSERT_EQ(multi.ProcessedList().size(), 1u);
    EXPECT_EQ(FaceIds(multi.OriginalObject()), (Ids{7, 8, 1}));
    // loading adds to what is there
    Load(multi, "scb1 part again " + FaceBlock(9));
    EXPECT_EQ(FaceIds(multi.UnprocessedObject()), (Ids{7, 8, 9}));
}

TEST(CMgMultiObject, BadHeadersThrowAndChangeNothing) {
    for (const char* text : {"", "scb3 part x", "SCB2", "part scb2", "scb1 name", "scb1"}) {
        SCOPED_TRACE(text);
        CMgMultiObject multi;
        multi.Init();
        MgObject* original = multi.OriginalObject();
        EXPECT_THROW_TEXT(Load(multi, text), "File problem");
        EXPECT_EQ(multi.OriginalObject(), original);
        EXPECT_TRUE(multi.UnprocessedObject()->FaceList().empty());
        EXPECT_TRUE(multi.ProcessedList().empty());
    }
}

TEST(CMgMultiObject, FailureInsideANewPartKeepsWhatCameBefore) {
    CMgMultiObject multi;
    multi.Init();
    MgObject* original = multi.OriginalObject();
    const std::string good = "scb2 objectBegin 1 0 0 1 " + FaceBlock(1) + "objectEnd ";
    // the second part's second face block is cut off: the part is not appended (nor leaked)
    EXPECT_THROW_TEXT(Load(multi, good + "objectBegin 2 1 0 0 " + FaceBlock(2) +
                                      "faceBegin 3 vertex 0 0 0 0 0 0"),
                      "File problem");
    ASSERT_EQ(multi.ProcessedList().size(), 1u);
    EXPECT_EQ(FaceIds(multi.PartObject(0)), (Ids{1}));
    EXPECT_EQ(multi.OriginalObject(), original);
    EXPECT_TRUE(original->FaceList().empty());
}

TEST(CMgMultiObject, FailureInsideAnUnprocessedPartKeepsItsFaces) {
    CMgMultiObject multi;
    multi.Init();
    MgObject* original = multi.OriginalObject();
    EXPECT_THROW_TEXT(Load(multi, "scb2 objectBegin 1 0 0 0 " + FaceBlock(1) + "faceBegin 2 "),
                      "File problem");
    // the failing face was already made; nothing is rolled back
    EXPECT_EQ(FaceIds(multi.UnprocessedObject()), (Ids{1, 2}));
    EXPECT_EQ(multi.OriginalObject(), original);
}

TEST(CMgMultiObject, PartHeaderThatDoesNotParseEndsTheLoadQuietly) {
    {
        // the number fails: the vector stays zero, so nothing is appended
        CMgMultiObject multi;
        multi.Init();
        Load(multi, "scb2 objectBegin one 0 0 1 " + FaceBlock(1));
        EXPECT_TRUE(multi.ProcessedList().empty());
        EXPECT_TRUE(multi.UnprocessedObject()->FaceList().empty());
    }
    {
        // the vector fails after a non-zero component: an empty new part is appended
        CMgMultiObject multi;
        multi.Init();
        Load(multi, "scb2 objectBegin 1 1 0 z " + FaceBlock(1));
        ASSERT_EQ(multi.ProcessedList().size(), 1u);
        EXPECT_TRUE(multi.PartObject(0)->FaceList().empty());
        EXPECT_TRUE(multi.OriginalObject()->FaceList().empty());
    }
    {
        // a header cut off at the end of the input
        CMgMultiObject multi;
        multi.Init();
        Load(multi, "scb2 objectBegin 1 1");
        EXPECT_EQ(multi.ProcessedList().size(), 1u);
    }
}

TEST(CMgMultiObject, EveryPrefixOfAGoodFileFailsCleanlyOrLoadsLess) {
    const std::string text = ReadModel("bracket_parts.scb");
    ASSERT_GT(text.size(), 100u);
    std::size_t parts = 0;
    for (std::size_t n = 0; n <= text.size(); ++n) {
        CMgMultiObject multi;
        multi.Init();
        std::istringstream in(text.substr(0, n));
        try {
            multi.LoadSCB(in);
        } catch (const char* message) {
            EXPECT_STREQ(message, "File problem") << "prefix " << n;
        }
        parts = multi.ProcessedList().size();
        EXPECT_LE(parts, 2u) << "prefix " << n;
        for (const MgObject* part : multi.ProcessedList())
            ExpectValidTopology(*part, false);
        ExpectValidTopology(*multi.UnprocessedObject(), false);
        ExpectValidTopology(*multi.OriginalObject(), false);
    }
    EXPECT_EQ(parts, 2u);
}

TEST(CMgMultiObject, NumbersAreReadInTheClassicLocale) {
    // a stream whose locale writes the decimal point as a comma
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale comma(std::locale::classic(), new Comma);
    std::istringstream in("scb2 objectBegin 1 0.5 0 0 " + FaceBlock(1));
    in.imbue(comma);
    CMgMultiObject multi;
    multi.Init();
    multi.LoadSCB(in);
    ASSERT_EQ(multi.ProcessedList().size(), 1u);
    EXPECT_EQ(FaceIds(multi.PartObject(0)), (Ids{1}));
    EXPECT_TRUE(multi.UnprocessedObject()->FaceList().empty());
    EXPECT_TRUE(in.getloc() == comma);
}
