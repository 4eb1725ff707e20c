// Render objects: the display list's states, colours, transparency, highlights drawn over the
// list, failures on faces of another kind, and the GL state a Draw leaves behind.
#include <cstring>

#include "GlTestSupport.h"
#include "support/Check.h"
#include "support/Shapes.h"

using namespace gltest;

namespace {

// The unit square as two linked facets with its boundary loop.
MgGrFace* LinkedSquare(MgGrObject& object) {
    MgGrFace* face = dynamic_cast<MgGrFace*>(shapes::TwoFacetSquare(object));
    LinkNeighbors(face);
    AddLoop(face, {face->VertexList().begin(), face->VertexList().end()});
    return face;
}

std::string ListName(const std::vector<Call>& calls) {
    const auto gen = Texts(calls, {"glGenLists"});
    return gen.empty() ? "" : gen[0].substr(11);
}

std::vector<std::string> ListCalls(const std::vector<Call>& calls) {
    return Texts(calls, {"glGenLists", "glNewList", "glCallList"});
}

class RenderObject : public GlTest {};

TEST_F(RenderObject, ModeIsOneByteOfTwoFlags) {
    unsigned char bits = 0;
    MgRenderMode mode = Mode(true, false);
    std::memcpy(&bits, &mode, 1);
    EXPECT_EQ(bits, 1);
    mode = Mode(false, true);
    std::memcpy(&bits, &mode, 1);
    EXPECT_EQ(bits, 2);
}

TEST_F(RenderObject, FirstFillCompilesStripsInWhite) {
    MgGrObject object;
    MgGrFace* face = LinkedSquare(object);
    const auto calls = Record([&] { object.DrawFill(); });
    const std::string list = ListName(calls), name = std::to_string(face->SelectionName());
    EXPECT_EQ(
        Texts(calls, {"glMaterialfv", "glColor3fv", "glDepthFunc", "glGenLists", "glNewList",
                      "glEnable", "glPushName", "glBegin", "glEnd", "glPopName", "glEndList"}),
        (std::vector<std::string>{"glMaterialfv 1 1 1 0.5", "glColor3fv 1 1 1", "glDepthFunc 513",
                                  "glGenLists " + list, "glNewList " + list + " 4865",
                                  "glEnable 2896", "glPushName " + name, "glBegin 5", "glEnd",
                                  "glPopName", "glEndList", "glDepthFunc 515", "glDepthFunc 513"}));
    EXPECT_EQ(Count(calls, "glVertex4fv"), 4) << "one strip of both facets";
    EXPECT_TRUE(glIsList(std::stoul(list)));
}

TEST_F(RenderObject, ListIsReplayedUntilTheObjectChanges) {
    MgGrObject object;
    MgGrFace* face = LinkedSquare(object);
    auto fill = [&] { return Record([&] { object.DrawFill(); }); };
    const std::string list = ListName(fill());
    const std::vector<std::string> replay = {"glCallList " + list},
                                   compile = {"glNewList " + list + " 4865"};
    EXPECT_EQ(ListCalls(fill()), replay);
    face->PostChange();
    EXPECT_EQ(ListCalls(fill()), compile);
    const float red[3] = {1, 0, 0};
    face->SetColor(red);
    EXPECT_EQ(ListCalls(fill()), compile);
    face->UnsetColor();
    EXPECT_EQ(ListCalls(fill()), compile);
    // the object's colour and the use-strip flag are not part of the list
    object.SetColor(0, 1, 0);
    object.SetUseStrip(false);
    auto calls = fill();
    EXPECT_EQ(ListCalls(calls), replay);
    EXPECT_EQ(Texts(calls, {"glColor3fv"}), (std::vector<std::string>{"glColor3fv 0 1 0"}));
    face->PostChange();
    calls = fill();
    EXPECT_EQ(Texts(calls, {"glBegin"}), (std::vector<std::string>{"glBegin 4", "glBegin 4"}));
}

TEST_F(RenderObject, DestructorGivesTheListBack) {
    auto* object = new MgGrObject;
    LinkedSquare(*object);
    const std::string list = ListName(Record([&] { object->DrawFill(); }));
    EXPECT_EQ(Texts(Record([&] { delete object; })),
              (std::vector<std::string>{"glDeleteLists " + list + " 1"}));
    EXPECT_FALSE(glIsList(std::stoul(list)));
}

TEST_F(RenderObject, EmptyObjectCompilesAnEmptyList) {
    MgGrObject object;
    const auto calls = Record([&] { object.DrawFill(); });
    const std::string list = ListName(calls);
    EXPECT_EQ(Texts(calls), (std::vector<std::string>{"glMaterialfv 1 1 1 0.5", "glColor3fv 1 1 1",
                                                      "glDepthFunc 513", "glGenLists " + list,
                                                      "glNewList " + list + " 4865", "glEndList",
                                                      "glDepthFunc 515", "glDepthFunc 513"}));
    EXPECT_TRUE(glIsList(std::stoul(list)));
}

TEST_F(RenderObject, WithoutAListNameItDrawsDirectlyAndTriesAgain) {
    MgGrObject object;
    LinkedSquare(object);
    FailGenLists(true);
    auto calls = Record([&] { object.DrawFill(); });
    EXPECT_EQ(Count(calls, "glNewList"), 0);
    EXPECT_EQ(Texts(calls, {"glBegin"}), (std::vector<std::string>{"glBegin 4", "glBegin 4"}))
        << "no strips outside a list";
    FailGenLists(false);
    EXPECT_EQ(Count(Record([&] { object.DrawFill(); }), "glNewList"), 1);

    // 1281 means "no list": when GL hands it out, another name is used and 1281 given back
    const GLuint next = glGenLists(1);
    ASSERT_LT(next, 1281u) << "this process has used too many list names for the check";
    const GLuint reserved = next < 1280 ? glGenLists(GLsizei(1280 - next)) : 0;
    MgGrObject late;
    calls = Record([&] { late.DrawFill(); });
    EXPECT_EQ(Texts(calls, {"glNewList"}), (std::vector<std::string>{"glNewList 1282 4865"}));
    EXPECT_FALSE(glIsList(1281));
    glDeleteLists(next, 1);
    if (reserved)
        glDeleteLists(reserved, GLsizei(1280 - next));
}

TEST_F(RenderObject, TransparentObjectDrawsOnlyItsEdges) {
    struct Spy : MgGrObject {
        mutable unsigned char seen = 0;
        void DoDraw(MgRenderMode mode) const override {
            std::memcpy(&seen, &mode, 1);
            MgGrObject::DoDraw(mode);
        }
    } object;
    LinkedSquare(object);
    object.SetTransparent(true);
    EXPECT_TRUE(object.Transparent());
    for (MgRenderMode mode : {Mode(true, false), Mode(true, true), Mode(false, false)}) {
        const auto calls = Record([&] { object.Draw(mode); });
        const auto texts = Texts(calls);
        EXPECT_TRUE(ListCalls(calls).empty());
        EXPECT_EQ(Texts(calls, {"glBegin"}), (std::vector<std::string>{"glBegin 2"}));
        ASSERT_GE(texts.size(), 4u);
        EXPECT_EQ(texts[0], "glPushAttrib 1048575");
        EXPECT_EQ(texts[1], "glPushMatrix");
        EXPECT_EQ(texts[texts.size() - 2], "glPopMatrix");
        EXPECT_EQ(texts.back(), "glPopAttrib");
    }
    unsigned char bits = 0xA5; // fill and six bits of no meaning
    MgRenderMode mode;
    std::memcpy(&mode, &bits, 1);
    object.Draw(mode);
    EXPECT_EQ(object.seen, 0xA6) << "fill cleared, edges set, the rest kept";
}

TEST_F(RenderObject, FacesOfAnotherKindAreSkippedOrRefused) {
    MgGrObject object;
    MgGrFace* face = LinkedSquare(object);
    new MgFace(&object);
    object.HighlightAll(true);
    EXPECT_TRUE(face->Highlighted());
    EXPECT_THROW_TEXT(object.SetSelectable(false), "Incompatible member in structure MgGrObject");
    EXPECT_FALSE(face->Selectable()) << "faces before the plain one are changed";
    EXPECT_THROW_TEXT(object.DrawEdges(), "Incompatible members in structure MgGrObject");
    glDepthFunc(GL_GREATER);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string thrown;
        const auto calls = Record([&] { object.Draw(Mode(true, false)); }, &thrown);
        EXPECT_EQ(thrown, "Incompatible members in structure MgGrObject");
        EXPECT_EQ(Count(calls, "glNewList"), 1) << "a failed compilation compiles again";
        EXPECT_EQ(Count(calls, "glEndList"), 1);
        EXPECT_EQ(Count(calls, "glPopAttrib"), 1);
        GLint depth = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &depth);
        EXPECT_EQ(depth, GL_GREATER);
    }
    FailGenLists(true);
    MgGrObject direct;
    new MgFace(&direct);
    EXPECT_THROW_TEXT(direct.DrawFill(), "Incompatible members in structure MgGrObject");
}

