// Edge and corner building: neighbour links, boundary loops, corners, boundary refinement; the
// indexed searches are checked against literal walks over lists on random faces.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Check.h"
#include "support/Shapes.h"
#include "support/Topology.h"

using shapes::AddFacet;
using shapes::AddVertex;

namespace {

std::intptr_t Mark(const MgVertex* v) {
    return reinterpret_cast<std::intptr_t>(v->AuxData());
}
void SetMark(const MgVertex* v, std::intptr_t m) {
    v->SetAuxData(reinterpret_cast<void*>(m));
}

std::vector<MgVertex*> Loop(const MgEdge* e) {
    return std::vector<MgVertex*>(e->VertexList().begin(), e->VertexList().end());
}

MgEdge* EdgeAt(const MgFace* face, int n) {
    return *std::next(face->EdgeList().begin(), n);
}
MgCorner* CornerAt(const MgFace* face, int n) {
    return *std::next(face->CornerList().begin(), n);
}
long PlaceOf(const MgCorner* c) {
    return long(std::distance(c->Edge()->VertexList().begin(), c->VertIter()));
}

MgCorner* AddCorner(MgFace* face, CGeoVector p) {
    MgCorner* c = face->NewCorner();
    c->SetPosition(p);
    return c;
}

// ---- The searches as plain walks over lists, for comparison with the library ----
namespace literal {

struct Side {
    MgVertex* from;
    MgVertex* to;
    MgFacet* facet;
    int side;
};

bool BuildEdges(MgFace* face) {
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i)
            if (!f->Vertex(i))
                throw "Bad face structure";
    for (const MgVertex* v : face->VertexList())
        SetMark(v, 1);
    std::list<Side> open;
    for (MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            MgVertex* a = f->Vertex(i);
            MgVertex* b = f->Vertex((i + 1) % 3);
            auto it = open.begin();
            while (it != open.end() && !(it->from == b && it->to == a))
                ++it;
            if (it != open.end()) {
                f->SetNeighbor(i, it->facet);
                it->facet->SetNeighbor(it->side, f);
                open.erase(it);
            } else {
                open.push_back(Side{a, b, f, i});
            }
            SetMark(a, 0);
        }
    const MgVertexList& vertices = face->VertexList();
    for (auto it = vertices.begin(); it != vertices.end();) {
        MgVertex* v = *it++;
        if (Mark(v) != 0)
            delete v;
    }
    while (!open.empty()) {
        MgEdge* edge = face->NewEdge();
        const Side first = open.front();
        open.pop_front();
        MgVertex* a = first.from;
        MgVertex* b = first.to;
        edge->AddVertex(a);
        SetMark(a, Mark(a) + 1);
        while (b != a) {
            edge->AddVertex(b);
            SetMark(b, Mark(b) + 1);
            auto it = open.begin();
            while (it != open.end() && it->from != b)
                ++it;
            if (it == open.end())
                throw "Bad face structure";
            b = it->to;
            open.erase(it);
        }
    }
    face->PostChange();
    for (const MgEdge* e : face->EdgeList())
        for (const MgVertex* v : e->VertexList())
            if (Mark(v) != 1)
                return false;
    return true;
}

void RebuildCorners(MgFace* face) {
    for (const MgEdge* e : face->EdgeList())
        for (const MgVertex* v : e->VertexList())
            SetMark(v, 0);
    const float radius = 0.1f * face->GeoTolerance();
    const std::vector<MgCorner*> corners(face->CornerList().begin(), face->CornerList().end());
    for (MgCorner* c : corners) {
        bool attached = false;
        for (MgEdge* e : face->EdgeList()) {
            const MgVertexList& list = e->VertexList();
            for (auto it = list.begin(); it != list.end() && !attached; ++it)
                if (((*it)->Vertex() - c->Position()).Norm() < radius && Mark(*it) == 0) {
                    c->SetEdgeIter(e, it);
                    SetMark(*it, 1);
                    attached = true;
                }
            if (attached)
                break;
        }
        if (!attached)
            delete c;
    }
    for (MgEdge* e : face->EdgeList()) {
        const MgVertexList& list = e->VertexList();
        int count = 0;
        MgVertexList::const_iterator marked;
        for (auto it = list.begin(); it != list.end(); ++it)
            if (Mark(*it) != 0) {
                ++count;
                marked = it;
            }
        if (count != 1)
            continue;
        for (std::size_t step = 0; step < list.size() / 2; ++step) {
            ++marked;
            if (marked == list.end())
                marked = list.begin();
        }
        MgCorner* c = face->NewCorner();
        c->SetPosition((*marked)->Vertex());
        c->SetEdgeIter(e, marked);
        SetMark(*marked, 1);
    }
}

// The library leaves corners detached while their edges are rebuilt.
bool RebuildEdges(MgFace* face) {
    for (MgCorner* c : face->CornerList())
        c->SetEdgeIter(nullptr, MgVertexList::const_iterator());
    while (!face->EdgeList().empty())
        delete face->EdgeList().front();
    if (!BuildEdges(face))
        return false;
    RebuildCorners(face);
    return true;
}

} // namespace literal

