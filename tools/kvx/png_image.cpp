#include "png_image.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace kvx::tool {
namespace {

void onPngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

}  // namespace

bool writePng(const std::string& path, const uint8_t* rgba, int width, int height, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<uint8_t> row(size_t(width) * 3);
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = height - 1; y >= 0; --y) {
      const uint8_t* source = rgba + size_t(y) * width * 4;
      for (int x = 0; x < width; ++x) std::memcpy(&row[size_t(x) * 3], source + size_t(x) * 4, 3);
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  } else {
    ok = false;
    if (error.empty()) error = "cannot create the PNG writer";
  }
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace kvx::tool
