// CMgMultiObject's reader of multi-part "scb2" text (and of a plain "scb1" object as one part).
#include <istream>
#include <memory>

#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/multi/CMgMultiObject.h"

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
