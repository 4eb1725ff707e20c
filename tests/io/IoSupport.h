// Helpers shared by the reader and writer tests, and the headers they all use.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iomanip>
#include <iterator>
#include <list>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "mgmesh/mgmesh.h"
#include "support/Check.h"
#include "support/Coordinates.h"
#include "support/Progress.h"
#include "support/Shapes.h"
#include "support/Topology.h"

namespace io {

// Counts the flushes asked of a stream.
struct SyncCounter : std::stringbuf {
    int syncs = 0;
    int sync() override { return ++syncs, 0; }
};

// A decimal comma and digits grouped by a point: what the text formats must never follow.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\1"; }
};
inline std::locale CommaLocale() {
    return std::locale(std::locale::classic(), new CommaPunct);
}

// A stream over `text` that carries a decimal comma, which the readers must not follow.
inline std::istringstream CommaStream(const std::string& text) {
    std::istringstream in(text);
    in.imbue(CommaLocale());
    return in;
}

// Loads every prefix of a good text, and the text with random bytes changed, dropped or
// repeated, each into a new object: the load completes (the whole text always does) or throws
// one of `messages`, and what it built is a sound model.
inline void ExpectRobust(const std::string& text, const std::string& messages,
                         const std::function<void(MgObject&, const std::string&)>& load,
                         bool mutualLinks) {
    std::mt19937 random(78);
    for (std::size_t round = 0; round <= text.size() + 2000; ++round) {
        std::string input = text.substr(0, round);
        for (int i = round > text.size() ? 1 + int(random() % 3) : 0; i > 0; --i) {
            const std::size_t at = random() % input.size();
            if (random() % 2)
                input[at] = random() % 2 ? char(random()) : "0123456789-+. \n\txeE"[random() % 19];
            else if (random() % 2 && input.size() > 8)
                input.erase(at, 1 + random() % 8);
            else
                input.insert(at, input.substr(at, 1 + random() % 40));
        }
        MgObject object;
        try {
            load(object, input);
        } catch (const char* message) {
            ASSERT_TRUE(round != text.size() && messages.find(message) != std::string::npos)
                << message << " from:\n"
                << input;
        }
        ExpectValidTopology(object, mutualLinks);
        ASSERT_FALSE(::testing::Test::HasFailure()) << "from:\n" << input;
    }
}

template <class T> int IndexIn(const std::list<T*>& list, const T* item) {
    const auto at = std::find(list.begin(), list.end(), item);
    return at == list.end() ? -1 : int(std::distance(list.begin(), at));
}

} // namespace io
