// The operation fuzzer: picking from the input, set-up, and the operations with what each
// must have done.
#include "Operations.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "Finding.h"
#include "RoundTrip.h"
#include "mgmesh/algorithms/MeshRepair.h"
#include "mgmesh/algorithms/MeshReport.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "support/ReferenceReport.h"
#include "support/Shapes.h"

namespace mgfuzz {

void OperationFuzzer::Run() {
    Setup();
    CheckAll();
    m_trace.Model(m_objects);
    for (int step = 0; step < kMaxSteps && !m_in.Empty(); ++step) {
        const Snapshot before = TakeSnapshot(m_objects);
        const int op = m_in.Byte() % kOperations;
        m_trace.Step("op " + std::to_string(op));
        Apply(op);
        m_trace.Model(m_objects);
        Sweep();
        CheckAll();
        CheckForward(m_objects, before);
    }
}

// --- picking ------------------------------------------------------------------------------

std::vector<MgFace*> OperationFuzzer::Faces() const {
    std::vector<MgFace*> faces;
    for (const auto& o : m_objects)
        faces.insert(faces.end(), o->FaceList().begin(), o->FaceList().end());
    return faces;
}

int OperationFuzzer::TotalFacets() const {
    int n = 0;
    for (const auto& o : m_objects)
        n += o->NumFacets();
    return n;
}

MgObject* OperationFuzzer::PickObject() {
    return m_objects.empty() ? nullptr : m_objects[m_in.Index(m_objects.size())].get();
}

MgFace* OperationFuzzer::PickFace() {
    const std::vector<MgFace*> faces = Faces();
    return faces.empty() ? nullptr : faces[m_in.Index(faces.size())];
}

MgFacet* OperationFuzzer::PickFacet(MgFace* face) {
    if (!face || face->FacetList().empty())
        return nullptr;
    return Nth(face->FacetList(), m_in.Index(face->FacetList().size()));
}

float OperationFuzzer::PickT() {
    static const float ts[] = {0.5f, 0.25f, 0.0f, 1.0f, 1.5f, -0.5f};
    const std::uint8_t mode = m_in.Byte();
    return mode < 192 ? ts[mode % 6] : m_in.Float();
}

// The coordinates are taken in order: arguments of one call may be evaluated in any order.
CGeoVector OperationFuzzer::PickPoint() {
    const float x = m_in.Float();
    const float y = m_in.Float();
    return CGeoVector(x, y, m_in.Float());
}

float OperationFuzzer::PickTolerance() {
    static const float tolerances[] = {0.05f, 0.5f, 0.0f, 0.001f, 2.0f, -1.0f};
    const std::uint8_t mode = m_in.Byte();
    return mode < 224 ? tolerances[mode % 6] : m_in.Float();
}

// --- set-up and bookkeeping ---------------------------------------------------------------

void OperationFuzzer::Setup() {
    for (int o = m_in.Range(1, 2); o > 0; --o) {
        m_objects.emplace_back(new MgObject());
        for (int f = m_in.Range(1, 3); f > 0; --f)
            AddShape(*m_objects.back());
    }
}

void OperationFuzzer::AddShape(MgObject& object) {
    shapes::Params p;
    p.kind = static_cast<shapes::Kind>(m_in.Byte() % static_cast<int>(shapes::Kind::Count));
    p.nx = m_in.Range(1, 3);
    p.ny = m_in.Range(1, 3);
    static const float offsets[] = {0.0f, 0.5f, 1.0f, 3.0f};
    const float x = offsets[m_in.Byte() % 4];
    p.offset = CGeoVector(x, offsets[m_in.Byte() % 4], 0);
    p.bump = m_in.Bool() ? 0.0f : 0.25f;
    MgFace* face = shapes::Build(object, p);
    face->SetGeoFaceId(m_in.Range(0, 3));
    face->SetGeoTolerance(PickTolerance());
    if (m_in.Byte() % 4 != 0)
        CheckedRebuild(face);
    for (int c = m_in.Range(0, 3); c > 0; --c)
        AddCorner(face);
}

// At a vertex, a little off one, or anywhere.
void OperationFuzzer::AddCorner(MgFace* face) {
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

void OperationFuzzer::CheckAll() const {
    for (const auto& o : m_objects)
        CheckObject(*o);
}

// Forgets split records whose facets are gone or have left their face.
void OperationFuzzer::Sweep() {
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

// --- the operations -----------------------------------------------------------------------

void OperationFuzzer::Apply(int op) {
    using Fuzzer = OperationFuzzer;
    static void (*const kOps[])(Fuzzer&) = {
        [](Fuzzer& z) { z.SplitOp(false); },
        [](Fuzzer& z) { z.SplitOp(true); },
        [](Fuzzer& z) { z.SplitSubDivOp(false); },
        [](Fuzzer& z) { z.SplitSubDivOp(true); },
        [](Fuzzer& z) { z.UnsplitRightOp(); },
        [](Fuzzer& z) { z.UnsplitWrongOp(); },
        [](Fuzzer& z) { z.AddEdgeVertexOp(); },
        [](Fuzzer& z) {
            if (MgFace* face = z.PickFace())
                CheckedRebuild(face);
        },
        [](Fuzzer& z) { z.RebuildCornersOp(); },
        [](Fuzzer& z) { z.CopyFaceOp(); },
        [](Fuzzer& z) { z.CopyObjectOp(); },
        [](Fuzzer& z) { z.FaceAddToOp(); },
        [](Fuzzer& z) { z.ObjectAddToOp(); },
        [](Fuzzer& z) {
            if (MgFace* face = z.PickFace())
                face->MoveTo(z.PickObject());
        },
        [](Fuzzer& z) { z.ReverseOp(); },
        [](Fuzzer& z) {
            if (MgFacet* f = z.PickFacet(z.PickFace()))
                delete f;
        },
        [](Fuzzer& z) { z.DeleteEdgeOp(); },
        [](Fuzzer& z) {
            if (MgFace* face = z.PickFace())
                if (!face->CornerList().empty())
                    delete Nth(face->CornerList(), z.m_in.Index(face->CornerList().size()));
        },
        [](Fuzzer& z) { z.VertexOp(); },
        [](Fuzzer& z) { delete z.PickFace(); },
        [](Fuzzer& z) {
            if (MgObject* object = z.PickObject())
                object->RemoveFaceId(z.m_in.Range(0, 4));
        },
        [](Fuzzer& z) { z.ObjectOp(); },
        [](Fuzzer& z) {
            if (MgFace* face = z.PickFace())
                z.AddCorner(face);
        },
        [](Fuzzer& z) {
            if (MgFace* face = z.PickFace())
                face->SetGeoTolerance(z.PickTolerance());
        },
        [](Fuzzer& z) { z.RoundTripOp(); },
        [](Fuzzer& z) { z.ReportRepairOp(); },
    };
    if (op >= 0 && op < int(sizeof kOps / sizeof *kOps))
        kOps[op](*this);
    else
        NewShapeOp();
}

void OperationFuzzer::RebuildCornersOp() {
    MgFace* face = PickFace();
    if (!face)
        return;
    face->RebuildCorners();
    for (const MgCorner* c : face->CornerList())
        MGFUZZ_CHECK(c->Edge(), "a corner off the edges after RebuildCorners");
}

namespace {

// A copy that failed part way leaves a facet with empty vertex slots; moving, splitting or
// edging such a facet is outside the contract, so the host deletes it.
void DropBrokenFacets(MgFace* face) {
    std::vector<MgFacet*> broken;
    for (MgFacet* f : face->FacetList())
        if (!Complete(f))
            broken.push_back(f);
    for (MgFacet* f : broken)
        delete f;
}

} // namespace

// Into a new face, or into another face that has items already.
void OperationFuzzer::CopyFaceOp() {
    MgFace* source = PickFace();
    if (!source || TotalFacets() + source->NumFacets() > kMaxFacets || Faces().size() >= kMaxFaces)
        return;
    MgFace* target = m_in.Bool() ? PickFace() : nullptr;
    if (target == source)
        return;
    const bool fresh = target == nullptr;
    if (fresh)
        target = PickObject()->NewFace();
    if (!ExpectThrown([&] { target->CopyFace(source); }, {"Bad face structure"})) {
        if (fresh)
            delete target;
        else
            DropBrokenFacets(target);
        return;
    }
    MGFUZZ_CHECK(target->GeoFaceId() == source->GeoFaceId(), "copied face id");
    if (fresh)
        CheckCopiedFace(source, target);
}

void OperationFuzzer::CopyObjectOp() {
    MgObject* source = PickObject();
    MgObject* target = PickObject();
    if (!source || TotalFacets() + source->NumFacets() > kMaxFacets ||
        Faces().size() + source->FaceList().size() > kMaxFaces)
        return;
    const std::size_t faces = target->FaceList().size(), added = source->FaceList().size();
    if (!ExpectThrown([&] { target->CopyObject(source); }, {"Bad face structure"})) {
        DropBrokenFacets(target->FaceList().back());
        return;
    }
    MGFUZZ_CHECK(target->FaceList().size() == faces + added, "copied faces");
}

void OperationFuzzer::FaceAddToOp() {
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
    ExpectThrown([&] { source->AddTo(target); });
    MGFUZZ_CHECK(target->NumFacets() == facets, "facets after AddTo");
    if (!target->Corrupt())
        CheckRebuilt(target);
}

void OperationFuzzer::ObjectAddToOp() {
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
void OperationFuzzer::ReverseOp() {
    if (m_in.Bool()) {
        if (MgObject* object = PickObject())
            object->Reverse();
        return;
    }
    MgFace* face = PickFace();
    if (!face)
        return;
    const FaceLayout before = LayoutOf(face);
    face->Reverse();
    if (m_in.Bool())
        return;
    face->Reverse();
    CheckSameLayout(face, before);
}

// The host detaches the corners on an edge before deleting it.
void OperationFuzzer::DeleteEdgeOp() {
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
void OperationFuzzer::VertexOp() {
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

void OperationFuzzer::ObjectOp() {
    if (m_in.Bool() && m_objects.size() < kMaxObjects) {
        m_objects.emplace_back(new MgObject());
        return;
    }
    if (!m_objects.empty())
        m_objects.erase(m_objects.begin() +
                        static_cast<std::ptrdiff_t>(m_in.Index(m_objects.size())));
}

void OperationFuzzer::RoundTripOp() {
    MgObject* object = PickObject();
    if (!object)
        return;
    std::unique_ptr<MgObject> back;
    CheckRoundTrip(*object, &back);
    if (m_objects.size() < kMaxObjects && Faces().size() + back->FaceList().size() <= kMaxFaces)
        m_objects.push_back(std::move(back));
}

// The report agrees with the plain computation and changes nothing; a repair leaves what it
// promises.
void OperationFuzzer::ReportRepairOp() {
    MgFace* face = PickFace();
    if (!face)
        return;
    const unsigned index = face->ChangeIndex();
    const mgmesh::MeshReport report = mgmesh::ReportMesh(*face, m_in.Range(0, 3));
    MGFUZZ_CHECK(face->ChangeIndex() == index, "the mesh report changed the face");
    const support::PlainReport plain = support::PlainReportOf(face);
    MGFUZZ_CHECK(report.shells == plain.shells && report.openEdges == plain.open &&
                     report.nonManifoldEdges == plain.nonManifold &&
                     report.misorientedEdges == plain.misoriented &&
                     report.degenerateFacets == plain.degenerate,
                 "the mesh report against the plain computation");
    // a repair derives the edges again where the face had them, as RebuildEdges would
    const int repair = m_in.Range(0, 2);
    const float tolerance = PickTolerance();
    ExpectThrown(
        [&] {
            if (repair == 0)
                mgmesh::OrientShells(*face);
            else if (repair == 1)
                mgmesh::DropDegenerateFacets(*face);
            else
                mgmesh::MergeVertices(*face, tolerance);
        },
        {"Bad face structure"});
    MGFUZZ_CHECK(repair != 1 || mgmesh::ReportMesh(*face).degenerateFacets == 0,
                 "degenerate facets after DropDegenerateFacets");
}

void OperationFuzzer::NewShapeOp() {
    MgObject* object = PickObject();
    if (object && Faces().size() < kMaxFaces && TotalFacets() < kMaxFacets)
        AddShape(*object);
}

void OperationsTarget(const std::uint8_t* data, std::size_t size) {
    OperationFuzzer(data, size).Run();
}

} // namespace mgfuzz
