// Triangle strips of a render face: where they start, the colours they send, the throw on a
// facet of another kind, and equality with the literal walk on random shapes and links.
#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "support/GlRecorder.h"
#include "support/Shapes.h"

using namespace recorder;

namespace {

// Strip vertices as the texts "x y z 1" of their positions.
using Strips = std::vector<std::vector<std::string>>;

std::string At(const MgFacet* f, int corner) {
    const CGeoVector& p = f->Vertex(corner % 3)->Vertex();
    std::ostringstream out;
    out << p.x << ' ' << p.y << ' ' << p.z << " 1";
    return out.str();
}

Strips StripsOf(const MgFace* face) {
    Strips strips;
    const auto draw = [&] { dynamic_cast<const MgGrFace*>(face)->DrawFillStrip(); };
    for (const std::string& call : Record(draw, {"glBegin", "glVertex4fv"}))
        if (call == "glBegin 5")
            strips.emplace_back();
        else
            strips.back().push_back(call.substr(12));
    return strips;
}

// The strips as the algorithm states them: an ordered set of pending facets and aux marks.
Strips LiteralStrips(const MgFace* face) {
    std::set<const MgFacet*> pending(face->FacetList().begin(), face->FacetList().end());
    for (const MgFacet* f : pending)
        f->SetAuxData(reinterpret_cast<void*>(1));
    Strips strips;
    while (!pending.empty()) {
        const MgFacet* f = *pending.begin();
        int s = f->Neighbor(1) ? 0 : f->Neighbor(2) ? 1 : f->Neighbor(0) ? 2 : 3;
        strips.push_back({At(f, s), At(f, s + 1)});
        for (int k = 1; f; k = 3 - k) {
            const MgFacet* g = f->Neighbor((k + s) % 3);
            strips.back().push_back(At(f, s + 2));
            f->SetAuxData(nullptr);
            pending.erase(f);
            for (s = 0; g && s < 3 && g->Neighbor(s) != f;)
                ++s;
            f = g && g->AuxData() && pending.count(g) && s < 3 ? g : nullptr;
        }
    }
    return strips;
}

// The two-facet example: A = (a0, a1, a2) and B = (a2, a1, b2) linked across a1-a2, with
// a0 = (0, 0), a1 = (1, 0), a2 = (0, 1), b2 = (1, 1).
void MakeExample(MgFace* face, MgFacet* a, MgFacet* b) {
    MgVertex* v[4] = {shapes::AddVertex(face, 0, 0), shapes::AddVertex(face, 1, 0),
                      shapes::AddVertex(face, 0, 1), shapes::AddVertex(face, 1, 1)};
    for (int i = 0; i < 3; ++i)
        a->SetVertex(i, v[i]), b->SetVertex(i, v[i == 0 ? 2 : i == 1 ? 1 : 3]);
    a->SetNeighbor(1, b, 0);
}

TEST_F(Render, StripsStartAtTheFirstLinkedSideAndColourEveryCorner) {
    MgGrObject object;
    auto* face = dynamic_cast<MgGrFace*>(object.NewFace());
    const auto draw = [&] { face->DrawFillStrip(); };
    EXPECT_EQ(Record(draw),
              (Calls{"glPushName " + std::to_string(face->SelectionName()), "glPopName"}));
    MgFacet* ab[2] = {face->NewFacet(), face->NewFacet()};
    std::sort(ab, ab + 2, std::less<MgFacet*>()); // A at the lower address
    MakeExample(face, ab[0], ab[1]);
    const std::string a0 = "0 0 0 1", a1 = "1 0 0 1", a2 = "0 1 0 1", b2 = "1 1 0 1";
    EXPECT_EQ(StripsOf(face), (Strips{{a0, a1, a2, b2}}));
    // a vertex-coloured facet colours each corner, another applies its own colour once
    for (int i = 0; i < 3; ++i)
        dynamic_cast<MgGrFacet*>(ab[0])->SetVertexColor(i, i == 0, i == 1, i == 2);
    dynamic_cast<MgGrFacet*>(ab[1])->SetColor(0.25f, 0.5f, 0.75f);
    EXPECT_EQ(
        Record(draw, {"glMaterialfv", "glColor3fv", "glVertex4fv"}),
        (Calls{"glMaterialfv 1 0 0 0.5", "glVertex4fv " + a0, "glMaterialfv 0 1 0 0.5",
               "glVertex4fv " + a1, "glMaterialfv 0 0 1 0.5", "glVertex4fv " + a2,
               "glMaterialfv 0.25 0.5 0.75 0.5", "glColor3fv 0.25 0.5 0.75", "glVertex4fv " + b2}));
    face->Highlight(true); // a vertex colour then becomes the current colour too
    EXPECT_EQ(Count(Record(draw), "glColor4fv"), 3);
    ab[1]->SetNeighbor(0, nullptr); // B's back link missing
    EXPECT_EQ(StripsOf(face), (Strips{{a0, a1, a2}, {a2, a1, b2}}));
    delete ab[1];
    EXPECT_EQ(StripsOf(face), (Strips{{a0, a1, a2}}));
    // the only neighbour, in another face, at slot 0: the strip starts at corner 2
    ab[0]->SetNeighbor(0, shapes::TwoFacetSquare(object)->FacetList().front());
    EXPECT_EQ(StripsOf(face), (Strips{{a2, a0, a1}}));
    ab[0]->SetNeighbor(0, nullptr);
}

// A facet of another kind, of a render facet's size so that both come from the same heap bins.
struct PlainFacet : MgFacet {
    using MgFacet::MgFacet;
    char pad[sizeof(MgGrFacet) - sizeof(MgFacet)] = {};
};

TEST_F(Render, StripEnteringANonRenderFacetThrowsAndIsClosed) {
    MgGrObject object;
    auto* face = dynamic_cast<MgGrFace*>(object.NewFace());
    MgFacet* a = face->NewFacet(); // and a plain facet B above its address
    std::vector<MgFacet*> plain = {new PlainFacet(face)};
    while (plain.size() < 64 && std::less<MgFacet*>()(plain.back(), a))
        plain.push_back(new PlainFacet(face));
    std::for_each(plain.begin(), plain.end() - 1, [](MgFacet* f) { delete f; });
    ASSERT_TRUE(std::less<MgFacet*>()(a, plain.back()));
    MakeExample(face, a, plain.back());
    std::string thrown;
    Select([&] {
        EXPECT_EQ(Count(Record([&] { face->DrawFillStrip(); }, {}, &thrown), "glVertex4fv"), 3);
    });
    EXPECT_EQ(thrown, "Incompatible member in structure MgGrFace");
    EXPECT_EQ(a->AuxData(), nullptr);
    EXPECT_NE(plain.back()->AuxData(), nullptr);
}

// A host's render facet with data of its own ahead of the render part: from its facet part, the
// render part lies at another offset than in a plain render facet.
struct Ballast {
    double weight[5] = {1, 2, 3, 4, 5};
    virtual ~Ballast() = default;
};
struct BallastFacet : Ballast, MgGrFacet {
    explicit BallastFacet(MgFace* face) : MgFacet(face), MgGrFacet(face) {}
};

// A triangle as the rotation of its vertices that starts at the least one.
std::vector<std::string> Canonical(std::vector<std::string> t) {
    std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
    return t;
}

// Random shapes, facet addresses and links: the strips equal those of the literal walk, and with
// the links as built they hold every facet once, in its own winding.
TEST_F(Render, StripsEqualThoseOfTheLiteralWalk) {
    std::mt19937 random(20240611);
    MgGrObject others; // a facet of another face, marked as if pending
    MgFacet* foreign = shapes::TwoFacetSquare(others)->FacetList().front();
    foreign->SetAuxData(reinterpret_cast<void*>(1));
    for (int round = 0; round < 90; ++round) {
        MgGrObject object;
        MgFace* face = round % 3 == 0   ? shapes::Tetrahedron(object)
                       : round % 3 == 1 ? shapes::OpenFan(object, 3 + round % 8)
                                        : shapes::Grid(object, 1 + round % 7, 1 + round % 5);
        // the facets made again in random order, so that list and address order differ
        std::vector<MgFacet*> facets(face->FacetList().begin(), face->FacetList().end());
        std::shuffle(facets.begin(), facets.end(), random);
        // in some rounds, mixed with render facets of another class
        const bool mixed = round % 4 == 1;
        for (MgFacet*& f : facets) {
            MgFacet* again = mixed && random() % 2 ? new BallastFacet(face) : face->NewFacet();
            for (int i = 0; i < 3; ++i)
                again->SetVertex(i, f->Vertex(i));
            delete f;
            f = again;
        }
        face->RebuildEdges();
        const bool asBuilt = round % 2;
        for (MgFacet* f : facets) { // broken, one-sided, foreign and nonsense links
            const int slot = int(random() % 3), what = asBuilt ? 9 : int(random() % 6);
            if (what == 1)
                f->SetNeighbor(slot, foreign, 0); // and back
            else if (what < 3)
                f->SetNeighbor(slot, what ? facets[random() % facets.size()] : nullptr);
            else if (what == 3)
                f->RemoveNeighbor(f->Neighbor(slot));
        }
        const Strips strips = StripsOf(face);
        ASSERT_EQ(strips, LiteralStrips(face)) << "round " << round;
        std::multiset<std::vector<std::string>> drawn, own; // GL flips every second triangle
        for (const auto& s : strips)
            for (std::size_t t = 0; t + 2 < s.size(); ++t)
                drawn.insert(Canonical({s[t + t % 2], s[t + 1 - t % 2], s[t + 2]}));
        for (const MgFacet* f : facets) {
            own.insert(Canonical({At(f, 0), At(f, 1), At(f, 2)}));
            ASSERT_EQ(f->AuxData(), nullptr);
        }
        EXPECT_EQ(drawn.size(), facets.size());
        EXPECT_TRUE(!asBuilt || drawn == own) << "round " << round;
        foreign->SetNeighbor(0, nullptr); // a face going drops only its own facets' links
    }
}

} // namespace
