// The classic-locale strtof: strtof_l on POSIX systems; on Windows the runtime's strtof, which
// the standard library also calls in the "C" locale, given the text with the decimal point of
// the locale in force.
#include "mgmesh/io/detail/ClassicStrtof.h"

#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <vector>

namespace mgmesh::detail {

#ifdef _WIN32

float ClassicStrtof(const char* text, char** end) {
    const char* point = localeconv()->decimal_point;
    const std::size_t width = point ? std::strlen(point) : 0;
    if (width == 0 || std::strcmp(point, ".") == 0)
        return std::strtof(text, end);
    // the text in the locale's terms: its '.' becomes the locale's point, and the locale's point
    // ends it, as the C locale would stop there; `from` maps each character back to the text
    std::string local;
    std::vector<std::size_t> from;
    std::size_t i = 0;
    for (; text[i] && std::strncmp(text + i, point, width) != 0; ++i) {
        if (text[i] == '.') {
            local += point;
            from.insert(from.end(), width, i);
        } else {
            local += text[i];
            from.push_back(i);
        }
    }
    from.push_back(i);
    char* localEnd = nullptr;
    const float value = std::strtof(local.c_str(), &localEnd);
    *end = const_cast<char*>(text) + from[static_cast<std::size_t>(localEnd - local.c_str())];
    return value;
}

#else

namespace {

// made once: the standard library converts floats with the same locale object
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

float ClassicStrtof(const char* text, char** end) {
    return strtof_l(text, end, CLocale());
}

#endif

} // namespace mgmesh::detail
