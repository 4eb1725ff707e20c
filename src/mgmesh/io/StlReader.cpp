// MgObject::LoadSTL: the ASCII STL reader.
#include <cstddef>
#include <istream>
#include <streambuf>
#include <string>

#include "mgmesh/detail/TokenReader.h"
#include "mgmesh/detail/VertexLookup.h"
#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

// No keyword is longer than 8 characters; a longer token can never match one, so only its
// first characters are kept and the rest is passed over.
constexpr std::size_t kKeywordChars = 19;

// Progress counts lines: a facet block spans seven of them.
constexpr int kLinesPerBlock = 7;

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads one word as formatted extraction would (whitespace of the classic locale skipped,
// end-of-input and failure flags set alike), but keeps at most kKeywordChars of it, so that an
// overlong token costs no memory. A word that cannot be read leaves `word` empty.
void ReadKeyword(std::istream& in, std::string& word) {
    word.clear();
    if (!in.good()) {
        in.setstate(std::ios_base::failbit);
        return;
    }
    std::streambuf* buffer = in.rdbuf();
    using Traits = std::char_traits<char>;
    int c = buffer->sgetc();
    while (c != Traits::eof() && IsSpace(c))
        c = buffer->snextc();
    if (c == Traits::eof()) {
        in.setstate(std::ios_base::eofbit | std::ios_base::failbit);
        return;
    }
    while (c != Traits::eof() && !IsSpace(c)) {
        if (word.size() < kKeywordChars)
            word.push_back(static_cast<char>(c));
        c = buffer->snextc();
    }
    if (c == Traits::eof())
        in.setstate(std::ios_base::eofbit);
}

// A facet block as read, before any of its keywords is checked.
struct Block {
    std::string keywords[9]; // facet normal outer loop vertex vertex vertex endloop endfacet
    float normal[3];
    float corners[3][3];
};

const char* const kBlockKeywords[9] = {"facet",  "normal", "outer",   "loop",    "vertex",
                                       "vertex", "vertex", "endloop", "endfacet"};

// Reads the 20 tokens that follow the block's first word, in file order.
void ReadBlockRest(mgmesh::detail::TokenReader& reader, Block& block) {
    std::istream& in = reader.Stream();
    // a number that does not parse fails the stream, so the block fails its keyword checks and
    // what the number would have held is never used
    ReadKeyword(in, block.keywords[1]);
    for (float& value : block.normal)
        reader.Float(value);
    ReadKeyword(in, block.keywords[2]);
    ReadKeyword(in, block.keywords[3]);
    for (int i = 0; i < 3; ++i) {
        ReadKeyword(in, block.keywords[4 + i]);
        for (float& value : block.corners[i])
            reader.Float(value);
    }
    ReadKeyword(in, block.keywords[7]);
    ReadKeyword(in, block.keywords[8]);
}

bool KeywordsMatch(const Block& block) {
    for (int i = 0; i < 9; ++i)
        if (block.keywords[i] != kBlockKeywords[i])
            return false;
    return true;
}

} // namespace

void MgObject::LoadSTL(std::istream& in, MyProgressNotify* progress) {
    MgFace* face = NewFace();
    face->SetGeoFaceId(0);

    mgmesh::detail::TokenReader reader(in);
    // the first line opens the solid and names it; it is not looked at
    reader.SkipLine(1024);
    if (!reader.Good())
        throw "File problem";

    // merging by a walk over the vertices would make the load quadratic
    mgmesh::detail::VertexLookup lookup(face, mgmesh::detail::VertexLookup::Close);
    const CGeoVector noNormal;
    const float noUV[2] = {0, 0};
    Block block{};
    for (;;) {
        ReadKeyword(in, block.keywords[0]);
        if (block.keywords[0] == "endsolid") {
            if (!reader.Good())
                throw "File problem";
            return;
        }
        ReadBlockRest(reader, block);
        if (!KeywordsMatch(block))
            throw "Unsupported file";

        MgFacet* facet = face->NewFacet();
        const CGeoVector normal(block.normal);
        for (int i = 0; i < 3; ++i) {
            MgVertex* v = face->FindCloseVertex(CGeoVector(block.corners[i]), noNormal, noUV);
            facet->SetVertex(i, v);
            v->AddNormal(normal);
        }
        if (progress)
            for (int line = 0; line < kLinesPerBlock; ++line)
                progress->Step();
        if (!reader.Good())
            throw "File problem";
    }
}
