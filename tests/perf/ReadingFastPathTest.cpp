// The readers' fast paths against the plain token-by-token reads: numbers and words scanned in
// the buffered text, whole STL blocks and SCB item lines read at once, and STL facets built one
// block behind the reading. The same text read through a buffer that hands out one character
// at a time never takes a fast path, so every comparison below is fast against plain.
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/io/detail/NumberScan.h"
#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/mgmesh.h"
#include "support/ChunkBuffer.h"
#include "support/ModelText.h"
#include "support/Progress.h"
#include "support/Shapes.h"
#include "support/StreamReference.h"

using mgmesh::detail::TokenReader;

namespace {

std::uint32_t Bits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

std::string Digits(std::mt19937& random, int n) {
    std::string s;
    while (n-- > 0)
        s += char('0' + random() % 10);
    return s;
}

// Numbers of every shape, plain or not, and a few things that only look like numbers.
std::string NumberText(std::mt19937& random) {
    static const char* const kOdd[] = {"inf",
                                       "-nan",
                                       "0x1f",
                                       "1e39",
                                       "-1e39",
                                       "1e-46",
                                       "1e-40",
                                       "1.5e",
                                       "1e+",
                                       "--1",
                                       "+-1",
                                       ".",
                                       "-.",
                                       ".e5",
                                       "1.2.3",
                                       "5e5.5",
                                       "1f",
                                       "2147483648",
                                       "-2147483649",
                                       "9223372036854775807",
                                       "99999999999999999999"};
    static const char* const kSigns[] = {"", "", "-", "+"};
    switch (random() % 7) {
    case 0:
        return kOdd[random() % (sizeof kOdd / sizeof *kOdd)];
    case 1:
        return kSigns[random() % 4] + Digits(random, 1 + int(random() % 20));
    case 2: { // what printf makes of floats
        float f;
        const std::uint32_t bits = std::uint32_t(random());
        std::memcpy(&f, &bits, sizeof f);
        char text[64];
        std::snprintf(text, sizeof text, random() % 2 ? "%e" : "%.9g", double(f));
        return text;
    }
    case 3: { // what printf makes of the coordinates of a model
        const double x =
            (double(random()) / random.max() - 0.5) * std::pow(10.0, int(random() % 9) - 3);
        static const char* const kFormats[] = {"%e", "%f", "%g", "%.7e", "%.3f", "%.8g"};
        char text[64];
        std::snprintf(text, sizeof text, kFormats[random() % 6], x);
        return text;
    }
    case 4: // long mantissas
        return Digits(random, 1 + int(random() % 80)) + "." + Digits(random, int(random() % 80));
    default: {
        std::string s = kSigns[random() % 4] + Digits(random, int(random() % 8)) +
                        (random() % 3 ? "." : "") + Digits(random, int(random() % 8));
        if (random() % 2)
            s += std::string(random() % 2 ? "e" : "E") + kSigns[random() % 4] +
                 Digits(random, int(random() % 3));
        return s;
    }
    }
}

} // namespace

TEST(BufferedTokens, PlainNumbersAreReadAsTheStreamReadsThem) {
    std::mt19937 random(11);
    int floats = 0, longs = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::string text = NumberText(random) + (random() % 2 ? " " : "\n") + "x";
        const char* first = text.data();
        const char* last = first + text.size();
        float f = 0;
        long l = 0;
        const char* end = nullptr;
        if (mgmesh::detail::PlainFloat(first, last, f, end)) {
            ++floats;
            std::istringstream in(text);
            float expected = 0;
            ASSERT_TRUE(support::PlainReader{in}.Float(expected)) << text;
            ASSERT_EQ(Bits(f), Bits(expected)) << text;
            ASSERT_EQ(std::streamoff(in.tellg()), end - first) << text;
        }
        if (mgmesh::detail::PlainLong(first, last, l, end)) {
            ++longs;
            std::istringstream in(text), inInt(text);
            long expected = 0;
            ASSERT_TRUE(support::PlainReader{in}.Long(expected)) << text;
            ASSERT_EQ(l, expected) << text;
            ASSERT_EQ(std::streamoff(in.tellg()), end - first) << text;
            int n = 0;
            ASSERT_EQ(support::PlainReader{inInt}.Int(n), l >= INT_MIN && l <= INT_MAX) << text;
        }
    }
    // most numbers are plain, so the comparisons above ran often
    EXPECT_GT(floats, 15000);
    EXPECT_GT(longs, 4000);
}

