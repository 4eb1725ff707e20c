// Render faces and facets: colours and their fallback, change counting, colour application,
// facet and face drawing, edges, prisms, the face's own list and selection names.
#include <set>
#include <thread>

#include "GlTestSupport.h"
#include "support/Check.h"
#include "support/Shapes.h"

using namespace gltest;

namespace {

std::vector<float> CurrentColor() {
    std::vector<float> c(4);
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

MgGrFace* Square(MgGrObject& object) {
    return dynamic_cast<MgGrFace*>(shapes::TwoFacetSquare(object));
}

MgGrFacet* Gr(MgFacet* f) {
    return dynamic_cast<MgGrFacet*>(f);
}

class RenderFace : public GlTest {};

TEST_F(RenderFace, FactoriesMakeRenderItems) {
    MgGrObject object;
    MgFace* face = object.NewFace();
    MgGrFace* grFace = dynamic_cast<MgGrFace*>(face);
    ASSERT_NE(grFace, nullptr);
    EXPECT_EQ(static_cast<void*>(static_cast<MgPickable*>(grFace)), static_cast<void*>(grFace));
    EXPECT_NE(Gr(face->NewFacet()), nullptr);
    EXPECT_EQ(grFace->ParentGrObject(), &object);
}

TEST_F(RenderFace, ColoursFallBackFromCornerToFacetToFaceToObject) {
    MgGrObject object;
    object.SetColor(0.2f, 0.3f, 0.4f);
    MgGrFace* face = Square(object);
    MgGrFacet* facet = Gr(face->FacetList().front());
    const float own[3] = {1, 0, 0};
    EXPECT_EQ(face->Color(), object.Color());
    EXPECT_EQ(facet->Color(), object.Color());
    face->SetColor(own);
    EXPECT_EQ(face->Color()[0], 1.0f);
    EXPECT_EQ(facet->Color(2), face->Color());
    facet->SetColor(0, 1, 0);
    EXPECT_EQ(facet->Color()[1], 1.0f);
    facet->SetVertexColor(0, 0, 0, 1);
    EXPECT_TRUE(facet->VertexColorValid());
    EXPECT_EQ(facet->Color(), face->Color()) << "the old own colour is out of force";
    EXPECT_EQ(facet->Color(0)[2], 1.0f);
    facet->UnsetColor();
    EXPECT_EQ(facet->Color(0), face->Color());
    face->UnsetColor();
    EXPECT_EQ(face->Color(), object.Color());
    EXPECT_EQ(face->SelfColor()[0], 1.0f);
    EXPECT_THROW_TEXT(facet->SetVertexColor(3, 0, 0, 0), "Corner index out of range");
    EXPECT_THROW_TEXT(facet->Color(-1), "Corner index out of range");
    EXPECT_THROW_TEXT(face->SetColor(nullptr), "No colour given");

    // without a render parent the colour is white
    MgObject plain;
    MgGrFace* orphan = new MgGrFace(&plain);
    MgGrFacet* orphanFacet = new MgGrFacet(plain.NewFace());
    EXPECT_EQ(orphan->ParentGrObject(), nullptr);
    EXPECT_EQ(orphanFacet->ParentGrFace(), nullptr);
    for (const float* c : {orphan->Color(), orphanFacet->Color(1)})
        EXPECT_EQ(std::vector<float>(c, c + 3), (std::vector<float>{1, 1, 1}));
}

TEST_F(RenderFace, OnlySetColorAndUnsetColorAdvanceTheObjectIndex) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    MgGrFacet* facet = Gr(face->FacetList().front());
    const float grey[3] = {0.5f, 0.5f, 0.5f};
    const unsigned objectIndex = object.ChangeIndex(), faceIndex = face->ChangeIndex();
    face->SetColor1(grey);
    face->Highlight(true);
    face->SetSelectable(false);
    face->SetColorChanged(1);
    facet->SetColor(1, 0, 0);
    facet->SetVertexColor(1, 1, 0, 0);
    facet->UnsetColor();
    EXPECT_EQ(object.ChangeIndex(), objectIndex);
    face->SetColor(grey);
    EXPECT_EQ(object.ChangeIndex(), objectIndex + 1);
    face->UnsetColor();
    EXPECT_EQ(object.ChangeIndex(), objectIndex + 2);
    EXPECT_EQ(face->ChangeIndex(), faceIndex);
}

TEST_F(RenderFace, ColourChangedCountSticksAtTwo) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    for (int from : {1, 3}) {
        face->SetColorChanged(from);
        face->SetColorChanged(0);
        EXPECT_EQ(face->GetColorChanged(), 0);
    }
    face->SetColorChanged(2);
    face->SetColorChanged(0);
    face->SetColorChanged(-5);
    EXPECT_EQ(face->GetColorChanged(), 2);
}

