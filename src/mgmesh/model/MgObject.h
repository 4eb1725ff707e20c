// MgObject: a model, the owner of its faces.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "mgmesh/Export.h"
#include "mgmesh/geometry/CGeoVector.h"
#include "mgmesh/model/CGeoContainer.h"
#include "mgmesh/model/MgLists.h"

class MyProgressNotify;
struct HostAPILinearFace;

/// An object owns its faces, made through the virtual NewFace factory (so a derived object
/// makes derived faces everywhere the library creates them). Its change index advances with
/// every change to it or its faces. Usable as a virtual base.
class MGMESH_API MgObject : public CGeoContainer<MgFace> {
public:
    /// An empty object: change index 0, bounds (0,0,0), null object id.
    MgObject();
    /// Deletes its faces, first face first.
    virtual ~MgObject();
    MgObject(const MgObject&) = delete;
    MgObject& operator=(const MgObject&) = delete;

    /// Creates and registers a new, empty face.
    virtual MgFace* NewFace();
    /// Moves every face to `target`, then deletes this object (which must be on the heap).
    /// Nothing when `target` is this object.
    virtual void AddTo(MgObject* target);
    /// Appends a deep copy of each face of `source` (see MgFace::CopyFace).
    virtual void CopyObject(const MgObject* source);

    const MgFaceList& FaceList() const { return m_faces; }
    int NumVertices() const;
    int NumFacets() const;
    int NumEdges() const;
    /// Cached bounds over the faces' bounds, recomputed first when stale.
    const CGeoVector& MinBound() const;
    const CGeoVector& MaxBound() const;
    /// Centre of the bounding box.
    CGeoVector Average() const;
    /// Half the diagonal of the bounding box.
    float Radius() const;
    /// Sum of the faces' areas.
    float Area() const;
    unsigned int ChangeIndex() const { return m_changeIndex; }
    /// Advances the change index by one.
    void PostChange() { ++m_changeIndex; }
    /// Reverses every face.
    void Reverse();
    /// Deletes every face whose face id equals `id`.
    void RemoveFaceId(std::intptr_t id);
    void* GeoObjId() const { return m_objectId; }
    void SetGeoObjId(void* id) { m_objectId = id; }

    // Files and import (their own source files).

