// Triangle strips: start rule, strip order, coverage, colours, aux marks, and equality with a
// literal walk over an ordered set of pending facets.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "GlTestSupport.h"
#include "support/Check.h"
#include "support/Shapes.h"

using namespace gltest;

namespace {

using Strips = std::vector<std::vector<CGeoVector>>;

MgGrFacet* Gr(MgFacet* f) {
    return dynamic_cast<MgGrFacet*>(f);
}

Strips StripsOf(const MgGrFace* face) {
    return Blocks(Record([&] { face->DrawFillStrip(); }));
}

// The strip as written in the algorithm: an ordered set of pending facets and aux marks.
Strips LiteralStrips(const MgFace* face) {
    void* const mark = reinterpret_cast<void*>(1);
    std::set<const MgFacet*> pending;
    for (const MgFacet* f : face->FacetList()) {
        f->SetAuxData(mark);
        pending.insert(f);
    }
    Strips strips;
    auto emit = [&](const MgFacet* f, int corner) {
        strips.back().push_back(f->Vertex(corner % 3)->Vertex());
    };
    while (!pending.empty()) {
        const MgFacet* f = *pending.begin();
        int s = 3;
        for (int i = 2; i >= 0; --i)
            if (f->Neighbor((i + 1) % 3))
                s = i;
        strips.emplace_back();
        emit(f, s);
        emit(f, s + 1);
        for (int k = 1;;) {
            const int slot = (k + s) % 3;
            emit(f, s + 2);
            f->SetAuxData(nullptr);
            pending.erase(f);
            const MgFacet* g = f->Neighbor(slot);
            if (!g || !g->AuxData() || !pending.count(g))
                break;
            int j = 0;
            while (j < 3 && g->Neighbor(j) != f)
                ++j;
            if (j == 3)
                break;
            s = j;
            k = 3 - k;
            f = g;
        }
    }
    return strips;
}

// Each strip triangle, in the winding GL gives it, as the rotation starting at its least vertex.
std::multiset<std::vector<float>> Triangles(const Strips& strips) {
    std::multiset<std::vector<float>> triangles;
    auto add = [&](CGeoVector a, CGeoVector b, CGeoVector c) {
        std::vector<std::vector<float>> r = {{a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z},
                                             {b.x, b.y, b.z, c.x, c.y, c.z, a.x, a.y, a.z},
                                             {c.x, c.y, c.z, a.x, a.y, a.z, b.x, b.y, b.z}};
        triangles.insert(*std::min_element(r.begin(), r.end()));
    };
    for (const auto& strip : strips)
        for (std::size_t t = 0; t + 2 < strip.size(); ++t) {
            if (t % 2 == 0)
                add(strip[t], strip[t + 1], strip[t + 2]);
            else
                add(strip[t + 1], strip[t], strip[t + 2]);
        }
    return triangles;
}

std::multiset<std::vector<float>> FacetTriangles(const MgFace* face) {
    Strips each;
    for (const MgFacet* f : face->FacetList())
        each.push_back({f->Vertex(0)->Vertex(), f->Vertex(1)->Vertex(), f->Vertex(2)->Vertex()});
    return Triangles(each);
}

// The two-facet example: A = (a0, a1, a2) at the lower address, B = (a2, a1, b2).
struct TwoFacets {
    MgGrObject object;
    MgGrFace* face = dynamic_cast<MgGrFace*>(object.NewFace());
    MgGrFacet* a = nullptr;
    MgGrFacet* b = nullptr;
    CGeoVector a0{0, 0}, a1{1, 0}, a2{0, 1}, b2{1, 1};
    TwoFacets() {
        MgFacet* first = face->NewFacet();
        MgFacet* second = face->NewFacet();
        if (std::less<MgFacet*>()(second, first))
            std::swap(first, second);
        MgVertex* v[4] = {shapes::AddVertex(face, 0, 0), shapes::AddVertex(face, 1, 0),
                          shapes::AddVertex(face, 0, 1), shapes::AddVertex(face, 1, 1)};
        const int corners[2][3] = {{0, 1, 2}, {2, 1, 3}};
        for (int i = 0; i < 3; ++i) {
            first->SetVertex(i, v[corners[0][i]]);
            second->SetVertex(i, v[corners[1][i]]);
        }
        first->SetNeighbor(1, second, 0);
        a = Gr(first);
        b = Gr(second);
    }
};

class TriangleStrips : public GlTest {};

TEST_F(TriangleStrips, TwoFacetExampleAndBrokenBackLink) {
    TwoFacets m;
    EXPECT_EQ(StripsOf(m.face), (Strips{{m.a0, m.a1, m.a2, m.b2}}));
    m.b->SetNeighbor(0, nullptr);
    EXPECT_EQ(StripsOf(m.face), (Strips{{m.a0, m.a1, m.a2}, {m.a2, m.a1, m.b2}}));
    for (const MgFacet* f : m.face->FacetList())
        EXPECT_EQ(f->AuxData(), nullptr);
    Unlink(m.face);
}

TEST_F(TriangleStrips, EntryCornerFollowsTheFirstNeighbourSlot) {
    MgGrObject object;
    MgGrFace* face = dynamic_cast<MgGrFace*>(shapes::TwoFacetSquare(object));
    MgFacet* abc = face->FacetList().front();
    delete face->FacetList().back();
    EXPECT_EQ(StripsOf(face), (Strips{{{0, 0}, {1, 0}, {1, 1}}})); // no neighbour: 0, 1, 2
    // the only neighbour lies in another face, at slot 0: the strip starts at corner 2
    MgFace* other = shapes::TwoFacetSquare(object);
    abc->SetNeighbor(0, other->FacetList().front());
    EXPECT_EQ(StripsOf(face), (Strips{{{1, 1}, {0, 0}, {1, 0}}}));
    Unlink(face);
}

TEST_F(TriangleStrips, EmptyFacePushesAndPopsItsName) {
    MgGrObject object;
    const MgGrFace* face = dynamic_cast<MgGrFace*>(object.NewFace());
    const auto calls = Record([&] { face->DrawFillStrip(); });
    EXPECT_EQ(Texts(calls),
              (std::vector<std::string>{"glPushName " + std::to_string(face->SelectionName()),
                                        "glPopName"}));
}

TEST_F(TriangleStrips, EveryFacetOnceInItsOwnWinding) {
    MgGrObject object;
    std::vector<MgFace*> faces = {shapes::OpenFan(object, 7), shapes::Tetrahedron(object),
                                  shapes::Grid(object, 5, 4)};
    // a closed band: a grid whose last column shares the first column's vertices
    MgFace* band = object.NewFace();
    std::vector<MgVertex*> ring[2];
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 6; ++i)
            ring[j].push_back(
                shapes::AddVertex(band, std::cos(i * 1.047f), std::sin(i * 1.047f), float(j)));
    for (int i = 0; i < 6; ++i) {
        shapes::AddFacet(band, ring[0][i], ring[0][(i + 1) % 6], ring[1][(i + 1) % 6]);
        shapes::AddFacet(band, ring[0][i], ring[1][(i + 1) % 6], ring[1][i]);
    }
    faces.push_back(band);
    for (MgFace* face : faces) {
        LinkNeighbors(face);
        const Strips strips = StripsOf(dynamic_cast<MgGrFace*>(face));
        EXPECT_EQ(Triangles(strips), FacetTriangles(face));
        std::size_t sent = 0;
        for (const auto& strip : strips)
            sent += strip.size();
        EXPECT_LT(sent, 3 * face->FacetList().size()) << "strips share no vertex";
    }
}

