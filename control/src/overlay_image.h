#pragma once
// The overlay button's picture, read from a Windows bitmap ("but.sys").
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace glimmer {

struct OverlayImage {
  int width = 0, height = 0;              // powers of two
  int bitmapWidth = 0, bitmapHeight = 0;  // the bitmap's own size
  std::vector<uint8_t> rgba;              // rows top to bottom as seen on screen
  bool blend = false;  // partial alphas: blended; else drawn with an alpha test
};

// The smallest power of two at or above `n` (n itself when it is one).
int nextPowerOfTwo(int n);

// A 24- or 32-bit bitmap whose declared file size equals `bytes.size()`;
// nothing for anything else.
std::optional<OverlayImage> decodeOverlayBitmap(const std::string& bytes);

// The button's hit area: the image rectangle in the window's bottom-right corner.
bool insideOverlay(const OverlayImage& image, int windowWidth, int windowHeight, int x, int y);

}  // namespace glimmer
