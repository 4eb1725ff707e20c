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
#include "support/ChunkBuffer.h"
#include "support/Coordinates.h"
#include "support/ModelText.h"
#include "support/Progress.h"
#include "support/Shapes.h"
#include "support/StreamReference.h"
#include "support/Topology.h"

namespace io {

// An import's warnings and error, a line each: "warning line 3, column 1: reason".
inline std::string Messages(const mgmesh::ImportResult& result) {
    std::string text;
    for (const auto& warning : result.warnings)
        text += "warning " + warning.Describe() + "\n";
    if (result.failed)
        text += "error " + result.error.Describe() + "\n";
    return text;
}

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

// Runs `f`; returns the text it threw, or "" when it threw none.
inline std::string Thrown(const std::function<void()>& f) {
    try {
        f();
    } catch (const char* message) {
        return message;
    }
    return "";
}

template <class T> int IndexIn(const std::list<T*>& list, const T* item) {
    const auto at = std::find(list.begin(), list.end(), item);
    return at == list.end() ? -1 : int(std::distance(list.begin(), at));
}

// A float of random bits: any value, NaNs and infinities included.
inline float AnyFloat(std::mt19937& random) {
    const std::uint32_t bits = std::uint32_t(random());
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Numbers and words of every shape the formats can meet, and many they should not.
inline std::string RandomToken(std::mt19937& random) {
    static const std::string kFixed =
        " inf -inf nan NaN infinity 0x1f 0X1 0x -0x10 + - . +. -. e e5 1e 1e+ 1e- 1E+-3 1.0f "
        "1.5.5 1e5.5 1e5e5 --1 +-1 1- 2147483647 2147483648 -2147483648 -2147483649 "
        "9223372036854775807 9223372036854775808 -9223372036854775808 -9223372036854775809 "
        "18446744073709551616 3.4028235e38 3.40282357e38 -3.4028236e38 1e39 1e-38 1.4e-45 7e-46 "
        "1e-46 2.5e-45 1e-99999999999999999999 1e99999999999999999999 0e999999 000 -000.000e-0 "
        "0. 00012 1,5 1'000 faceBegin END \xc3\xa9t\xc3\xa9 abc\x01 0.1 16777217 \xff "
        "0.30000001192092896 1.00000005960464477539 ";
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto digits = [&](int n) {
        std::string s;
        while (n-- > 0)
            s += char('0' + pick(10));
        return s;
    };
    const char* const signs[] = {"", "+", "-"};
    switch (pick(6)) {
    case 0: { // a word of the list above
        const std::size_t at = kFixed.rfind(' ', std::size_t(pick(int(kFixed.size()) - 1)));
        return kFixed.substr(at + 1, kFixed.find(' ', at + 1) - at - 1);
    }
    case 1:
        return signs[pick(3)] + digits(1 + pick(20));
    case 2: { // decimals of every length, with and without an exponent
        std::string s = signs[pick(3)] + digits(pick(12)) + (pick(4) ? "." : "") + digits(pick(12));
        return pick(2) ? s + (pick(2) ? "e" : "E") + signs[pick(3)] + digits(pick(4)) : s;
    }
    case 3: // thousands of digits
        return digits(1 + pick(3000)) + (pick(2) ? "." + digits(pick(3000)) : "") +
               (pick(2) ? "e-" + digits(1 + pick(3)) : "");
    default: { // any float at 6 to 19 digits, near halfway between two floats
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", 6 + pick(14), double(AnyFloat(random)));
        return text;
    }
    }
}

// What a load left: the message thrown (or "-"), the stream's state and position, the
// result, the progress count and the model.
template <class Load> std::string Outcome(std::istream& in, Load load, bool withProgress) {
    MgObject object;
    support::CountingProgress progress;
    std::string result, thrown = "-";
    try {
        result = load(object, in, withProgress ? &progress : nullptr);
    } catch (const char* message) {
        thrown = message;
    }
    std::ostringstream s;
    s << thrown << " | " << result << " | " << support::StreamState(in) << " | steps "
      << progress.steps << '\n'
      << support::ModelText(object);
    return s.str();
}

// The same text read whole (fast paths), in chunks of random sizes, and one character at a
// time (no fast path): all three must agree, with and without a progress receiver.
template <class Load> void ExpectSameLoads(const std::string& text, Load load, unsigned seed) {
    for (bool withProgress : {false, true}) {
        support::ChunkBuffer trickle(text, 1), whole(text, 0), chunks(text, 300, seed);
        std::istream plainIn(&trickle), wholeIn(&whole), chunkIn(&chunks);
        const std::string expected = Outcome(plainIn, load, withProgress);
        ASSERT_EQ(Outcome(wholeIn, load, withProgress), expected) << text;
        ASSERT_EQ(Outcome(chunkIn, load, withProgress), expected) << text;
    }
}

// Changes the text the way files differ and break: other spaces, other spellings of the same
// numbers, a changed byte, a cut.
inline std::string Disturb(const std::string& text, std::mt19937& random) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool tokenStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '\n';
        if (c == ' ' && random() % 8 == 0)
            out += random() % 2 ? "\t  " : "\n";
        else if (tokenStart && (c == '-' || (c >= '0' && c <= '9')) && random() % 10 == 0)
            out += std::string(random() % 2 ? "+" : "00") + c;
        else
            out += c;
    }
    if (random() % 4 == 0 && !out.empty())
        out[random() % out.size()] = char(random() % 2 ? 'x' : 32 + random() % 95);
    if (random() % 5 == 0 && !out.empty())
        out.resize(random() % out.size());
    return out;
}

} // namespace io
