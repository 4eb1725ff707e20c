// Reading back the PNG images that mgtool writes.
#pragma once

#include <string>
#include <vector>

namespace tooltest {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb; // top row first, three bytes a pixel

    const unsigned char* At(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

/// Reads `path` as 8-bit RGB; false (with `error` set) when it is not a readable PNG.
bool ReadPng(const std::string& path, Image& image, std::string& error);

} // namespace tooltest
