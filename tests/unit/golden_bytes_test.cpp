// Bytes pinned against reference files, where a round trip cannot see: a
// fault mirrored in the writer and the reader would read back fine.
#include "format/sample_scene.h"
#include "golden_file.h"
#include "scene/scene.h"
#include "services/capture_options.h"
#include "temp_env.h"

#include <gtest/gtest.h>

#include <vector>

namespace kvx {
namespace {

class GoldenBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    resetCaptureOptions();
    buildSampleScene(sample);
  }
  void TearDown() override { resetCaptureOptions(); }

  std::string written(bool compress, const char* pass, int keyBytes) {
    setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, !compress);
    const kvx_CryptoDesc crypto = {pass, keyBytes};
    const std::string path = env.path("golden.kvx").string();
    EXPECT_GT(sample.Write(path.c_str(), &crypto, 0, false, nullptr, nullptr, nullptr), 8);
    return test::readFile(path);
  }

  test::TempEnv env;
  scene sample;
};

TEST_F(GoldenBytes, SampleScenePayload) {
  const std::string file = written(false, nullptr, 16);
  ASSERT_GT(file.size(), 8u);
  EXPECT_TRUE(test::matchesGolden(file.substr(8), test::kTestData / "sample_scene.payload"));
}

// Version 43, compat 15, the flags, a zero byte, then the payload size,
// little-endian, for every way of storing the body.
TEST_F(GoldenBytes, HeaderOfEachContainerVariant) {
  const uint32_t payloadSize = static_cast<uint32_t>(test::readBytes(test::kTestData / "sample_scene.payload").size());
  ASSERT_GT(payloadSize, 0u);
  const struct {
    bool compress;
    const char* pass;
    int keyBytes;
    uint8_t flags;
  } cases[] = {
      {true, nullptr, 16, 0x01}, {true, "phrase", 16, 0x03}, {true, "phrase", 7, 0x07},
      {false, nullptr, 16, 0x00}, {false, "phrase", 16, 0x02}, {false, "phrase", 7, 0x06},
  };
  for (const auto& c : cases) {
    const std::string file = written(c.compress, c.pass, c.keyBytes);
    ASSERT_GE(file.size(), 8u);
    const std::vector<uint8_t> header(file.begin(), file.begin() + 8);
    const std::vector<uint8_t> expected = {43,
                                           15,
                                           c.flags,
                                           0,
                                           uint8_t(payloadSize),
                                           uint8_t(payloadSize >> 8),
                                           uint8_t(payloadSize >> 16),
                                           uint8_t(payloadSize >> 24)};
    EXPECT_EQ(header, expected) << "flags " << int(c.flags);
  }
}

}  // namespace
}  // namespace kvx