TEST_F(RenderFace, HighlightTurnsLightingOffAndLightensGrey) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    const float grey[3] = {0.6f, 0.6f, 0.6f}, almost[3] = {0.6f, 0.6f, 0.61f};
    face->SetColor1(grey);
    face->ApplyColor(true);
    EXPECT_EQ(CurrentColor(), (std::vector<float>{0.9f, 0.9f, 0.9f, 0.5f}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    face->SetColor1(almost);
    face->ApplyColor(true);
    EXPECT_EQ(CurrentColor(), (std::vector<float>{0.6f, 0.6f, 0.61f, 0.5f}));
    face->ApplyColor(false);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    // a face without its own colour leaves material and colour alone
    face->UnsetColor();
    EXPECT_EQ(Texts(Record([&] { face->ApplyColor(false); })),
              (std::vector<std::string>{"glEnable 2896"}));
}

TEST_F(RenderFace, FacetDrawsTrianglePointsOrNothing) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    MgGrFacet* facet = Gr(face->FacetList().front());
    const auto points = Feedback([&] { facet->Draw(false); });
    ASSERT_EQ(points.size(), 3u);
    for (const Primitive& p : points)
        EXPECT_EQ(p.token, GLenum(GL_POINT_TOKEN));
    EXPECT_TRUE(Record([&] { facet->DrawNormal(); }).empty());

    face->Highlight(true);
    facet->SetVertexColor(0, 1, 0, 0);
    facet->SetVertexColor(1, 0, 1, 0);
    facet->SetVertexColor(2, 0, 0, 1);
    const auto calls = Record([&] { facet->Draw(true); });
    EXPECT_EQ(
        Texts(calls),
        (std::vector<std::string>{
            "glBegin 4", "glMaterialfv 1 0 0 0.5", "glColor4fv 1 0 0 0.5", "glNormal3fv 0 0 1",
            "glVertex4fv 0 0 0 1", "glMaterialfv 0 1 0 0.5", "glColor4fv 0 1 0 0.5",
            "glNormal3fv 0 0 1", "glVertex4fv 1 0 0 1", "glMaterialfv 0 0 1 0.5",
            "glColor4fv 0 0 1 0.5", "glNormal3fv 0 0 1", "glVertex4fv 1 1 0 1", "glEnd"}));
}

TEST_F(RenderFace, BadFacetsThrowAndCloseWhatTheyOpened) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    MgGrFacet* incomplete = Gr(face->NewFacet());
    std::string thrown;
    auto calls = Record([&] {
        Select([&] {
            try {
                incomplete->Draw(true);
            } catch (const char* message) {
                thrown = message;
            }
        });
    });
    EXPECT_EQ(thrown, "Incomplete facet in structure MgGrFacet");
    EXPECT_EQ(Count(calls, "glBegin"), Count(calls, "glEnd"));
    delete incomplete;

    new MgFacet(face); // a plain facet after the two render facets
    calls = Record([&] {
        Select([&] {
            try {
                face->DrawFill();
            } catch (const char* message) {
                thrown = message;
            }
        });
    });
    EXPECT_EQ(thrown, "Incompatible members in structure MgGrFace");
    EXPECT_EQ(Count(calls, "glBegin"), 2) << "facets before the plain one are drawn";
    EXPECT_EQ(Count(calls, "glPopName"), 1);
}

TEST_F(RenderFace, EdgesAreUnlitLoopsInTheFaceColourOrWhite) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    const std::vector<MgVertex*> corners(face->VertexList().begin(), face->VertexList().end());
    AddLoop(face, corners);
    const float red[3] = {1, 0, 0};
    face->SetColor1(red);
    glDepthFunc(GL_GREATER);
    glEnable(GL_LIGHTING);
    for (bool highlighted : {false, true}) {
        face->Highlight(highlighted);
        const auto lines = Feedback([&] { face->DrawEdges(); });
        ASSERT_EQ(lines.size(), 4u) << "the loop closes itself";
        const std::vector<float> colour = {1, highlighted ? 1.0f : 0.0f, highlighted ? 1.0f : 0.0f,
                                           1};
        for (const Primitive& line : lines)
            EXPECT_EQ(std::vector<float>(line.vertices[0].begin() + 3, line.vertices[0].end()),
                      colour);
        GLint depth = 0;
        glGetIntegerv(GL_DEPTH_FUNC, &depth);
        EXPECT_EQ(depth, GL_GREATER);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    }
}

