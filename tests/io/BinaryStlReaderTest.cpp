// The binary STL reader against the ASCII one, and how LoadAnySTL tells the two apart.
#include <fstream>

#include "IoSupport.h"
#include "support/ChunkBuffer.h"
#include "support/Corpus.h"
#include "support/ModelText.h"

namespace {

using Triangle = std::array<CGeoVector, 4>; // normal, then the corners

std::string Ascii(const std::vector<Triangle>& triangles) {
    std::ostringstream s;
    s << "solid t\n" << std::setprecision(9); // nine digits give every float back exactly
    for (const Triangle& t : triangles) {
        s << "facet normal " << t[0].x << ' ' << t[0].y << ' ' << t[0].z << "\nouter loop\n";
        for (int i = 1; i < 4; ++i)
            s << "vertex " << t[i].x << ' ' << t[i].y << ' ' << t[i].z << '\n';
        s << "endloop\nendfacet\n";
    }
    return s.str() + "endsolid t\n";
}

std::string Binary(const std::vector<Triangle>& triangles, const std::string& header = "",
                   std::uint32_t count = ~0u) {
    std::string s = header + std::string(80 - header.size(), ' ');
    count = count == ~0u ? std::uint32_t(triangles.size()) : count;
    for (int b = 0; b < 4; ++b)
        s += char(count >> (8 * b));
    for (const Triangle& t : triangles) {
        for (const CGeoVector& v : t)
            for (int a = 0; a < 3; ++a) {
                std::uint32_t bits;
                const float value = v[a];
                std::memcpy(&bits, &value, 4);
                for (int b = 0; b < 4; ++b)
                    s += char(bits >> (8 * b));
            }
        s += "ab"; // the attribute is not read
    }
    return s;
}

// The triangles of an ASCII file, as far as its blocks read.
std::vector<Triangle> Parse(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<Triangle> triangles;
    std::string word;
    in.ignore(1024, '\n');
    Triangle t;
    while (in >> word && word == "facet" &&
           in >> word >> t[0].x >> t[0].y >> t[0].z >> word >> word) {
        for (int i = 1; i < 4; ++i)
            in >> word >> t[i].x >> t[i].y >> t[i].z;
        if (in >> word >> word)
            triangles.push_back(t);
    }
    return triangles;
}

// The model and progress steps of a load, or the thrown text in their place.
std::string Loaded(const std::function<void(MgObject&, MyProgressNotify*)>& load) {
    MgObject object;
    support::CountingProgress progress;
    std::string thrown;
    try {
        load(object, &progress);
    } catch (const char* message) {
        thrown = message;
    }
    ExpectValidTopology(object, false);
    return thrown + " steps " + std::to_string(progress.steps) + "\n" + support::ModelText(object);
}

std::string Ascii(const std::string& text) {
    return Loaded([&](MgObject& o, MyProgressNotify* p) {
        std::istringstream in(text);
        o.LoadSTL(in, p);
    });
}
std::string Bytes(const std::string& bytes, bool any = false) {
    return Loaded([&](MgObject& o, MyProgressNotify* p) {
        std::istringstream in(bytes);
        any ? o.LoadAnySTL(in, p) : o.LoadBinarySTL(in, p);
    });
}

std::vector<Triangle> RandomTriangles(unsigned seed, int count) {
    std::mt19937 random(seed);
    support::CoordinateMix mix; // about the merge box's 0.01
    mix.finite = true;
    // with an odd seed, corners come from a few points about the merge box apart, so that
    // a corner met again may have a newer vertex in its box
    std::vector<CGeoVector> pool(seed % 2 ? 12 : 0);
    auto draw = [&](CGeoVector& v) {
        for (int a = 0; a < 3; ++a)
            v[a] = support::StressCoordinate(random, mix);
    };
    for (CGeoVector& v : pool)
        draw(v);
    std::vector<Triangle> triangles(static_cast<std::size_t>(count));
    for (Triangle& t : triangles)
        for (CGeoVector& v : t)
            pool.empty() ? draw(v) : void(v = pool[random() % pool.size()]);
    return triangles;
}

} // namespace

TEST(BinaryStlReader, BuildsWhatTheTextReaderBuildsFromTheSameValues) {
    std::vector<std::vector<Triangle>> sets = {{}};
    for (unsigned seed = 1; seed <= 40; ++seed)
        sets.push_back(RandomTriangles(seed, 1 + int(seed * 7 % 300)));
    if (testsupport::HaveCorpus())
        for (const char* name : {"numpy-stl_bwb.stl", "gmsh_terrain_stl_data.stl",
                                 "numpy-stl_HalfDonut.stl", "assimp_sphereWithHole.stl"})
            sets.push_back(Parse(testsupport::CorpusStl() + name));
    for (const auto& triangles : sets) {
        const std::string binary = Binary(triangles, "solid looks like text");
        EXPECT_EQ(Bytes(binary), Ascii(Ascii(triangles)));
        EXPECT_EQ(Bytes(binary, true), Ascii(Ascii(triangles))); // told apart by its length
        EXPECT_EQ(Bytes(Ascii(triangles), true), Ascii(Ascii(triangles)));
    }
}

TEST(BinaryStlReader, ThrowsFileProblemAndKeepsTheFacetsRead) {
    const std::vector<Triangle> three = RandomTriangles(7, 3);
    const std::string whole = Binary(three);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::size_t facets = size < 84 ? 0 : (size - 84) / 50;
        const std::vector<Triangle> read(three.begin(), three.begin() + long(facets));
        std::string expected = Ascii(Ascii(read));
        expected.replace(0, 0, "File problem");
        EXPECT_EQ(Bytes(whole.substr(0, size)), expected) << size;
    }
    // a count no input of this size can hold costs no memory
    EXPECT_EQ(Bytes(Binary({}, "", 4000000000u)),
              "File problem" + Ascii(Ascii(std::vector<Triangle>())));
    std::istringstream in(whole + "rest");
    MgObject object;
    object.LoadBinarySTL(in);
    std::string rest;
    EXPECT_TRUE(in >> rest && rest == "rest"); // bytes after the last facet are not read
}

TEST(AnyStlReader, DecidesFromTheBytes) {
    const std::vector<Triangle> one = RandomTriangles(3, 1), two = RandomTriangles(4, 2);
    const std::string solids = Ascii(one) + "\n  " + Ascii(two) + "trailing words";
    const std::string binaryPadded = Binary(one, "solid") + "x"; // length off: read as text
    const std::tuple<std::string, std::string> cases[] = {
        {Binary(one), Bytes(Binary(one))},
        {Binary(one, "solid x"), Bytes(Binary(one))},
        {" \t" + Ascii(one), Ascii(Ascii(one))},
        {binaryPadded, Ascii(binaryPadded)},
        {"", Bytes("")},
        {"solid", Ascii("solid")},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(Bytes(input, true), expected) << input.substr(0, 90);
        // a stream that cannot seek is read whole first, in pieces of any size
        EXPECT_EQ(Loaded([&](MgObject& o, MyProgressNotify* p) {
                      support::ChunkBuffer buffer(input, 7, 5);
                      std::istream in(&buffer);
                      o.LoadAnySTL(in, p);
                  }),
                  expected);
    }
    // every further solid is one more face, read as LoadSTL reads it
    MgObject object;
    std::istringstream in(solids);
    object.LoadAnySTL(in);
    MgObject separate;
    for (const auto& triangles : {one, two}) {
        std::istringstream text(Ascii(triangles));
        separate.LoadSTL(text);
    }
    EXPECT_EQ(support::ModelText(object), support::ModelText(separate));
}