TEST(BufferedTokens, BoundedWordsAreReadAsTheStreamReadsWords) {
    std::mt19937 random(5);
    static const char* const kSpaces[] = {" ", "\n", "\t ", "\r\n      ", ""};
    for (int round = 0; round < 3000; ++round) {
        std::string text = random() % 2 ? "  " : "";
        for (int i = int(random() % 8); i > 0; --i) {
            std::string word(1 + random() % 30, 'a');
            for (char& c : word)
                c = char(33 + random() % 94);
            text += word + kSpaces[random() % 5];
        }
        std::istringstream plain(text);
        support::ChunkBuffer chunks(text, 1 + random() % 12, unsigned(round + 1));
        std::istream fast(&chunks);
        if (round % 7 == 0)
            for (std::istream* in : {static_cast<std::istream*>(&plain), &fast})
                in->width(4);
        TokenReader reader(fast);
        for (int i = 0; i < 10; ++i) {
            const std::size_t capacity = random() % 25;
            std::string expected;
            const bool read = support::PlainReader{plain}.Word(expected);
            char kept[32];
            std::size_t length = 99;
            ASSERT_EQ(reader.Word(kept, capacity, length), read) << text;
            ASSERT_EQ(std::string(kept, length), read ? expected.substr(0, capacity) : "");
            ASSERT_EQ(support::StreamState(fast), support::StreamState(plain)) << text;
        }
    }
}

namespace {

// What a load left: the message thrown (or "-"), the stream's state and position, the
// result, the progress count and the model.
template <class Load> std::string Outcome(std::istream& in, Load load, bool withProgress) {
    MgObject object;
    support::CountingProgress progress;
    std::string result, thrown = "-";
    try {
        result = load(object, in, withProgress ? &progress : nullptr);
    } catch (const char* message) {
        thrown = message;
    }
    std::ostringstream s;
    s << thrown << " | " << result << " | " << support::StreamState(in) << " | steps "
      << progress.steps << '\n'
      << support::ModelText(object);
    return s.str();
}

// The same text read whole (fast paths), in chunks of random sizes, and one character at a
// time (no fast path): all three must agree, with and without a progress receiver.
template <class Load> void ExpectSameLoads(const std::string& text, Load load, unsigned seed) {
    for (bool withProgress : {false, true}) {
        support::ChunkBuffer trickle(text, 1), whole(text, 0), chunks(text, 300, seed);
        std::istream plainIn(&trickle), wholeIn(&whole), chunkIn(&chunks);
        const std::string expected = Outcome(plainIn, load, withProgress);
        ASSERT_EQ(Outcome(wholeIn, load, withProgress), expected) << text;
        ASSERT_EQ(Outcome(chunkIn, load, withProgress), expected) << text;
    }
}

// Changes the text the way files differ and break: other spaces, other spellings of the same
// numbers, a changed byte, a cut.
std::string Disturb(std::string text, std::mt19937& random) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool tokenStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '\n';
        if (c == ' ' && random() % 8 == 0)
            out += random() % 2 ? "\t  " : "\n";
        else if (tokenStart && (c == '-' || (c >= '0' && c <= '9')) && random() % 10 == 0)
            out += std::string(random() % 2 ? "+" : "00") + c;
        else
            out += c;
    }
    if (random() % 4 == 0 && !out.empty())
        out[random() % out.size()] = char(random() % 2 ? 'x' : 32 + random() % 95);
    if (random() % 5 == 0 && !out.empty())
        out.resize(random() % out.size());
    return out;
}