// ---- Twin faces built from one recipe ----

struct Recipe {
    std::vector<CGeoVector> points;
    std::vector<std::array<int, 3>> facets;
    std::vector<std::vector<int>> edges; // made by hand, for corner tests
    // a facet vertex -1 leaves the slot empty
    std::vector<CGeoVector> corners;
    float tolerance = 0.05f;
};

MgFace* Build(MgObject& object, const Recipe& r) {
    MgFace* face = object.NewFace();
    face->SetGeoTolerance(r.tolerance);
    std::vector<MgVertex*> v;
    for (const CGeoVector& p : r.points)
        v.push_back(AddVertex(face, p.x, p.y, p.z));
    auto vertex = [&](int i) { return i < 0 ? nullptr : v[i]; };
    for (const auto& f : r.facets)
        AddFacet(face, vertex(f[0]), vertex(f[1]), vertex(f[2]));
    for (const auto& loop : r.edges) {
        MgEdge* e = face->NewEdge();
        for (int i : loop)
            e->AddVertex(v[i]);
    }
    for (const CGeoVector& p : r.corners)
        AddCorner(face, p);
    return face;
}

bool SameBits(const CGeoVector& a, const CGeoVector& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

template <class T> std::map<const T*, int> Numbers(const std::list<T*>& list) {
    std::map<const T*, int> n;
    for (const T* item : list)
        n.emplace(item, int(n.size()));
    return n;
}
template <class T> int NumberOf(const std::map<const T*, int>& n, const T* item) {
    if (!item)
        return -1;
    auto it = n.find(item);
    return it == n.end() ? -2 : it->second;
}

// The library's face and the literal walk's face hold the same items, links, loops and marks.
void ExpectSameFace(const MgFace* got, const MgFace* want) {
    ASSERT_EQ(got->NumVertices(), want->NumVertices());
    ASSERT_EQ(got->NumFacets(), want->NumFacets());
    ASSERT_EQ(got->NumEdges(), want->NumEdges());
    ASSERT_EQ(got->CornerList().size(), want->CornerList().size());
    const auto gv = Numbers(got->VertexList()), wv = Numbers(want->VertexList());
    const auto gf = Numbers(got->FacetList()), wf = Numbers(want->FacetList());
    const auto ge = Numbers(got->EdgeList()), we = Numbers(want->EdgeList());
    for (auto g = got->VertexList().begin(), w = want->VertexList().begin();
         g != got->VertexList().end(); ++g, ++w) {
        EXPECT_TRUE(SameBits((*g)->Vertex(), (*w)->Vertex()));
        EXPECT_EQ(Mark(*g), Mark(*w));
        EXPECT_EQ((*g)->RefCount(), (*w)->RefCount());
    }
    for (auto g = got->FacetList().begin(), w = want->FacetList().begin();
         g != got->FacetList().end(); ++g, ++w)
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(NumberOf(gv, (*g)->Vertex(i)), NumberOf(wv, (*w)->Vertex(i)));
            EXPECT_EQ(NumberOf(gf, (*g)->Neighbor(i)), NumberOf(wf, (*w)->Neighbor(i)));
        }
    for (auto g = got->EdgeList().begin(), w = want->EdgeList().begin(); g != got->EdgeList().end();
         ++g, ++w) {
        std::vector<int> gl, wl;
        for (const MgVertex* v : (*g)->VertexList())
            gl.push_back(NumberOf(gv, v));
        for (const MgVertex* v : (*w)->VertexList())
            wl.push_back(NumberOf(wv, v));
        EXPECT_EQ(gl, wl);
    }
    for (auto g = got->CornerList().begin(), w = want->CornerList().begin();
         g != got->CornerList().end(); ++g, ++w) {
        EXPECT_TRUE(SameBits((*g)->Position(), (*w)->Position()));
        const int edge = NumberOf(ge, (*g)->Edge());
        ASSERT_EQ(edge, NumberOf(we, (*w)->Edge()));
        if (edge >= 0) {
            EXPECT_EQ(PlaceOf(*g), PlaceOf(*w));
        }
    }
}

