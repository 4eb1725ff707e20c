// Render multi-objects: render objects from the factory and the order and modes of drawing.
#include "GlTestSupport.h"
#include "support/Check.h"
#include "support/Shapes.h"

using namespace gltest;

namespace {

// A render part of one outlined square in the colour (c, c, c).
MgGrObject* Part(CMgGrMultiObject& multi, float c, bool transparent) {
    auto* part = dynamic_cast<MgGrObject*>(multi.NewObject());
    MgFace* face = shapes::TwoFacetSquare(*part);
    AddLoop(face, {face->VertexList().begin(), face->VertexList().end()});
    part->SetColor(c, c, c);
    part->SetTransparent(transparent);
    return part;
}

// For each object drawn (each glPushAttrib), its first colour and what it drew.
std::vector<std::string> Drawn(const std::vector<Call>& calls) {
    std::vector<std::string> drawn;
    bool coloured = false;
    for (const Call& call : calls) {
        if (call.name == "glPushAttrib") {
            drawn.emplace_back();
            coloured = false;
        } else if (call.name == "glColor3fv" && !coloured) {
            drawn.back() += call.Text().substr(11, 3);
            coloured = true;
        } else if (call.name == "glNewList" || call.name == "glCallList") {
            drawn.back() += " fill";
        } else if (call.name == "glBegin" && call.args[0] == GL_LINE_LOOP) {
            drawn.back() += " edges";
        }
    }
    return drawn;
}

class RenderMultiObject : public GlTest {};

TEST_F(RenderMultiObject, FactoryMakesRenderObjects) {
    CMgGrMultiObject multi;
    EXPECT_TRUE(Record([&] { multi.Draw(Mode(true, true)); }).empty()) << "nothing before Init";
    multi.Init();
    EXPECT_NE(dynamic_cast<MgGrObject*>(multi.UnprocessedObject()), nullptr);
    EXPECT_NE(dynamic_cast<MgGrObject*>(multi.OriginalObject()), nullptr);
    MgObject* made = multi.NewObject();
    EXPECT_NE(dynamic_cast<MgGrObject*>(made), nullptr);
    delete made;
}

TEST_F(RenderMultiObject, TransparentPartsFirstThenOthersThenOutlinedUnprocessed) {
    CMgGrMultiObject multi;
    multi.Init();
    MgFace* face = shapes::TwoFacetSquare(*multi.UnprocessedObject());
    AddLoop(face, {face->VertexList().begin(), face->VertexList().end()});
    dynamic_cast<MgGrObject*>(multi.UnprocessedObject())->SetColor(0.5f, 0.5f, 0.5f);
    multi.AddObject(Part(multi, 0.1f, true));
    multi.AddObject(Part(multi, 0.2f, false));
    multi.AddObject(new MgObject); // not a render object: skipped silently
    multi.AddObject(nullptr);
    multi.AddObject(Part(multi, 0.3f, true));
    multi.AddObject(Part(multi, 0.4f, false));
    auto drawn = [&](MgRenderMode mode) { return Drawn(Record([&] { multi.Draw(mode); })); };
    EXPECT_EQ(drawn(Mode(true, false)),
              (std::vector<std::string>{"0.3 edges", "0.1 edges", "0.2 fill", "0.4 fill",
                                        "0.5 fill edges"}));
    EXPECT_EQ(drawn(Mode(false, false)),
              (std::vector<std::string>{"0.3 edges", "0.1 edges", "", "", "0.5 edges"}));
    EXPECT_EQ(drawn(Mode(false, true))[2], "0.2 edges");
}

TEST_F(RenderMultiObject, FailingPartEndsTheDrawing) {
    CMgGrMultiObject multi;
    multi.Init();
    MgGrObject* broken = Part(multi, 0.1f, false);
    new MgFace(broken);
    multi.AddObject(broken);
    multi.AddObject(Part(multi, 0.2f, false));
    std::string thrown;
    const auto calls = Record([&] { multi.Draw(Mode(false, true)); }, &thrown);
    EXPECT_EQ(thrown, "Incompatible members in structure MgGrObject");
    EXPECT_EQ(Count(calls, "glPushAttrib"), 1);
    EXPECT_EQ(Count(calls, "glPopAttrib"), 1);
}

} // namespace