TEST_F(TriangleStrips, VertexColouredCornersAreColouredBeforeEachVertex) {
    TwoFacets m;
    m.a->SetVertexColor(0, 1, 0, 0);
    m.a->SetVertexColor(1, 0, 1, 0);
    m.a->SetVertexColor(2, 0, 0, 1);
    m.b->SetColor(0.25f, 0.5f, 0.75f);
    const auto calls = Record([&] { m.face->DrawFillStrip(); });
    EXPECT_EQ(Texts(calls, {"glMaterialfv", "glColor3fv", "glColor4fv", "glVertex4fv"}),
              (std::vector<std::string>{"glMaterialfv 1 0 0 0.5", "glVertex4fv 0 0 0 1",
                                        "glMaterialfv 0 1 0 0.5", "glVertex4fv 1 0 0 1",
                                        "glMaterialfv 0 0 1 0.5", "glVertex4fv 0 1 0 1",
                                        "glMaterialfv 0.25 0.5 0.75 0.5",
                                        "glColor3fv 0.25 0.5 0.75", "glVertex4fv 1 1 0 1"}));
    // highlighted, a vertex-coloured corner also becomes the current colour
    m.face->Highlight(true);
    EXPECT_EQ(Count(Record([&] { m.face->DrawFillStrip(); }), "glColor4fv"), 3);
}

