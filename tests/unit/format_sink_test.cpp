// Output sinks: counting, file, compression and their chain.
#include "format/comp_sink.h"
#include "format/crypt_sink.h"
#include "format/file_sink.h"
#include "format/one_shot_comp_sink.h"
#include "temp_env.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <numeric>

namespace kvx {
namespace {

struct CollectSink : KvxSink {
  std::vector<uint8_t> bytes;
  int puts = 0;
  bool refuse = false;
  bool put(const void* data, int32_t n) override {
    if (refuse) return false;
    ++puts;
    auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + n);
    return KvxSink::put(data, n);
  }
};

std::vector<uint8_t> inflateAll(const std::vector<uint8_t>& packed, size_t expected) {
  std::vector<uint8_t> out(expected + 16);
  uLongf length = out.size();
  EXPECT_EQ(uncompress(out.data(), &length, packed.data(), packed.size()), Z_OK);
  out.resize(length);
  return out;
}

std::vector<uint8_t> patterned(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * i) >> 5);
  return bytes;
}

TEST(KvxSink, CountsWithoutWriting) {
  KvxSink counter;
  EXPECT_TRUE(counter.put("abcd", 4));
  EXPECT_TRUE(counter.put("ef", 2));
  EXPECT_TRUE(counter.putAtStart("zz", 2));
  EXPECT_TRUE(counter.flush());
  EXPECT_EQ(counter.bytesIn(), 6);
  EXPECT_EQ(counter.bytesOut(), 6);
  EXPECT_EQ(counter.errorCode(), 0);
}

TEST(KvxFileSink, WritesRewritesStartAndRefusesANextSink) {
  test::TempEnv env;
  const std::string path = env.path("out.bin").string();
  test::writeFile(path, std::string(100, 'E'));  // replaced, not appended to
  {
    KvxFileSink sink(path);
    ASSERT_TRUE(sink.ready());
    EXPECT_TRUE(sink.put("12345678", 8));
    EXPECT_TRUE(sink.put("9", 1));
    EXPECT_TRUE(sink.putAtStart("ab", 2));
    EXPECT_TRUE(sink.put("X", 1));  // still appends at the end
    EXPECT_EQ(sink.bytesIn(), 10);
    EXPECT_EQ(sink.bytesOut(), 10);
    KvxSink other;
    EXPECT_FALSE(sink.setNext(&other));
  }
  EXPECT_EQ(test::readFile(path), "ab3456789X");
}

TEST(KvxFileSink, UnopenableFileIsNotReady) {
  KvxFileSink sink("/nonexistent-folder/x/y.kvx");
  EXPECT_FALSE(sink.ready());
  EXPECT_EQ(sink.errorCode(), SINK_OPEN_FAILED);
}

TEST(KvxFileSink, FullDiskIsReportedAsWriteError) {
  KvxFileSink sink("/dev/full");
  ASSERT_TRUE(sink.ready());
  std::vector<uint8_t> block(1 << 16, 1);
  bool accepted = sink.put(block.data(), static_cast<int32_t>(block.size()));
  accepted = sink.flush() && accepted;
  EXPECT_FALSE(accepted);
  EXPECT_EQ(sink.errorCode(), SINK_WRITE_FAILED);
  EXPECT_EQ(sink.bytesIn(), 1 << 16);
}

TEST(KvxCompSink, ChunksAreAtMost512BytesAndFormOneStream) {
  const std::vector<uint8_t> payload = patterned(100000);
  KvxCompSink comp;
  CollectSink collect;
  ASSERT_TRUE(comp.ready());
  comp.setNext(&collect);
  for (size_t at = 0; at < payload.size(); at += 333)
    ASSERT_TRUE(comp.put(payload.data() + at, static_cast<int32_t>(std::min<size_t>(333, payload.size() - at))));
  ASSERT_TRUE(comp.flush());
  EXPECT_EQ(comp.bytesIn(), static_cast<int32_t>(payload.size()));
  EXPECT_EQ(comp.bytesOut(), static_cast<int32_t>(collect.bytes.size()));
  EXPECT_LE(collect.bytes.size(), static_cast<size_t>(collect.puts) * 512);
  EXPECT_EQ(inflateAll(collect.bytes, payload.size()), payload);
}

// Both compression sinks fail the same way when the sink below refuses.
template <typename Sink>
class CompressionSink : public ::testing::Test {};
using CompressionSinks = ::testing::Types<KvxCompSink, KvxOneShotCompSink>;
TYPED_TEST_SUITE(CompressionSink, CompressionSinks);

