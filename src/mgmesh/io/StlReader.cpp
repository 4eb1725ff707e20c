// MgObject::LoadSTL: the ASCII STL reader.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <istream>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/NumberScan.h"
#include "mgmesh/io/detail/RecentCorners.h"
#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"
#include "mgmesh/model/detail/VertexLookup.h"

namespace {

using mgmesh::detail::TokenReader;

// No keyword is longer than 8 characters; a longer token can never match one, so only its
// first characters are kept and the rest is passed over.
constexpr std::size_t kKeywordChars = 19;

// Progress counts lines: a facet block spans seven of them.
constexpr int kLinesPerBlock = 7;

// A word in a keyword position, held in a buffer of 20 characters.
struct Keyword {
    char text[kKeywordChars + 1];
    std::size_t length = 0;

    // Reads the next word as formatted extraction would; a word that cannot be read is empty.
    void Read(TokenReader& reader) { reader.Word(text, kKeywordChars, length); }
    template <std::size_t N> bool Is(const char (&expected)[N]) const {
        return length == N - 1 && std::memcmp(text, expected, N - 1) == 0;
    }
};

// A facet block as read, before any of its keywords is checked.
struct Block {
    Keyword keywords[9]; // facet normal outer loop vertex vertex vertex endloop endfacet
    float normal[3];
    float corners[3][3];
};

// Reads the 20 tokens that follow the block's first word, in file order.
void ReadBlockRest(TokenReader& reader, Block& block) {
    // a number that does not parse fails the stream, so the block fails its keyword checks and
    // what the number would have held is never used
    block.keywords[1].Read(reader);
    for (float& value : block.normal)
        reader.Float(value);
    block.keywords[2].Read(reader);
    block.keywords[3].Read(reader);
    for (int i = 0; i < 3; ++i) {
        block.keywords[4 + i].Read(reader);
        for (float& value : block.corners[i])
            reader.Float(value);
    }
    block.keywords[7].Read(reader);
    block.keywords[8].Read(reader);
}

// Reads the whole block straight from the buffered text when all of it is there and its
// numbers are plain; nothing is read otherwise, and false returned.
bool ReadBufferedBlock(TokenReader& reader, Block& block) {
    const char* p = nullptr;
    const char* last = nullptr;
    reader.BufferedText(p, last);
    if (p == last)
        return false;
    auto word = [&](Keyword& keyword) {
        p = mgmesh::detail::SkipSpaces(p, last);
        const char* end = mgmesh::detail::WordEnd(p, last);
        if (end == last) // the word may go on past the buffered text
            return false;
        keyword.length = std::min(static_cast<std::size_t>(end - p), kKeywordChars);
        std::memcpy(keyword.text, p, keyword.length);
        p = end;
        return true;
    };
    auto number = [&](float& value) {
        p = mgmesh::detail::SkipSpaces(p, last);
        return mgmesh::detail::PlainFloat(p, last, value, p);
    };
    if (!word(block.keywords[0]) || !block.keywords[0].Is("facet") || !word(block.keywords[1]))
        return false;
    for (float& value : block.normal)
        if (!number(value))
            return false;
    if (!word(block.keywords[2]) || !word(block.keywords[3]))
        return false;
    for (int i = 0; i < 3; ++i) {
        if (!word(block.keywords[4 + i]))
            return false;
        for (float& value : block.corners[i])
            if (!number(value))
                return false;
    }
    if (!word(block.keywords[7]) || !word(block.keywords[8]))
        return false;
    reader.Consume(p);
    return true;
}

bool KeywordsMatch(const Block& block) {
    const Keyword* k = block.keywords;
    return k[0].Is("facet") && k[1].Is("normal") && k[2].Is("outer") && k[3].Is("loop") &&
           k[4].Is("vertex") && k[5].Is("vertex") && k[6].Is("vertex") && k[7].Is("endloop") &&
           k[8].Is("endfacet");
}

} // namespace

void MgObject::LoadSTL(std::istream& in, MyProgressNotify* progress) {
    MgFace* face = NewFace();
    face->SetGeoFaceId(0);

    TokenReader reader(in);
    // the first line opens the solid and names it; it is not looked at
    reader.SkipLine(1024);
    if (!reader.Good())
        throw "File problem";

    // merging by a walk over the vertices would make the load quadratic
    mgmesh::detail::VertexLookup lookup(face, mgmesh::detail::VertexLookup::Close);
    mgmesh::detail::RecentCorners corners(face);
    auto build = [&](const Block& block) {
        MgFacet* facet = face->NewFacet();
        const CGeoVector normal(block.normal);
        for (int i = 0; i < 3; ++i) {
            MgVertex* v = corners.Find(CGeoVector(block.corners[i]));
            facet->SetVertex(i, v);
            v->AddNormal(normal);
        }
        if (progress)
            for (int line = 0; line < kLinesPerBlock; ++line)
                progress->Step();
    };
    // Without a progress receiver to see the order, a block read from the buffered text has
    // its facet built only after the next block is read, so that the index entries its
    // corners need are on their way from memory meanwhile. Facets are built in file order all
    // the same, and all of them before anything is thrown.
    Block blocks[2]{};
    Block* pending = nullptr;
    for (;;) {
        Block& block = pending == &blocks[0] ? blocks[1] : blocks[0];
        const bool buffered = ReadBufferedBlock(reader, block);
        if (buffered && !progress && KeywordsMatch(block)) {
            for (const float* corner : block.corners)
                lookup.Prefetch(CGeoVector(corner));
            if (pending)
                build(*pending);
            pending = &block;
            continue;
        }
        if (pending) {
            build(*pending);
            pending = nullptr;
        }
        if (!buffered) {
            block.keywords[0].Read(reader);
            if (block.keywords[0].Is("endsolid")) {
                if (!reader.Good())
                    throw "File problem";
                return;
            }
            ReadBlockRest(reader, block);
        }
        if (!KeywordsMatch(block))
            throw "Unsupported file";
        build(block);
        if (!reader.Good())
            throw "File problem";
    }
}