// A facet of another kind, of a render facet's size so that both come from the same heap bins.
struct PlainFacet : MgFacet {
    using MgFacet::MgFacet;
    char pad[sizeof(MgGrFacet) - sizeof(MgFacet)] = {};
};

TEST_F(TriangleStrips, NonRenderFacetThrowsAndClosesTheStrip) {
    MgGrObject object;
    MgGrFace* face = dynamic_cast<MgGrFace*>(object.NewFace());
    // a render facet A and, above its address, a plain facet entered from A across A's side 1
    std::vector<MgFacet*> pool;
    for (int i = 0; i < 16; ++i) {
        pool.push_back(face->NewFacet());
        pool.push_back(new PlainFacet(face));
    }
    MgFacet *a = nullptr, *plain = nullptr;
    for (MgFacet* f : pool)
        for (MgFacet* g : pool)
            if (!a && Gr(f) && !Gr(g) && std::less<MgFacet*>()(f, g)) {
                a = f;
                plain = g;
            }
    ASSERT_NE(a, nullptr);
    for (MgFacet* f : pool)
        if (f != a && f != plain)
            delete f;
    MgVertex* v[4] = {shapes::AddVertex(face, 0, 0), shapes::AddVertex(face, 1, 0),
                      shapes::AddVertex(face, 0, 1), shapes::AddVertex(face, 1, 1)};
    const int plainCorners[3] = {2, 1, 3}; // B of the two-facet example
    for (int i = 0; i < 3; ++i) {
        a->SetVertex(i, v[i]);
        plain->SetVertex(i, v[plainCorners[i]]);
    }
    a->SetNeighbor(1, plain, 0);
    std::string thrown;
    const auto calls = Record([&] {
        Select([&] {
            try {
                face->DrawFillStrip();
            } catch (const char* message) {
                thrown = message;
            }
        });
    });
    EXPECT_EQ(thrown, "Incompatible member in structure MgGrFace");
    EXPECT_EQ(Count(calls, "glBegin"), 1);
    EXPECT_EQ(Count(calls, "glEnd"), 1);
    EXPECT_EQ(Count(calls, "glPopName"), 1);
    EXPECT_EQ(Count(calls, "glVertex4fv"), 3);
    EXPECT_EQ(a->AuxData(), nullptr);
    EXPECT_NE(plain->AuxData(), nullptr);
}

// Random meshes, random facet addresses and broken, one-sided, foreign and nonsense links: the
// strips equal those of the literal walk over an ordered set.
TEST_F(TriangleStrips, SameStripsAsTheLiteralWalk) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        MgGrObject object;
        MgFace* face = object.NewFace();
        MgFace* foreign = shapes::TwoFacetSquare(object);
        const int nx = 1 + int(random() % 9), ny = 1 + int(random() % 7);
        std::vector<MgVertex*> v;
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i)
                v.push_back(shapes::AddVertex(face, float(i), float(j)));
        std::vector<std::array<int, 3>> cells;
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                const int p = j * (nx + 1) + i, q = p + nx + 1;
                cells.push_back({p, p + 1, q + 1});
                cells.push_back({p, q + 1, q});
            }
        std::shuffle(cells.begin(), cells.end(), random);
        for (const auto& c : cells)
            shapes::AddFacet(face, v[c[0]], v[c[1]], v[c[2]]);
        LinkNeighbors(face);
        std::vector<MgFacet*> facets(face->FacetList().begin(), face->FacetList().end());
        for (MgFacet* f : facets) {
            const int slot = int(random() % 3);
            switch (random() % 8) {
            case 0:
                f->RemoveNeighbor(f->Neighbor(slot));
                break;
            case 1:
                f->SetNeighbor(slot, nullptr); // one-sided
                break;
            case 2:
                f->SetNeighbor(slot, foreign->FacetList().front());
                break;
            case 3:
                f->SetNeighbor(slot, facets[random() % facets.size()]);
                break;
            default:
                break;
            }
            if (random() % 5 == 0)
                Gr(f)->SetVertexColor(0, 1, 0, 0);
        }
        const Strips expected = LiteralStrips(face);
        const Strips actual = StripsOf(dynamic_cast<MgGrFace*>(face));
        ASSERT_EQ(actual, expected) << "round " << round;
        EXPECT_EQ(Triangles(actual).size(), facets.size());
        for (const MgFacet* f : facets)
            ASSERT_EQ(f->AuxData(), nullptr);
        Unlink(face);
    }
}

} // namespace
