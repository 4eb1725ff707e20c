// One child process of the whole-process benchmark: started by posix_spawn, waited for by wait4,
// timed from the spawn to the end of the wait, with the numbers it printed and its peak memory.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "Seconds.h"

extern char** environ;

namespace bench {

/// What one process did.
struct ProcessRun {
    bool ok = false;
    double wall = 0;             // seconds from the spawn to the end of the wait
    std::vector<double> printed; // the numbers of its first line of output
    double peakKib = 0;          // ru_maxrss of the child
    std::string error;           // why it is not ok
};

/// Runs `argv` (the program searched on the PATH when it has no slash), its output read through a
/// pipe (only the first line is kept) and its errors on ours. Returns after it ends.
inline ProcessRun RunProcess(const std::vector<std::string>& argv) {
    ProcessRun run;
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        run.error = std::strerror(errno);
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        run.error = argv[0] + ": " + std::strerror(spawned);
        return run;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, std::size_t(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    struct rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wall = Since(start);
    run.peakKib = double(usage.ru_maxrss);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.error =
            argv[0] + (WIFEXITED(status) ? " exited with " + std::to_string(WEXITSTATUS(status))
                                         : std::string(" was killed"));
        return run;
    }
    std::istringstream line(text.substr(0, text.find('\n')));
    for (double value; line >> value;)
        run.printed.push_back(value);
    run.ok = true;
    return run;
}

} // namespace bench