std::string StlText(std::mt19937& random) {
    MgObject object;
    MgFace* face =
        random() % 2 ? shapes::Grid(object, 1 + int(random() % 4), 2) : shapes::Tetrahedron(object);
    std::string text = "solid test\n";
    char line[200];
    for (const MgFacet* f : face->FacetList()) {
        std::snprintf(line, sizeof line, "  facet normal %e %e %e\n    outer loop\n",
                      double(random() % 3) - 1, 0.5, -0.25);
        text += line;
        for (int i = 0; i < 3; ++i) {
            const CGeoVector p =
                f->Vertex(i)->Vertex() * 1.37f + CGeoVector(0.004f, 0, 0) * float(i);
            std::snprintf(line, sizeof line, "      vertex %.7g %e %g\n", double(p.x), double(p.y),
                          double(p.z));
            text += line;
        }
        text += "    endloop\n  endfacet\n";
    }
    return text + (random() % 4 ? "endsolid test\n" : "");
}

std::string LoadStl(MgObject& object, std::istream& in, MyProgressNotify* progress) {
    object.LoadSTL(in, progress);
    return "";
}

std::string LoadScb(MgObject& object, std::istream& in, MyProgressNotify* progress) {
    return object.LoadSCB(in, progress);
}

} // namespace

TEST(StlFastPath, LoadsWhatTheTokenByTokenReadLoads) {
    std::mt19937 random(3);
    for (int round = 0; round < 400; ++round)
        ExpectSameLoads(Disturb(StlText(random), random), LoadStl, unsigned(round + 1));
}

namespace {

// A face that notes where its object's stream stood when each of its facets was made.
struct WatchingFace : MgFace {
    WatchingFace(MgObject* object, std::istream& in, std::vector<long>& made)
        : MgFace(object), in(in), made(made) {}
    MgFacet* NewFacet() override {
        made.push_back(long(in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in)));
        return MgFace::NewFacet();
    }
    std::istream& in;
    std::vector<long>& made;
};

struct WatchingObject : MgObject {
    WatchingObject(std::istream& in, std::vector<long>& made) : in(in), made(made) {}
    MgFace* NewFace() override { return new WatchingFace(this, in, made); }
    std::istream& in;
    std::vector<long>& made;
};

} // namespace

// Whole blocks are read from the buffered text, and with no progress receiver to see it, each
// facet is built only once the next block has been read (the lookups of its corners overlap
// that read); a receiver sees every facet built as its block is read.
TEST(StlFastPath, ReadsWholeBlocksFromTheBufferAndBuildsEachFacetOneBlockBehind) {
    std::mt19937 random(8);
    std::string text = StlText(random);
    if (text.find("endsolid") == std::string::npos)
        text += "endsolid test\n";
    std::vector<long> blockEnds; // the end of each block's "endfacet"
    for (std::size_t at = text.find("endfacet"); at != std::string::npos;
         at = text.find("endfacet", at + 1))
        blockEnds.push_back(long(at + 8));
    ASSERT_GE(blockEnds.size(), 3u);
    for (bool withProgress : {true, false}) {
        std::istringstream in(text);
        std::vector<long> made;
        WatchingObject object(in, made);
        support::CountingProgress progress;
        object.LoadSTL(in, withProgress ? &progress : nullptr);
        std::vector<long> expected = blockEnds;
        if (!withProgress) { // the last facet is built once "endsolid" is no facet block
            expected.erase(expected.begin());
            expected.push_back(blockEnds.back());
        }
        EXPECT_EQ(made, expected) << (withProgress ? "with" : "without") << " progress";
    }
}

TEST(ScbFastPath, LoadsWhatTheTokenByTokenReadLoads) {
    std::mt19937 random(4);
    for (int round = 0; round < 300; ++round) {
        MgObject object;
        MgFace* face = round % 3 == 0   ? shapes::OpenFan(object, 3 + round % 5)
                       : round % 3 == 1 ? shapes::Tetrahedron(object)
                                        : shapes::Grid(object, 2, 1 + round % 3);
        face->RebuildEdges();
        face->NewCorner()->SetPosition(face->VertexList().front()->Vertex());
        for (MgVertex* v : face->VertexList())
            v->SetNormal(CGeoVector(float(random() % 100) / 7, -1e-7f, 3e20f));
        std::ostringstream out;
        object.SaveSCB(out, "part");
        ExpectSameLoads(Disturb(out.str(), random), LoadScb, unsigned(round + 1));
    }
}
