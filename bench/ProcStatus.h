// The benchmarks' one platform file: this process's memory in KiB by the names of Linux's
// /proc/self/status (VmRSS, resident now; VmHWM, its peak), from the working set on Windows, and
// the path of the running program.
#pragma once

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <psapi.h> // after windows.h
#else
#include <unistd.h>
#endif

/// The field's value in KiB; -1 when the system does not report it.
inline double ProcStatusKib(const char* field) {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    if (std::strcmp(field, "VmRSS") == 0)
        return double(counters.WorkingSetSize) / 1024;
    if (std::strcmp(field, "VmHWM") == 0)
        return double(counters.PeakWorkingSetSize) / 1024;
    return -1;
#else
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::atof(line.c_str() + length + 1);
    return -1;
#endif
}

/// The path of the running program; empty when it cannot be found.
inline std::string SelfPath() {
    char self[4096] = {};
#ifdef _WIN32
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self - 1);
    return length > 0 && length < sizeof self - 1 ? std::string(self, length) : std::string();
#else
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    return length > 0 ? std::string(self, std::size_t(length)) : std::string();
#endif
}