struct Outcome {
    bool result;
    std::string thrown;
};
template <class F> Outcome Run(F f) {
    try {
        return Outcome{f(), ""};
    } catch (const char* message) {
        return Outcome{false, message};
    }
}

// Rebuilds the edges of twin faces, once by the library and once by the walk, then the
// corners once more; every step must agree.
void CompareRebuilds(const Recipe& recipe) {
    MgObject object;
    MgFace* got = Build(object, recipe);
    MgFace* want = Build(object, recipe);
    const Outcome g = Run([&] { return got->RebuildEdges(); });
    const Outcome w = Run([&] { return literal::RebuildEdges(want); });
    EXPECT_EQ(g.thrown, w.thrown);
    EXPECT_EQ(g.result, w.result);
    EXPECT_EQ(got->Corrupt(), w.thrown.empty() && !w.result);
    ExpectSameFace(got, want);
    // corners also over loops that touch, where the rebuild stopped short of them
    got->RebuildCorners();
    literal::RebuildCorners(want);
    ExpectSameFace(got, want);
    ExpectValidTopology(got, false);
}

// ---- Random recipes ----

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

float PickTolerance(std::mt19937& rng) {
    const float choices[] = {0.05f, 0.05f, 0.05f, 0.04f,  0.06f, 0.5f,   10,   1e30f,
                             kInf,  0,     -0.0f, -0.05f, kNaN,  1e-30f, 3e-7f};
    return choices[rng() % (sizeof choices / sizeof choices[0])];
}

CGeoVector Near(std::mt19937& rng, const CGeoVector& p, float radius) {
    const float offsets[] = {0, 0.003f, 0.004f, 0.0049f, 0.005f, 0.0051f, 0.006f};
    const float d = offsets[rng() % 7] * radius / 0.005f;
    CGeoVector q = p;
    q[int(rng() % 3)] += (rng() % 2 ? d : -d);
    if (rng() % 8 == 0)
        q[int(rng() % 3)] = -0.0f;
    if (rng() % 40 == 0)
        q[int(rng() % 3)] = rng() % 2 ? kNaN : kInf;
    return q;
}

Recipe RandomMesh(std::mt19937& rng) {
    Recipe r;
    const int n = 1 + int(rng() % 10);
    for (int i = 0; i < n; ++i) {
        CGeoVector p(float(rng() % 3) * 0.004f, float(rng() % 3) * 0.004f, float(rng() % 2));
        if (rng() % 10 == 0)
            p.x = -0.0f;
        if (rng() % 50 == 0)
            p.y = kNaN;
        r.points.push_back(p);
    }
    const int m = int(rng() % 14);
    for (int k = 0; k < m; ++k) {
        std::array<int, 3> f{int(rng() % n), int(rng() % n), int(rng() % n)};
        const unsigned kind = rng() % 10;
        if (kind < 2 && !r.facets.empty()) {
            f = r.facets[rng() % r.facets.size()]; // duplicate facet
        } else if (kind < 5 && !r.facets.empty()) {
            const auto& o = r.facets[rng() % r.facets.size()];
            f = {o[1], o[0], int(rng() % n)}; // across a side of an earlier facet
        } else if (kind < 6) {
            f[1] = f[0]; // repeated vertex: sides from a vertex to itself
        } else if (kind < 7 && rng() % 16 == 0) {
            f[2] = -1; // an empty slot
        }
        r.facets.push_back(f);
    }
    r.tolerance = PickTolerance(rng);
    const int corners = int(rng() % 5);
    for (int k = 0; k < corners; ++k)
        r.corners.push_back(Near(rng, r.points[rng() % n], 0.005f));
    return r;
}

