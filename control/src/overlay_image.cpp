#include "overlay_image.h"

#include <cstring>

namespace glimmer {
namespace {

uint32_t le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

uint16_t le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

constexpr size_t kFileHeader = 14;
constexpr size_t kInfoHeader = 40;
constexpr int kMaxSide = 1024;

}  // namespace

int nextPowerOfTwo(int n) {
  int p = 1;
  while (p < n) p <<= 1;
  return p;
}

std::optional<OverlayImage> decodeOverlayBitmap(const std::string& bytes) {
  if (bytes.size() < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
  if (le32(bytes, 2) != bytes.size()) return std::nullopt;
  const uint32_t pixelOffset = le32(bytes, 10);
  const uint32_t infoSize = le32(bytes, 14);
  const auto width = static_cast<int32_t>(le32(bytes, 18));
  const auto rawHeight = static_cast<int32_t>(le32(bytes, 22));
  const uint16_t bits = le16(bytes, 28);
  const uint32_t compression = le32(bytes, 30);
  if (infoSize < kInfoHeader || (bits != 24 && bits != 32) || (compression != 0 && compression != 3))
    return std::nullopt;
  if (width <= 0 || width > kMaxSide || rawHeight == 0 || rawHeight < -kMaxSide || rawHeight > kMaxSide)
    return std::nullopt;
  const bool topDown = rawHeight < 0;
  const int height = topDown ? -rawHeight : rawHeight;
  const size_t pixelBytes = bits / 8;
  const size_t stride = (width * pixelBytes + 3) & ~size_t(3);
  if (pixelOffset < kFileHeader + infoSize || pixelOffset > bytes.size() ||
      bytes.size() - pixelOffset < stride * height)
    return std::nullopt;

  OverlayImage image;
  image.bitmapWidth = width;
  image.bitmapHeight = height;
  image.width = nextPowerOfTwo(width);
  image.height = nextPowerOfTwo(height);
  const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data()) + pixelOffset;
  const uint8_t key[3] = {data[2], data[1], data[0]};  // the first stored pixel, as RGB
  image.rgba.resize(size_t(image.width) * image.height * 4);
  for (size_t i = 0; i < image.rgba.size(); i += 4) {
    std::memcpy(&image.rgba[i], key, 3);
    image.rgba[i + 3] = 0;
  }
  bool partialAlpha = false;
  for (int row = 0; row < height; ++row) {
    const uint8_t* src = data + stride * row;
    const int screenRow = topDown ? row : height - 1 - row;
    uint8_t* dst = &image.rgba[(size_t(image.height - height + screenRow) * image.width + image.width - width) * 4];
    for (int x = 0; x < width; ++x, src += pixelBytes, dst += 4) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
      if (bits == 32) {
        dst[3] = src[3];
        partialAlpha = partialAlpha || (src[3] != 0 && src[3] != 255);
      } else {
        dst[3] = std::memcmp(dst, key, 3) == 0 ? 0 : 255;
      }
    }
  }
  image.blend = partialAlpha;
  return image;
}

bool insideOverlay(const OverlayImage& image, int windowWidth, int windowHeight, int x, int y) {
  return image.width > 0 && x >= windowWidth - image.width && x < windowWidth && y >= windowHeight - image.height &&
         y < windowHeight;
}

}  // namespace glimmer
