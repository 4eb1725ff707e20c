// Render multi-objects: the order in which their parts are drawn.
#include "support/GlRecorder.h"

using namespace recorder;

TEST_F(Render, MultiObjectDrawsTransparentPartsFirstThenTheOthersThenUnprocessed) {
    CMgGrMultiObject multi;
    EXPECT_TRUE(Record([&] {
                    multi.Draw(MgRenderMode{true, true});
                }).empty())
        << "nothing before Init";
    multi.Init();
    auto* unprocessed = dynamic_cast<MgGrObject*>(multi.UnprocessedObject());
    ASSERT_NE(unprocessed, nullptr);
    Square(*unprocessed);
    unprocessed->SetColor(0.5f, 0.5f, 0.5f);
    for (float grey : {0.1f, 0.2f, 0.3f, 0.4f}) {
        auto* part = dynamic_cast<MgGrObject*>(multi.NewObject());
        Square(*part);
        part->SetColor(grey, grey, grey);
        part->SetTransparent(grey == 0.1f || grey == 0.3f);
        multi.AddObject(part);
        multi.AddObject(grey == 0.2f ? new MgObject : nullptr); // not drawn
    }
    // the colours of the objects drawn ("0.2" from a fill, "0.2|" from an outline)
    std::string thrown;
    auto drawn = [&](bool fill, bool edges) {
        std::string out;
        const auto draw = [&] { multi.Draw(MgRenderMode{fill, edges}); };
        for (const std::string& call : Record(draw, {"glColor3fv", "glBegin 2"}, &thrown))
            out += call == "glBegin 2" ? "|" : " " + call.substr(11, 3);
        return out;
    };
    EXPECT_EQ(drawn(true, false), " 0.3| 0.1| 0.2 0.4 0.5 0.5|");
    EXPECT_EQ(drawn(false, false), " 0.3| 0.1| 0.5|");
    EXPECT_EQ(drawn(false, true), " 0.3| 0.1| 0.2| 0.4| 0.5|");
    EXPECT_EQ(thrown, "");
    new MgFace(multi.PartObject(2)); // the part of 0.2 now fails, which ends the drawing
    EXPECT_EQ(drawn(false, true), " 0.3| 0.1| 0.2|");
    EXPECT_EQ(thrown, "Incompatible members in structure MgGrObject");
}
