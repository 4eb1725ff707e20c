// Edge and corner building, checked against literal walks over lists on random faces, and on
// small faces whose loops and corners are spelt out; then the insertion of edge vertices.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <list>
#include <random>
#include <sstream>
#include <vector>

#include "support/Check.h"
#include "support/ModelText.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace {

std::intptr_t Mark(const MgVertex* v) {
    return reinterpret_cast<std::intptr_t>(v->AuxData());
}
void SetMark(const MgVertex* v, std::intptr_t m) {
    v->SetAuxData(reinterpret_cast<void*>(m));
}

// ---- Edge and corner building as plain walks over lists, for comparison with the library ----
namespace literal {

void RebuildCorners(MgFace* face) {
    std::vector<std::pair<MgEdge*, MgVertexList::const_iterator>> spots; // in walk order
    for (MgEdge* e : face->EdgeList())
        for (auto it = e->VertexList().begin(); it != e->VertexList().end(); ++it) {
            spots.emplace_back(e, it);
            SetMark(*it, 0);
        }
    for (MgCorner* c :
         std::vector<MgCorner*>(face->CornerList().begin(), face->CornerList().end())) {
        auto s = std::find_if(spots.begin(), spots.end(), [&](const auto& s) {
            const MgVertex* v = *s.second;
            return (v->Vertex() - c->Position()).Norm() < 0.1f * face->GeoTolerance() && !Mark(v);
        });
        if (s == spots.end())
            delete c;
        else
            c->SetEdgeIter(s->first, s->second), SetMark(*s->second, 1);
    }
    for (MgEdge* e : face->EdgeList()) {
        const MgVertexList& list = e->VertexList();
        if (std::count_if(list.begin(), list.end(), Mark) != 1)
            continue;
        // the vertex half the loop on from the marked one
        const auto marked =
            std::distance(list.begin(), std::find_if(list.begin(), list.end(), Mark));
        const auto at =
            std::next(list.begin(), (std::size_t(marked) + list.size() / 2) % list.size());
        MgCorner* c = face->NewCorner();
        c->SetPosition((*at)->Vertex());
        c->SetEdgeIter(e, at);
        SetMark(*at, 1);
    }
}

bool RebuildEdges(MgFace* face) {
    for (MgCorner* c : face->CornerList()) // the library leaves them detached until re-attached
        c->SetEdgeIter(nullptr, MgVertexList::const_iterator());
    while (!face->EdgeList().empty())
        delete face->EdgeList().front();
    for (const MgVertex* v : face->VertexList())
        SetMark(v, 1);
    using Side = std::pair<MgFacet*, int>;
    auto from = [](const Side& s) { return s.first->Vertex(s.second); };
    auto to = [](const Side& s) { return s.first->Vertex((s.second + 1) % 3); };
    std::list<Side> open;
    for (MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            const Side side(f, i);
            auto it = std::find_if(open.begin(), open.end(), [&](const Side& s) {
                return from(s) == to(side) && to(s) == from(side);
            });
            if (it == open.end())
                open.push_back(side);
            else
                f->SetNeighbor(i, it->first, it->second), open.erase(it);
            SetMark(from(side), 0);
        }
    for (auto it = face->VertexList().begin(); it != face->VertexList().end();)
        if (MgVertex* v = *it++; Mark(v) != 0)
            delete v;
    while (!open.empty()) {
        MgEdge* edge = face->NewEdge();
        MgVertex *first = from(open.front()), *v = first, *next = to(open.front());
        open.pop_front();
        for (;;) {
            edge->AddVertex(v);
            SetMark(v, Mark(v) + 1);
            if ((v = next) == first)
                break;
            auto it =
                std::find_if(open.begin(), open.end(), [&](const Side& s) { return from(s) == v; });
            if (it == open.end())
                throw "Bad face structure";
            next = to(*it);
            open.erase(it);
        }
    }
    face->PostChange();
    for (const MgEdge* e : face->EdgeList())
        for (const MgVertex* v : e->VertexList())
            if (Mark(v) != 1)
                return false;
    RebuildCorners(face);
    return true;
}

} // namespace literal

// Every item of the face with the vertices' aux data (the marks), without the face's own
// values: the walks above do not mark a face corrupt.
std::string FaceText(const MgFace* face) {
    support::TextOptions options;
    options.header = false;
    options.auxData = true;
    return support::FaceText(face, options);
}

