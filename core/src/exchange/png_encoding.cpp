#include "exchange/png_encoding.h"

#include <png.h>

#include <cstring>

namespace kvx {

std::vector<uint8_t> encodePng(const SceneTexture& texture) {
  if (texture.width == 0 || texture.height == 0 ||
      texture.bitmap.size() < size_t(texture.width) * texture.height * 4)
    return {};
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = texture.width;
  image.height = texture.height;
  image.format = PNG_FORMAT_BGRA;
  // A negative stride hands libpng the rows bottom up.
  const png_int_32 stride = -static_cast<png_int_32>(texture.width) * 4;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, texture.bitmap.data(), stride, nullptr)) return {};
  std::vector<uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, texture.bitmap.data(), stride, nullptr)) return {};
  bytes.resize(size);
  return bytes;
}

}  // namespace kvx