// Many vertices close together on hand-made edges (with repeats) and many corners near them.
Recipe RandomCorners(std::mt19937& rng) {
    Recipe r;
    const float scales[] = {1, 1, 1, 1e-20f, 1e6f, 3e30f};
    const float scale = scales[rng() % 6];
    const int n = 20 + int(rng() % 200);
    for (int i = 0; i < n; ++i)
        r.points.push_back(CGeoVector(float(rng() % 12) * 0.003f, float(rng() % 12) * 0.003f,
                                      float(rng() % 2) * 0.003f) *
                           scale);
    if (rng() % 4 == 0)
        r.points[rng() % n].z = kNaN;
    const int edges = 1 + int(rng() % 5);
    for (int e = 0; e < edges; ++e) {
        std::vector<int> loop(1 + rng() % 60);
        for (int& i : loop)
            i = int(rng() % n);
        r.edges.push_back(loop);
    }
    r.tolerance = rng() % 3 ? 0.05f * scale : PickTolerance(rng);
    const int corners = int(rng() % 80);
    for (int k = 0; k < corners; ++k)
        r.corners.push_back(Near(rng, r.points[rng() % n], 0.005f * scale));
    return r;
}

// A face whose factories make items of its own kinds, as the drawable face does.
class CountingFacet : public virtual MgFacet {
public:
    explicit CountingFacet(MgFace* face) : MgFacet(face) {}
};
class CountingFace : public virtual MgFace {
public:
    explicit CountingFace(MgObject* parent) : MgFace(parent) {}
    MgFacet* NewFacet() override {
        ++facets;
        return new CountingFacet(this);
    }
    MgEdge* NewEdge() override {
        ++edges;
        return MgFace::NewEdge();
    }
    MgCorner* NewCorner() override {
        ++corners;
        return MgFace::NewCorner();
    }
    int facets = 0, edges = 0, corners = 0;
};

} // namespace

// ---- Neighbour links and loops ----

TEST(RebuildEdges, SingleFacetGivesOneLoopInSlotOrder) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* v[3] = {AddVertex(face, 0, 0), AddVertex(face, 1, 0), AddVertex(face, 0, 1)};
    MgFacet* f = AddFacet(face, v[0], v[1], v[2]);
    EXPECT_TRUE(face->RebuildEdges());
    ASSERT_EQ(face->NumEdges(), 1);
    EXPECT_EQ(Loop(face->EdgeList().front()), std::vector<MgVertex*>(v, v + 3));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(f->Neighbor(i), nullptr);
    EXPECT_FALSE(face->Corrupt());
    ExpectValidTopology(face);
}

TEST(RebuildEdges, SquareIsLinkedAcrossItsDiagonal) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    const std::vector<MgVertex*> v(face->VertexList().begin(), face->VertexList().end());
    MgFacet* abc = face->FacetList().front();
    MgFacet* acd = face->FacetList().back();
    const unsigned before = face->ChangeIndex();
    EXPECT_TRUE(face->RebuildEdges());
    EXPECT_NE(face->ChangeIndex(), before);
    EXPECT_EQ(abc->Neighbor(2), acd); // c -> a
    EXPECT_EQ(acd->Neighbor(0), abc); // a -> c
    EXPECT_EQ(abc->Neighbor(0), nullptr);
    ASSERT_EQ(face->NumEdges(), 1);
    EXPECT_EQ(Loop(face->EdgeList().front()), v); // a, b, c, d
    ExpectValidTopology(face);
    // a second rebuild gives the same loop and leaves the links
    EXPECT_TRUE(face->RebuildEdges());
    ASSERT_EQ(face->NumEdges(), 1);
    EXPECT_EQ(Loop(face->EdgeList().front()), v);
    EXPECT_EQ(abc->Neighbor(2), acd);
    ExpectValidTopology(face);
}