// The points as the face's vertices, then the facets over their numbers; returns the vertices.
std::vector<MgVertex*> Build(MgFace* face, const std::vector<CGeoVector>& points,
                             const std::vector<std::array<int, 3>>& facets) {
    std::vector<MgVertex*> v;
    for (const CGeoVector& p : points)
        v.push_back(shapes::AddVertex(face, p.x, p.y, p.z));
    for (const auto& f : facets)
        shapes::AddFacet(face, v[f[0]], v[f[1]], v[f[2]]);
    return v;
}

template <class T, std::size_t N> T Pick(std::mt19937& rng, const T (&choices)[N]) {
    return choices[rng() % N];
}

// Points on a lattice closer than a corner's reach, scaled; facet pairs over it with holes (so
// loops touch), at times with facets that repeat or oppose earlier ones or repeat a vertex;
// crowded edges made by hand; corners about a corner's reach from points; odd numbers.
void RandomFace(std::mt19937& rng, MgFace* face) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    const float scale = Pick(rng, {1.f, 1.f, 1.f, 1e-20f, 1e6f, 3e30f});
    face->SetGeoTolerance(rng() % 2 ? 0.05f * scale
                                    : Pick(rng, {0.06f, 3e-7f, 1e30f, inf, -0.f, nan}));
    const int w = 1 + int(rng() % 10), h = 1 + int(rng() % 4), n = (w + 1) * (h + 1);
    std::vector<CGeoVector> points;
    for (int p = 0; p < n; ++p)
        points.push_back(CGeoVector(float(p % (w + 1)), float(p / (w + 1)), float(rng() % 2)) *
                         (0.004f * scale));
    if (rng() % 4 == 0)
        points[rng() % n][int(rng() % 3)] = Pick(rng, {-0.f, nan, inf});
    std::vector<std::array<int, 3>> facets;
    const unsigned holes = rng() % 3, odd = rng() % 2 ? 0 : 8; // holes in eighths of the cells
    for (int p = 0; p < n - w - 2; ++p)
        if (p % (w + 1) != w && rng() % 8 >= holes)
            facets.insert(facets.end(), {{p, p + 1, p + w + 2}, {p, p + w + 2, p + w + 1}});
    for (int k = int(rng() % (odd + 1)); k > 0; --k) {
        std::array<int, 3> f{int(rng() % n), int(rng() % n), int(rng() % n)};
        const std::array<int, 3> o = facets.empty() ? f : facets[rng() % facets.size()];
        const unsigned kind = rng() % 6;
        f = kind == 0 ? o : kind < 3 ? std::array<int, 3>{o[1], o[0], f[2]} : f;
        f[1] = rng() % 5 ? f[1] : f[0];
        facets.push_back(f);
    }
    std::shuffle(facets.begin(), facets.end(), rng);
    const std::vector<MgVertex*> v = Build(face, points, facets);
    if (rng() % 8 == 0) { // a facet that holds a vertex of another face
        MgVertex* foreign = shapes::AddVertex(face->ParentObject()->NewFace(), 0.5f, 0.25f, 0.f);
        shapes::AddFacet(face, v[rng() % n], foreign, v[rng() % n]);
    }
    for (int k = 1 + int(rng() % 3); k > 0; --k) {
        MgEdge* e = face->NewEdge();
        for (int i = 1 + int(rng() % 40); i > 0; --i)
            e->AddVertex(v[rng() % n]);
    }
    for (int k = int(rng() % 40); k > 0; --k) {
        CGeoVector q = points[rng() % n];
        q[int(rng() % 3)] += Pick(rng, {0.f, 0.003f, -0.0049f, 0.005f, -0.0051f, 0.006f}) * scale;
        if (rng() % 40 == 0)
            q[int(rng() % 3)] = Pick(rng, {-0.f, nan, -inf});
        face->NewCorner()->SetPosition(q);
    }
}

template <class F> std::string Outcome(F f) {
    try {
        return f() ? "true" : "false";
    } catch (const char* message) {
        return message;
    }
}

using Square = shapes::LinkedSquare;

} // namespace

TEST(RandomFaces, EdgeBuildingAgreesWithTheWalks) {
    std::mt19937 rng(20240607);
    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE(round);
        MgObject object;
        MgFace *got = object.NewFace(), *want = object.NewFace();
        std::mt19937 twin = rng;
        RandomFace(rng, got);
        RandomFace(twin, want);
        // first on the hand-made edges, with vertices repeated in and across them
        got->RebuildCorners();
        literal::RebuildCorners(want);
        ASSERT_EQ(FaceText(got), FaceText(want));
        const std::string outcome = Outcome([&] { return literal::RebuildEdges(want); });
        EXPECT_EQ(Outcome([&] { return got->RebuildEdges(); }), outcome);
        EXPECT_EQ(got->Corrupt(), outcome == "false");
        ASSERT_EQ(FaceText(got), FaceText(want));
        // also over loops that touch, which the rebuild left without corners
        got->RebuildCorners();
        literal::RebuildCorners(want);
        ASSERT_EQ(FaceText(got), FaceText(want));
        ASSERT_FALSE(HasFailure());
    }
}

