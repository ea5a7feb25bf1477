#include "exchange/image_decoding.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace kvx {

void flipRows(std::vector<uint8_t>& pixels, size_t width, size_t height) {
  const size_t stride = width * 4;
  for (size_t top = 0, bottom = height ? height - 1 : 0; top < bottom; ++top, --bottom)
    std::swap_ranges(pixels.begin() + top * stride, pixels.begin() + (top + 1) * stride,
                     pixels.begin() + bottom * stride);
}

std::optional<DecodedImage> decodeImage(const uint8_t* bytes, size_t length) {
  if (!bytes || length == 0 || length > INT_MAX) return std::nullopt;
  const int size = static_cast<int>(length);
  int width = 0, height = 0, channels = 0;
  // Check the size before stb allocates the pixels.
  if (!stbi_info_from_memory(bytes, size, &width, &height, &channels)) return std::nullopt;
  if (width <= 0 || height <= 0 || width > UINT16_MAX || height > UINT16_MAX) return std::nullopt;

  std::unique_ptr<stbi_uc, void (*)(void*)> rgba(stbi_load_from_memory(bytes, size, &width, &height, &channels, 4),
                                                  stbi_image_free);
  if (!rgba) return std::nullopt;
  DecodedImage image;
  image.width = static_cast<uint16_t>(width);
  image.height = static_cast<uint16_t>(height);
  image.pixels.assign(rgba.get(), rgba.get() + size_t(width) * size_t(height) * 4);
  for (size_t i = 0; i < image.pixels.size(); i += 4) std::swap(image.pixels[i], image.pixels[i + 2]);
  flipRows(image.pixels, image.width, image.height);
  return image;
}

}  // namespace kvx
