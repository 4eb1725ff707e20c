// mgtool's operating-system calls: POSIX, and Windows through its C runtime and Win32.
#include "Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "Errors.h"

namespace mgtool::platform {
namespace {

std::string Reason() {
    return std::string(" (") + std::strerror(errno) + ")";
}

} // namespace

void PreferHugePages(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    const std::string before = tunables ? tunables : "";
    if (before.find("glibc.malloc.hugetlb") != std::string::npos)
        return; // told already, or run again already
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload && std::strstr(preload, "vgpreload"))
        return; // under valgrind, which would not follow the program into its new image
    const std::string wanted = (before.empty() ? "" : before + ":") + "glibc.malloc.hugetlb=1";
    if (setenv("GLIBC_TUNABLES", wanted.c_str(), 1) != 0)
        return;
    // by its own path, so that the process keeps its name
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        execv(self, argv);
    }
    // not run again: the environment as it was
    if (tunables)
        setenv("GLIBC_TUNABLES", before.c_str(), 1);
    else
        unsetenv("GLIBC_TUNABLES");
#else
    (void)argv;
#endif
}

#ifdef _WIN32

bool ErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

void BinaryMode(std::FILE* stream) {
    _setmode(_fileno(stream), _O_BINARY);
}

std::string StandardOutputPath() {
    return std::string();
}

std::string CreateTemporaryBeside(const std::string& target, bool keepMode) {
    // Windows keeps no permission bits beyond read-only, which a new file does not get
    (void)keepMode;
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string path = target + ".mgtool-" + std::to_string(GetCurrentProcessId()) + "-" +
                                 std::to_string(GetTickCount() + attempt);
        const int fd =
            _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _close(fd);
            return path;
        }
        if (errno != EEXIST)
            break;
    }
    throw ToolError("cannot write" + Reason());
}

bool RenameOver(const std::string& from, const std::string& to) {
    // rename() refuses an existing target on Windows
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

#else

bool ErrorIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

void BinaryMode(std::FILE*) {}

std::string StandardOutputPath() {
    return "/dev/stdout";
}

std::string CreateTemporaryBeside(const std::string& target, bool keepMode) {
    struct stat existing;
    mode_t mode;
    if (keepMode && stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        // the mode a file created by open(2) with 0666 would get
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    std::string pattern = target + ".mgtool-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        throw ToolError("cannot write" + Reason());
    const bool moded = fchmod(fd, mode) == 0;
    close(fd);
    if (!moded) {
        const std::string reason = Reason();
        std::remove(pattern.c_str());
        throw ToolError("cannot write" + reason);
    }
    return pattern;
}

bool RenameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

#endif

} // namespace mgtool::platform
