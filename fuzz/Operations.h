// The operation fuzzer: fuzz bytes decoded into a sequence of model operations on a few small
// faces, with the model's invariants checked after every step.
//
// Only calls within the library's contract are made: splits on facets that hold three
// vertices, with a fresh vertex of the same face where a vertex is given; Unsplit either with a
// record whose facets still stand as the split left them, or with facets of the same face for
// which the undo's own checks must refuse; AddEdgeVertex with a vertex and its neighbour along
// a loop; vertices deleted only when nothing references them; and a corner's edge detached
// before that edge is deleted by hand, as a host would.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Builders.h"
#include "ByteReader.h"
#include "Invariants.h"
#include "RoundTrip.h"

namespace mgfuzz {

class OperationFuzzer {
public:
    OperationFuzzer(const std::uint8_t* data, std::size_t size) : m_in(data, size) {}

    void Run() {
        Setup();
        CheckAll();
        Dump();
        for (int step = 0; step < kMaxSteps && !m_in.Empty(); ++step) {
            const Snapshot before = TakeSnapshot();
            const int op = m_in.Byte() % kOperations;
            Trace("op " + std::to_string(op));
            Apply(op);
            Dump();
            Sweep();
            CheckAll();
            CheckForward(before);
        }
    }

private:
    static constexpr int kMaxSteps = 96;
    static constexpr int kMaxFacets = 600;
    static constexpr std::size_t kMaxFaces = 16;
    static constexpr std::size_t kMaxObjects = 4;
    static constexpr int kOperations = 26;

    using Slots = std::array<MgVertex*, 3>;

    // What Split made, and how the facets stood right after it.
    struct SplitRecord {
        MgFace* face;
        MgFacet *f, *g, *n, *h;
        MgVertex* v;
        int side, neighborSide;
        Slots fBefore, nBefore;               // before the split
        Slots fAfter, gAfter, nAfter, hAfter; // right after it
    };

    struct Snapshot {
        std::unordered_map<const MgObject*, unsigned> objects;
        struct FaceState {
            unsigned index;
            std::array<std::size_t, 4> counts;
        };
        std::unordered_map<const MgFace*, FaceState> faces;
    };

    static std::string Position(const MgFace* face, const MgFacet* f) {
        const auto it = std::find(face->FacetList().begin(), face->FacetList().end(), f);
        return std::to_string(std::distance(face->FacetList().begin(), it));
    }

    static Slots SlotsOf(const MgFacet* f) { return {f->Vertex(0), f->Vertex(1), f->Vertex(2)}; }

    // --- tracing: with MGFUZZ_TRACE set, every step and the model after it go to stderr ---

    void Trace(const std::string& text) const {
        if (m_trace)
            std::fprintf(stderr, "%s\n", text.c_str());
    }

    // Each face as its facets: vertex numbers, then neighbour numbers (- for none, ? for a
    // pointer that is not a facet of the face), then edges and corners.
    void Dump() const {
        if (!m_trace)
            return;
        int faceNumber = 0;
        for (const auto& o : m_objects) {
            std::fprintf(stderr, " object %p\n", static_cast<const void*>(o.get()));
            for (const MgFace* face : o->FaceList()) {
                std::unordered_map<const MgVertex*, int> vn;
                std::unordered_map<const MgFacet*, int> fn;
                for (const MgVertex* v : face->VertexList())
                    vn.emplace(v, static_cast<int>(vn.size()));
                for (const MgFacet* f : face->FacetList())
                    fn.emplace(f, static_cast<int>(fn.size()));
                auto name = [](const auto& map, const auto* p) {
                    if (!p)
                        return std::string("-");
                    const auto it = map.find(p);
                    return it == map.end() ? std::string("?") : std::to_string(it->second);
                };
                std::string text = "  face " + std::to_string(faceNumber++) + " id " +
                                   std::to_string(face->GeoFaceId()) + ":";
                for (const MgFacet* f : face->FacetList())
                    text += " [" + name(vn, f->Vertex(0)) + " " + name(vn, f->Vertex(1)) + " " +
                            name(vn, f->Vertex(2)) + " | " + name(fn, f->Neighbor(0)) + " " +
                            name(fn, f->Neighbor(1)) + " " + name(fn, f->Neighbor(2)) + "]";
                for (const MgEdge* e : face->EdgeList()) {
                    text += " edge(";
                    for (const MgVertex* v : e->VertexList())
                        text += " " + name(vn, v);
                    text += ")";
                }
                text += " corners " + std::to_string(face->CornerList().size());
                std::fprintf(stderr, "%s\n", text.c_str());
            }
        }
    }

