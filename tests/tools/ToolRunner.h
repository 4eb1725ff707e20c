// Running mgtool as a user would, and the files the tests read and write.
#pragma once

#include <string>
#include <vector>

namespace tooltest {

struct RunResult {
    int status = -1; // the exit status, or 128 + the signal that ended the process
    std::string out;
    std::string err;
};

/// Runs mgtool with `args` (standard input empty, both outputs captured).
RunResult RunTool(const std::vector<std::string>& args);
/// Runs mgtool under `xvfb-run -a`, which gives it a virtual X display.
RunResult RunToolUnderXvfb(const std::vector<std::string>& args);
/// Runs mgtool with its standard error on a pseudo-terminal; `err` holds what it wrote there.
RunResult RunToolWithTerminal(const std::vector<std::string>& args);
/// Whether xvfb-run is on the PATH.
bool HaveXvfb();

/// A shipped sample model (examples/models/NAME).
std::string ModelPath(const std::string& name);
/// A file of the STL corpus.
std::string CorpusPath(const std::string& name);
/// The corpus STL files that have an expected-values file beside them.
std::vector<std::string> CorpusFiles();
/// A fresh, empty directory for this test program's outputs.
std::string OutputDir();

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

} // namespace tooltest