TEST(RebuildEdges, SidesInTheSameDirectionLeaveTheFaceCorrupt) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgVertex* c = AddVertex(face, 1, 1);
    MgVertex* d = AddVertex(face, 0, 1);
    MgFacet* abc = AddFacet(face, a, b, c);
    MgFacet* adc = AddFacet(face, a, d, c);
    MgCorner* corner = AddCorner(face, CGeoVector(0, 0, 0));
    EXPECT_FALSE(face->RebuildEdges());
    EXPECT_TRUE(face->Corrupt());
    ASSERT_EQ(face->NumEdges(), 2);
    EXPECT_EQ(Loop(EdgeAt(face, 0)), (std::vector<MgVertex*>{a, b, c}));
    EXPECT_EQ(Loop(EdgeAt(face, 1)), (std::vector<MgVertex*>{a, d, c}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(abc->Neighbor(i) == nullptr && adc->Neighbor(i) == nullptr);
    // the corner is not re-attached; it is kept, detached
    ASSERT_EQ(face->CornerList().size(), 1u);
    EXPECT_EQ(corner->Edge(), nullptr);
    EXPECT_EQ(corner->Vertex(), nullptr);
    ExpectValidTopology(face);
    // the flag stays once set
    face->RebuildEdges();
    EXPECT_TRUE(face->Corrupt());
}

TEST(RebuildEdges, ClosedSurfaceHasNoEdgesAndFullLinks) {
    MgObject object;
    MgFace* face = shapes::Tetrahedron(object);
    EXPECT_TRUE(face->RebuildEdges());
    EXPECT_EQ(face->NumEdges(), 0);
    for (const MgFacet* f : face->FacetList())
        for (int i = 0; i < 3; ++i) {
            const MgFacet* n = f->Neighbor(i);
            ASSERT_NE(n, nullptr);
            // the neighbour holds this side the other way round
            const MgVertex* p = f->Vertex(i);
            const MgVertex* q = f->Vertex((i + 1) % 3);
            int j = 0;
            while (j < 3 && n->Vertex(j) != q)
                ++j;
            ASSERT_LT(j, 3);
            EXPECT_EQ(n->Vertex((j + 1) % 3), p);
            EXPECT_EQ(n->Neighbor(j), f);
        }
    ExpectValidTopology(face);
}

TEST(RebuildEdges, LoopsTouchingAtAVertexLeaveTheFaceCorrupt) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* centre = AddVertex(face, 0, 0);
    AddFacet(face, centre, AddVertex(face, 1, 0), AddVertex(face, 1, 1));
    AddFacet(face, centre, AddVertex(face, -1, 0), AddVertex(face, -1, -1));
    EXPECT_FALSE(face->RebuildEdges());
    EXPECT_TRUE(face->Corrupt());
    EXPECT_EQ(face->NumEdges(), 2);
    EXPECT_EQ(Mark(centre), 2);
    ExpectValidTopology(face);
}

TEST(RebuildEdges, DeletesVerticesNoFacetUses) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    AddVertex(face, 5, 5);
    MgVertex* held = AddVertex(face, 6, 6);
    MgEdge* old = face->NewEdge(); // an old edge is the only holder of this vertex
    old->AddVertex(held);
    EXPECT_EQ(face->NumVertices(), 6);
    EXPECT_TRUE(face->RebuildEdges());
    EXPECT_EQ(face->NumVertices(), 4);
    EXPECT_EQ(face->NumEdges(), 1);
    for (const MgVertex* v : face->VertexList())
        EXPECT_LE(v->Vertex().x, 1);
    ExpectValidTopology(face);
}

TEST(RebuildEdges, MarksCornerVerticesWithOneAndOthersWithZero) {
    MgObject object;
    MgFace* face = shapes::Grid(object, 3, 3);
    for (const MgVertex* v : face->VertexList())
        SetMark(v, 42); // a caller's value is overwritten
    AddCorner(face, CGeoVector(0, 0, 0));
    AddCorner(face, CGeoVector(3, 3, 0));
    EXPECT_TRUE(face->RebuildEdges());
    int ones = 0;
    for (const MgVertex* v : face->VertexList()) {
        EXPECT_TRUE(Mark(v) == 0 || Mark(v) == 1);
        ones += int(Mark(v));
    }
    EXPECT_EQ(ones, 2);
    for (const MgCorner* c : face->CornerList())
        EXPECT_EQ(Mark(c->Vertex()), 1);
}

TEST(RebuildEdges, FacetWithARepeatedVertexGivesALoopOfOneVertex) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgFacet* f = AddFacet(face, a, a, b); // sides a->a, a->b, b->a: the last two meet
    AddCorner(face, CGeoVector(0, 0, 0));
    EXPECT_TRUE(face->RebuildEdges());
    EXPECT_EQ(f->Neighbor(1), f);
    EXPECT_EQ(f->Neighbor(2), f);
    ASSERT_EQ(face->NumEdges(), 1);
    EXPECT_EQ(Loop(face->EdgeList().front()), std::vector<MgVertex*>{a});
    // the second corner lands on the same, single vertex
    ASSERT_EQ(face->CornerList().size(), 2u);
    EXPECT_EQ(CornerAt(face, 0)->Vertex(), a);
    EXPECT_EQ(CornerAt(face, 1)->Vertex(), a);
}

