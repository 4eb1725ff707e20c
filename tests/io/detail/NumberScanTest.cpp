// The scans of plain numbers in the buffered text against the stream's own extraction: the
// same value to the bit, the same end, and ints where the stream reads them.
#include <climits>

#include "io/IoSupport.h"
#include "mgmesh/io/detail/NumberScan.h"

namespace {

std::uint32_t Bits(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

} // namespace

TEST(NumberScan, PlainNumbersAreReadAsTheStreamReadsThem) {
    std::mt19937 random(11);
    int floats = 0, longs = 0;
    for (int i = 0; i < 40000; ++i) {
        // text of any length after the number: its quick read looks sixteen bytes ahead
        const std::string text = io::RandomToken(random) + (random() % 2 ? " " : "\n") + "x" +
                                 std::string(random() % 20, '7');
        const char* first = text.data();
        const char* last = first + text.size();
        float f = 0;
        long l = 0;
        const char* end = nullptr;
        if (mgmesh::detail::PlainFloat(first, last, f, end)) {
            ++floats;
            std::istringstream in(text);
            float expected = 0;
            ASSERT_TRUE(support::PlainReader{in}.Float(expected)) << text;
            ASSERT_EQ(Bits(f), Bits(expected)) << text;
            ASSERT_EQ(std::streamoff(in.tellg()), end - first) << text;
        }
        if (mgmesh::detail::PlainLong(first, last, l, end)) {
            ++longs;
            std::istringstream in(text), inInt(text);
            long expected = 0;
            ASSERT_TRUE(support::PlainReader{in}.Long(expected)) << text;
            ASSERT_EQ(l, expected) << text;
            ASSERT_EQ(std::streamoff(in.tellg()), end - first) << text;
            int n = 0;
            ASSERT_EQ(support::PlainReader{inInt}.Int(n), l >= INT_MIN && l <= INT_MAX) << text;
        }
    }
    // most numbers are plain, so the comparisons above ran often
    EXPECT_GT(floats, 15000);
    EXPECT_GT(longs, 4000);
}