TEST(RebuildEdges, SmallFaces) {
    enum { a, b, c, d, e, f, g, h };
    const std::vector<CGeoVector> points = {{0, 0, 0}, {1, 0, 0},  {1, 1, 0},   {0, 1, 0},
                                            {0, 0, 1}, {-1, 0, 0}, {-1, -1, 0}, {0.003f, 0, 0}};
    struct Case {
        std::vector<std::array<int, 3>> facets;
        std::vector<CGeoVector> corners;
        const char* want; // result, corrupt flag, vertices left, each loop, each corner's vertex
    };
    const Case cases[] = {
        // the corner 0.004 from c attaches, the one 0.006 from d goes; a second goes opposite c
        {{{a, b, c}, {a, c, d}}, {{1.004f, 1}, {0, 1.006f}}, "10 4 abcd /ca"},
        // sides held in the same direction are not linked, and their ends are walked twice
        {{{a, b, c}, {a, d, c}}, {{0, 0}}, "01 4 abc adc /-"},
        {{{a, d, b}, {a, b, e}, {a, e, d}, {b, d, e}}, {{0, 0}}, "10 4 /"}, // closed
        {{{a, b, c}, {a, f, g}}, {}, "01 5 abc afg /"},                     // loops touch at a
        // the first corner takes the first free vertex in reach, the second the next one
        {{{a, h, d}}, {{0.001f, 0}, {0.001f, 0}, {0.001f, 0}}, "10 3 ahd /ah"},
        {{{a, a, b}}, {{0, 0}}, "10 2 a /aa"}, // a side a -> a: a loop of one vertex
    };
    for (const Case& k : cases) {
        MgObject object;
        MgFace* face = object.NewFace();
        const std::vector<MgVertex*> v = Build(face, points, k.facets);
        for (const CGeoVector& p : k.corners)
            face->NewCorner()->SetPosition(p);
        auto name = [&](const MgVertex* x) {
            return x ? char('a' + (std::find(v.begin(), v.end(), x) - v.begin())) : '-';
        };
        std::ostringstream got;
        got << face->RebuildEdges() << face->Corrupt() << ' ' << face->NumVertices();
        for (const MgEdge* edge : face->EdgeList()) {
            got << ' ';
            for (const MgVertex* x : edge->VertexList())
                got << name(x);
        }
        got << " /";
        for (const MgCorner* corner : face->CornerList())
            got << name(corner->Vertex());
        EXPECT_EQ(got.str(), k.want);
        ExpectValidTopology(face);
    }
}

TEST(AddEdgeVertex, InsertsBetweenTheTwoVertices) {
    Square s;
    s.face->NewCorner()->SetPosition(CGeoVector(0, 0, 0));
    s.face->RebuildCorners();
    MgEdge* e = s.face->EdgeList().front(); // a, b, c, d
    // forward, at the front, from the last vertex d: the new vertex goes first
    auto made = s.face->AddEdgeVertex(s.v[3], e->VertexList().begin(), e, 0.25f, true);
    EXPECT_EQ(made, e->VertexList().begin());
    EXPECT_EQ((*made)->Vertex(), CGeoVector(0, 0.75f, 0));
    EXPECT_EQ((*made)->RefCount(), 3); // two facets and the edge
    // backward, at the last position d, from the first vertex: the new one goes last
    made = s.face->AddEdgeVertex(*made, std::prev(e->VertexList().end()), e, 0.25f, false);
    EXPECT_EQ(made, std::prev(e->VertexList().end()));
    EXPECT_EQ((*made)->Vertex(), CGeoVector(0, 0.8125f, 0));
    EXPECT_EQ(s.face->CornerList().front()->Vertex(), s.v[0]); // other positions stay valid
    ExpectValidTopology(s.face);
    auto at = std::next(e->VertexList().begin()); // a, but b -> a runs against the facets
    EXPECT_THROW_TEXT(s.face->AddEdgeVertex(s.v[1], at, e, 0.5f, true),
                      "Vertices are not on an edge");
    EXPECT_THROW_TEXT(s.face->AddEdgeVertex(s.v[0], e->VertexList().end(), e, 0.5f, true),
                      "Vertices are not on an edge");
    EXPECT_EQ(s.face->NumFacets(), 4);
    s.face->NewFacet(); // a facet without vertices
    EXPECT_THROW_TEXT(s.face->RebuildEdges(), "Bad face structure");
}
