// What mgtool asks of the operating system that POSIX systems and Windows do differently: the
// heap's pages, the terminal test, binary standard streams, and temporary files renamed over
// their targets.
#pragma once

#include <cstdio>
#include <string>

namespace mgtool::platform {

/// Runs this program again with the C library's heap in huge pages where that library asks
/// for them only when told (glibc's "glibc.malloc.hugetlb" tunable), unless the environment
/// already says how or the program runs under valgrind; returns where the system cannot, and
/// the tool goes on as it is. A model
/// of a million facets lives in many small heap blocks, and a fresh process pays for every
/// page of them it touches first.
void PreferHugePages(char** argv);

/// Whether standard error is a terminal (the progress bar and the viewer's help go there).
bool ErrorIsTerminal();

/// Sets `stream` (standard input or output) to binary mode where the C library translates line
/// ends (Windows); elsewhere it does nothing.
void BinaryMode(std::FILE* stream);

/// The path that writes to standard output when opened, or an empty string where the system
/// has none (Windows).
std::string StandardOutputPath();

/// Creates an empty file beside `target`, named after it with a unique suffix, whose mode is
/// that of the existing target when `keepMode` is set, else that of a new file; returns its
/// path. Throws a ToolError on failure.
std::string CreateTemporaryBeside(const std::string& target, bool keepMode);

/// Renames `from` over `to`, which may exist; false, with errno set, when that fails.
bool RenameOver(const std::string& from, const std::string& to);

} // namespace mgtool::platform