    // --- picking --------------------------------------------------------------------------

    std::vector<MgFace*> Faces() const {
        std::vector<MgFace*> faces;
        for (const auto& o : m_objects)
            faces.insert(faces.end(), o->FaceList().begin(), o->FaceList().end());
        return faces;
    }
    int TotalFacets() const {
        int n = 0;
        for (const auto& o : m_objects)
            n += o->NumFacets();
        return n;
    }
    MgObject* PickObject() {
        return m_objects.empty() ? nullptr : m_objects[m_in.Index(m_objects.size())].get();
    }
    MgFace* PickFace() {
        const std::vector<MgFace*> faces = Faces();
        return faces.empty() ? nullptr : faces[m_in.Index(faces.size())];
    }
    template <class List> static typename List::value_type Nth(const List& list, std::size_t i) {
        return *std::next(list.begin(), static_cast<std::ptrdiff_t>(i));
    }
    MgFacet* PickFacet(MgFace* face) {
        if (!face || face->FacetList().empty())
            return nullptr;
        return Nth(face->FacetList(), m_in.Index(face->FacetList().size()));
    }
    float PickT() {
        static const float ts[] = {0.5f, 0.25f, 0.0f, 1.0f, 1.5f, -0.5f};
        const std::uint8_t mode = m_in.Byte();
        return mode < 192 ? ts[mode % 6] : m_in.Float();
    }
    CGeoVector PickPoint() { return CGeoVector(m_in.Float(), m_in.Float(), m_in.Float()); }
    float PickTolerance() {
        static const float tolerances[] = {0.05f, 0.5f, 0.0f, 0.001f, 2.0f, -1.0f};
        const std::uint8_t mode = m_in.Byte();
        return mode < 224 ? tolerances[mode % 6] : m_in.Float();
    }

    // --- set-up ---------------------------------------------------------------------------

    void AddShape(MgObject& object) {
        ShapeParams p;
        p.shape = static_cast<Shape>(m_in.Byte() % static_cast<int>(Shape::Count));
        p.nx = m_in.Range(1, 3);
        p.ny = m_in.Range(1, 3);
        static const float offsets[] = {0.0f, 0.5f, 1.0f, 3.0f};
        p.offset = CGeoVector(offsets[m_in.Byte() % 4], offsets[m_in.Byte() % 4], 0);
        p.bump = m_in.Bool() ? 0.0f : 0.25f;
        MgFace* face = BuildShape(object, p);
        face->SetGeoFaceId(m_in.Range(0, 3));
        face->SetGeoTolerance(PickTolerance());
        if (m_in.Byte() % 4 != 0)
            Rebuild(face);
        for (int c = m_in.Range(0, 3); c > 0; --c)
            AddCorner(face);
    }

    void Setup() {
        for (int o = m_in.Range(1, 2); o > 0; --o) {
            m_objects.emplace_back(new MgObject());
            for (int f = m_in.Range(1, 3); f > 0; --f)
                AddShape(*m_objects.back());
        }
    }

    // --- checks ---------------------------------------------------------------------------

    void CheckAll() const {
        for (const auto& o : m_objects)
            CheckObject(*o);
    }

