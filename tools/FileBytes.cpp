// Input files mapped (POSIX) or read whole.
#include "FileBytes.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "Errors.h"
#include "Platform.h"

namespace mgtool {
namespace {

std::string ReadStream(std::istream& in) {
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        throw ToolError("cannot read");
    return bytes.str();
}

} // namespace

FileBytes::FileBytes(const std::string& path) {
    if (path == "-") {
        platform::BinaryMode(stdin); // a binary STL must reach the reader unchanged
        m_copy = ReadStream(std::cin);
        m_view = m_copy;
        return;
    }
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw ToolError("is a directory");
#ifndef _WIN32
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        throw ToolError(std::string("cannot open (") + std::strerror(errno) + ")");
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        void* mapped = mmap(nullptr, std::size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            close(fd);
            madvise(mapped, std::size_t(info.st_size), MADV_SEQUENTIAL);
            m_mapped = mapped;
            m_mappedSize = std::size_t(info.st_size);
            m_view = std::string_view(static_cast<const char*>(mapped), m_mappedSize);
            return;
        }
    }
    close(fd);
#endif
    // a pipe, a device, an empty file, or a system without mapping: read it whole
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError(std::string("cannot open (") + std::strerror(errno) + ")");
    m_copy = ReadStream(in);
    m_view = m_copy;
}

void FileBytes::Release(std::size_t bytes) const {
#ifndef _WIN32
    const long page = sysconf(_SC_PAGESIZE);
    if (!m_mapped || page <= 0)
        return;
    const std::size_t whole = bytes < m_mappedSize ? bytes - bytes % std::size_t(page) : 0;
    if (whole > m_released) { // the page cache keeps them
        madvise(static_cast<char*>(m_mapped) + m_released, whole - m_released, MADV_DONTNEED);
        m_released = whole;
    }
#else
    (void)bytes;
#endif
}

FileBytes::~FileBytes() {
#ifndef _WIN32
    if (m_mapped)
        munmap(m_mapped, m_mappedSize);
#endif
}

} // namespace mgtool
