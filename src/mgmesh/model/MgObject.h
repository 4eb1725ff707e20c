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
