// Render objects: display lists compiled and replayed, items of another kind refused with the GL
// state restored, and highlights drawn over the list.
#include "support/Check.h"
#include "support/GlRecorder.h"

using namespace recorder;

TEST_F(Render, DisplayListsAreCompiledOnceAndReplayedUntilAChange) {
    auto* object = new MgGrObject;
    MgGrFace* face = Square(*object);
    const Calls lists = {"glGenLists", "glNewList", "glCallList", "glBegin"};
    auto fill = [&] { return Record([&] { object->DrawFill(); }, lists); };
    g_failGenLists = true; // without a name: triangles drawn directly, and a name asked again
    EXPECT_EQ(fill(), (Calls{"glGenLists 0", "glBegin 4", "glBegin 4"}));
    g_failGenLists = false;
    const Calls first = Record([&] { object->DrawFill(); },
                               {"glMaterialfv", "glColor3fv", "glDepthFunc", "glGenLists",
                                "glNewList", "glEnable", "glPushName", "glBegin", "glEndList"});
    ASSERT_EQ(first.size(), 11u);
    const std::string list = first[3].substr(11), compile = "glNewList " + list + " 4865";
    EXPECT_EQ(first, (Calls{"glMaterialfv 1 1 1 0.5", "glColor3fv 1 1 1", "glDepthFunc 513",
                            "glGenLists " + list, compile, "glEnable 2896",
                            "glPushName " + std::to_string(face->SelectionName()),
                            "glBegin 5" /* one strip */, "glEndList", "glDepthFunc 515",
                            "glDepthFunc 513"}));
    EXPECT_EQ(fill(), (Calls{"glCallList " + list}));
    const float red[3] = {1, 0, 0};
    face->SetColor(red);
    EXPECT_EQ(fill(), (Calls{compile, "glBegin 5"}));
    face->UnsetColor();
    EXPECT_EQ(fill(), (Calls{compile, "glBegin 5"}));
    object->SetColor(0, 1, 0); // neither the object's colour nor the use-strip flag is listed
    object->SetUseStrip(false);
    EXPECT_EQ(Record([&] { object->DrawFill(); }, {"glCallList", "glColor3fv"}),
              (Calls{"glColor3fv 0 1 0", "glCallList " + list}));
    face->PostChange();
    EXPECT_EQ(fill(), (Calls{compile, "glBegin 4", "glBegin 4"}));
    // a face drawn alone has a list of its own, of triangles
    auto draw = [&](bool fill, bool edges) {
        return Record([&] { face->Draw(MgRenderMode{fill, edges}); }, lists);
    };
    const std::string own = draw(true, false)[0].substr(11);
    EXPECT_EQ(draw(true, true), (Calls{"glCallList " + own, "glBegin 2"}));
    face->PostChange();
    EXPECT_EQ(draw(true, false), (Calls{"glNewList " + own + " 4865", "glBegin 4", "glBegin 4"}));
    EXPECT_TRUE(glIsList(std::stoul(list)) && glIsList(std::stoul(own)));
    EXPECT_EQ(Record([&] { delete object; }),
              (Calls{"glDeleteLists " + list + " 1", "glDeleteLists " + own + " 1"}));
    EXPECT_FALSE(glIsList(std::stoul(list)) || glIsList(std::stoul(own)));
    MgGrObject empty; // an object without faces still compiles a list
    EXPECT_EQ(Count(Record([&] { empty.DrawFill(); }), "glEndList"), 1);
}

// Items of another kind: the message, what was done before it, and the GL state closed or
// restored (the name stack is checked by Select, the rest after each test).
TEST_F(Render, ItemsOfAnotherKindAreRefusedAndTheGlStateRestored) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    auto thrown = [&] {
        std::string message;
        Select([&] {
            EXPECT_EQ(Count(Record([&] { face->DrawFill(); }, {}, &message), "glVertex4fv"), 6)
                << "the facets before the bad one are drawn";
        });
        return message;
    };
    MgFacet* incomplete = face->NewFacet();
    EXPECT_EQ(thrown(), "Incomplete facet in structure MgGrFacet");
    delete incomplete;
    new MgFacet(face);
    EXPECT_EQ(thrown(), "Incompatible members in structure MgGrFace");
    delete face;
    face = Square(object);
    new MgFace(&object);
    object.HighlightAll(true);
    EXPECT_TRUE(face->Highlighted());
    EXPECT_THROW_TEXT(object.SetSelectable(false), "Incompatible member in structure MgGrObject");
    EXPECT_THROW_TEXT(object.DrawEdges(), "Incompatible members in structure MgGrObject");
    glDepthFunc(GL_GREATER);
    for (bool listed : {true, true, false}) { // a failed compilation compiles again
        MgGrObject direct;
        new MgFace(&direct);
        g_failGenLists = !listed;
        std::string thrown;
        const auto draw = [&] { (listed ? object : direct).Draw(MgRenderMode{true, false}); };
        EXPECT_EQ(Count(Record(draw, {}, &thrown), "glNewList"), int(listed));
        EXPECT_EQ(thrown, "Incompatible members in structure MgGrObject");
        GLint depth = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &depth);
        EXPECT_EQ(depth, GL_GREATER);
    }
}

TEST_F(Render, HighlightsAndRecolouringShowOverTheListAtTheSameDepth) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    MgGrFace* other = Square(object);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    Calls calls;
    auto pixel = [&] { // the colour inside the square, drawn afresh
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        calls = Record([&] { object.DrawFill(); }, {"glNewList", "glPushName"});
        unsigned char rgb[3] = {};
        glReadPixels(40, 40, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        return std::string{rgb[0] > 200 ? 'r' : '-', rgb[1] > 200 ? 'g' : '-',
                           rgb[2] > 200 ? 'b' : '-'};
    };
    const float red[3] = {1, 0, 0};
    EXPECT_EQ(pixel(), "rgb");
    face->SetColor1(red);
    face->SetColorChanged(1);
    other->SetColorChanged(-1);
    EXPECT_EQ(pixel(), "r--");
    EXPECT_EQ(calls, (Calls{"glPushName " + std::to_string(face->SelectionName())}));
    face->SetColorChanged(0);
    EXPECT_EQ(pixel(), "rgb") << "the list holds the old colour";
    EXPECT_TRUE(calls.empty());
    face->SetColor(red);
    EXPECT_EQ(pixel(), "r--");
    EXPECT_EQ(Count(calls, "glNewList"), 1) << "compiled again";
    other->Highlight(true);
    pixel();
    EXPECT_EQ(calls, (Calls{"glPushName " + std::to_string(other->SelectionName())}));
}