TEST(RebuildEdges, FacetWithoutVerticesIsABadFaceStructure) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    face->NewFacet();
    EXPECT_THROW_TEXT(face->RebuildEdges(), "Bad face structure");
    EXPECT_FALSE(face->Corrupt());
    EXPECT_EQ(face->NumEdges(), 0);
}

TEST(RebuildEdges, DerivedFaceMakesItsItemsThroughItsFactories) {
    MgObject object;
    auto* face = new CountingFace(&object); // owned by the object from here on
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgVertex* c = AddVertex(face, 1, 1);
    AddFacet(face, a, b, c);
    AddFacet(face, a, c, AddVertex(face, 0, 1));
    AddCorner(face, CGeoVector(0, 0, 0));
    EXPECT_EQ(face->facets, 2);
    EXPECT_TRUE(face->RebuildEdges());
    EXPECT_EQ(face->edges, 1);
    EXPECT_EQ(face->corners, 2); // the second corner came from the factory too
    MgEdge* e = face->EdgeList().front();
    face->AddEdgeVertex(a, std::next(e->VertexList().begin()), e, 0.5f, true);
    EXPECT_EQ(face->facets, 3);
    for (const MgFacet* f : face->FacetList())
        EXPECT_NE(dynamic_cast<const CountingFacet*>(f), nullptr);
    ExpectValidTopology(face);
}

// ---- Corners ----

TEST(RebuildCorners, AttachesWithinATenthOfTheToleranceOnly) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    MgCorner* near = AddCorner(face, CGeoVector(1.004f, 0, 0));
    AddCorner(face, CGeoVector(0, 1.006f, 0));
    EXPECT_TRUE(face->RebuildEdges());
    ASSERT_EQ(face->CornerList().size(), 2u); // the far one went, a second one was added
    EXPECT_EQ(CornerAt(face, 0), near);
    EXPECT_EQ(near->Vertex()->Vertex(), CGeoVector(1, 0, 0));
    EXPECT_EQ(near->Position(), CGeoVector(1.004f, 0, 0)); // the position is kept
    EXPECT_EQ(near->Edge(), face->EdgeList().front());
    // a loop of four: the added corner sits two steps on
    EXPECT_EQ(CornerAt(face, 1)->Vertex()->Vertex(), CGeoVector(0, 1, 0));
    EXPECT_EQ(CornerAt(face, 1)->Position(), CGeoVector(0, 1, 0));
    // with a larger tolerance the far one would have stayed
    face->SetGeoTolerance(0.07f);
    AddCorner(face, CGeoVector(1, 1.006f, 0));
    face->RebuildCorners();
    EXPECT_EQ(face->CornerList().size(), 3u);
}

TEST(RebuildCorners, FirstCornerTakesAVertexTheSecondLooksFurther) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 0.003f, 0);
    AddFacet(face, a, b, AddVertex(face, 0, 1));
    MgCorner* first = AddCorner(face, CGeoVector(0.001f, 0, 0));
    MgCorner* second = AddCorner(face, CGeoVector(0.001f, 0, 0));
    MgCorner* third = AddCorner(face, CGeoVector(0.001f, 0, 0));
    EXPECT_TRUE(face->RebuildEdges());
    ASSERT_EQ(face->CornerList().size(), 2u);
    EXPECT_EQ(CornerAt(face, 0), first);
    EXPECT_EQ(CornerAt(face, 1), second);
    EXPECT_EQ(first->Vertex(), a);
    EXPECT_EQ(second->Vertex(), b);
    (void)third; // deleted: nothing free was left near it
}

TEST(RebuildCorners, SecondCornerGoesHalfWayRoundTheLoop) {
    MgObject object;
    MgFace* face = shapes::OpenFan(object, 6);
    ASSERT_TRUE(face->RebuildEdges());
    const std::vector<MgVertex*> rim = Loop(face->EdgeList().front());
    ASSERT_EQ(rim.size(), 6u);
    AddCorner(face, rim[0]->Vertex());
    face->RebuildCorners();
    ASSERT_EQ(face->CornerList().size(), 2u);
    EXPECT_EQ(CornerAt(face, 1)->Vertex(), rim[3]);
    EXPECT_EQ(PlaceOf(CornerAt(face, 1)), 3);

    delete CornerAt(face, 1);
    CornerAt(face, 0)->SetPosition(rim[4]->Vertex());
    face->RebuildCorners();
    ASSERT_EQ(face->CornerList().size(), 2u);
    EXPECT_EQ(CornerAt(face, 0)->Vertex(), rim[4]);
    EXPECT_EQ(CornerAt(face, 1)->Vertex(), rim[1]); // wrapped round

    // two corners already: nothing is added
    face->RebuildCorners();
    EXPECT_EQ(face->CornerList().size(), 2u);
}

