// Arbitrary bytes as the overlay button's bitmap file. A picture that
// decodes must hold a pixel for every texel of its power-of-two size.
#include "fuzz_entries.h"
#include "overlay_image.h"

#include <cstdlib>
#include <string>

namespace kvx::fuzz {

int overlay_bitmap(const uint8_t* data, size_t size) {
  const auto image = glimmer::decodeOverlayBitmap(std::string(reinterpret_cast<const char*>(data), size));
  if (!image) return 0;
  if (image->width < image->bitmapWidth || image->height < image->bitmapHeight ||
      image->rgba.size() != static_cast<size_t>(image->width) * image->height * 4)
    std::abort();
  (void)glimmer::insideOverlay(*image, 640, 480, 639, 479);
  return 0;
}

}  // namespace kvx::fuzz
