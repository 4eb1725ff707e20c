// SCB saving and loading of closed icospheres, and the token reader beside plain extraction.
// And the sphere rows' SCB round trip in memory (registered with the other sphere rows, see
// SphereBench.cpp).
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "SphereGen.h"
#include "SphereRows.h"
#include "Timing.h"
#include "mgmesh/io/detail/TokenReader.h"
#include "mgmesh/mgmesh.h"
#include "support/StreamReference.h"

namespace {

// The closed icosphere of 20·4^levels facets as one face with its neighbour links.
std::unique_ptr<MgObject> IcosphereObject(int levels) {
    auto object = std::make_unique<MgObject>();
    bench::AddSphereFace(*object, bench::CachedIcosphere(levels))->RebuildEdges();
    return object;
}

std::string ScbText(const MgObject& object) {
    std::ostringstream out;
    object.SaveSCB(out, "icosphere");
    return out.str();
}

void ScbSave(benchmark::State& state) {
    const std::unique_ptr<MgObject> object = IcosphereObject(int(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        object->SaveSCB(out, "icosphere");
        bytes = out.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * object->NumFacets());
    state.counters["facets"] = object->NumFacets();
}
BENCHMARK(ScbSave)->DenseRange(5, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// To a file every line end flushes: one write to the file system per line.
void ScbSaveToFile(benchmark::State& state) {
    const std::unique_ptr<MgObject> object = IcosphereObject(int(state.range(0)));
    const std::string path = "/tmp/mgmesh_scb_bench_" + std::to_string(state.range(0)) + ".scb";
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        object->SaveSCB(out, "icosphere");
        bytes = std::size_t(out.tellp());
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * object->NumFacets());
}
BENCHMARK(ScbSaveToFile)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void ScbLoad(benchmark::State& state) {
    const std::string text = ScbText(*IcosphereObject(int(state.range(0))));
    int facets = 0;
    for (auto _ : state) {
        auto object = std::make_unique<MgObject>();
        std::istringstream in(text);
        object->LoadSCB(in);
        facets = object->NumFacets();
        state.PauseTiming();
        object.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * facets);
    state.counters["facets"] = facets;
}
BENCHMARK(ScbLoad)->DenseRange(5, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// The tokens of an SCB text read as words and numbers: the token reader and plain extraction.
template <class Read> void ReadTokens(benchmark::State& state, Read read) {
    const std::string text = ScbText(*IcosphereObject(int(state.range(0))));
    for (auto _ : state) {
        std::istringstream in(text);
        benchmark::DoNotOptimize(read(in));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

// Every token as a float where it parses, else as a word.
template <class Reader> long long Consume(Reader& reader) {
    long long n = 0;
    std::string word;
    float f = 0;
    while (!reader.Eof()) {
        if (reader.Float(f)) {
            ++n;
            continue;
        }
        reader.Clear();
        if (!reader.Word(word))
            break;
    }
    return n;
}

// The tests' reference reader, which Consume also asks for the end of the text.
struct PlainReader : support::PlainReader {
    bool Eof() const { return in.eof(); }
};

void TokensFast(benchmark::State& state) {
    ReadTokens(state, [](std::istream& in) {
        mgmesh::detail::TokenReader reader(in);
        return Consume(reader);
    });
}
BENCHMARK(TokensFast)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

void TokensPlain(benchmark::State& state) {
    ReadTokens(state, [](std::istream& in) {
        PlainReader reader{{in}};
        return Consume(reader);
    });
}
BENCHMARK(TokensPlain)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

namespace bench {

namespace {

// Reads a string in place, as a file stream reads its file, without the copy a string stream
// makes.
struct MemoryBuffer : std::streambuf {
    explicit MemoryBuffer(const std::string& s) {
        char* p = const_cast<char*>(s.data());
        setg(p, p, p + s.size());
    }
};

// Collects written text in a string that is kept between iterations (its capacity reused).
struct StringSink : std::streambuf {
    std::string text;
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        text.append(s, std::size_t(n));
        return n;
    }
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            text.push_back(traits_type::to_char_type(c));
        return traits_type::not_eof(c);
    }
};

} // namespace

// Into memory: to a file, every line end's flush would be a write to the file system.
void ScbRoundTripRow(benchmark::State& state) {
    const std::string path = SphereFile(state.range(0));
    const MgObject& model = Model(state.range(0));
    Samples samples(state, "SaveLoadSCB"), saves(state, "SaveSCB"), loads(state, "LoadSCB");
    StringSink sink;
    for (auto _ : state) {
        const double bare = TimeBare(path);
        sink.text.clear();
        std::ostream out(&sink);
        auto copy = std::make_unique<MgObject>();
        const Clock::time_point start = Clock::now();
        model.SaveSCB(out, "icosphere");
        const double saved = Since(start);
        MemoryBuffer buffer(sink.text);
        std::istream in(&buffer);
        const Clock::time_point loadStart = Clock::now();
        copy->LoadSCB(in);
        const double loaded = Since(loadStart);
        saves.Add(saved, bare);
        loads.Add(loaded, bare);
        samples.Add(saved + loaded, bare);
        if (!CheckSphere(state, *copy))
            return;
    }
    const Result save = saves.Finish(), load = loads.Finish();
    samples.Finish();
    state.counters["save_x_bare"] = save.ratio;
    state.counters["load_x_bare"] = load.ratio;
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(sink.text.size()));
}

} // namespace bench