    /// Reads an "scb1" header and its faces; returns the name. Throws "File problem".
    std::string LoadSCB(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Reads face blocks, appending a face for each; returns the first word in a face-start
    /// position that is not "faceBegin", or "" when the input ends. Throws "File problem".
    /// A "vertex" or "facet" line with a negative number still makes its item, but no line can
    /// name it; an "edge" line skips numbers that name no vertex, so an edge never holds a null
    /// vertex; item numbers may be as large as an int, with memory proportional to the lines
    /// read. Linear in the input.
    std::string LoadFromSCB(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Writes the "scb1" header with `name`, then SaveToSCB.
    void SaveSCB(std::ostream& out, const std::string& name,
                 MyProgressNotify* progress = nullptr) const;
    /// Writes every face as an SCB face block; numbers items through their aux data. A facet's
    /// empty vertex slot is written as -1, which reads back as empty.
    void SaveToSCB(std::ostream& out, MyProgressNotify* progress = nullptr) const;
    /// Reads one ASCII STL solid into one new face. Throws "File problem" or "Unsupported file".
    void LoadSTL(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Reads the name word, then LoadFromTRG; returns the name.
    std::string LoadTRG(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Reads TRG blocks and appends their faces.
    void LoadFromTRG(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Builds one face from the host's record and returns it; `hostFace` becomes its face id.
    MgFace* FillFacesInObj(const HostAPILinearFace& linearFace, void* hostFace);

    // Exchange formats beyond the library's own (each in its own source file). Every reader
    // appends and keeps what it built before a failure; it allocates only as the input grows.

    /// Reads a binary STL file (80 header bytes, a little-endian facet count, 50 bytes a
    /// facet) into one new face with id 0, exactly as LoadSTL reads the ASCII text of the same
    /// binary32 values: corners merged through FindCloseVertex, AddNormal with the stored
    /// normal, 7 Step() calls a facet. NaN and infinite values are taken as they stand. Throws
    /// "File problem" when the input ends before the header's end or the counted facets (the
    /// facets read stay); bytes after the last counted facet are not read. Linear.
    void LoadBinarySTL(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Binary when the remaining length is 84 + 50 x the stored count; otherwise ASCII when the
    /// input starts (after blanks) with "solid": LoadSTL reads it, and again every further
    /// solid that follows its "endsolid" line, one face each; otherwise binary. Throws what
    /// those readers throw. A stream that cannot tell its length is read whole into memory.
    void LoadAnySTL(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Writes every face in list order: ASCII as one solid per face ("face0", "face1", ...),
    /// binary as one solid of all facets. Facet normals are the unit normals of the corners;
    /// numbers read back as the same binary32 values. Drops what STL cannot hold: vertex
    /// normals and UVs, face ids, tolerances and flags, edges, corners, neighbour links,
    /// vertices that no facet uses, facets with an empty slot, and (binary) the face bounds.
    /// Reading back merges vertices closer than 0.01 per axis.
    void SaveSTL(std::ostream& out, bool binary = false) const;
    /// Writes one "g" group per face, "v", "vt" and "vn" lines per vertex in list order and
    /// "f a/a/a b/b/b c/c/c" per facet. Drops face ids, tolerances and flags, edges, corners,
    /// neighbour links, normal counts, faces without facets, vertices that no facet uses and
    /// facets with an empty slot.
    void SaveOBJ(std::ostream& out) const;
    /// Reads "v", "vt", "vn" and "f" lines (1-based and negative indices, polygons as fans, a
    /// polygon of fewer than three corners makes none; other lines and text after "#" are
    /// skipped) into one new face with id 0 per "g" or "o" group that has facets, or one face
    /// where there is none. A face has a vertex per distinct v/vt/vn index triple its facets
    /// use, ordered by those indices, with the normal (normal count 0) and UV named; no
    /// merging. One Step() per line. Throws "Bad OBJ line" for a v, vt, vn or f line with too
    /// few or unreadable numbers, "Bad OBJ index" for an index of 0 or one that names no line
    /// before it, "File problem" when the stream fails; the facets of the lines before stay.
    /// Memory grows with the input only. Near-linear.
    void LoadOBJ(std::istream& in, MyProgressNotify* progress = nullptr);
    /// Writes all faces as one: the vertices in list order (x y z, nx ny nz, u v as float)
    /// and a "vertex_indices" list per facet, ASCII or binary_little_endian. Drops the face
    /// bounds, face ids, tolerances and flags, edges, corners, neighbour links, normal counts
    /// and facets with an empty slot.
    void SavePLY(std::ostream& out, bool binary = false) const;
    /// Reads ASCII and both binary PLY byte orders into one new face with id 0: a vertex per
    /// "vertex" item (x y z; nx ny nz and u v or s t when present), facets from the
    /// "vertex_indices" (or "vertex_index") list of each "face" item as fans; lists of fewer
    /// than three make none; other elements and properties are skipped. One Step() per item.
    /// Throws "Bad PLY header" (no "ply" line, an unknown format or type, a count beyond an
    /// int, a vertex element without x y z, a face element without an integer index list, no
    /// "end_header"), "Bad PLY data" (the input ends before the counted items, or a number does
    /// not read), "Bad PLY index" (an index that names no vertex read before). Linear.
    void LoadPLY(std::istream& in, MyProgressNotify* progress = nullptr);

protected:
    void RecalcMinMax() const;

private:
    friend class MgFace;

    void AddItem(MgFace* face) override;
    void RemoveItem(MgFace* face) override;

    unsigned int m_changeIndex = 0;
    MgFaceList m_faces;
    mutable unsigned int m_boundsIndex = 0;
    mutable CGeoVector m_minBound;
    mutable CGeoVector m_maxBound;
    void* m_objectId = nullptr;
    bool m_walkFaces = false;
};
