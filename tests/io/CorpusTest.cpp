// Real ASCII STL files from other projects, loaded and compared with an independent model's
// figures (NAME.expected.json beside each file).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Topology.h"

namespace {

// Just enough JSON for the expectation files: numbers keep their text, so that integers
// beyond a double's 53 bits stay exact.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    std::string text; // a string's value or a number's digits
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](const std::string& key) const {
        for (const auto& m : members)
            if (m.first == key)
                return m.second;
        ADD_FAILURE() << "no member \"" << key << "\"";
        static const Json none;
        return none;
    }
    const Json& operator[](std::size_t i) const { return items.at(i); }
    double Double() const { return std::strtod(text.c_str(), nullptr); }
    long long Int() const { return std::strtoll(text.c_str(), nullptr, 10); }
    std::uint64_t Unsigned() const { return std::strtoull(text.c_str(), nullptr, 10); }
};

class JsonParser {
public:
    explicit JsonParser(const std::string& text) : m_p(text.c_str()), m_end(m_p + text.size()) {}

    Json Parse() {
        Json value = Value();
        Space();
        if (m_p != m_end)
            Fail("trailing text");
        return value;
    }

private:
    void Fail(const char* what) {
        ADD_FAILURE() << "bad JSON: " << what;
        m_p = m_end;
    }
    void Space() {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }
    bool Take(char c) {
        Space();
        if (m_p != m_end && *m_p == c) {
            ++m_p;
            return true;
        }
        return false;
    }
    bool Word(const char* word) {
        const std::size_t n = std::char_traits<char>::length(word);
        if (std::size_t(m_end - m_p) >= n && std::equal(word, word + n, m_p)) {
            m_p += n;
            return true;
        }
        return false;
    }
    std::string Str() {
        std::string s;
        if (!Take('"'))
            Fail("string expected");
        while (m_p != m_end && *m_p != '"') {
            if (*m_p == '\\' && m_p + 1 != m_end)
                ++m_p; // the files escape nothing beyond quotes and backslashes
            s += *m_p++;
        }
        if (m_p == m_end)
            Fail("unterminated string");
        else
            ++m_p;
        return s;
    }
    Json Value() {
        Json v;
        Space();
        if (m_p == m_end) {
            Fail("value expected");
        } else if (*m_p == '{') {
            v.kind = Json::Object;
            ++m_p;
            if (!Take('}')) {
                do {
                    std::string key = Str();
                    if (!Take(':'))
                        Fail("colon expected");
                    v.members.emplace_back(key, Value());
                } while (Take(','));
                if (!Take('}'))
                    Fail("} expected");
            }
        } else if (*m_p == '[') {
            v.kind = Json::Array;
            ++m_p;
            if (!Take(']')) {
                do
                    v.items.push_back(Value());
                while (Take(','));
                if (!Take(']'))
                    Fail("] expected");
            }
        } else if (*m_p == '"') {
            v.kind = Json::String;
            v.text = Str();
        } else if (Word("true")) {
            v.kind = Json::Bool;
            v.boolean = true;
        } else if (Word("false")) {
            v.kind = Json::Bool;
        } else if (Word("null")) {
            v.kind = Json::Null;
        } else {
            v.kind = Json::Number;
            while (m_p != m_end && std::string("+-0123456789.eE").find(*m_p) != std::string::npos)
                v.text += *m_p++;
            if (v.text.empty())
                Fail("unexpected character");
        }
        return v;
    }

    const char* m_p;
    const char* m_end;
};

