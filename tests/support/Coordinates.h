// Coordinates that stress the searches and indices built on positions: lattices at the
// distance under test, the floats next to them, the borders of cells, and awkward values.
#pragma once

#include <cmath>
#include <vector>

namespace support {

/// Where the coordinates gather.
struct CoordinateMix {
    /// The distance under test: a merge distance, a search box's half width.
    float step = 0.01f;
    /// Places where an index can go wrong (cell borders, where clamped cells begin); each is
    /// met at lattice points and offsets of about a step.
    std::vector<float> borders = {0.0f, 1000.0f};
    /// Leaves out the infinities and NaN.
    bool finite = false;
};

/// One coordinate, drawn with `random()`, any source of unsigned numbers (std::mt19937, or
/// the bytes of a fuzz input): a border plus a lattice point k·step (k from -3 to 3); a border
/// plus an offset of 0, ±step/2, ±0.7·step, ±step, ±1.5·step or ±2·step; the float next to
/// either; a value spread within 5 steps of a border; or, one time in six, a special value
/// (signed zeros, huge, tiny and subnormal values, 2^24, infinities and NaN) of either sign.
template <class Random> float StressCoordinate(Random& random, const CoordinateMix& mix) {
    static const float kSpecial[] = {0.0f,   1e30f, 3.40282347e38f, 1e-22f, 3e-23f, 1e-30f,
                                     1e-45f, 1e20f, 16777216.0f,    2e9f,   3e12f,  INFINITY,
                                     NAN};
    static const float kOffsets[] = {0.0f,  0.5f, -0.5f, 0.7f, -0.7f, 1.0f,
                                     -1.0f, 1.5f, -1.5f, 2.0f, -2.0f};
    const unsigned kind = random() % 6;
    if (kind == 0) {
        const unsigned count = sizeof kSpecial / sizeof *kSpecial - (mix.finite ? 2 : 0);
        return kSpecial[random() % count] * (random() % 2 ? 1.0f : -1.0f);
    }
    const float border = mix.borders.empty() ? 0.0f : mix.borders[random() % mix.borders.size()];
    if (kind == 5)
        return border + mix.step * (float(random() % 2001) / 200 - 5);
    const float at = kind == 1 ? border + float(int(random() % 7) - 3) * mix.step
                               : border + kOffsets[random() % 11] * mix.step;
    if (kind == 2)
        return std::nextafter(at, random() % 2 ? INFINITY : -INFINITY);
    return at;
}

} // namespace support
