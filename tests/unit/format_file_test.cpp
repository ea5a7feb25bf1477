// The scene file container: header rules, result codes, encryption,
// compression, progress and the safe replacement of saved files.
#include "file_size_limit.h"
#include "format/file_header.h"
#include "format/sample_scene.h"
#include "payload_bytes.h"
#include "scene/scene.h"
#include "scene_compare.h"
#include "services/capture_options.h"
#include "temp_env.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>

extern "C" int GZIP_Compress(unsigned char*, unsigned long*, const unsigned char*, unsigned long);
extern "C" int GZIP_UnCompress(unsigned char*, unsigned long*, const unsigned char*, unsigned long);

namespace kvx {
namespace {

std::vector<float> progressSeen;
void recordProgress(float value) { progressSeen.push_back(value); }

class SceneFile : public ::testing::Test {
 protected:
  void SetUp() override {
    resetCaptureOptions();
    progressSeen.clear();
    buildSampleScene(sample);
  }
  void TearDown() override { resetCaptureOptions(); }

  std::string path(const std::string& name) const { return env.path(name).string(); }
  int32_t save(const std::string& file, const kvx_CryptoDesc* crypto = nullptr) {
    return sample.Write(file.c_str(), crypto, 0, false, nullptr, nullptr, nullptr);
  }
  int32_t load(scene& s, const std::string& file, const char* pass = nullptr) {
    return s.Read(file.c_str(), pass, nullptr, nullptr, nullptr, nullptr, false);
  }
  int32_t loadBytes(const std::string& bytes) {
    test::writeFile(env.path("fixture.kvx"), bytes);
    scene s;
    return load(s, path("fixture.kvx"));
  }

  test::TempEnv env;
  scene sample;
};

TEST_F(SceneFile, WrittenFileReadsBackWithItsSize) {
  const int32_t size = save(path("sample.kvx"));
  ASSERT_GT(size, 8);
  EXPECT_EQ(static_cast<uintmax_t>(size), std::filesystem::file_size(env.path("sample.kvx")));
  scene copy;
  EXPECT_EQ(load(copy, path("sample.kvx")), size);
  EXPECT_EQ(copy.fileVersion, 43);
  test::expectRoundTripScene(sample, copy);
}

TEST_F(SceneFile, HeaderIsVersion43Compat15WithFlags) {
  const struct {
    const char* pass;
    int keyBytes;
    bool noCompression;
    uint8_t flags;
  } cases[] = {
      {nullptr, 16, false, 0x01}, {"pw", 16, false, 0x03}, {"pw", 7, false, 0x07},
      {nullptr, 16, true, 0x00},  {"pw", 16, true, 0x02},  {"", 16, false, 0x01},
  };
  for (const auto& c : cases) {
    setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, c.noCompression);
    const kvx_CryptoDesc crypto = {c.pass, c.keyBytes};
    ASSERT_GT(save(path("h.kvx"), &crypto), 8);
    const std::string bytes = test::readFile(env.path("h.kvx"));
    const FileHeader header = FileHeader::parse(reinterpret_cast<const uint8_t*>(bytes.data()));
    EXPECT_EQ(header.version, 43);
    EXPECT_EQ(header.compat, 15);
    EXPECT_EQ(header.flags, c.flags) << (c.pass ? c.pass : "null") << " " << c.keyBytes;
    EXPECT_EQ(header.reserved, 0);
    if (!(c.flags & HEADER_DEFLATED)) {
      EXPECT_EQ(header.rawSize, bytes.size() - 8);
    }

    scene copy;
    EXPECT_EQ(load(copy, path("h.kvx"), c.pass), static_cast<int32_t>(bytes.size()));
  }
}

TEST_F(SceneFile, EncipheredFilesNeedTheRightPassPhrase) {
  for (bool compressed : {true, false}) {
    setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, !compressed);
    const kvx_CryptoDesc crypto = {"open sesame", 7};
    ASSERT_GT(save(path("secret.kvx"), &crypto), 8);
    scene copy;
    progressSeen.clear();
    EXPECT_EQ(copy.Read(path("secret.kvx").c_str(), nullptr, nullptr, recordProgress, nullptr, nullptr, false),
              FILE_NEEDS_PASS);
    EXPECT_EQ(progressSeen, (std::vector<float>{0.0f, -1.0f}));
    EXPECT_EQ(load(copy, path("secret.kvx"), ""), FILE_NEEDS_PASS);
    EXPECT_EQ(load(copy, path("secret.kvx"), "open sesamE"), FILE_CORRUPT);
    EXPECT_GT(load(copy, path("secret.kvx"), "open sesame"), 8);
    test::expectRoundTripScene(sample, copy);
  }
}