TYPED_TEST(CompressionSink, RefusedNextPutFails) {
  TypeParam comp;
  CollectSink collect;
  collect.refuse = true;
  comp.setNext(&collect);
  comp.put("some bytes", 10);
  EXPECT_FALSE(comp.flush());
}

TYPED_TEST(CompressionSink, FullDiskBelowIsTheChainsErrorCode) {
  KvxFileSink file("/dev/full");
  TypeParam comp;
  comp.setNext(&file);
  EXPECT_EQ(comp.errorCode(), 0);
  std::vector<uint8_t> noise(1 << 17);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  comp.put(noise.data(), static_cast<int32_t>(noise.size()));
  comp.flush();
  EXPECT_EQ(comp.errorCode(), SINK_WRITE_FAILED);
}

TEST(KvxOneShotCompSink, DeflatesEverythingAtFlushIntoOneZlibStream) {
  const std::vector<uint8_t> payload = patterned(300000);
  KvxOneShotCompSink comp;
  CollectSink collect;
  ASSERT_TRUE(comp.ready());
  comp.setNext(&collect);
  for (size_t at = 0; at < payload.size(); at += 333)
    ASSERT_TRUE(comp.put(payload.data() + at, static_cast<int32_t>(std::min<size_t>(333, payload.size() - at))));
  EXPECT_EQ(collect.puts, 0) << "nothing is handed on before the flush";
  ASSERT_TRUE(comp.flush());
  EXPECT_FALSE(comp.streaming());
  EXPECT_EQ(comp.bytesIn(), static_cast<int32_t>(payload.size()));
  EXPECT_EQ(comp.bytesOut(), static_cast<int32_t>(collect.bytes.size()));
  EXPECT_LE(collect.bytes.size(), static_cast<size_t>(collect.puts) * (1 << 16));
  EXPECT_EQ(inflateAll(collect.bytes, payload.size()), payload);

  const size_t handedOn = collect.bytes.size();
  EXPECT_TRUE(comp.flush());
  EXPECT_EQ(collect.bytes.size(), handedOn) << "a second flush adds no second stream";
}

TEST(KvxOneShotCompSink, PastItsGatherLimitItStreamsLikeKvxCompSink) {
  const std::vector<uint8_t> payload = patterned(100000);
  KvxCompSink reference;
  CollectSink expected;
  reference.setNext(&expected);
  reference.put(payload.data(), static_cast<int32_t>(payload.size()));
  ASSERT_TRUE(reference.flush());

  for (size_t limit : {size_t(0), size_t(5000), payload.size() - 1}) {
    KvxOneShotCompSink comp(limit);
    CollectSink collect;
    comp.setNext(&collect);
    for (size_t at = 0; at < payload.size(); at += 4096)
      ASSERT_TRUE(comp.put(payload.data() + at, static_cast<int32_t>(std::min<size_t>(4096, payload.size() - at))));
    ASSERT_TRUE(comp.flush());
    EXPECT_TRUE(comp.streaming()) << limit;
    EXPECT_EQ(collect.bytes, expected.bytes) << limit;
    EXPECT_EQ(comp.bytesIn(), static_cast<int32_t>(payload.size()));
    EXPECT_EQ(comp.bytesOut(), static_cast<int32_t>(collect.bytes.size())) << limit;
  }
}

TYPED_TEST(CompressionSink, CompressThenEncipherRoundTrips) {
  std::vector<uint8_t> payload(5000);
  std::iota(payload.begin(), payload.end(), 0);
  CollectSink bottom;
  KvxCryptSink crypt("phrase", 7);
  TypeParam comp;
  crypt.setNext(&bottom);
  comp.setNext(&crypt);
  ASSERT_TRUE(comp.put(payload.data(), static_cast<int32_t>(payload.size())));
  ASSERT_TRUE(comp.flush());
  EXPECT_EQ(comp.errorCode(), 0);
  EXPECT_EQ(crypt.bytesIn(), crypt.bytesOut());
  std::vector<uint8_t> packed(bottom.bytes.size());
  ASSERT_TRUE(kvxDecodeBuffer(bottom.bytes.data(), packed.data(), static_cast<int32_t>(packed.size()), "phrase", 7));
  EXPECT_EQ(inflateAll(packed, payload.size()), payload);
}

}  // namespace
}  // namespace kvx
