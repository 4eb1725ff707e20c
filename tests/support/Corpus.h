// The STL corpus: real files from other projects with reference values, kept outside this
// repository (configure with -DMGMESH_CORPUS_DIR=...). A checkout without it skips the tests
// that need it, saying where it looked.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

namespace testsupport {

// The corpus's "stl" folder with a trailing slash.
inline std::string CorpusStl() {
    return MGMESH_CORPUS_DIR "/stl/";
}

// The whole of a file, "" where it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline bool HaveCorpus() {
    std::error_code ignored;
    return std::filesystem::is_directory(CorpusStl(), ignored);
}

} // namespace testsupport

#define SKIP_WITHOUT_CORPUS()                                                                      \
    do {                                                                                           \
        if (!testsupport::HaveCorpus())                                                            \
            GTEST_SKIP() << "no STL corpus at " << testsupport::CorpusStl()                        \
                         << " (configure with -DMGMESH_CORPUS_DIR=...)";                           \
    } while (false)
