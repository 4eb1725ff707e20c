// A field of this process's /proc/self/status in KiB (VmRSS, VmHWM, ...); -1 when absent.
#pragma once

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

inline double ProcStatusKib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atof(line.c_str() + length + 1);
    return -1;
}
