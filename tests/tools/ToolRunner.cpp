// Spawning mgtool: posix_spawn with its outputs sent to files (or to a pseudo-terminal).
#include "ToolRunner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tooltest {
namespace {

int Wait(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            throw std::runtime_error("waitpid failed");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The environment for mgtool: this one, with leak-checker options for a sanitized build (they
// mean nothing to an ordinary one). The GL stack's own leaks are suppressed; under Xvfb leaks are
// not checked at all, because freeglut unloads the GL driver as its main loop ends and the
// driver's leaks can then no longer be told apart.
std::vector<std::string> Environment(bool checkLeaks) {
    std::string lsan = checkLeaks ? "print_suppressions=0:suppressions=" MGMESH_SOURCE_DIR
                                    "/tests/tools/lsan.supp"
                                  : "detect_leaks=0";
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "LSAN_OPTIONS=", 13) == 0)
            lsan = std::string(*entry + 13) + ":" + lsan;
        else
            env.emplace_back(*entry);
    }
    env.push_back("LSAN_OPTIONS=" + lsan);
    return env;
}

pid_t Spawn(const std::vector<std::string>& command, posix_spawn_file_actions_t* actions,
            bool checkLeaks = true) {
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const std::vector<std::string> env = Environment(checkLeaks);
    std::vector<char*> envp;
    for (const std::string& entry : env)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), envp.data()) != 0)
        throw std::runtime_error("cannot start " + command[0]);
    return pid;
}

RunResult Run(const std::vector<std::string>& command, bool checkLeaks = true) {
    static int serial = 0;
    const std::string base = OutputDir() + "/run" + std::to_string(++serial);
    const std::string outPath = base + ".out", errPath = base + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    RunResult result;
    try {
        result.status = Wait(Spawn(command, &actions, checkLeaks));
    } catch (...) {
        posix_spawn_file_actions_destroy(&actions);
        throw;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

std::vector<std::string> WithTool(const std::vector<std::string>& args) {
    std::vector<std::string> command{MGTOOL_PATH};
    command.insert(command.end(), args.begin(), args.end());
    return command;
}

} // namespace

RunResult RunTool(const std::vector<std::string>& args) {
    return Run(WithTool(args));
}

RunResult RunToolUnderXvfb(const std::vector<std::string>& args) {
    std::vector<std::string> command{"xvfb-run", "-a", "-s", "-screen 0 1024x768x24"};
    const auto tool = WithTool(args);
    command.insert(command.end(), tool.begin(), tool.end());
    return Run(command, false);
}

RunResult RunToolWithTerminal(const std::vector<std::string>& args) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const std::string slave = ptsname(master);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, slave.c_str(), O_RDWR | O_NOCTTY, 0);
    RunResult result;
    const pid_t pid = Spawn(WithTool(args), &actions);
    posix_spawn_file_actions_destroy(&actions);
    // read while the tool runs, so that a full terminal buffer never blocks it
    char buffer[4096];
    for (;;) {
        pollfd poller{master, POLLIN, 0};
        if (poll(&poller, 1, 100) > 0) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0) {
                result.err.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
        }
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
    }
    for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) {
        result.err.append(buffer, static_cast<std::size_t>(n));
        pollfd poller{master, POLLIN, 0};
        if (poll(&poller, 1, 0) <= 0)
            break;
    }
    close(master);
    return result;
}

bool HaveXvfb() {
    return std::system("command -v xvfb-run >/dev/null 2>&1") == 0;
}

std::string ModelPath(const std::string& name) {
    return std::string(MGMESH_SOURCE_DIR) + "/examples/models/" + name;
}

std::string CorpusPath(const std::string& name) {
    return std::string(MGMESH_CORPUS_DIR) + "/stl/" + name;
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    const std::string dir = std::string(MGMESH_CORPUS_DIR) + "/stl";
    if (DIR* listing = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.size() > 14 && name.compare(name.size() - 14, 14, ".expected.json") == 0)
                files.push_back(name.substr(0, name.size() - 14));
        }
        closedir(listing);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string OutputDir() {
    static const std::string dir = [] {
        std::string pattern = "/tmp/mgtool-test-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary directory");
        static std::string removal = "rm -rf '" + pattern + "'";
        std::atexit([] {
            if (std::system(removal.c_str()) != 0)
                return;
        });
        return pattern;
    }();
    return dir;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

} // namespace tooltest
