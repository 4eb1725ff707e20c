// MgFacet: a triangle of three shared vertices that knows its three neighbours.
#pragma once

#include <cstddef>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/MgLists.h"
#include "mgmesh/model/MgSplitResults.h"

class MgFace;
class MgVertex;

/// Side i runs from vertex slot i to slot (i + 1) mod 3; neighbour slot i holds the facet
/// across side i, or null. Every non-null vertex slot holds one reference. Usable as a
/// virtual base. Slot indices are 0 to 2 and are not checked.
class MGMESH_API MgFacet {
public:
    /// Registers with `face`; three null vertices and three null neighbours.
    explicit MgFacet(MgFace* face);
    /// Releases its vertices (posting a change for each), unlinks its neighbours on both sides,
    /// then unregisters.
    virtual ~MgFacet();
    MgFacet(const MgFacet&) = delete;
    MgFacet& operator=(const MgFacet&) = delete;

    /// Items of exactly this class come from a pool of blocks in creation order; a derived
    /// class of another size gets ordinary heap memory.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    MgVertex* Vertex(int i) const { return m_vertices[i]; }
    MgFacet* Neighbor(int i) const { return m_neighbors[i]; }
    MgFace* ParentFace() const { return m_face; }
    void* AuxData() const { return m_auxData; }
    void SetAuxData(void* data) const { m_auxData = data; }

    /// Puts `v` (may be null) into slot i: takes the new reference before releasing the old
    /// one (which may delete that vertex); posts a change.
    void SetVertex(int i, MgVertex* v);
    /// One-sided: neighbour slot i := f. Neighbours are facets of the same face: a link into
    /// another face is not cleared when that face is deleted.
    void SetNeighbor(int i, MgFacet* f) { WriteSlot(i, f); }
    /// Neighbour slot i := f and f's neighbour slot j := this facet; f must not be null.
    void SetNeighbor(int i, MgFacet* f, int j);
    /// Unlinks f on both sides; nothing for null.
    void RemoveNeighbor(MgFacet* f);
    /// Every slot holding `from` holds `to`; `from` loses its links to this facet and is left
    /// unlinked from it even when `to` is `from`. `to` is not linked back.
    void ReplaceNeighbor(MgFacet* from, MgFacet* to);
    /// (b − a) × (c − a), not normalised; (0,0,0) while a vertex slot is empty.
    CGeoVector Normal() const;
    /// 0.5 × |(b − a) × (c − a)|; 0 while a vertex slot is empty.
    float Area() const;
    /// Swaps vertex slots 0 and 2 and neighbour slots 0 and 1; posts a change.
    void Reverse();
    /// Moves the facet to `target`: re-registers it, drops its neighbour links on both sides
    /// and replaces each vertex by one of `target` at exactly the same position (found or new);
    /// an empty slot stays empty.
    void MoveTo(MgFace* target);
    /// Makes this facet a copy of `source` (in another face), mapping vertices and facets
    /// through the source items' aux data. Throws "Bad face structure" when a copied
    /// neighbour does not hold the shared vertex.
    void CopyFacet(const MgFacet* source);

    // Splitting and subdivision (their own source file).

    /// Cuts side `side` at the fraction t from its start (a new vertex with interpolated
    /// position, normal and UV), and the neighbour across it too. Throws "Bad facet structure"
    /// when the neighbour does not list this facet (this facet is already cut then), and before
    /// any change for a side outside 0 to 2, a null vertex or an empty slot at the side's ends.
    MgTwoFacets Split(int side, float t);
    /// As Split(int, float) with a prepared vertex of the same face, unused by both facets.
    MgTwoFacets Split(int side, MgVertex* v);
    /// Undoes a Split of this facet. Throws "Cannot unsplit unless facet was originally split
    /// by MgFacet::Split" or "Cannot unsplit if dependes on other splits"; nothing changes then.
    /// A null split-off, this facet as its own split-off, or a neighbour (or its split-off)
    /// equal to the split-off gives the first of the two texts.
    void Unsplit(MgFacet* splitOff, MgFacet* neighbor, MgFacet* neighborSplitOff);
    /// Cuts side `side` at fraction t with the halves exchanged (this facet keeps the half at
    /// the side's end). Throws "Bad facet structure" (also for the bad arguments Split refuses).
    /// No undo.
    MgFourFacetsSubDiv SplitSubDiv(int side, float t);
    MgFourFacetsSubDiv SplitSubDiv(int side, MgVertex* v);

    // Projected area (its own source file).

    /// z of the cross product of the two edge vectors with their `direction` parts removed:
    /// twice the signed projected area for a unit direction (times direction.z).
    float CastArea(const CGeoVector& direction) const;

protected:
    /// Cuts this facet alone at `v` on side `side`; returns the new facet (the half at B).
    MgFacet* DoSplit(int side, MgVertex* v);
    /// Merges `splitOff` back into this facet.
    void DoUnsplit(MgFacet* splitOff, bool twoSided);
    /// Cuts this facet alone with the halves exchanged; returns the new facet (the half at A).
    MgFacet* DoSplitSubDiv(int side, MgVertex* v);

private:
    friend class MgFace;

    // Every neighbour-slot write goes through here. The face counts the links that are not
    // returned, so that a dying facet knows when some other facet may still point at it.
    void WriteSlot(int i, MgFacet* f);
    // The slots of x whose facet does not link back to x.
    static int LooseSlots(const MgFacet* x);
    // Whether a slot of this facet holds f.
    bool Holds(const MgFacet* f) const {
        return m_neighbors[0] == f || m_neighbors[1] == f || m_neighbors[2] == f;
    }
    // Clears every slot of the face's facets that points at this facet.
    void DropIncomingLinks();

    MgFace* m_face;
    mutable void* m_auxData = nullptr;
    MgVertex* m_vertices[3];
    MgFacet* m_neighbors[3];
    mgmesh::detail::ListSlot<MgFacet> m_slot;
};
