// Render faces and facets: colours and their fall-back, edges, prism walls and selection names.
#include "support/Check.h"
#include "support/GlRecorder.h"
#include "support/Shapes.h"

using namespace recorder;

TEST_F(Render, ColoursFallBackFromCornerToFacetToFaceToObject) {
    MgGrObject object;
    object.SetColor(0.6f, 0.6f, 0.6f);
    MgGrFace* face = Square(object);
    auto* facet = dynamic_cast<MgGrFacet*>(face->FacetList().front());
    // the face's colour has three different components, so that none can stand for another
    const std::vector<float> grey = {0.6f, 0.6f, 0.6f}, own = {1, 0.5f, 0.25f}, green = {0, 1, 0},
                             blue = {0, 0, 1};
    const unsigned index = object.ChangeIndex(), faceIndex = face->ChangeIndex();
    EXPECT_EQ(Colour(facet->Color(2)), grey);
    face->SetColor(own.data());
    facet->SetColor(0, 1, 0);
    EXPECT_EQ(Colour(facet->Color(2)), green);
    facet->SetVertexColor(0, 0, 0, 1);
    EXPECT_EQ(Colour(facet->Color()), own) << "the facet's own colour is out of force";
    EXPECT_EQ(Colour(facet->Color(0)), blue);
    facet->UnsetColor();
    EXPECT_EQ(Colour(facet->Color(0)), own);
    face->UnsetColor();
    EXPECT_EQ(Colour(face->Color()), grey);
    EXPECT_EQ(Colour(face->SelfColor()), own);
    // without a colour of its own the face leaves material and colour alone
    EXPECT_EQ(Record([&] { face->ApplyColor(false); }), (Calls{"glEnable 2896"}));
    face->SetColor1(grey.data()); // highlighted, a face of exactly 0.6 grey shows lighter
    face->ApplyColor(true);
    GLfloat current[4];
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_EQ(Colour(current, 4), (std::vector<float>{0.9f, 0.9f, 0.9f, 0.5f}));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    face->SetColorChanged(2);
    face->SetColorChanged(0);
    EXPECT_EQ(face->GetColorChanged(), 2) << "2 is for good";
    EXPECT_EQ(object.ChangeIndex(), index + 2) << "SetColor and UnsetColor only, one step each";
    EXPECT_EQ(face->ChangeIndex(), faceIndex);
    EXPECT_THROW_TEXT(facet->Color(3), "Corner index out of range");
    MgObject plain; // without a render object above, the colour is white
    EXPECT_EQ(Colour((new MgGrFace(&plain))->Color()), (std::vector<float>{1, 1, 1}));
}

TEST_F(Render, EdgesAreUnlitLoopsFacetsPointsAndPrismsWalls) {
    MgGrObject object;
    MgGrFace* face = Square(object);
    const float red[3] = {1, 0, 0};
    face->SetColor1(red);
    glDepthFunc(GL_GREATER);
    glEnable(GL_LIGHTING);
    for (float white : {0, 1}) {
        face->Highlight(white);
        const std::vector<float> lines = Feedback([&] { face->DrawEdges(); });
        ASSERT_EQ(lines.size(), 4u * 15) << "a closed loop of four lines";
        EXPECT_EQ(Colour(&lines[4], 4), (std::vector<float>{1, white, white, 1}));
    }
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depth);
    EXPECT_EQ(depth, GL_GREATER);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    const auto* facet = dynamic_cast<const MgGrFacet*>(face->FacetList().front());
    EXPECT_EQ(Feedback([&] { facet->Draw(false); }).size(), 3u * 8) << "three points";
    // walls down from the loop (0, 0, 1), (1, 0, 1), (1, 1, 1), (0, 1, 1); none from an empty one
    face = dynamic_cast<MgGrFace*>(object.NewFace());
    face->NewEdge();
    MgEdge* loop = face->NewEdge();
    for (int i = 0; i < 4; ++i)
        loop->AddVertex(shapes::AddVertex(face, float(i == 1 || i == 2), float(i >= 2), 1));
    const Calls walls = Record([&] { face->DrawPrism(CGeoVector(0, 0, 2), 0); });
    ASSERT_EQ(walls.size(), 4u * 7) << "a strip of four vertices per wall, nothing else";
    EXPECT_EQ(Calls(walls.begin() + 1, walls.begin() + 6),
              (Calls{"glNormal3fv -1 0 0", "glVertex3fv 0 1 0", "glVertex3fv 0 1 1",
                     "glVertex3fv 0 0 0", "glVertex3fv 0 0 1"}));
}

TEST_F(Render, SelectionNamesIdentifyLiveFaces) {
    MgGrObject object;
    MgGrFace* a = Square(object);
    MgGrFace* b = Square(object);
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
}
