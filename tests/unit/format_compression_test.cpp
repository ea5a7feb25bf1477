// Deflated bodies stay zlib streams: files written now inflate with zlib's
// own uncompress, and files of the streaming zlib writer (any level, plain
// or enciphered) read back with the reader.
#include "format/crypt_sink.h"
#include "format/file_header.h"
#include "format/sample_scene.h"
#include "scene/scene.h"
#include "scene_compare.h"
#include "services/capture_options.h"
#include "temp_env.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace kvx {
namespace {

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

struct CollectSink : KvxSink {
  std::vector<uint8_t> bytes;
  bool put(const void* data, int32_t n) override {
    auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return KvxSink::put(data, n);
  }
};

class DeflatedBody : public ::testing::Test {
 protected:
  void SetUp() override {
    resetCaptureOptions();
    buildSampleScene(sample);
    setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, true);
    EXPECT_GT(write("stored.kvx", nullptr), 8);
    payload = bytesOf(test::readFile(env.path("stored.kvx")).substr(8));
    setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, false);
  }
  void TearDown() override { resetCaptureOptions(); }

  int32_t write(const std::string& name, const char* pass, int keyBytes = 16) {
    const kvx_CryptoDesc crypto = {pass, keyBytes};
    return sample.Write(env.path(name).string().c_str(), &crypto, 0, false, nullptr, nullptr, nullptr);
  }

  test::TempEnv env;
  scene sample;
  std::vector<uint8_t> payload;
};

TEST_F(DeflatedBody, FilesWrittenNowInflateWithZlibsUncompress) {
  for (const char* pass : {static_cast<const char*>(nullptr), "zlib reads this"}) {
    ASSERT_GT(write("new.kvx", pass), 8);
    std::vector<uint8_t> file = bytesOf(test::readFile(env.path("new.kvx")));
    const FileHeader header = FileHeader::parse(file.data());
    ASSERT_TRUE(header.flags & HEADER_DEFLATED);
    std::vector<uint8_t> body(file.begin() + 8, file.end());
    if (pass) {
      ASSERT_TRUE(kvxDecodeBuffer(body.data(), body.data(), static_cast<int32_t>(body.size()), pass, 16));
    }
    std::vector<uint8_t> inflated(header.rawSize);
    uLongf length = inflated.size();
    ASSERT_EQ(uncompress(inflated.data(), &length, body.data(), body.size()), Z_OK) << (pass ? pass : "plain");
    EXPECT_EQ(length, header.rawSize);
    EXPECT_EQ(inflated, payload);
  }
}

TEST_F(DeflatedBody, FilesOfTheStreamingZlibWriterRead) {
  const struct {
    int level;
    const char* pass;
    int keyBytes;
  } cases[] = {
      {Z_DEFAULT_COMPRESSION, nullptr, 16}, {Z_DEFAULT_COMPRESSION, "old writer", 16},
      {Z_DEFAULT_COMPRESSION, "old writer", 7}, {1, nullptr, 16}, {9, nullptr, 16}, {Z_NO_COMPRESSION, nullptr, 16},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> body(compressBound(payload.size()));
    uLongf length = body.size();
    ASSERT_EQ(compress2(body.data(), &length, payload.data(), payload.size(), c.level), Z_OK);
    body.resize(length);
    FileHeader header{43, 15, HEADER_DEFLATED, 0, static_cast<uint32_t>(payload.size())};
    if (c.pass) {
      header.flags |= HEADER_ENCIPHERED | (c.keyBytes == 7 ? HEADER_SHORT_KEY : 0);
      CollectSink enciphered;
      KvxCryptSink crypt(c.pass, c.keyBytes);
      crypt.setNext(&enciphered);
      ASSERT_TRUE(crypt.put(body.data(), static_cast<int32_t>(body.size())));
      body = enciphered.bytes;
    }
    std::string file(8, '\0');
    header.store(reinterpret_cast<uint8_t*>(file.data()));
    file.append(body.begin(), body.end());
    test::writeFile(env.path("old.kvx"), file);

    scene copy;
    EXPECT_EQ(copy.Read(env.path("old.kvx").string().c_str(), c.pass, nullptr, nullptr, nullptr, nullptr, false),
              static_cast<int32_t>(file.size()))
        << "level " << c.level << " " << (c.pass ? c.pass : "plain") << " " << c.keyBytes;
    test::expectRoundTripScene(sample, copy);
  }
}

}  // namespace
}  // namespace kvx