    Snapshot TakeSnapshot() const {
        Snapshot s;
        for (const auto& o : m_objects) {
            s.objects[o.get()] = o->ChangeIndex();
            for (const MgFace* f : o->FaceList())
                s.faces[f] = {f->ChangeIndex(),
                              {f->VertexList().size(), f->FacetList().size(), f->EdgeList().size(),
                               f->CornerList().size()}};
        }
        return s;
    }

    // Change indices only move forward, and a face whose lists changed has moved on.
    void CheckForward(const Snapshot& before) const {
        for (const auto& o : m_objects) {
            const auto it = before.objects.find(o.get());
            if (it != before.objects.end())
                MGFUZZ_CHECK(o->ChangeIndex() >= it->second, "object change index went back");
            for (const MgFace* f : o->FaceList()) {
                const auto was = before.faces.find(f);
                if (was == before.faces.end())
                    continue;
                MGFUZZ_CHECK(f->ChangeIndex() >= was->second.index, "face change index went back");
                const std::array<std::size_t, 4> counts = {
                    f->VertexList().size(), f->FacetList().size(), f->EdgeList().size(),
                    f->CornerList().size()};
                if (counts != was->second.counts)
                    MGFUZZ_CHECK(f->ChangeIndex() != was->second.index,
                                 "a face's items changed without a change of its index");
            }
        }
    }

    // Forgets split records whose facets are gone or have left their face.
    void Sweep() {
        std::unordered_map<const MgFace*, std::unordered_set<const MgFacet*>> live;
        for (MgFace* face : Faces())
            live[face].insert(face->FacetList().begin(), face->FacetList().end());
        auto dead = [&](const SplitRecord& r) {
            const auto it = live.find(r.face);
            if (it == live.end())
                return true;
            for (const MgFacet* x : {r.f, r.g, r.n, r.h})
                if (x && !it->second.count(x))
                    return true;
            return false;
        };
        m_records.erase(std::remove_if(m_records.begin(), m_records.end(), dead), m_records.end());
    }

    // After a good edge rebuild: every vertex is used by a facet, every corner sits on an
    // edge, and the vertex marks are 1 on corner vertices and 0 on all others.
    static void CheckRebuilt(const MgFace* face) {
        std::unordered_set<const MgVertex*> used, cornered;
        for (const MgFacet* f : face->FacetList())
            for (int i = 0; i < 3; ++i)
                used.insert(f->Vertex(i));
        for (const MgCorner* c : face->CornerList()) {
            MGFUZZ_CHECK(c->Edge(), "a corner left off the edges by a good rebuild");
            cornered.insert(c->Vertex());
        }
        for (const MgVertex* v : face->VertexList()) {
            MGFUZZ_CHECK(used.count(v), "a vertex no facet uses survived the edge rebuild");
            const std::intptr_t mark = reinterpret_cast<std::intptr_t>(v->AuxData());
            MGFUZZ_CHECK(mark == (cornered.count(v) ? 1 : 0), "vertex mark after the rebuild");
        }
    }

    // Bad face structure cannot come from facets that all hold three vertices.
    static bool Rebuild(MgFace* face) {
        bool good = false;
        try {
            good = face->RebuildEdges();
        } catch (const char* message) {
            Fail(std::string("edge rebuild threw ") + message);
        }
        MGFUZZ_CHECK(good || face->Corrupt(), "a failed edge rebuild leaves the face corrupt");
        if (good)
            CheckRebuilt(face);
        return good;
    }

    static bool Is(const char* message, const char* text) {
        return std::strcmp(message, text) == 0;
    }

    // --- the operations -------------------------------------------------------------------