TEST(RebuildCorners, LoopOfTwoGetsItsOtherVertex) {
    MgObject object;
    MgFace* face = object.NewFace();
    MgVertex* a = AddVertex(face, 0, 0);
    MgVertex* b = AddVertex(face, 1, 0);
    MgEdge* e = face->NewEdge();
    e->AddVertex(a);
    e->AddVertex(b);
    AddCorner(face, CGeoVector(1, 0, 0));
    face->RebuildCorners();
    ASSERT_EQ(face->CornerList().size(), 2u);
    EXPECT_EQ(CornerAt(face, 0)->Vertex(), b);
    EXPECT_EQ(CornerAt(face, 1)->Vertex(), a);
}

TEST(RebuildCorners, WithoutEdgesEveryCornerGoes) {
    MgObject object;
    MgFace* face = shapes::Tetrahedron(object);
    AddCorner(face, CGeoVector(0, 0, 0));
    AddCorner(face, CGeoVector(1, 0, 0));
    EXPECT_TRUE(face->RebuildEdges());
    EXPECT_TRUE(face->CornerList().empty());
}

TEST(RebuildCorners, OddTolerancesBehaveLikeTheComparison) {
    MgObject object;
    MgFace* face = shapes::Grid(object, 4, 1);
    ASSERT_TRUE(face->RebuildEdges());
    const std::vector<MgVertex*> loop = Loop(face->EdgeList().front());
    struct Case {
        float tolerance;
        std::size_t corners;
    };
    // nothing is below a zero, negative or NaN radius; everything finite is below infinity
    for (const Case c : {Case{0, 0}, Case{-1, 0}, Case{kNaN, 0}, Case{kInf, 2}, Case{1e30f, 2}}) {
        SCOPED_TRACE(c.tolerance);
        face->SetGeoTolerance(c.tolerance);
        AddCorner(face, CGeoVector(3, 1, 0));
        AddCorner(face, CGeoVector(kNaN, 0, 0));
        AddCorner(face, CGeoVector(100, 100, 0));
        AddCorner(face, CGeoVector(-kInf, 0, 0));
        face->RebuildCorners();
        ASSERT_EQ(face->CornerList().size(), c.corners);
        if (c.corners) { // the first free vertices of the loop, whatever the distance
            EXPECT_EQ(CornerAt(face, 0)->Vertex(), loop[0]);
            EXPECT_EQ(CornerAt(face, 1)->Vertex(), loop[1]);
        }
        while (!face->CornerList().empty())
            delete face->CornerList().front();
    }
}

// ---- Boundary refinement ----

TEST(AddEdgeVertex, ForwardAtTheFrontInsertsAtTheFront) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    ASSERT_TRUE(face->RebuildEdges());
    MgEdge* e = face->EdgeList().front();
    const std::vector<MgVertex*> before = Loop(e); // a, b, c, d
    AddCorner(face, before[0]->Vertex());
    face->RebuildCorners();
    const MgCorner* corner = CornerAt(face, 0);
    auto at = e->VertexList().begin();
    auto made = face->AddEdgeVertex(before.back(), at, e, 0.25f, true); // d -> a
    EXPECT_EQ(made, e->VertexList().begin());
    EXPECT_EQ((*made)->Vertex(), CGeoVector(0, 0.75f, 0));
    EXPECT_EQ((*made)->RefCount(), 3); // two facets and the edge
    EXPECT_EQ(e->VertexList().size(), 5u);
    EXPECT_EQ(corner->Vertex(), before[0]); // positions elsewhere stay valid
    EXPECT_EQ(face->NumFacets(), 3);
    ExpectValidTopology(face);
    // the loop still follows the facets: a rebuild gives the same cycle
    const std::vector<MgVertex*> after = Loop(e);
    ASSERT_TRUE(face->RebuildEdges());
    std::vector<MgVertex*> rebuilt = Loop(face->EdgeList().front());
    EXPECT_EQ(std::vector<MgVertex*>(after.begin() + 1, after.end()),
              std::vector<MgVertex*>(rebuilt.begin(), rebuilt.end() - 1));
}

