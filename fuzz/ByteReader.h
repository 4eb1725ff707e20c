// Decoding fuzz input bytes into small numbers, choices and floating-point values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace mgfuzz {

/// Takes values from the front of the input; once the bytes run out every value is 0 (and
/// every float the first of the interesting ones), so any input decodes to something.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Empty() const { return m_at >= m_size; }
    std::size_t Left() const { return Empty() ? 0 : m_size - m_at; }

    std::uint8_t Byte() { return Empty() ? 0 : m_data[m_at++]; }
    bool Bool() { return (Byte() & 1) != 0; }
    std::uint32_t U32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | Byte();
        return value;
    }
    std::uint64_t U64() { return (std::uint64_t(U32()) << 32) | U32(); }

    /// A number in [0, count), count >= 1; one byte, or two when count exceeds 256.
    std::size_t Index(std::size_t count) {
        if (count <= 1)
            return 0;
        const std::size_t raw = count <= 256 ? Byte() : (std::size_t(Byte()) << 8 | Byte());
        return raw % count;
    }
    /// A number in [low, high].
    int Range(int low, int high) {
        return low + static_cast<int>(Index(static_cast<std::size_t>(high - low) + 1));
    }

    /// Mostly small exact values, sometimes the awkward ones (signed zero, NaN, infinities,
    /// extremes, subnormals), sometimes any bit pattern.
    float Float() {
        const std::uint8_t mode = Byte();
        if (mode < 96)
            return static_cast<float>(static_cast<int>(mode % 16) - 4) * 0.5f;
        if (mode < 160)
            return Interesting(mode - 96u);
        float value;
        const std::uint32_t bits = U32();
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    /// As Float, in double precision; values beyond a float's range included.
    double Double() {
        const std::uint8_t mode = Byte();
        if (mode < 96)
            return static_cast<double>(static_cast<int>(mode % 16) - 4) * 0.5;
        if (mode < 140)
            return static_cast<double>(Interesting(mode - 96u));
        if (mode < 160) {
            static const double wide[] = {1e39,   -1e39,      1e300,    -1e300,   4e-320,
                                          1e-45,  3.5e38,     -3.5e38,  0.1,      1e-7,
                                          1e7,    16777217.0, 1e-300,   -1e-300,  0.3,
                                          2.5e-3, 5e-3,       4.999e-3, 5.001e-3, 1e20};
            return wide[(mode - 140u) % (sizeof wide / sizeof wide[0])];
        }
        double value;
        const std::uint64_t bits = U64();
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    static float Interesting(unsigned i) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        // clang-format off
        const float values[] = {
            0.0f, -0.0f, nan, -nan, inf, -inf, 3.40282347e38f, -3.40282347e38f, 1e-45f, -1e-45f,
            1.17549435e-38f, 0.01f, 0.0100001f, 0.00999999f, 0.005f, 0.004f, 0.006f, 1e-3f, 0.1f,
            1e30f, -1e30f, 1e10f, 16777216.0f, 0.33333334f, 1.5f, -1.5f, 2.0f, 1e-7f, 0.05f,
            100.0f, -100.0f, 1e5f};
        // clang-format on
        return values[i % (sizeof values / sizeof values[0])];
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

} // namespace mgfuzz
