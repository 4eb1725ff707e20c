// Writing an RGB image as PNG (libpng).
#pragma once

#include <string>
#include <vector>

namespace mgtool {

/// Writes `rgb` (width × height pixels, three bytes each, top row first) to `path` as an 8-bit
/// RGB PNG. Throws a ToolError when the file cannot be written.
void WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb);

} // namespace mgtool