    void Apply(int op) {
        switch (op) {
        case 0:
        case 1:
            return SplitOp(op == 1);
        case 2:
        case 3:
            return SplitSubDivOp(op == 3);
        case 4:
            return UnsplitRightOp();
        case 5:
            return UnsplitWrongOp();
        case 6:
            return AddEdgeVertexOp();
        case 7:
            if (MgFace* face = PickFace())
                Rebuild(face);
            return;
        case 8:
            return RebuildCornersOp();
        case 9:
            return CopyFaceOp();
        case 10:
            return CopyObjectOp();
        case 11:
            return FaceAddToOp();
        case 12:
            return ObjectAddToOp();
        case 13:
            if (MgFace* face = PickFace())
                face->MoveTo(PickObject());
            return;
        case 14:
            return ReverseOp();
        case 15:
            if (MgFacet* f = PickFacet(PickFace()))
                delete f;
            return;
        case 16:
            return DeleteEdgeOp();
        case 17:
            if (MgFace* face = PickFace())
                if (!face->CornerList().empty())
                    delete Nth(face->CornerList(), m_in.Index(face->CornerList().size()));
            return;
        case 18:
            return VertexOp();
        case 19:
            if (MgFace* face = PickFace())
                delete face;
            return;
        case 20:
            if (MgObject* object = PickObject())
                object->RemoveFaceId(m_in.Range(0, 4));
            return;
        case 21:
            return ObjectOp();
        case 22:
            if (MgFace* face = PickFace())
                AddCorner(face);
            return;
        case 23:
            if (MgFace* face = PickFace())
                face->SetGeoTolerance(PickTolerance());
            return;
        case 24:
            return RoundTripOp();
        default:
            return NewShapeOp();
        }
    }

    void SplitOp(bool withVertex) {
        MgFace* face = PickFace();
        MgFacet* f = PickFacet(face);
        if (!f || TotalFacets() >= kMaxFacets)
            return;
        const int side = m_in.Range(0, 2);
        Trace(" Split facet " + Position(face, f) + " side " + std::to_string(side));
        MgFacet* n = f->Neighbor(side);
        const Slots fBefore = SlotsOf(f);
        const Slots nBefore = n ? SlotsOf(n) : Slots{};
        const bool mutual = LinksSimple(face);
        MgTwoFacets made{};
        try {
            if (withVertex) {
                const float uv[2] = {m_in.Float(), m_in.Float()};
                MgVertex* v = face->AddVertex(PickPoint(), PickPoint(), uv);
                made = f->Split(side, v);
            } else {
                made = f->Split(side, PickT());
            }
        } catch (const char* message) {
            MGFUZZ_CHECK(Is(message, "Bad facet structure"), std::string("Split threw ") + message);
            MGFUZZ_CHECK(n, "Bad facet structure without a neighbour");
            return;
        }
        MGFUZZ_CHECK(made.first && (made.second != nullptr) == (n != nullptr), "Split's record");
        if (n == f)
            return; // a facet linked to itself across the side: no undo is tried
        MgVertex* v = f->Vertex((side + 1) % 3);
        MGFUZZ_CHECK(v->RefCount() == (n ? 4 : 2), "the made vertex's references");
        if (mutual)
            MGFUZZ_CHECK(LinksMutual(face), "links after Split are not mutual");
        m_records.push_back({face, f, made.first, n, made.second, v, side, made.neighborSide,
                             fBefore, nBefore, SlotsOf(f), SlotsOf(made.first),
                             n ? SlotsOf(n) : Slots{},
                             made.second ? SlotsOf(made.second) : Slots{}});
    }

    void SplitSubDivOp(bool withVertex) {
        MgFace* face = PickFace();
        MgFacet* f = PickFacet(face);
        if (!f || TotalFacets() >= kMaxFacets)
            return;
        const int side = m_in.Range(0, 2);
        Trace(" SplitSubDiv facet " + Position(face, f) + " side " + std::to_string(side));
        MgFacet* n = f->Neighbor(side);
        const bool mutual = LinksSimple(face);
        MgFourFacetsSubDiv made{};
        try {
            if (withVertex) {
                const float uv[2] = {0, 0};
                MgVertex* v = face->AddVertex(PickPoint(), CGeoVector(0, 0, 1), uv);
                made = f->SplitSubDiv(side, v);
            } else {
                made = f->SplitSubDiv(side, PickT());
            }
        } catch (const char* message) {
            MGFUZZ_CHECK(Is(message, "Bad facet structure"),
                         std::string("SplitSubDiv threw ") + message);
            return;
        }
        MGFUZZ_CHECK(made.count == (n ? 3 : 1) && made.facets[0] &&
                         (n ? made.facets[1] && made.facets[2] == n : !made.facets[1]),
                     "SplitSubDiv's record");
        if (mutual)
            MGFUZZ_CHECK(LinksMutual(face), "links after SplitSubDiv are not mutual");
    }

