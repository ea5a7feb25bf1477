#pragma once
// Comparison with the reference files in tests/data. When a comparison
// fails, what was produced is written beside the reference as NAME.new
// (NAME.new.png for pictures): look at it, and copy it over the reference
// only when the change is meant.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kvx::test {

inline const std::filesystem::path kTestData = KVX_TEST_DATA_DIR;

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Byte for byte.
inline ::testing::AssertionResult matchesGolden(const std::string& actual, const std::filesystem::path& golden) {
  const std::string expected = readBytes(golden);
  if (actual == expected) return ::testing::AssertionSuccess();
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  const std::filesystem::path written = golden.string() + ".new";
  writeBytes(written, actual);
  return ::testing::AssertionFailure() << actual.size() << " bytes against " << expected.size() << " in "
                                       << golden << ", first difference at byte " << at << "; written to "
                                       << written;
}

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // top row first
};

inline bool readPng(const std::filesystem::path& path, Picture& picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture.width = int(image.width), picture.height = int(image.height);
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  const bool read = png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr);
  png_image_free(&image);
  return read;
}

// Same size, and at most `maxDifferent` of the pixels differ by more than
// `tolerance` in some channel: drivers round and smooth a little differently.
inline ::testing::AssertionResult matchesBaseline(const std::filesystem::path& actualPng,
                                                  const std::filesystem::path& baselinePng, int tolerance = 16,
                                                  double maxDifferent = 0.005) {
  Picture actual, baseline;
  if (!readPng(actualPng, actual)) return ::testing::AssertionFailure() << "cannot read " << actualPng;
  int different = 0;
  const bool readable = readPng(baselinePng, baseline);
  const bool sameSize = readable && actual.width == baseline.width && actual.height == baseline.height;
  if (sameSize) {
    for (size_t i = 0; i < actual.rgb.size(); i += 3) {
      bool differs = false;
      for (size_t c = 0; c < 3; ++c) differs = differs || std::abs(actual.rgb[i + c] - baseline.rgb[i + c]) > tolerance;
      different += differs ? 1 : 0;
    }
    if (different <= maxDifferent * actual.width * actual.height) return ::testing::AssertionSuccess();
  }
  std::filesystem::path written = baselinePng;
  written.replace_extension(".new.png");
  std::filesystem::copy_file(actualPng, written, std::filesystem::copy_options::overwrite_existing);
  auto failure = ::testing::AssertionFailure();
  if (!readable)
    failure << "no baseline " << baselinePng;
  else if (!sameSize)
    failure << "size " << actual.width << "x" << actual.height << " against " << baseline.width << "x"
            << baseline.height;
  else
    failure << different << " pixels differ from " << baselinePng;
  return failure << "; the new picture is " << written;
}

}  // namespace kvx::test
