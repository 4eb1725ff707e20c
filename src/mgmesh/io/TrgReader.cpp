// MgObject::LoadTRG and LoadFromTRG: faces of full vertex records, merged and edged here.
#include <string>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/VertexLookup.h"

namespace {

using mgmesh::detail::TokenReader;
using mgmesh::detail::VertexLookup;

// Failed means the failure or loss flag; the end-of-input flag alone still lets a record
// that ended exactly at the end of the input count.
bool Failed(const TokenReader& reader) {
    return reader.Fail();
}

void Step(MyProgressNotify* progress) {
    if (progress)
        progress->Step();
}

void SkipWords(TokenReader& reader, int count) {
    std::string word;
    for (int i = 0; i < count; ++i)
        reader.Word(word);
}

// Reads vertex records three at a time until a number does not parse; a triple cut short
// makes no facet (its new vertices are left to the edge rebuild to remove).
void ReadFacets(MgFace* face, TokenReader& reader, MyProgressNotify* progress) {
    VertexLookup lookup(face, VertexLookup::Close); // near-linear merging for the whole face
    while (!Failed(reader)) {
        MgVertex* corners[3] = {nullptr, nullptr, nullptr};
        int read = 0;
        for (; read < 3 && !Failed(reader); ++read) {
            float values[8] = {0, 0, 0, 0, 0, 0, 0, 0};
            for (float& value : values)
                reader.Float(value);
            Step(progress);
            if (Failed(reader))
                break;
            corners[read] =
                face->FindCloseVertex(CGeoVector(values[2], values[3], values[4]),
                                      CGeoVector(values[5], values[6], values[7]), values);
        }
        if (read < 3)
            break;
        MgFacet* facet = face->NewFacet();
        for (int i = 0; i < 3; ++i)
            facet->SetVertex(i, corners[i]);
    }
}

void ReadBlocks(MgObject& object, TokenReader& reader, MyProgressNotify* progress) {
    if (!reader.Good())
        return;
    std::string word;
    for (;;) {
        SkipWords(reader, 2); // the block's header
        if (!reader.Good())
            return;
        word.clear();
        reader.Word(word);
        while (word == "FACE") {
            MgFace* face = object.NewFace();
            std::intptr_t id = 0;
            reader.Id(id);
            face->SetGeoFaceId(id);
            Step(progress);
            ReadFacets(face, reader, progress);
            reader.Clear();
            SkipWords(reader, 3); // the face's trailer, from the token that ended the records
            if (!face->RebuildEdges())
                delete face;
            word.clear();
            reader.Word(word);
            Step(progress);
        }
        if (word != "END")
            return;
        SkipWords(reader, 2);
        if (!reader.Good())
            return;
    }
}

} // namespace

void MgObject::LoadFromTRG(std::istream& in, MyProgressNotify* progress) {
    TokenReader reader(in);
    ReadBlocks(*this, reader, progress);
}

std::string MgObject::LoadTRG(std::istream& in, MyProgressNotify* progress) {
    TokenReader reader(in);
    std::string name;
    reader.Word(name);
    ReadBlocks(*this, reader, progress);
    return name;
}
