// Number labels, ruler steps, bounds label sizes and the annotation blob.
#include "render/decorations.h"
#include "render/number_label.h"
#include "render/ruler.h"
#include "render/stroke_font.h"
#include "render/text_labels.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kvx {
namespace {

TEST(NumberLabel, PrecisionFallsAsTheValueGrows) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {123456.7, " 123457 "}, {10000, " 10000 "},  {1234.56, " 1234.6 "}, {1000, " 1000 "},
      {123.456, " 123.46 "},  {100.5, " 100.5 "},  {2.5, " 2.5 "},       {1, " 1 "},
      {0.123456, " 0.12346 "}, {0, " 0 "},        {0.5, " 0.5 "},
  };
  for (const Case& c : cases) EXPECT_EQ(formatNumberLabel("", c.value), c.text) << c.value;
  EXPECT_EQ(formatNumberLabel("X=", 12.5), " X=12.5 ");
}

TEST(RulerStep, IsOneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_DOUBLE_EQ(rulerStep(10, 700, 70), 1);
  EXPECT_DOUBLE_EQ(rulerStep(10, 500, 70), 2);
  EXPECT_DOUBLE_EQ(rulerStep(10, 200, 70), 5);
  EXPECT_DOUBLE_EQ(rulerStep(0.3, 300, 70), 0.1);
  EXPECT_DOUBLE_EQ(rulerStep(0, 300, 70), 1);
}

TEST(BoundsLabel, ShrinksToThreeQuartersOfItsExtent) {
  EXPECT_FLOAT_EQ(fittedLabelSize(1, 4, 100), 1);
  // 8 characters at 0.75 per character: 6 units for an extent of 4 -> length 3.
  const float size = fittedLabelSize(1, 8, 4);
  EXPECT_FLOAT_EQ(8 * kStrokeAdvance * size, 3);
}

TEST(TextLabels, AreReadFromTheAnnotationBlob) {
  std::vector<uint8_t> blob;
  auto put32 = [&](float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    for (int i = 0; i < 4; ++i) blob.push_back(uint8_t(v >> (8 * i)));
  };
  auto label = [&](bool outline, float x, const char* text) {
    blob.push_back(outline);
    put32(x), put32(2), put32(3);
    for (int i = 0; i < 16; ++i) put32(i % 5 == 0 ? 1.0f : 0.0f);
    blob.insert(blob.end(), {10, 20, 30, uint8_t(std::strlen(text))});
    blob.insert(blob.end(), text, text + std::strlen(text));
  };
  label(false, 1, "first");
  label(true, 4, "second");
  scene s;
  ASSERT_TRUE(s.add_blob(BLOB_ANNOTATIONS, uint32_t(blob.size()), blob.data()));
  auto labels = readTextLabels(s);
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].kind, TextLabel::BITMAP);
  EXPECT_EQ(labels[0].text, "first");
  EXPECT_EQ(labels[0].position[2], 3);
  EXPECT_EQ(labels[1].kind, TextLabel::OUTLINE);
  EXPECT_EQ(labels[1].color[2], 30);
  EXPECT_EQ(labels[1].matrix[15], 1);

  blob.resize(blob.size() - 3);  // the second text is cut short
  scene damaged;
  damaged.add_blob(BLOB_ANNOTATIONS, uint32_t(blob.size()), blob.data());
  EXPECT_EQ(readTextLabels(damaged).size(), 1u);
}

}  // namespace
}  // namespace kvx
