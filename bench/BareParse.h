// The bare streaming parse of an ASCII STL file that the loaders are measured against.
#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {

/// The baseline: reads the file through a reused 1 MiB buffer and puts every number through
/// std::from_chars; words are passed over and nothing is stored. Returns the count of numbers
/// plus a checksum, so that no work can be dropped.
inline double BareParse(const std::string& path) {
    constexpr std::size_t kBuffer = 1 << 20;
    static std::vector<char> buffer(kBuffer + 1);
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    auto isSpace = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
    double sum = 0;
    long numbers = 0;
    std::size_t carried = 0; // an unfinished token moved to the front
    for (;;) {
        const ssize_t got = read(fd, buffer.data() + carried, kBuffer - carried);
        const bool last = got <= 0;
        const std::size_t size = carried + (last ? 0 : std::size_t(got));
        carried = 0;
        const char* p = buffer.data();
        const char* const end = p + size;
        for (;;) {
            while (p < end && isSpace(*p))
                ++p;
            if (p == end)
                break;
            const std::size_t rest = std::size_t(end - p);
            if (!last && rest < 64) { // a token may go on in the next read
                std::memmove(buffer.data(), p, rest);
                carried = rest;
                break;
            }
            const char* token = p;
            const char c = *p;
            float value = 0;
            const bool number = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
            if (number)
                p = std::from_chars(token + (c == '+'), end, value).ptr;
            while (p < end && !isSpace(*p))
                ++p;
            if (p == end && !last) { // a long token cut by the end of the read
                carried = std::size_t(end - token);
                std::memmove(buffer.data(), token, carried);
                break;
            }
            if (number) {
                sum += double(value);
                ++numbers;
            }
        }
        if (last)
            break;
    }
    close(fd);
    return double(numbers) + sum * 1e-30;
}

} // namespace bench
