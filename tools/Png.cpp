// PNG output through libpng. libpng reports errors by longjmp, so the part between setjmp and
// the end of writing holds no C++ object that needs a destructor.
#include "Png.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

#include "Errors.h"

namespace mgtool {
namespace {

// False on failure, with libpng's complaint in `message` (256 characters).
bool WriteRows(std::FILE* file, int width, int height, png_bytep* rows, char* message) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    png_set_error_fn(
        png, message,
        [](png_structp failing, png_const_charp text) {
            auto* buffer = static_cast<char*>(png_get_error_ptr(failing));
            std::snprintf(buffer, 256, "%s", text);
            png_longjmp(failing, 1);
        },
        [](png_structp, png_const_charp) {});
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

void WritePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb) {
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[y] = const_cast<png_bytep>(rgb.data()) + std::size_t(y) * width * 3;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw ToolError(std::string("cannot write (") + std::strerror(errno) + ")");
    char message[256] = "out of memory";
    const bool written = WriteRows(file, width, height, rows.data(), message);
    const bool closed = std::fclose(file) == 0;
    if (!written)
        throw ToolError(std::string("cannot write PNG: ") + message);
    if (!closed)
        throw ToolError(std::string("cannot write (") + std::strerror(errno) + ")");
}

} // namespace mgtool
