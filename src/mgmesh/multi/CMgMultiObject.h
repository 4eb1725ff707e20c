// CMgMultiObject: a model that arrives in parts, with an unprocessed object and a merged original.
#pragma once

#include <iosfwd>
#include <string>
#include <unordered_set>
#include <vector>

#include "mgmesh/Export.h"
#include "mgmesh/model/MgLists.h"

class MyProgressNotify;

/// Owns an unprocessed object, a list of processed part objects and an original object that is
/// rebuilt as a merged copy of all of them. Every object is made through the virtual NewObject
/// factory, so a derived multi-object receives its own kind of object throughout. Call Init()
/// once after construction, before anything that touches the objects. Usable as a virtual base.
class MGMESH_API CMgMultiObject {
public:
    /// Both object pointers null, no parts, empty name; does not call Init().
    CMgMultiObject();
    /// Deletes the unprocessed object, the original object and every part.
    virtual ~CMgMultiObject();
    CMgMultiObject(const CMgMultiObject&) = delete;
    CMgMultiObject& operator=(const CMgMultiObject&) = delete;

    /// New empty unprocessed object (NewObject()), then ResetOriginal(); called again, it
    /// deletes the previous unprocessed object and its faces, keeping the parts.
    virtual void Init();
    /// A new, empty MgObject on the heap, owned by the caller.
    virtual MgObject* NewObject();

    /// Appends `part` (null allowed) and owns it; the original stays stale. Throws "Object
    /// already belongs to the multi-part object" for an object it owns already, changing nothing.
    void AddObject(MgObject* part);
    /// The processed parts in order of addition.
    const MgObjectList& ProcessedList() const { return m_processed; }
    /// The i-th processed part (from 0), or null when i is out of range; constant time.
    MgObject* PartObject(int i) const;
    /// The merged copy made by the last ResetOriginal(); null before Init().
    MgObject* OriginalObject() const { return m_original; }
    /// Receives "scb1" files and the parts with vector (0,0,0); null before Init().
    MgObject* UnprocessedObject() const { return m_unprocessed; }

    /// Replaces the original by copies of the unprocessed object's faces, then each part's;
    /// passes on "Bad face structure", keeping the partial copy. Linear in the faces.
    void ResetOriginal();
    /// The largest extent of the original object's bounding box; 0 without an original.
    float Size() const;

    /// Reads an "scb1" or "scb2" file (adding to what is held), then rebuilds the original.
    /// Throws "File problem" for a bad header or face block: a part that fails is not appended
    /// and the original not rebuilt, what came before stays. Throws "CMgMultiObject::Init not
    /// called" before Init(), reading nothing. Linear in the input.
    void LoadSCB(std::istream& in, MyProgressNotify* progress = nullptr);

    /// The model name the last LoadSCB read ("NoName" for an "scb2" file without one).
    const std::string& Name() const { return m_name; }
    /// Writes the model as "scb2" text that LoadSCB reads back into the same objects: the
    /// name (`name`, or Name() when empty, or "NoName"), the unprocessed object as the part
    /// with vector (0, 0, 0), then each processed part, numbered from 1, with vector (0, 0, 1);
    /// the vectors a file gave its parts are not kept by the reader and so not written. Faces
    /// as MgObject::SaveToSCB writes them. Throws "CMgMultiObject::Init not called" before
    /// Init(). Linear in the model.
    void SaveSCB(std::ostream& out, const std::string& name = "",
                 MyProgressNotify* progress = nullptr) const;

private:
    // Appends a part already known not to be owned yet.
    void AppendPart(MgObject* part);

    MgObject* m_original = nullptr;
    MgObject* m_unprocessed = nullptr;
    MgObjectList m_processed;
    std::string m_name;
    // the processed list as an array for PartObject, and its non-null members as a set so that
    // no object is ever owned twice; both only grow, with the list
    std::vector<MgObject*> m_partIndex;
    std::unordered_set<MgObject*> m_partSet;
};