    // A record whose facets stand as its split left them: undone exactly, or refused as
    // dependent when the made vertex has gained references.
    void UnsplitRightOp() {
        if (m_records.empty())
            return;
        const std::size_t at = m_in.Index(m_records.size());
        const SplitRecord r = m_records[at];
        if (SlotsOf(r.f) != r.fAfter || SlotsOf(r.g) != r.gAfter ||
            (r.n && (SlotsOf(r.n) != r.nAfter || SlotsOf(r.h) != r.hAfter)))
            return;
        const bool dependent = r.v->RefCount() != (r.n ? 4 : 2);
        const unsigned index = r.face->ChangeIndex();
        const std::size_t facets = r.face->FacetList().size();
        const bool mutual = LinksSimple(r.face);
        // the halves of the cut side still link across it, so the undo links F and N again
        const bool halvesLinked =
            r.n && r.g->Neighbor(r.side) == r.n && r.h->Neighbor(r.neighborSide) == r.f;
        try {
            r.f->Unsplit(r.g, r.n, r.h);
        } catch (const char* message) {
            MGFUZZ_CHECK(dependent && Is(message, "Cannot unsplit if dependes on other splits"),
                         std::string("Unsplit of a standing split threw ") + message);
            MGFUZZ_CHECK(r.face->ChangeIndex() == index, "a refused Unsplit changed the face");
            return;
        }
        MGFUZZ_CHECK(!dependent, "Unsplit of a dependent split went through");
        m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(at));
        MGFUZZ_CHECK(r.face->FacetList().size() == facets - (r.n ? 2 : 1), "Unsplit's facets");
        MGFUZZ_CHECK(SlotsOf(r.f) == r.fBefore && (!r.n || SlotsOf(r.n) == r.nBefore),
                     "Unsplit did not restore the vertices");
        if (halvesLinked)
            MGFUZZ_CHECK(r.f->Neighbor(0) == r.n || r.f->Neighbor(1) == r.n ||
                             r.f->Neighbor(2) == r.n,
                         "Unsplit did not link the facet and its neighbour again");
        for (const MgVertex* v : r.face->VertexList())
            MGFUZZ_CHECK(v != r.v, "the made vertex survived Unsplit");
        if (mutual)
            MGFUZZ_CHECK(LinksMutual(r.face), "links after Unsplit are not mutual");
    }

    // Facets of one face for which the undo's checks must refuse: no slot-aligned shared
    // vertex, or a vertex there whose reference count is not the split's.
    void UnsplitWrongOp() {
        MgFace* face = PickFace();
        MgFacet* f = PickFacet(face);
        MgFacet* g = PickFacet(face);
        if (!f || !g || f == g)
            return;
        MgFacet* n = m_in.Bool() ? PickFacet(face) : nullptr;
        MgFacet* h = m_in.Bool() ? PickFacet(face) : nullptr;
        if (n == g || h == g)
            return;
        int k = 0;
        while (k < 3 && f->Vertex(k) != g->Vertex(k))
            ++k;
        const char* expected = "Cannot unsplit unless facet was originally split by MgFacet::Split";
        if (k < 3) {
            const MgVertex* made = f->Vertex((k + 2) % 3);
            if (!made || made->RefCount() == (n ? 4 : 2))
                return; // the undo would go ahead
            expected = "Cannot unsplit if dependes on other splits";
        }
        const unsigned index = face->ChangeIndex();
        const Slots fSlots = SlotsOf(f), gSlots = SlotsOf(g);
        try {
            f->Unsplit(g, n, h);
        } catch (const char* message) {
            MGFUZZ_CHECK(Is(message, expected), std::string("Unsplit threw ") + message);
            MGFUZZ_CHECK(face->ChangeIndex() == index && SlotsOf(f) == fSlots &&
                             SlotsOf(g) == gSlots,
                         "a refused Unsplit changed the face");
            return;
        }
        Fail(std::string("Unsplit went through; expected ") + expected);
    }