TEST_F(SceneFile, ResultCodesOfBrokenFiles) {
  ASSERT_GT(save(path("good.kvx")), 8);
  const std::string good = test::readFile(env.path("good.kvx"));
  setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, true);
  ASSERT_GT(save(path("stored.kvx")), 8);
  const std::string stored = test::readFile(env.path("stored.kvx"));
  auto withByte = [](std::string bytes, size_t at, char value) {
    bytes[at] = value;
    return bytes;
  };
  auto withRawSize = [](std::string bytes, uint32_t size) {
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(size >> (8 * i));
    return bytes;
  };
  const struct {
    const char* what;
    std::string bytes;
    int32_t result;
  } cases[] = {
      {"empty file", "", FILE_CORRUPT},
      {"shorter than a header", "\x2b\x0f\x01", FILE_IO_ERROR},
      {"seven bytes", good.substr(0, 7), FILE_IO_ERROR},
      {"headerless", withByte(good, 0, 12), FILE_CORRUPT},
      {"newer version", withByte(good, 0, 44), FILE_NEWER_VERSION},
      {"version 100", withByte(good, 0, 100), FILE_CORRUPT},
      {"compat 26", withByte(good, 1, 26), FILE_CORRUPT},
      {"compat 2", withByte(good, 1, 2), FILE_CORRUPT},
      {"unknown flag bits ignored", withByte(good, 2, static_cast<char>(0xF1)), static_cast<int32_t>(good.size())},
      {"truncated deflated body", good.substr(0, good.size() - 10), FILE_CORRUPT},
      {"damaged deflated body", withByte(good, good.size() / 2, static_cast<char>(good[good.size() / 2] ^ 0x55)),
       FILE_CORRUPT},
      {"stored body with a spare byte", withRawSize(stored + '\0', static_cast<uint32_t>(stored.size() - 7)),
       FILE_CORRUPT},
      {"stored body and a rawSize of another length", withRawSize(stored, 100), FILE_CORRUPT},
      {"stored body whose rawSize counts the header too", withRawSize(stored, static_cast<uint32_t>(stored.size())),
       static_cast<int32_t>(stored.size())},
      {"rawSize beyond any inflation", withRawSize(good, 0xFFFFFFF0u), FILE_CORRUPT},
      {"rawSize smaller than the payload", withRawSize(good, 100), FILE_CORRUPT},
  };
  for (const auto& c : cases) EXPECT_EQ(loadBytes(c.bytes), c.result) << c.what;
  scene s;
  EXPECT_EQ(load(s, path("missing.kvx")), FILE_CANNOT_OPEN);
  EXPECT_EQ(s.Read(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false), FILE_CANNOT_OPEN);
  EXPECT_EQ(s.Read("", nullptr, nullptr, nullptr, nullptr, nullptr, false), FILE_CANNOT_OPEN);
}

TEST_F(SceneFile, ProgressRunsFromZeroToMinusOne) {
  ASSERT_GT(sample.Write(path("p.kvx").c_str(), nullptr, 0, false, recordProgress, nullptr, nullptr), 8);
  ASSERT_GE(progressSeen.size(), 3u);
  EXPECT_EQ(progressSeen.front(), 0.0f);
  EXPECT_EQ(progressSeen.back(), -1.0f);
  for (size_t i = 1; i + 1 < progressSeen.size(); ++i) {
    EXPECT_GE(progressSeen[i], 0.0f);
    EXPECT_LT(progressSeen[i], 1.0f);
  }
  EXPECT_EQ(sample.progress, nullptr);

  progressSeen.clear();
  scene copy;
  ASSERT_GT(copy.Read(path("p.kvx").c_str(), nullptr, nullptr, recordProgress, nullptr, nullptr, false), 8);
  EXPECT_EQ(progressSeen.front(), 0.0f);
  EXPECT_EQ(progressSeen.back(), -1.0f);
  EXPECT_EQ(progressSeen.size(), static_cast<size_t>(sample.objectCount()) + 2);
}

TEST_F(SceneFile, WriteFailuresAndCounting) {
  scene empty;
  EXPECT_EQ(empty.Write(path("empty.kvx").c_str(), nullptr, 0, false, nullptr, nullptr, nullptr), FILE_NO_OBJECTS);
  EXPECT_FALSE(std::filesystem::exists(env.path("empty.kvx")));
  const kvx_CryptoDesc eightBytes = {"pw", 8};
  EXPECT_EQ(save(path("k8.kvx"), &eightBytes), FILE_CANNOT_CIPHER);
  EXPECT_FALSE(std::filesystem::exists(env.path("k8.kvx")));
  EXPECT_EQ(save(path("no/such/folder/x.kvx")), FILE_CANNOT_CIPHER);

  const int32_t counted = sample.Write(path("counted.kvx").c_str(), nullptr, 1, false, nullptr, nullptr, nullptr);
  EXPECT_FALSE(std::filesystem::exists(env.path("counted.kvx")));
  EXPECT_EQ(counted, save(path("real.kvx")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(env.root()), {}), 1)
      << "only real.kvx, no temporary file is left behind";
}

