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

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "ByteReader.h"
#include "OperationChecks.h"
#include "OperationTrace.h"
#include "mgmesh/geometry/CGeoVector.h"

namespace mgfuzz {

class OperationFuzzer {
public:
    OperationFuzzer(const std::uint8_t* data, std::size_t size) : m_in(data, size) {}

    /// Builds the starting faces, then applies operations until the input or the step budget
    /// runs out; throws a Finding at the first broken invariant or unexpected outcome.
    void Run();

private:
    static constexpr int kMaxSteps = 96;
    static constexpr int kMaxFacets = 600;
    static constexpr std::size_t kMaxFaces = 16;
    static constexpr std::size_t kMaxObjects = 4;
    static constexpr int kOperations = 27;

    // picking
    std::vector<MgFace*> Faces() const;
    int TotalFacets() const;
    MgObject* PickObject();
    MgFace* PickFace();
    MgFacet* PickFacet(MgFace* face);
    float PickT();
    CGeoVector PickPoint();
    float PickTolerance();
    // a facet to cut, its side and neighbour there, and whether the face's links are simple;
    // f is null when there is none or the model is big enough
    struct Cut {
        MgFace* face = nullptr;
        MgFacet* f = nullptr;
        MgFacet* n = nullptr;
        int side = 0;
        bool mutual = false;
    };
    Cut PickCut(const char* name);
    template <class List> static typename List::value_type Nth(const List& list, std::size_t i) {
        return *std::next(list.begin(), static_cast<std::ptrdiff_t>(i));
    }

    // set-up and bookkeeping
    void Setup();
    void AddShape(MgObject& object);
    void AddCorner(MgFace* face);
    void CheckAll() const;
    void Sweep();

    // the operations (those on facets are in OperationSplits.cpp)
    void Apply(int op);
    void SplitOp(bool withVertex);
    void SplitSubDivOp(bool withVertex);
    void UnsplitRightOp();
    void UnsplitWrongOp();
    void AddEdgeVertexOp();
    void RebuildCornersOp();
    void CopyFaceOp();
    void CopyObjectOp();
    void FaceAddToOp();
    void ObjectAddToOp();
    void ReverseOp();
    void DeleteEdgeOp();
    void VertexOp();
    void ObjectOp();
    void RoundTripOp();
    void ReportRepairOp();
    void NewShapeOp();

    ByteReader m_in;
    OperationTrace m_trace;
    Objects m_objects;
    std::vector<SplitRecord> m_records;
};

/// The target body: one run of the operation fuzzer over the input.
void OperationsTarget(const std::uint8_t* data, std::size_t size);

} // namespace mgfuzz