TEST_F(RenderFace, PrismWallsCloseEachLoop) {
    MgGrObject object;
    MgGrFace* face = dynamic_cast<MgGrFace*>(object.NewFace());
    std::vector<MgVertex*> loop = {
        shapes::AddVertex(face, 0, 0, 1), shapes::AddVertex(face, 1, 0, 1),
        shapes::AddVertex(face, 1, 1, 1), shapes::AddVertex(face, 0, 1, 1)};
    face->NewEdge(); // without vertices: no wall
    AddLoop(face, loop);
    const auto calls = Record([&] { face->DrawPrism(CGeoVector(0, 0, 2), 0); });
    const auto walls = Blocks(calls);
    ASSERT_EQ(walls.size(), 4u);
    EXPECT_EQ(walls[0], (std::vector<CGeoVector>{{0, 1, 0}, {0, 1, 1}, {0, 0, 0}, {0, 0, 1}}));
    EXPECT_EQ(walls[1], (std::vector<CGeoVector>{{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {1, 0, 1}}));
    EXPECT_EQ(Texts(calls, {"glNormal3fv"})[0], "glNormal3fv -1 0 0");
    EXPECT_EQ(Count(calls, "glPushName") + Count(calls, "glColor3fv") +
                  Count(calls, "glMaterialfv") + Count(calls, "glDisable"),
              0);
}

TEST_F(RenderFace, OwnListIsCompiledOnceAndGivenBack) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    auto draw = [&] { return Record([&] { face->Draw(Mode(true, false)); }); };
    FailGenLists(true);
    auto calls = draw();
    EXPECT_EQ(Count(calls, "glNewList"), 0);
    EXPECT_EQ(Count(calls, "glBegin"), 2) << "drawn without a list";
    FailGenLists(false);
    calls = draw();
    ASSERT_EQ(Count(calls, "glNewList"), 1);
    const std::string name = Texts(calls, {"glGenLists"})[0].substr(11);
    EXPECT_EQ(Texts(calls, {"glNewList"})[0], "glNewList " + name + " 4865");
    EXPECT_EQ(Texts(draw(), {"glCallList", "glNewList", "glBegin"}),
              (std::vector<std::string>{"glCallList " + name}));
    face->PostChange();
    EXPECT_EQ(Texts(draw(), {"glNewList"}),
              (std::vector<std::string>{"glNewList " + name + " 4865"}));
    AddLoop(face, {face->VertexList().begin(), face->VertexList().end()});
    calls = Record([&] { face->Draw(Mode(false, true)); });
    EXPECT_EQ(Texts(calls, {"glBegin", "glCallList"}), (std::vector<std::string>{"glBegin 2"}));
    EXPECT_TRUE(glIsList(std::stoul(name)));
    calls = Record([&] { delete face; });
    EXPECT_EQ(Texts(calls), (std::vector<std::string>{"glDeleteLists " + name + " 1"}));
    EXPECT_FALSE(glIsList(std::stoul(name)));
}

TEST_F(RenderFace, SelectionNamesIdentifyLiveFaces) {
    MgGrObject object;
    MgGrFace* a = Square(object);
    MgGrFace* b = Square(object);
    AddLoop(b, {b->VertexList().begin(), b->VertexList().end()});
    EXPECT_NE(a->SelectionName(), 0u);
    EXPECT_NE(a->SelectionName(), b->SelectionName());
    EXPECT_EQ(MgGrFace::FromSelectionName(a->SelectionName()), a);
    const auto hits = Select([&] {
        a->DrawFill();
        b->DrawEdges();
    });
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(MgGrFace::FromSelectionName(hits[0].back()), a);
    EXPECT_EQ(MgGrFace::FromSelectionName(hits[1].back()), b);
    const GLuint dead = b->SelectionName();
    delete b;
    EXPECT_EQ(MgGrFace::FromSelectionName(dead), nullptr);
    EXPECT_EQ(MgGrFace::FromSelectionName(0), nullptr);
    EXPECT_NE(Square(object)->SelectionName(), dead) << "a freed name is not reused at once";

    // faces made on several threads at once still get distinct names
    std::vector<std::vector<GLuint>> names(4);
    std::vector<std::thread> threads;
    for (auto& list : names)
        threads.emplace_back([&list] {
            MgGrObject local;
            for (int i = 0; i < 500; ++i) {
                MgGrFace* face = dynamic_cast<MgGrFace*>(local.NewFace());
                if (MgGrFace::FromSelectionName(face->SelectionName()) == face)
                    list.push_back(face->SelectionName());
            }
        });
    for (std::thread& t : threads)
        t.join();
    std::set<GLuint> distinct;
    for (const auto& list : names) {
        EXPECT_EQ(list.size(), 500u);
        distinct.insert(list.begin(), list.end());
    }
    EXPECT_EQ(distinct.size(), 2000u);
}

} // namespace
