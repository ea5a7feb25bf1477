#pragma once
// Reads a PNG into RGB bytes and compares two pictures.
#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace kvx::test {

struct RgbImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

inline bool readPngRgb(const std::string& path, RgbImage& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out.width = int(image.width), out.height = int(image.height);
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr);
  png_image_free(&image);
  return ok;
}

// The share of pixels whose channels differ by more than `tolerance`.
inline double differingShare(const RgbImage& a, const RgbImage& b, int tolerance = 8) {
  if (a.width != b.width || a.height != b.height || a.rgb.empty()) return 1.0;
  size_t differing = 0;
  for (size_t i = 0; i < a.rgb.size(); i += 3)
    for (int c = 0; c < 3; ++c)
      if (std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])) > tolerance) {
        ++differing;
        break;
      }
  return double(differing) / (a.rgb.size() / 3);
}

}  // namespace kvx::test
