// MgObject::LoadSCB and LoadFromSCB: reading the library's own text format.
//
// Numbers the format gives no meaning are handled so that nothing is written outside a table:
// a vertex or facet line with a negative number still makes its item, but no later line can
// name it; an edge line skips the numbers of vertices no vertex line defined, so an edge never
// holds a null vertex; the face id is read as a long, the width of a face id. Numbers up to a
// little beyond the count of items defined so far are held densely, larger ones in a hash
// map, so the tables stay proportional to the input whatever the numbers.
#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <unordered_map>
#include <vector>

#include "mgmesh/io/MyProgressNotify.h"
#include "mgmesh/io/detail/NumberScan.h"
#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/model/MgCorner.h"
#include "mgmesh/model/MgEdge.h"
#include "mgmesh/model/MgFace.h"
#include "mgmesh/model/MgFacet.h"
#include "mgmesh/model/MgObject.h"
#include "mgmesh/model/MgVertex.h"

namespace {

using mgmesh::detail::TokenReader;

// A face block's numbering from number to item; a number no line defined reads as null.
template <class T> class NumberTable {
public:
    void Define(int number, T* item) {
        if (number < 0)
            return; // nothing can name it
        ++m_defined;
        const std::size_t n = static_cast<std::size_t>(number);
        if (n >= m_dense.size() && n < DenseLimit())
            m_dense.resize(std::max(n + 1, 2 * m_dense.size()), nullptr);
        if (n < m_dense.size()) {
            m_dense[n] = item;
            if (!m_sparse.empty())
                m_sparse.erase(number);
        } else {
            m_sparse[number] = item;
        }
    }

    T* Find(int number) const {
        if (number < 0)
            return nullptr;
        const std::size_t n = static_cast<std::size_t>(number);
        if (n < m_dense.size() && m_dense[n])
            return m_dense[n];
        if (m_sparse.empty())
            return nullptr;
        const auto found = m_sparse.find(number);
        return found == m_sparse.end() ? nullptr : found->second;
    }

private:
    // the dense part grows on demand and never beyond a fixed multiple of the definitions
    // made, so a face of few items with huge numbers costs little
    std::size_t DenseLimit() const { return 4 * m_defined + 4096; }

    std::vector<T*> m_dense;
    std::unordered_map<int, T*> m_sparse;
    std::size_t m_defined = 0;
};

// A facet and the neighbour numbers its line gave, resolved at the end of the block.
struct PendingFacet {
    MgFacet* facet;
    std::array<int, 3> neighbors;
};

// Reads the next keyword; a face block that ends before "faceEnd" is a broken file.
void NextKeyword(TokenReader& reader, std::string& word) {
    const char* p = nullptr;
    const char* last = nullptr;
    reader.BufferedText(p, last);
    if (p != last) { // straight from the buffered text when the word ends there
        p = mgmesh::detail::SkipSpaces(p, last);
        const char* end = mgmesh::detail::WordEnd(p, last);
        if (end != last) {
            word.assign(p, end);
            reader.Consume(end);
            return;
        }
    }
    word.clear();
    if (!reader.Word(word))
        throw "File problem";
}

// The numbers of an item line read straight from the buffered text, when all of them are
// plain (see TokenReader); their values stay here until all are read, and nothing is taken
// from the stream unless all were.
class PlainNumbers {
public:
    explicit PlainNumbers(TokenReader& reader) : m_reader(reader) {
        reader.BufferedText(m_p, m_last);
        m_ok = m_p != m_last;
    }
    bool Int(int& value) {
        long wide = 0;
        m_ok =
            m_ok &&
            mgmesh::detail::PlainLong(mgmesh::detail::SkipSpaces(m_p, m_last), m_last, wide, m_p) &&
            wide >= INT_MIN && wide <= INT_MAX;
        value = static_cast<int>(wide);
        return m_ok;
    }
    bool Float(float& value) {
        m_ok = m_ok && mgmesh::detail::PlainFloat(mgmesh::detail::SkipSpaces(m_p, m_last), m_last,
                                                  value, m_p);
        return m_ok;
    }
    bool Take() {
        if (m_ok)
            m_reader.Consume(m_p);
        return m_ok;
    }

private:
    TokenReader& m_reader;
    const char* m_p = nullptr;
    const char* m_last = nullptr;
    bool m_ok = false;
};

// A vertex line's number, UV, position and normal.
bool ReadPlainVertex(TokenReader& reader, int& number, float (&values)[8]) {
    PlainNumbers plain(reader);
    int n = 0;
    float v[8];
    if (!plain.Int(n))
        return false;
    for (float& value : v)
        if (!plain.Float(value))
            return false;
    if (!plain.Take())
        return false;
    number = n;
    std::copy(v, v + 8, values);
    return true;
}

// A facet line's numbers.
bool ReadPlainFacet(TokenReader& reader, int (&numbers)[7]) {
    PlainNumbers plain(reader);
    int n[7];
    for (int& value : n)
        if (!plain.Int(value))
            return false;
    if (!plain.Take())
        return false;
    std::copy(n, n + 7, numbers);
    return true;
}

// Reads numbers until one does not parse, then clears the stream for the next keyword.
template <class Use> void ReadNumberRun(TokenReader& reader, Use use) {
    int number = 0;
    while (reader.Int(number))
        use(number);
    reader.Clear();
}

CGeoVector ReadVector(TokenReader& reader) {
    float x = 0, y = 0, z = 0;
    reader.Float(x);
    reader.Float(y);
    reader.Float(z);
    return CGeoVector(x, y, z);
}

// The body of one face block, after its "faceBegin" and id.
void ReadFaceBlock(MgFace* face, TokenReader& reader, MyProgressNotify* progress) {
    NumberTable<MgVertex> vertices;
    NumberTable<MgFacet> facets;
    std::vector<PendingFacet> pending;
    std::string word;
    NextKeyword(reader, word);
    while (word != "faceEnd") {
        if (word == "vertex") {
            int number = 0;
            float uv[2] = {0, 0};
            CGeoVector position, normal;
            float values[8];
            if (ReadPlainVertex(reader, number, values)) {
                uv[0] = values[0];
                uv[1] = values[1];
                position = CGeoVector(values + 2);
                normal = CGeoVector(values + 5);
            } else {
                reader.Int(number);
                reader.Float(uv[0]);
                reader.Float(uv[1]);
                position = ReadVector(reader);
                normal = ReadVector(reader);
            }
            MgVertex* vertex = face->NewVertex();
            vertex->SetVertex(position);
            vertex->SetNormal(normal);
            vertex->SetGeoUV(uv);
            vertices.Define(number, vertex);
        } else if (word == "facet") {
            int numbers[7] = {0, 0, 0, 0, -1, -1, -1};
            if (!ReadPlainFacet(reader, numbers))
                for (int& n : numbers)
                    reader.Int(n);
            MgFacet* facet = face->NewFacet();
            for (int i = 0; i < 3; ++i)
                facet->SetVertex(i, vertices.Find(numbers[1 + i]));
            pending.push_back({facet, {numbers[4], numbers[5], numbers[6]}});
            facets.Define(numbers[0], facet);
        } else if (word == "edge") {
            MgEdge* edge = face->NewEdge();
            ReadNumberRun(reader, [&](int number) {
                if (MgVertex* vertex = vertices.Find(number))
                    edge->AddVertex(vertex);
            });
        } else if (word == "corner") {
            const CGeoVector position = ReadVector(reader);
            face->NewCorner()->SetPosition(position);
        } else if (word == "tolerance") {
            float tolerance = face->GeoTolerance();
            reader.Float(tolerance);
            face->SetGeoTolerance(tolerance);
        } else if (word == "trueDirection") {
            face->SetTrueDirection(true);
        } else if (word == "silhouette" || word == "cut") {
            ReadNumberRun(reader, [](int) {});
        } else {
            reader.SkipLine(1000);
        }
        NextKeyword(reader, word);
        if (progress)
            progress->Step();
    }
    // neighbours may be defined after the facets that name them
    for (const PendingFacet& p : pending)
        for (int i = 0; i < 3; ++i)
            p.facet->SetNeighbor(i, facets.Find(p.neighbors[i]));
    face->RebuildCorners();
}

std::string ReadFaces(MgObject& object, TokenReader& reader, MyProgressNotify* progress) {
    if (!reader.Good())
        return std::string();
    std::string word;
    for (;;) {
        word.clear();
        reader.Word(word);
        if (word != "faceBegin")
            return word;
        MgFace* face = object.NewFace();
        std::intptr_t id = 0;
        reader.Id(id);
        face->SetGeoFaceId(id);
        face->SetTrueDirection(false);
        ReadFaceBlock(face, reader, progress);
        if (!reader.Good())
            return std::string();
    }
}

} // namespace

std::string MgObject::LoadFromSCB(std::istream& in, MyProgressNotify* progress) {
    TokenReader reader(in);
    return ReadFaces(*this, reader, progress);
}

std::string MgObject::LoadSCB(std::istream& in, MyProgressNotify* progress) {
    TokenReader reader(in);
    std::string word;
    reader.Word(word);
    if (word != "scb1")
        throw "File problem";
    word.clear();
    reader.Word(word);
    if (word != "part")
        throw "File problem";
    std::string name;
    reader.Word(name);
    ReadFaces(*this, reader, progress);
    return name;
}