    void AddEdgeVertexOp() {
        MgFace* face = PickFace();
        if (!face || face->EdgeList().empty() || TotalFacets() >= kMaxFacets)
            return;
        MgEdge* edge = Nth(face->EdgeList(), m_in.Index(face->EdgeList().size()));
        const MgVertexList& list = edge->VertexList();
        if (list.empty())
            return;
        const bool forward = m_in.Bool();
        const float t = PickT();
        const auto at =
            std::next(list.begin(), static_cast<std::ptrdiff_t>(m_in.Index(list.size())));
        // the vertex before `at` along the loop when forward, the one after it otherwise
        MgVertex* vertex = nullptr;
        if (forward)
            vertex = at == list.begin() ? list.back() : *std::prev(at);
        else
            vertex = std::next(at) == list.end() ? list.front() : *std::next(at);
        MgVertex* w = *at;
        const int s = forward ? 1 : 2;
        MgFacet* found = nullptr;
        int slot = 0;
        for (MgFacet* f : face->FacetList()) {
            for (int i = 0; i < 3 && !found; ++i)
                if (f->Vertex(i) == vertex && f->Vertex((i + s) % 3) == w) {
                    found = f;
                    slot = i;
                }
            if (found)
                break;
        }
        const unsigned index = face->ChangeIndex();
        MgVertexList::const_iterator made;
        try {
            made = face->AddEdgeVertex(vertex, at, edge, t, forward);
        } catch (const char* message) {
            if (!found) {
                MGFUZZ_CHECK(Is(message, "Vertices are not on an edge"),
                             std::string("AddEdgeVertex threw ") + message);
                MGFUZZ_CHECK(face->ChangeIndex() == index,
                             "a refused AddEdgeVertex changed things");
            } else {
                MGFUZZ_CHECK(Is(message, "Bad facet structure"),
                             std::string("AddEdgeVertex threw ") + message);
            }
            return;
        }
        MGFUZZ_CHECK(found, "AddEdgeVertex found a facet the walk did not");
        MgVertex* v = found->Vertex(forward ? (slot + 1) % 3 : slot);
        MGFUZZ_CHECK(*made == v, "AddEdgeVertex returned another vertex than it made");
        const auto before = made == list.begin() ? std::prev(list.end()) : std::prev(made);
        const auto after = std::next(made) == list.end() ? list.begin() : std::next(made);
        MGFUZZ_CHECK(forward ? *before == vertex && *after == w : *before == w && *after == vertex,
                     "AddEdgeVertex put the vertex elsewhere");
    }

    void RebuildCornersOp() {
        MgFace* face = PickFace();
        if (!face)
            return;
        face->RebuildCorners();
        for (const MgCorner* c : face->CornerList())
            MGFUZZ_CHECK(c->Edge(), "a corner off the edges after RebuildCorners");
    }

