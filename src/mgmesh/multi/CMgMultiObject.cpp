// CMgMultiObject: ownership of its objects, the merged original and the multi-part reader.
#include "mgmesh/multi/CMgMultiObject.h"

#include <istream>
#include <memory>

#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/model/MgObject.h"

CMgMultiObject::CMgMultiObject() = default;

CMgMultiObject::~CMgMultiObject() {
    delete m_unprocessed;
    delete m_original;
    for (MgObject* part : m_processed)
        delete part;
}

void CMgMultiObject::Init() {
    // made before the old one goes, so a failing factory leaves the previous state intact
    std::unique_ptr<MgObject> fresh(NewObject());
    delete m_unprocessed;
    m_unprocessed = fresh.release();
    ResetOriginal();
}

MgObject* CMgMultiObject::NewObject() {
    return new MgObject();
}

void CMgMultiObject::AddObject(MgObject* part) {
    if (part && (part == m_unprocessed || part == m_original || m_partSet.count(part)))
        throw "Object already belongs to the multi-part object";
    AppendPart(part);
}

void CMgMultiObject::AppendPart(MgObject* part) {
    // the list, the index and the set change together or not at all
    m_partIndex.push_back(part);
    try {
        if (part)
            m_partSet.insert(part);
        m_processed.push_back(part);
    } catch (...) {
        m_partSet.erase(part);
        m_partIndex.pop_back();
        throw;
    }
}

MgObject* CMgMultiObject::PartObject(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= m_partIndex.size())
        return nullptr;
    return m_partIndex[static_cast<std::size_t>(i)];
}

void CMgMultiObject::ResetOriginal() {
    std::unique_ptr<MgObject> fresh(NewObject());
    delete m_original;
    m_original = fresh.release();
    // null entries are parts the host added as null; they hold nothing to copy
    if (m_unprocessed)
        m_original->CopyObject(m_unprocessed);
    for (const MgObject* part : m_processed)
        if (part)
            m_original->CopyObject(part);
}

float CMgMultiObject::Size() const {
    if (!m_original)
        return 0;
    const CGeoVector extent = m_original->MaxBound() - m_original->MinBound();
    float size = extent.x;
    if (extent.y > size)
        size = extent.y;
    if (extent.z > size)
        size = extent.z;
    return size;
}

void CMgMultiObject::LoadSCB(std::istream& in, MyProgressNotify* progress) {
    if (!m_unprocessed)
        throw "CMgMultiObject::Init not called";

    mgmesh::detail::TokenReader reader(in);
    // a fresh string per read: a failed extraction leaves it empty rather than stale
    auto nextWord = [&reader]() {
        std::string word;
        reader.Word(word);
        return word;
    };

    std::string word = nextWord();
    if (word == "scb1") {
        if (nextWord() != "part")
            throw "File problem";
        m_name = nextWord();
        m_unprocessed->LoadFromSCB(in, progress);
        ResetOriginal();
        return;
    }
    if (word != "scb2")
        throw "File problem";

    word = nextWord();
    if (word == "part") {
        m_name = nextWord();
        word = nextWord();
    } else {
        m_name = "NoName";
    }

    while (word == "objectBegin") {
        int number = 0;
        // a header that does not parse leaves the stream failed; the vector then keeps what
        // was read before the failure and zeros otherwise, and the face run reads nothing
        float vector[3] = {0, 0, 0};
        reader.Int(number);
        for (float& component : vector)
            reader.Float(component);
        // exact comparison, so a negative zero counts as zero
        const bool unprocessed = vector[0] == 0 && vector[1] == 0 && vector[2] == 0;
        if (unprocessed) {
            word = m_unprocessed->LoadFromSCB(in, progress);
        } else {
            // owned here until appended, so a failing face block leaks nothing
            std::unique_ptr<MgObject> part(NewObject());
            word = part->LoadFromSCB(in, progress);
            AppendPart(part.get());
            part.release();
        }
        if (word == "objectEnd")
            word = nextWord();
    }
    ResetOriginal();
}
