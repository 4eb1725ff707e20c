// Several threads each loading, rebuilding, refining, copying and saving models of their own
// at the same time: each must get exactly what a lone thread gets. Run under
// ThreadSanitizer (MGMESH_SANITIZE=thread) this also finds unsynchronised shared state.
#include <atomic>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Corpus.h"
#include "support/ModelText.h"

namespace {

// What a job made, as text: its objects item by item and saved, with their counts.
std::string Describe(const MgObject& object) {
    std::ostringstream out;
    out << object.FaceList().size() << ' ' << object.NumVertices() << ' ' << object.NumFacets()
        << ' ' << object.NumEdges() << ' ' << object.Area() << '\n'
        << support::ModelText(object);
    object.SaveSCB(out, "result");
    return out.str();
}

// Loads an SCB model, copies it, reverses and rebuilds the copy, splits and unsplits a facet.
std::string ScbJob(const std::string& text) {
    MgObject object;
    std::istringstream in(text);
    object.LoadSCB(in);
    MgObject copy;
    copy.CopyObject(&object);
    copy.Reverse();
    for (MgFace* face : copy.FaceList()) {
        face->RebuildEdges();
        if (face->FacetList().empty())
            continue;
        MgFacet* f = face->FacetList().front();
        MgFacet* n = f->Neighbor(0);
        const MgTwoFacets made = f->Split(0, 0.25f);
        f->Unsplit(made.first, n, made.second);
        face->FacetList().back()->Split(1, 0.5f);
    }
    return Describe(object) + Describe(copy);
}

// Reads an STL solid and derives its edges; the face is then merged into a second object.
std::string StlJob(const std::string& text) {
    MgObject object;
    std::istringstream in(text);
    try {
        object.LoadSTL(in);
    } catch (const char* message) {
        return std::string("thrown: ") + message + '\n' + Describe(object);
    }
    object.FaceList().front()->RebuildEdges();
    std::unique_ptr<MgObject> merged(new MgObject());
    merged->CopyObject(&object);
    merged->CopyObject(&object);
    merged->FaceList().front()->AddTo(merged->FaceList().back());
    return Describe(object) + Describe(*merged);
}

// A multi-part file into a drawable multi-part object (no drawing: no GL context here); the
// faces it makes draw selection names from one table for the whole process.
std::string MultiJob(const std::string& text) {
    CMgGrMultiObject multi;
    multi.Init();
    std::istringstream in(text);
    multi.LoadSCB(in);
    std::string result = Describe(*multi.OriginalObject());
    for (const MgObject* part : multi.ProcessedList())
        for (const MgFace* face : part->FaceList())
            if (const MgGrFace* gr = dynamic_cast<const MgGrFace*>(face))
                result +=
                    MgGrFace::FromSelectionName(gr->SelectionName()) == gr ? "" : "bad name\n";
    return result;
}

struct Job {
    std::string name;
    std::function<std::string()> run;
};

// A job for each file, run on its text.
std::vector<Job> Jobs() {
    using Run = std::string (*)(const std::string&);
    const std::string models = MGMESH_SOURCE_DIR "/examples/models/";
    std::vector<std::pair<std::string, Run>> files = {{models + "box.scb", ScbJob},
                                                      {models + "bracket_parts.scb", MultiJob},
                                                      {models + "loose_pieces.scb", MultiJob},
                                                      {models + "assembly.scb", MultiJob},
                                                      {models + "bracket.stl", StlJob}};
    if (testsupport::HaveCorpus()) // without it, the shipped models still run
        for (const char* name : {"numpy-stl_Cube.stl", "admesh_block_normal-directions-bad.stl",
                                 "openscad_issue945e.stl"})
            files.emplace_back(testsupport::CorpusStl() + name, StlJob);
    std::vector<Job> jobs;
    for (const auto& [path, run] : files) {
        const std::string text = testsupport::ReadFile(path);
        EXPECT_FALSE(text.empty()) << path;
        jobs.push_back({path, [text, run = run] { return run(text); }});
    }
    return jobs;
}

TEST(Threads, SeparateModelsInParallelGiveWhatOneThreadGives) {
    const std::vector<Job> jobs = Jobs();
    std::vector<std::string> expected;
    for (const Job& job : jobs) {
        try {
            expected.push_back(job.run());
        } catch (const char* message) {
            FAIL() << job.name << " threw " << message;
        }
        ASSERT_GT(expected.back().size(), 40u) << job.name;
    }

    constexpr int kThreads = 4, kRounds = 3;
    std::vector<std::vector<std::string>> failures(kThreads);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < kThreads) {
            }
            for (int round = 0; round < kRounds; ++round)
                // each thread walks the jobs from its own start, so different jobs overlap
                for (std::size_t k = 0; k < jobs.size(); ++k) {
                    const std::size_t j = (k + static_cast<std::size_t>(t) * 3) % jobs.size();
                    std::string got;
                    try {
                        got = jobs[j].run();
                    } catch (const char* message) {
                        got = message;
                    }
                    if (got != expected[j])
                        failures[t].push_back(jobs[j].name);
                }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        for (const std::string& name : failures[t])
            ADD_FAILURE() << "thread " << t << ": " << name << " differs from the lone run";
}

} // namespace
