// Output files: a temporary beside the target, renamed into place after a complete write.
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "Errors.h"
#include "Platform.h"

namespace mgtool {
namespace {

std::string Reason() {
    return std::string(" (") + std::strerror(errno) + ")";
}

// Copies a complete file to standard output, for systems with no path that names it.
void CopyToStandardOutput(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        throw ToolError("cannot write" + Reason());
    platform::BinaryMode(stdout);
    char buffer[1 << 16];
    bool copied = true;
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        copied = copied && std::fwrite(buffer, 1, n, stdout) == n;
    copied = !std::ferror(in) && copied && std::fflush(stdout) == 0;
    std::fclose(in);
    if (!copied)
        throw ToolError("cannot write" + Reason());
}

} // namespace

OutputFile::OutputFile(const std::string& target) : m_target(target) {
    if (target == "-") {
        m_writePath = platform::StandardOutputPath();
        if (!m_writePath.empty())
            return;
        // written to a temporary file first, then copied out
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
        m_writePath = platform::CreateTemporaryBeside((folder / "stdout").string(), false);
        m_temporary = true;
        return;
    }
    struct stat info;
    const bool exists = stat(target.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        throw ToolError("is a directory");
    if (exists && !S_ISREG(info.st_mode)) {
        m_writePath = target;
        return;
    }
    m_writePath = platform::CreateTemporaryBeside(target, exists);
    m_temporary = true;
}

OutputFile::~OutputFile() {
    if (m_temporary)
        std::remove(m_writePath.c_str());
}

void OutputFile::Commit() {
    if (!m_temporary)
        return;
    if (m_target == "-") {
        CopyToStandardOutput(m_writePath);
        return; // the temporary file goes with the object
    }
    if (!platform::RenameOver(m_writePath, m_target))
        throw ToolError("cannot replace the file" + Reason());
    m_temporary = false;
}

} // namespace mgtool