TEST_F(RenderObject, HighlightedAndRecolouredFacesAreDrawnAgainOverTheList) {
    MgGrObject object;
    MgGrFace* first = LinkedSquare(object);
    MgGrFace* second = LinkedSquare(object);
    object.DrawFill();
    auto secondDrawings = [&] {
        const auto calls = Record([&] { object.DrawFill(); });
        EXPECT_EQ(Count(calls, "glNewList"), 0);
        return Texts(calls, {"glPushName"});
    };
    EXPECT_TRUE(secondDrawings().empty());
    first->Highlight(true);
    second->SetColorChanged(-1);
    EXPECT_EQ(secondDrawings(),
              (std::vector<std::string>{"glPushName " + std::to_string(first->SelectionName())}));
    object.HighlightAll(false);
    second->SetColorChanged(1);
    EXPECT_EQ(secondDrawings(),
              (std::vector<std::string>{"glPushName " + std::to_string(second->SelectionName())}));
}

TEST_F(RenderObject, RecolourShowsAtTheSameDepthWithoutRecompiling) {
    MgGrObject object;
    MgGrFace* face = LinkedSquare(object);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHT0);
    int compiled = 0;
    auto pixel = [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        compiled += Count(Record([&] { object.DrawFill(); }), "glNewList");
        unsigned char rgba[4] = {};
        glReadPixels(40, 40, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return std::vector<int>{rgba[0] > 200, rgba[1] > 200, rgba[2] > 200};
    };
    const std::vector<int> white = {1, 1, 1}, red = {1, 0, 0};
    EXPECT_EQ(pixel(), white);
    const float redRgb[3] = {1, 0, 0};
    face->SetColor1(redRgb);
    face->SetColorChanged(1);
    EXPECT_EQ(pixel(), red);
    face->SetColorChanged(0);
    EXPECT_EQ(pixel(), white) << "the list still holds the old colour";
    EXPECT_EQ(compiled, 1);
    face->SetColor(redRgb);
    EXPECT_EQ(pixel(), red);
    EXPECT_EQ(compiled, 2);
    glDisable(GL_LIGHT0);
}

TEST_F(RenderObject, DrawLeavesTheHostStateAsItWas) {
    MgGrObject object;
    MgGrFace* face = LinkedSquare(object);
    LinkedSquare(object)->Highlight(true);
    glDepthFunc(GL_GREATER);
    glEnable(GL_LIGHTING);
    glColor4f(0.25f, 0.5f, 0.75f, 1);
    for (int i = 0; i < 2; ++i)
        object.Draw(Mode(true, true));
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depth);
    EXPECT_EQ(depth, GL_GREATER);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 4), (std::vector<float>{0.25f, 0.5f, 0.75f, 1}));

    const auto hits = Select([&] { object.Draw(Mode(true, true)); });
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(MgGrFace::FromSelectionName(hits.front().back()), face);
}

} // namespace