    // Into a new face, or into another face that has items already.
    void CopyFaceOp() {
        MgFace* source = PickFace();
        if (!source || TotalFacets() + source->NumFacets() > kMaxFacets ||
            Faces().size() >= kMaxFaces)
            return;
        MgFace* target = m_in.Bool() ? PickFace() : nullptr;
        if (target == source)
            return;
        const bool fresh = target == nullptr;
        if (fresh)
            target = PickObject()->NewFace();
        try {
            target->CopyFace(source);
        } catch (const char* message) {
            MGFUZZ_CHECK(Is(message, "Bad face structure"),
                         std::string("CopyFace threw ") + message);
            if (fresh)
                delete target;
            else
                DropBrokenFacets(target);
            return;
        }
        MGFUZZ_CHECK(target->GeoFaceId() == source->GeoFaceId(), "copied face id");
        if (!fresh)
            return;
        MGFUZZ_CHECK(target->NumFacets() == source->NumFacets() &&
                         target->NumEdges() == source->NumEdges(),
                     "copied items");
        auto copy = target->FacetList().begin();
        for (const MgFacet* f : source->FacetList()) {
            const MgFacet* c = *copy++;
            for (int i = 0; i < 3; ++i) {
                const CGeoVector& p = f->Vertex(i)->Vertex();
                const CGeoVector& q = c->Vertex(i)->Vertex();
                // positions are matched exactly, so a zero may come back with the other sign
                MGFUZZ_CHECK(p == q || SameBits(p, q), "copied facet positions");
            }
        }
    }

    // A copy that failed part way leaves a facet with empty vertex slots; moving, splitting or
    // edging such a facet is outside the contract, so the host deletes it.
    static void DropBrokenFacets(MgFace* face) {
        std::vector<MgFacet*> broken;
        for (MgFacet* f : face->FacetList())
            if (!f->Vertex(0) || !f->Vertex(1) || !f->Vertex(2))
                broken.push_back(f);
        for (MgFacet* f : broken)
            delete f;
    }

    void CopyObjectOp() {
        MgObject* source = PickObject();
        MgObject* target = PickObject();
        if (!source || TotalFacets() + source->NumFacets() > kMaxFacets ||
            Faces().size() + source->FaceList().size() > kMaxFaces)
            return;
        const std::size_t faces = target->FaceList().size(), added = source->FaceList().size();
        try {
            target->CopyObject(source);
        } catch (const char* message) {
            MGFUZZ_CHECK(Is(message, "Bad face structure"),
                         std::string("CopyObject threw ") + message);
            DropBrokenFacets(target->FaceList().back());
            return;
        }
        MGFUZZ_CHECK(target->FaceList().size() == faces + added, "copied faces");
    }

    void FaceAddToOp() {
        MgFace* source = PickFace();
        MgFace* target = PickFace();
        if (!source || !target)
            return;
        if (source == target) {
            const unsigned index = source->ChangeIndex();
            source->AddTo(source);
            MGFUZZ_CHECK(source->ChangeIndex() == index, "AddTo itself changed things");
            return;
        }
        const int facets = source->NumFacets() + target->NumFacets();
        try {
            source->AddTo(target);
        } catch (const char* message) {
            Fail(std::string("MgFace::AddTo threw ") + message);
        }
        MGFUZZ_CHECK(target->NumFacets() == facets, "facets after AddTo");
        if (target->Corrupt())
            return;
        CheckRebuilt(target);
    }

    void ObjectAddToOp() {
        if (m_objects.empty())
            return;
        const std::size_t from = m_in.Index(m_objects.size());
        const std::size_t to = m_in.Index(m_objects.size());
        if (from == to) {
            const unsigned index = m_objects[from]->ChangeIndex();
            m_objects[from]->AddTo(m_objects[from].get());
            MGFUZZ_CHECK(m_objects[from]->ChangeIndex() == index, "AddTo itself changed things");
            return;
        }
        MgObject* target = m_objects[to].get();
        const std::size_t faces = target->FaceList().size() + m_objects[from]->FaceList().size();
        m_objects[from].release()->AddTo(target);
        m_objects.erase(m_objects.begin() + static_cast<std::ptrdiff_t>(from));
        MGFUZZ_CHECK(target->FaceList().size() == faces, "faces after MgObject::AddTo");
    }

