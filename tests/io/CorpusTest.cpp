// Real ASCII STL files from other projects, loaded and compared with an independent model's
// figures (NAME.expected.json beside each file).
#include <filesystem>

#include "IoSupport.h"
#include "support/Corpus.h"
#include "support/ReferenceReport.h"

namespace {

const std::string kDir = testsupport::CorpusStl();

// The value of the first member `key` in `json`: a string's text, a number or word, or the
// items of a flat array separated by single spaces.
std::string Value(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\": "), begin = at + key.size() + 4;
    if (at == std::string::npos)
        return "missing " + key;
    if (json[begin] == '"')
        return json.substr(begin + 1, json.find('"', begin + 1) - begin - 1);
    if (json[begin] != '[')
        return json.substr(begin, json.find_first_of(",}\n", begin) - begin);
    std::string items = json.substr(begin + 1, json.find(']', begin) - begin - 1), words, word;
    std::replace(items.begin(), items.end(), ',', ' ');
    std::istringstream in(items);
    while (in >> word)
        words += (words.empty() ? "" : " ") + word;
    return words;
}

std::string Join(const std::vector<int>& numbers) {
    std::ostringstream s;
    for (int n : numbers)
        s << (s.tellp() > 0 ? " " : "") << n;
    return s.str();
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kDir, error))
        if (entry.path().extension() == ".json")
            names.push_back(entry.path().stem().stem().string()); // NAME of NAME.expected.json
    std::sort(names.begin(), names.end());
    return names;
}

class Corpus : public testing::TestWithParam<std::string> {};

} // namespace

TEST_P(Corpus, LoadsAndRebuildsAsTheReferenceModelSays) {
    const std::string json = testsupport::ReadFile(kDir + GetParam() + ".expected.json");
    const std::string load = json.substr(0, json.find("\"rebuild_edges\"")),
                      rebuild = json.substr(load.size());
    const std::string bytes = testsupport::ReadFile(kDir + GetParam());
    ASSERT_EQ(std::to_string(bytes.size()), Value(json, "bytes")) << "not the file measured";
    MgObject object;
    support::CountingProgress progress;
    std::istringstream in(bytes);
    const std::string outcome = io::Thrown([&] { object.LoadSTL(in, &progress); });
    MgFace* face = object.FaceList().front();
    EXPECT_EQ((outcome.empty() ? "ok" : outcome) + " " +
                  Join({face->NumFacets(), face->NumVertices(), progress.steps}),
              Value(load, "outcome") + " " + Value(load, "facets") + " " + Value(load, "vertices") +
                  " " + Value(load, "progress_steps"));
    // which vertex each corner merged into
    unsigned long long checksum = 0, k = 0;
    for (const MgFacet* f : face->FacetList()) {
        ++k;
        for (int s = 0; s < 3; ++s)
            checksum = (checksum + k * unsigned(s + 1) *
                                       unsigned(io::IndexIn(face->VertexList(), f->Vertex(s)))) &
                       ((1ull << 61) - 1);
    }
    EXPECT_EQ(std::to_string(checksum), Value(load, "facet_vertex_index_checksum"));
    const float area = std::stof(Value(load, "f32_emulated"));
    EXPECT_NEAR(object.Area(), area, 1e-4 * std::fabs(area) + 1e-6);
    if (face->NumVertices() > 0) {
        const std::string bounds = load.substr(load.find("\"bounds\""));
        std::istringstream lo(Value(bounds, "min")), hi(Value(bounds, "max"));
        for (int k = 0; k < 3; ++k) {
            float l, h;
            lo >> l;
            hi >> h;
            EXPECT_EQ(face->MinBound()[k], l);
            EXPECT_EQ(face->MaxBound()[k], h);
        }
    }

    bool rebuilt = false;
    const std::string thrown = io::Thrown([&] { rebuilt = face->RebuildEdges(); });
    EXPECT_EQ((thrown.empty() ? rebuilt ? "true" : "false" : thrown) +
                  (face->Corrupt() ? " true " : " false ") + std::to_string(face->NumVertices()),
              Value(rebuild, "result") + " " + Value(rebuild, "corrupt") + " " +
                  Value(rebuild, "vertices"));
    ExpectValidTopology(face, false);
    std::vector<int> lengths;
    for (const MgEdge* edge : face->EdgeList())
        lengths.push_back(int(edge->VertexList().size()));
    std::sort(lengths.begin(), lengths.end());
    EXPECT_EQ(Join(lengths), Value(rebuild, "loop_lengths"));
    std::vector<int> byNeighbours(4);
    for (const MgFacet* f : face->FacetList())
        ++byNeighbours[(f->Neighbor(0) != nullptr) + (f->Neighbor(1) != nullptr) +
                       (f->Neighbor(2) != nullptr)];
    EXPECT_EQ(Join(byNeighbours), Value(rebuild, "facets_by_neighbours_set"));
}

// The report against the plain computation over the loaded vertices (whose merging the test
// above checks against the reference), and the reference's count of degenerate facets.
TEST_P(Corpus, ReportsWhatThePlainComputationGives) {
    const std::string json = testsupport::ReadFile(kDir + GetParam() + ".expected.json");
    MgObject object;
    std::istringstream in(testsupport::ReadFile(kDir + GetParam()));
    io::Thrown([&] { object.LoadSTL(in); });
    const support::PlainReport plain = support::PlainReportOf(object.FaceList().front());
    const mgmesh::MeshReport report = mgmesh::ReportMesh(object);
    EXPECT_EQ(std::to_string(report.shells) + " shells, " + std::to_string(report.openEdges) +
                  " open, " + std::to_string(report.nonManifoldEdges) + " non-manifold, " +
                  std::to_string(report.misorientedEdges) + " misoriented, " +
                  std::to_string(report.degenerateFacets) + " degenerate",
              plain.Text());
    EXPECT_NEAR(report.volume, plain.volume, 1e-9 * (1 + std::fabs(plain.volume)));
    EXPECT_EQ(std::to_string(report.degenerateFacets), Value(json, "degenerate_facets"));
}

INSTANTIATE_TEST_SUITE_P(Stl, Corpus, testing::ValuesIn(CorpusFiles()));
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Corpus); // a checkout without the corpus

TEST(Corpus, IsThere) {
    SKIP_WITHOUT_CORPUS();
    EXPECT_GE(CorpusFiles().size(), 9u);
}
