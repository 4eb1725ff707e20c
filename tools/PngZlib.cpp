// PNG output through zlib alone, for builds without libpng (the mingw-w64 cross build): the
// signature, a header, the rows (filter type 0) deflated into one data chunk, and the end.
#include "Png.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <zlib.h>

#include "Errors.h"

namespace mgtool {
namespace {

void PutBig32(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

// A chunk: its length, type and data, and the CRC of type and data.
void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), out.data() + start, static_cast<uInt>(out.size() - start));
    PutBig32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

void WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb) {
    const std::size_t stride = std::size_t(width) * 3;
    std::vector<unsigned char> rows;
    rows.reserve((stride + 1) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        rows.push_back(0); // no filter
        rows.insert(rows.end(), rgb.begin() + std::ptrdiff_t(y * stride),
                    rgb.begin() + std::ptrdiff_t((y + 1) * stride));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw ToolError("cannot write PNG: zlib cannot compress the image");
    packed.resize(packedSize);

    std::vector<unsigned char> header;
    PutBig32(header, static_cast<std::uint32_t>(width));
    PutBig32(header, static_cast<std::uint32_t>(height));
    // 8 bits a sample, RGB, deflate, adaptive filtering, no interlace
    header.insert(header.end(), {8, 2, 0, 0, 0});
    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});

    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        throw ToolError(std::string("cannot write (") + std::strerror(errno) + ")");
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed)
        throw ToolError(std::string("cannot write (") + std::strerror(errno) + ")");
}

} // namespace mgtool
