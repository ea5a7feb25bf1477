#pragma once
// Decoding of texture images (PNG, JPEG, BMP, TGA, ...) into the pixel
// layout of scene textures.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kvx {

struct DecodedImage {
  uint16_t width = 0;
  uint16_t height = 0;
  // BGRA, bottom row first: the rows go to OpenGL as they are, so that
  // texture coordinate v = 0 lands on the bottom of the picture.
  std::vector<uint8_t> pixels;
};

// Nothing when the bytes are no image stb_image knows, or when the picture
// is wider or higher than a scene texture can hold (65535).
std::optional<DecodedImage> decodeImage(const uint8_t* bytes, size_t length);

// Turns top-row-first pixels of `width` x `height` into bottom-row-first, in place.
void flipRows(std::vector<uint8_t>& pixels, size_t width, size_t height);

}  // namespace kvx