TEST(AddEdgeVertex, BackwardAtTheLastPositionAppends) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    ASSERT_TRUE(face->RebuildEdges());
    MgEdge* e = face->EdgeList().front();
    const std::vector<MgVertex*> before = Loop(e);
    auto last = std::prev(e->VertexList().end());
    // d is the last vertex, a comes after it: from a back to d, a quarter of the way
    auto made = face->AddEdgeVertex(before[0], last, e, 0.25f, false);
    EXPECT_EQ(made, std::prev(e->VertexList().end()));
    EXPECT_EQ((*made)->Vertex(), CGeoVector(0, 0.25f, 0));
    EXPECT_EQ(Loop(e).front(), before[0]);
    ExpectValidTopology(face);
}

TEST(AddEdgeVertex, InteriorSideSplitsBothFacets) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    ASSERT_TRUE(face->RebuildEdges());
    MgEdge* e = face->EdgeList().front();
    // a and c are not neighbours along the loop, but a facet has the side a -> c
    const std::vector<MgVertex*> v = Loop(e);
    auto made = face->AddEdgeVertex(v[0], std::next(e->VertexList().begin(), 2), e, 0.5f, true);
    EXPECT_EQ((*made)->RefCount(), 5);
    EXPECT_EQ(face->NumFacets(), 4);
    ExpectValidTopology(face);
}

TEST(AddEdgeVertex, VerticesWithoutSuchASideAreRefused) {
    MgObject object;
    MgFace* face = shapes::TwoFacetSquare(object);
    ASSERT_TRUE(face->RebuildEdges());
    MgEdge* e = face->EdgeList().front();
    const std::vector<MgVertex*> v = Loop(e);
    const unsigned before = face->ChangeIndex();
    // b -> a runs against the facets
    EXPECT_THROW_TEXT(face->AddEdgeVertex(v[1], e->VertexList().begin(), e, 0.5f, true),
                      "Vertices are not on an edge");
    EXPECT_THROW_TEXT(face->AddEdgeVertex(v[0], std::next(e->VertexList().begin()), e, 0.5f, false),
                      "Vertices are not on an edge");
    EXPECT_THROW_TEXT(face->AddEdgeVertex(nullptr, e->VertexList().begin(), e, 0.5f, true),
                      "Vertices are not on an edge");
    EXPECT_THROW_TEXT(face->AddEdgeVertex(v[0], e->VertexList().end(), e, 0.5f, true),
                      "Vertices are not on an edge");
    EXPECT_EQ(face->ChangeIndex(), before);
    EXPECT_EQ(face->NumFacets(), 2);
}

// ---- The indexed searches against the walks ----

TEST(EdgeBuildingWalks, RandomSmallFacesAgree) {
    std::mt19937 rng(20240607);
    for (int round = 0; round < 4000; ++round) {
        SCOPED_TRACE(round);
        CompareRebuilds(RandomMesh(rng));
        if (HasFatalFailure())
            return;
    }
}

TEST(EdgeBuildingWalks, RandomCornersOnCrowdedEdgesAgree) {
    std::mt19937 rng(77);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        const Recipe recipe = RandomCorners(rng);
        MgObject object;
        MgFace* got = Build(object, recipe);
        MgFace* want = Build(object, recipe);
        got->RebuildCorners();
        literal::RebuildCorners(want);
        ExpectSameFace(got, want);
        if (HasFatalFailure())
            return;
    }
}

TEST(EdgeBuildingWalks, GridsWithHolesAndCornersAgree) {
    std::mt19937 rng(5);
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE(round);
        Recipe r;
        const int nx = 2 + int(rng() % 12), ny = 2 + int(rng() % 12);
        for (int j = 0; j <= ny; ++j)
            for (int i = 0; i <= nx; ++i)
                r.points.push_back(CGeoVector(float(i) * 0.006f, float(j) * 0.006f, 0));
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i) {
                if (rng() % 6 == 0)
                    continue; // a hole, possibly touching others
                const int p = j * (nx + 1) + i;
                r.facets.push_back({p, p + 1, p + nx + 2});
                r.facets.push_back({p, p + nx + 2, p + nx + 1});
            }
        std::shuffle(r.facets.begin(), r.facets.end(), rng);
        for (int k = int(rng() % 30); k > 0; --k)
            r.corners.push_back(Near(rng, r.points[rng() % r.points.size()], 0.005f));
        r.tolerance = rng() % 2 ? 0.05f : PickTolerance(rng);
        CompareRebuilds(r);
        if (HasFatalFailure())
            return;
    }
}
