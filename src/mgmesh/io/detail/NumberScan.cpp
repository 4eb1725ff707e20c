// Numbers read straight from buffered text, and the conversion behind the stream's float
// extraction.
#include "mgmesh/io/detail/NumberScan.h"

#include "mgmesh/io/detail/ClassicStrtof.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace mgmesh::detail {

// What the standard library's float extraction makes of the characters it collected: the
// whole text must convert, and a value beyond the float range becomes ±FLT_MAX with failure.
// An underflow keeps its rounded value (zero or a denormal) and does not fail.
float ConvertFloat(const char* text, std::size_t size, std::ios_base::iostate& state) {
    if (size == 0) {
        state = std::ios_base::failbit;
        return 0.0f;
    }
    const char* first = text;
    const char* last = first + size;
    if (*first == '+') // from_chars takes no plus sign
        ++first;
    float value = 0.0f;
    const std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec == std::errc() && result.ptr == last)
        return value;
    // incomplete text, overflow and underflow: ask the standard library's own routine, in the
    // C locale
    char* end = nullptr;
    value = ClassicStrtof(text, &end);
    if (end == text || *end != '\0') {
        state = std::ios_base::failbit;
        return 0.0f;
    }
    if (value > FLT_MAX) {
        state = std::ios_base::failbit;
        return FLT_MAX;
    }
    if (value < -FLT_MAX) {
        state = std::ios_base::failbit;
        return -FLT_MAX;
    }
    return value;
}

namespace {

constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                  1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

constexpr std::uint32_t kTens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// The eight bytes from p as digit values, the first in the lowest byte; and how many of them,
// from the first, are digits. A byte below '0' borrows from the byte after it and a byte above
// '9' may carry into it, which only ever spoils bytes after the first that is not a digit.
int LeadingDigits(const char* p, std::uint64_t& values) {
    std::uint64_t bytes;
    std::memcpy(&bytes, p, sizeof bytes);
    values = bytes - 0x3030303030303030ULL;
    const std::uint64_t other = (values | (values + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
    return other == 0 ? 8 : __builtin_ctzll(other) / 8;
}

// The number that the first `n` digit values of `values` write, for n from 1 to 8: the others
// are shifted out, and the places they leave read as leading zeros.
std::uint32_t DigitsValue(std::uint64_t values, int n) {
    values <<= 8 * (8 - n);
    values = values * 10 + (values >> 8); // pairs of digits
    values = ((values & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;
    return std::uint32_t(((values & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32);
}

// The usual shape of a number in a mesh file, digits, a point and at most eight digits in all,
// read eight bytes at a time: the mantissa and exponent that the digit-by-digit read gives, and
// q moved past the digits. False, with nothing changed, for any other text or too near its end.
bool ShortDecimal(const char*& q, const char* last, std::uint32_t& mantissa, int& exponent) {
    if (last - q < 16)
        return false;
    std::uint64_t whole, fraction;
    const int w = LeadingDigits(q, whole);
    if (w == 0 || w == 8 || q[w] != '.')
        return false;
    const int f = LeadingDigits(q + w + 1, fraction);
    if (w + f > 8)
        return false;
    mantissa = DigitsValue(whole, w) * kTens[f] + (f ? DigitsValue(fraction, f) : 0);
    exponent = -f;
    q += w + 1 + f;
    return true;
}
#else
bool ShortDecimal(const char*&, const char*, std::uint32_t&, int&) {
    return false;
}
#endif

} // namespace

bool ShortFloat(const char* p, const char* last, float& value, const char*& end) {
    const char* q = p;
    const bool negative = q < last && *q == '-';
    if (q < last && (*q == '-' || *q == '+'))
        ++q;
    std::uint32_t mantissa = 0;
    int digits = 0;   // significant digits taken into the mantissa
    int exponent = 0; // of ten, from the digits after the point
    bool any = ShortDecimal(q, last, mantissa, exponent);
    if (!any) {
        for (; q < last && IsDigit(*q); ++q, any = true) {
            if (digits > 0 || *q != '0') {
                if (++digits > 8)
                    return false;
                mantissa = mantissa * 10 + std::uint32_t(*q - '0');
            }
        }
        if (q < last && *q == '.') {
            for (++q; q < last && IsDigit(*q); ++q, any = true) {
                if (digits > 0 || *q != '0') {
                    if (++digits > 8)
                        return false;
                    mantissa = mantissa * 10 + std::uint32_t(*q - '0');
                }
                --exponent;
            }
        }
    }
    if (!any || q == last)
        return false;
    if (*q == 'e' || *q == 'E') {
        const char* e = q + 1;
        const bool down = e < last && *e == '-';
        if (e < last && (*e == '-' || *e == '+'))
            ++e;
        int written = 0;
        const char* first = e;
        for (; e < last && IsDigit(*e) && e - first < 4; ++e)
            written = written * 10 + (*e - '0');
        if (e == first || e == last || IsDigit(*e))
            return false; // no exponent digits (the mark is not the number's), or too many
        exponent += down ? -written : written;
        q = e;
    }
    if (q == last || !IsSpace(*q) || mantissa > (1u << 24))
        return false;
    float result = float(mantissa);
    if (mantissa != 0) {
        if (exponent < -10 || exponent > 10)
            return false;
        result = exponent < 0 ? result / kPowersOfTen[-exponent] : result * kPowersOfTen[exponent];
    }
    value = negative ? -result : result;
    end = q;
    return true;
}

// Where from_chars takes every character up to a following space, the collection of the
// stream's extraction takes the same ones (it differs only in folding leading zeros and in the
// case of the exponent mark, neither of which changes the value), and a value that from_chars
// gives without a range error is the one the conversion gives. Text that from_chars reads but
// the collection does not ("inf", "nan") never starts with a digit or a point.
//
// Most numbers in a file have a short mantissa and a small exponent ("9.876543e+01"). For
// these the value is that of one float multiplication or division of two exactly represented
// floats, the mantissa as an integer below 2^24 and a power of ten up to 10^10, which IEEE
// arithmetic rounds correctly: the value from_chars gives, without its general machinery.
bool PlainFloat(const char* p, const char* last, float& value, const char*& end) {
    if (ShortFloat(p, last, value, end))
        return true;
    const char* digits = p;
    if (digits < last && (*digits == '+' || *digits == '-'))
        ++digits;
    if (!(digits < last && (IsDigit(*digits) || *digits == '.')))
        return false;
    float parsed = 0.0f;
    const std::from_chars_result result = std::from_chars(*p == '+' ? p + 1 : p, last, parsed);
    if (result.ec != std::errc() || result.ptr == last || !IsSpace(*result.ptr))
        return false;
    value = parsed;
    end = result.ptr;
    return true;
}

bool PlainLong(const char* p, const char* last, long& value, const char*& end) {
    const char* q = p;
    const bool negative = q < last && *q == '-';
    if (q < last && (*q == '-' || *q == '+'))
        ++q;
    const char* digits = q;
    long long result = 0;
    while (q < last && IsDigit(*q) && q - digits < 18) {
        result = result * 10 + (*q - '0');
        ++q;
    }
    // no digit, too many of them for certain, or not followed by a space
    if (q == digits || q == last || !IsSpace(*q))
        return false;
    if (negative)
        result = -result;
    // where long has 32 bits, a number beyond them is the stream's to refuse
    if (result < LONG_MIN || result > LONG_MAX)
        return false;
    value = static_cast<long>(result);
    end = q;
    return true;
}

} // namespace mgmesh::detail
