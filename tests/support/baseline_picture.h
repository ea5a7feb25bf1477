#pragma once
// Comparison of a drawn frame with a picture kept in the source tree.
#include "offscreen_view.h"

#include <png.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace kvx::test {

// The mean difference per colour channel (0..255) between the frame and the
// PNG at `path`; nothing when the PNG cannot be read or has another size.
inline std::optional<double> differenceFromPicture(const OffscreenContext& gl, const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  const bool read = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  if (!read || int(image.width) != gl.width() || int(image.height) != gl.height()) return std::nullopt;
  double total = 0;
  for (int y = 0; y < gl.height(); ++y)
    for (int x = 0; x < gl.width(); ++x) {
      const png_byte* p = pixels.data() + (size_t(y) * gl.width() + x) * 3;
      const Rgb q = gl.at(x, y);
      total += std::abs(p[0] - q.r) + std::abs(p[1] - q.g) + std::abs(p[2] - q.b);
    }
  return total / (3.0 * gl.width() * gl.height());
}

}  // namespace kvx::test
