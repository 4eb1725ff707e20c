// Output files: a temporary beside the target, renamed into place after a complete write.
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "Errors.h"

namespace mgtool {
namespace {

std::string Reason() {
    return std::string(" (") + std::strerror(errno) + ")";
}

// The mode a file created by open(2) with 0666 would get, or the existing file's mode.
mode_t ModeFor(const struct stat* existing) {
    if (existing)
        return existing->st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::OutputFile(const std::string& target) : m_target(target) {
    if (target == "-") {
        m_writePath = "/dev/stdout";
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
    std::string pattern = target + ".mgtool-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw ToolError("cannot write" + Reason());
    const bool moded = fchmod(fd, ModeFor(exists ? &info : nullptr)) == 0;
    close(fd);
    if (!moded) {
        const std::string reason = Reason();
        std::remove(pattern.c_str());
        throw ToolError("cannot write" + reason);
    }
    m_writePath = pattern;
    m_temporary = true;
}

OutputFile::~OutputFile() {
    if (m_temporary)
        std::remove(m_writePath.c_str());
}

void OutputFile::Commit() {
    if (!m_temporary)
        return;
    if (std::rename(m_writePath.c_str(), m_target.c_str()) != 0)
        throw ToolError("cannot replace the file" + Reason());
    m_temporary = false;
}

} // namespace mgtool