TEST_F(SceneFile, ForcedCompressionTurnsTheOptionOffForGood) {
  setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, true);
  ASSERT_GT(sample.Write(path("f.kvx").c_str(), nullptr, 0, true, nullptr, nullptr, nullptr), 8);
  EXPECT_FALSE(captureOption(CaptureOption::DONTCOMPRESSKVXFILE));
  EXPECT_EQ(test::readFile(env.path("f.kvx"))[2], 0x01);
}

TEST_F(SceneFile, FailedSaveLeavesThePreviousFileUntouched) {
  ASSERT_GT(save(path("keep.kvx")), 8);
  const std::string before = test::readFile(env.path("keep.kvx"));
  // Grow the scene so that its file passes a size limit the old one is under.
  for (int i = 0; i < 40; ++i) {
    auto o = std::make_unique<SceneObject>();
    o->geometry->type = points;
    for (int k = 0; k < 500; ++k) {
      Vertex v;
      v.x = static_cast<float>(k * 7919 % 1013) + static_cast<float>(i);
      o->geometry->vertices.push_back(v);
    }
    o->geometry->rebuildTriangleTable();
    sample.AddObjet(o);
  }
  int32_t result;
  {
    test::FileSizeLimit full(before.size() + 100);
    result = save(path("keep.kvx"));
  }

  EXPECT_EQ(result, FILE_IO_ERROR);
  EXPECT_EQ(test::readFile(env.path("keep.kvx")), before);
  for (const auto& entry : std::filesystem::directory_iterator(env.root()))
    EXPECT_EQ(entry.path().filename().string().find(".keep.kvx."), std::string::npos) << entry.path();
}

TEST_F(SceneFile, CuttingPlaneRecordsPassToTheCaller) {
  const kvx_CutPlane plane = {kvx_CutPlane::Z_PLAN, false, 0.75f, false};
  const CutBox box = {0, 0, 0, 2, 2, 1, 0};
  ASSERT_GT(sample.Write(path("c.kvx").c_str(), nullptr, 0, false, nullptr, &box, &plane), 8);
  EXPECT_EQ(sample.cutPlane, nullptr);  // borrowed only while writing
  scene copy;
  std::unique_ptr<CutBox> readBox;
  std::unique_ptr<kvx_CutPlane> readPlane;
  bool capture = true;
  ASSERT_GT(copy.Read(path("c.kvx").c_str(), nullptr, &capture, nullptr, &readBox, &readPlane, false), 8);
  EXPECT_FALSE(capture);
  ASSERT_NE(readPlane, nullptr);
  EXPECT_EQ(readPlane->plan, kvx_CutPlane::Z_PLAN);
  EXPECT_EQ(readPlane->position, 0.75f);
  ASSERT_NE(readBox, nullptr);
  EXPECT_EQ((*readBox)[6], 3.0f);
  EXPECT_EQ(copy.readCutPlane, nullptr);
  EXPECT_EQ(copy.readCutBox, nullptr);
}

TEST_F(SceneFile, ReadingSetsTheSkipOptimisationSwitch) {
  ASSERT_GT(save(path("plain.kvx")), 8);
  sample.sceneFlags |= SCENE_RAW_CAPTURE;
  ASSERT_GT(save(path("capture.kvx")), 8);
  const struct {
    const char* file;
    bool merging, before, after, capture;
  } cases[] = {
      {"plain.kvx", false, false, true, false},
      {"plain.kvx", true, true, false, false},
      {"capture.kvx", false, true, true, true},  // a capture alone leaves the switch
      {"capture.kvx", false, false, false, true},
  };
  for (const auto& c : cases) {
    setCaptureOption(CaptureOption::NOOPTIM, c.before);
    scene s;
    bool capture = !c.capture;
    ASSERT_GT(s.Read(path(c.file).c_str(), nullptr, &capture, nullptr, nullptr, nullptr, c.merging), 8);
    EXPECT_EQ(capture, c.capture) << c.file;
    EXPECT_EQ(captureOption(CaptureOption::NOOPTIM), c.after) << c.file << " merging " << c.merging;
  }
}

TEST(GzipExports, AreZlibsOneShotFunctions) {
  const std::string text(1000, 'k');
  std::vector<unsigned char> packed(compressBound(text.size()));
  unsigned long packedLength = packed.size();
  ASSERT_EQ(GZIP_Compress(packed.data(), &packedLength, reinterpret_cast<const unsigned char*>(text.data()),
                          text.size()),
            Z_OK);
  std::vector<unsigned char> back(text.size());
  unsigned long backLength = back.size();
  ASSERT_EQ(GZIP_UnCompress(back.data(), &backLength, packed.data(), packedLength), Z_OK);
  EXPECT_EQ(std::string(back.begin(), back.end()), text);
  backLength = 10;
  EXPECT_EQ(GZIP_UnCompress(back.data(), &backLength, packed.data(), packedLength), Z_BUF_ERROR);
}

}  // namespace
}  // namespace kvx