const std::string kDir = MGMESH_CORPUS_DIR "/stl/";
const std::string kSuffix = ".expected.json";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kDir, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > kSuffix.size() &&
            name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0)
            names.push_back(name.substr(0, name.size() - kSuffix.size()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Counter : MyProgressNotify {
    long steps = 0;
    void Step() override { ++steps; }
};

std::map<long long, long long> Histogram(const Json& j) {
    std::map<long long, long long> h;
    for (const auto& m : j.members)
        h[std::atoll(m.first.c_str())] = m.second.Int();
    return h;
}

std::map<long long, long long> RefCounts(const MgFace* face) {
    std::map<long long, long long> h;
    for (const MgVertex* v : face->VertexList())
        ++h[v->RefCount()];
    return h;
}

void ExpectNear(double actual, double expected, double relative, const char* what) {
    EXPECT_LE(std::fabs(actual - expected), relative * std::max(1.0, std::fabs(expected)))
        << what << ": " << actual << " against " << expected;
}

void CheckLoad(const MgFace* face, const Json& load, long steps) {
    EXPECT_EQ(face->NumFacets(), load["facets"].Int());
    EXPECT_EQ(face->NumVertices(), load["vertices"].Int());
    EXPECT_EQ(steps, load["progress_steps"].Int());
    EXPECT_EQ(RefCounts(face), Histogram(load["refcounts"]["histogram"]));

    std::unordered_map<const MgVertex*, std::uint64_t> index;
    double position[3] = {0, 0, 0}, normal[3] = {0, 0, 0};
    for (const MgVertex* v : face->VertexList()) {
        index.emplace(v, index.size());
        for (int k = 0; k < 3; ++k) {
            position[k] += v->Vertex()[k];
            normal[k] += v->Normal()[k];
        }
    }
    const Json& checks = load["checks"];
    for (int k = 0; k < 3; ++k) {
        ExpectNear(position[k], checks["vertex_position_sum"][std::size_t(k)].Double(), 1e-9,
                   "position sum");
        ExpectNear(normal[k], checks["vertex_normal_sum"][std::size_t(k)].Double(), 1e-5,
                   "normal sum");
    }

    // which vertex each corner merged into, and how many facets lost a corner that way
    const std::uint64_t mask = (std::uint64_t(1) << 61) - 1;
    std::uint64_t checksum = 0, k = 0;
    long degenerate = 0;
    for (const MgFacet* f : face->FacetList()) {
        ++k;
        const std::uint64_t i0 = index[f->Vertex(0)], i1 = index[f->Vertex(1)],
                            i2 = index[f->Vertex(2)];
        checksum = (checksum + k * (i0 + 2 * i1 + 3 * i2)) & mask;
        degenerate += i0 == i1 || i1 == i2 || i2 == i0;
    }
    EXPECT_EQ(checksum, checks["facet_vertex_index_checksum"].Unsigned());
    EXPECT_EQ(degenerate, load["degenerate_facets"].Int());

    ExpectNear(face->Area(), load["area"]["f64"].Double(), 1e-4, "area");
    if (face->NumVertices() > 0)
        for (int a = 0; a < 3; ++a) {
            EXPECT_EQ(face->MinBound()[a], float(load["bounds"]["min"][std::size_t(a)].Double()));
            EXPECT_EQ(face->MaxBound()[a], float(load["bounds"]["max"][std::size_t(a)].Double()));
        }
}

void CheckRebuild(MgFace* face, const Json& expected) {
    const int before = face->NumVertices();
    std::string result;
    try {
        result = face->RebuildEdges() ? "true" : "false";
    } catch (const char* message) {
        result = message;
    }
    const Json& r = expected["result"];
    EXPECT_EQ(result, r.kind == Json::Bool ? (r.boolean ? "true" : "false") : r.text);
    EXPECT_EQ(face->Corrupt(), expected["corrupt"].boolean);
    EXPECT_EQ(face->NumVertices(), expected["vertices"].Int());
    EXPECT_EQ(before - face->NumVertices(), expected["vertices_deleted"].Int());
    EXPECT_EQ(face->NumEdges(), expected["edges"].Int());
    ExpectValidTopology(face, false);

    std::unordered_map<const MgVertex*, long long> index;
    for (const MgVertex* v : face->VertexList())
        index.emplace(v, static_cast<long long>(index.size()));
    std::vector<long long> lengths;
    long long entries = 0;
    std::size_t e = 0;
    for (const MgEdge* edge : face->EdgeList()) {
        const long long length = static_cast<long long>(edge->VertexList().size());
        lengths.push_back(length);
        entries += length;
        if (e < expected["first_edges"].items.size()) {
            const Json& first = expected["first_edges"][e];
            EXPECT_EQ(length, first["length"].Int()) << "edge " << e;
            if (length > 0) {
                EXPECT_EQ(index[edge->VertexList().front()], first["first_vertex"].Int())
                    << "edge " << e;
            }
        }
        ++e;
    }
    std::sort(lengths.begin(), lengths.end());
    std::vector<long long> expectedLengths;
    for (const Json& l : expected["loop_lengths"].items)
        expectedLengths.push_back(l.Int());
    EXPECT_EQ(lengths, expectedLengths);
    EXPECT_EQ(entries, expected["edge_vertex_entries"].Int());

    std::vector<long long> byNeighbours(4, 0);
    long long selfSlots = 0;
    for (const MgFacet* f : face->FacetList()) {
        int set = 0;
        for (int i = 0; i < 3; ++i) {
            set += f->Neighbor(i) != nullptr;
            selfSlots += f->Neighbor(i) == f;
        }
        ++byNeighbours[std::size_t(set)];
    }
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(byNeighbours[i], expected["facets_by_neighbours_set"][i].Int())
            << i << " neighbours";
    EXPECT_EQ(selfSlots, expected["self_neighbour_slots"].Int());
    EXPECT_EQ(RefCounts(face), Histogram(expected["refcounts"]["histogram"]));
}

class Corpus : public testing::TestWithParam<std::string> {};

} // namespace

TEST_P(Corpus, LoadsAndRebuildsAsTheReferenceModelSays) {
    const std::string name = GetParam();
    const Json expected = JsonParser(ReadFile(kDir + name + kSuffix)).Parse();
    const std::string bytes = ReadFile(kDir + name);
    ASSERT_EQ(static_cast<long long>(bytes.size()), expected["bytes"].Int())
        << "the file is not the one the figures were taken from";

    MgObject object;
    Counter progress;
    std::istringstream in(bytes);
    std::string outcome = "ok";
    try {
        object.LoadSTL(in, &progress);
    } catch (const char* message) {
        outcome = message;
    }
    const Json& load = expected["load"];
    EXPECT_EQ(outcome, load["outcome"].text);
    ASSERT_EQ(object.FaceList().size(), 1u);
    MgFace* face = object.FaceList().front();
    ExpectValidTopology(face, false);
    CheckLoad(face, load, progress.steps);
    CheckRebuild(face, expected["rebuild_edges"]);
}

INSTANTIATE_TEST_SUITE_P(Stl, Corpus, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string id = info.param;
                             for (char& c : id)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return id;
                         });

TEST(Corpus, IsThere) {
    EXPECT_GE(CorpusFiles().size(), 9u);
}