    // Once, or twice with the face as it was afterwards.
    void ReverseOp() {
        if (m_in.Bool()) {
            if (MgObject* object = PickObject())
                object->Reverse();
            return;
        }
        MgFace* face = PickFace();
        if (!face)
            return;
        std::vector<Slots> facets;
        for (const MgFacet* f : face->FacetList())
            facets.push_back(SlotsOf(f));
        std::vector<std::vector<MgVertex*>> edges;
        for (const MgEdge* e : face->EdgeList())
            edges.emplace_back(e->VertexList().begin(), e->VertexList().end());
        std::vector<CGeoVector> normals;
        for (const MgVertex* v : face->VertexList())
            normals.push_back(v->Normal());
        face->Reverse();
        if (m_in.Bool())
            return;
        face->Reverse();
        std::size_t i = 0;
        for (const MgFacet* f : face->FacetList())
            MGFUZZ_CHECK(SlotsOf(f) == facets[i++], "Reverse twice changed a facet");
        i = 0;
        for (const MgEdge* e : face->EdgeList()) {
            const std::vector<MgVertex*>& was = edges[i++];
            MGFUZZ_CHECK(
                std::equal(e->VertexList().begin(), e->VertexList().end(), was.begin(), was.end()),
                "Reverse twice changed an edge");
        }
        i = 0;
        for (const MgVertex* v : face->VertexList())
            MGFUZZ_CHECK(SameBits(v->Normal(), normals[i++]), "Reverse twice changed a normal");
    }

    // The host detaches the corners on an edge before deleting it.
    void DeleteEdgeOp() {
        MgFace* face = PickFace();
        if (!face || face->EdgeList().empty())
            return;
        MgEdge* edge = Nth(face->EdgeList(), m_in.Index(face->EdgeList().size()));
        for (MgCorner* c : face->CornerList())
            if (c->Edge() == edge)
                c->SetEdgeIter(nullptr, MgVertexList::const_iterator());
        delete edge;
    }

    // Deletes a vertex that nothing references, or adds one.
    void VertexOp() {
        MgFace* face = PickFace();
        if (!face)
            return;
        if (m_in.Bool()) {
            const float uv[2] = {0, 0};
            face->AddVertex(PickPoint(), CGeoVector(0, 0, 1), uv);
            return;
        }
        for (MgVertex* v : face->VertexList())
            if (v->RefCount() == 0) {
                delete v;
                return;
            }
    }

    void ObjectOp() {
        if (m_in.Bool() && m_objects.size() < kMaxObjects) {
            m_objects.emplace_back(new MgObject());
            return;
        }
        if (!m_objects.empty())
            m_objects.erase(m_objects.begin() +
                            static_cast<std::ptrdiff_t>(m_in.Index(m_objects.size())));
    }

    // At a vertex, a little off one, or anywhere.
    void AddCorner(MgFace* face) {
        CGeoVector p;
        const std::uint8_t mode = m_in.Byte();
        if (mode < 200 && !face->VertexList().empty()) {
            static const float offsets[] = {0.0f, 0.004f, 0.006f, -0.0049f};
            p = Nth(face->VertexList(), m_in.Index(face->VertexList().size()))->Vertex();
            p.x += offsets[mode % 4];
        } else {
            p = PickPoint();
        }
        face->NewCorner()->SetPosition(p);
    }

    void RoundTripOp() {
        MgObject* object = PickObject();
        if (!object)
            return;
        std::unique_ptr<MgObject> back;
        CheckRoundTrip(*object, &back);
        if (m_objects.size() < kMaxObjects && Faces().size() + back->FaceList().size() <= kMaxFaces)
            m_objects.push_back(std::move(back));
    }

    void NewShapeOp() {
        MgObject* object = PickObject();
        if (object && Faces().size() < kMaxFaces && TotalFacets() < kMaxFacets)
            AddShape(*object);
    }

    ByteReader m_in;
    const bool m_trace = std::getenv("MGFUZZ_TRACE") != nullptr;
    std::vector<std::unique_ptr<MgObject>> m_objects;
    std::vector<SplitRecord> m_records;
};

inline void OperationsTarget(const std::uint8_t* data, std::size_t size) {
    OperationFuzzer(data, size).Run();
}

} // namespace mgfuzz
