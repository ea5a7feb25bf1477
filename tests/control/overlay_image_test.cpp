// The overlay button's bitmap rules.
#include "overlay_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace glimmer {
namespace {

struct Pixel {
  uint8_t r, g, b, a;
};

// A bottom-up Windows bitmap; pixel(x, row) gives the stored row order.
std::string bitmap(int width, int height, int bits, const std::function<Pixel(int, int)>& pixel) {
  const int bytes = bits / 8;
  const int stride = (width * bytes + 3) & ~3;
  std::string data;
  for (int row = 0; row < height; ++row) {
    std::string line;
    for (int x = 0; x < width; ++x) {
      const Pixel p = pixel(x, row);
      line += static_cast<char>(p.b);
      line += static_cast<char>(p.g);
      line += static_cast<char>(p.r);
      if (bits == 32) line += static_cast<char>(p.a);
    }
    line.resize(stride, '\0');
    data += line;
  }
  auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
    return s;
  };
  const uint32_t size = 54 + static_cast<uint32_t>(data.size());
  return "BM" + le(size, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(width, 4) + le(height, 4) + le(1, 2) +
         le(bits, 2) + le(0, 4) + le(data.size(), 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + data;
}

const uint8_t* at(const OverlayImage& image, int x, int screenRow) {
  return &image.rgba[(static_cast<size_t>(screenRow) * image.width + x) * 4];
}

TEST(OverlayImage, TwentyFourBitsKeyOutTheFirstPixelsColour) {
  // Magenta key in the first stored pixel (bottom-left); the rest blue, with
  // one red pixel in the bitmap's top-left corner.
  const std::string bytes = bitmap(100, 30, 24, [](int x, int row) -> Pixel {
    if (x == 0 && row == 0) return {255, 0, 255, 0};
    if (x == 0 && row == 29) return {255, 0, 0, 0};
    return x % 2 ? Pixel{0, 0, 255, 0} : Pixel{255, 0, 255, 0};
  });
  const auto image = decodeOverlayBitmap(bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 128);
  EXPECT_EQ(image->height, 32);
  EXPECT_FALSE(image->blend);
  // Padding: key colour, transparent.
  EXPECT_EQ(at(*image, 0, 0)[0], 255);
  EXPECT_EQ(at(*image, 0, 0)[2], 255);
  EXPECT_EQ(at(*image, 0, 0)[3], 0);
  // The bitmap sits in the bottom-right corner, its top row at screen row 2.
  const uint8_t* topLeft = at(*image, 28, 2);
  EXPECT_EQ(topLeft[0], 255);
  EXPECT_EQ(topLeft[1], 0);
  EXPECT_EQ(topLeft[2], 0);
  EXPECT_EQ(topLeft[3], 255);
  EXPECT_EQ(at(*image, 29, 31)[3], 255);  // blue: opaque
  EXPECT_EQ(at(*image, 30, 31)[3], 0);    // key colour: transparent
  EXPECT_EQ(at(*image, 27, 31)[3], 0);    // left of the bitmap: padding
}

TEST(OverlayImage, ThirtyTwoBitsUseTheirAlphaAndBlendOnlyPartialOnes) {
  auto opaqueOrClear = bitmap(16, 8, 32, [](int x, int) -> Pixel { return {1, 2, 3, uint8_t(x < 8 ? 0 : 255)}; });
  auto partial = bitmap(16, 8, 32, [](int x, int) -> Pixel { return {1, 2, 3, uint8_t(x * 16)}; });
  const auto hard = decodeOverlayBitmap(opaqueOrClear), soft = decodeOverlayBitmap(partial);
  ASSERT_TRUE(hard && soft);
  EXPECT_EQ(hard->width, 16);  // exactly a power of two stays
  EXPECT_EQ(hard->height, 8);
  EXPECT_FALSE(hard->blend);
  EXPECT_TRUE(soft->blend);
  EXPECT_EQ(at(*soft, 5, 0)[3], 80);
}

TEST(OverlayImage, RefusesWhatIsNotAFittingBitmap) {
  const std::string good = bitmap(10, 10, 24, [](int, int) -> Pixel { return {9, 9, 9, 0}; });
  std::string wrongSize = good;
  wrongSize[2] = static_cast<char>(wrongSize[2] + 1);
  std::string truncated = good.substr(0, good.size() - 10);
  std::string notBm = good;
  notBm[0] = 'X';
  const std::string sixteenBits = bitmap(10, 10, 16, [](int, int) -> Pixel { return {}; });
  for (const std::string& bytes : {wrongSize, truncated, notBm, sixteenBits, std::string("BM")})
    EXPECT_FALSE(decodeOverlayBitmap(bytes));
  EXPECT_TRUE(decodeOverlayBitmap(good));
}

TEST(OverlayImage, HitAreaIsThePowerOfTwoRectangleInTheBottomRightCorner) {
  OverlayImage image;
  image.width = 128;
  image.height = 32;
  EXPECT_TRUE(insideOverlay(image, 400, 300, 272, 268));
  EXPECT_TRUE(insideOverlay(image, 400, 300, 399, 299));
  EXPECT_FALSE(insideOverlay(image, 400, 300, 271, 290));
  EXPECT_FALSE(insideOverlay(image, 400, 300, 390, 267));
  EXPECT_EQ(nextPowerOfTwo(100), 128);
  EXPECT_EQ(nextPowerOfTwo(64), 64);
  EXPECT_EQ(nextPowerOfTwo(1), 1);
}

}  // namespace
}  // namespace glimmer
