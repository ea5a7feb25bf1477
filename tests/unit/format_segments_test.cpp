// Large payloads deflate as independent segments joined into one zlib
// stream: zlib's own uncompress reads it, the reader inflates the segments
// in parallel, and every stream it cannot split safely (other writers, a
// stray 00 00 FF FF in the data, corruption) takes the whole-stream path.
#include "format/deflate_buffer.h"
#include "format/deflate_segments.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace kvx {
namespace {

// Geometry-like words that deflate well, with an incompressible stretch
// (stored blocks) at `noiseAt` when given.
std::vector<uint8_t> makePayload(size_t length, size_t noiseAt = SIZE_MAX) {
  std::vector<uint8_t> bytes(length);
  std::mt19937 random(7);
  for (size_t i = 0; i + 4 <= length; i += 4) {
    const uint32_t word = static_cast<uint32_t>(i / 48) * 3 + random() % 4;
    std::memcpy(&bytes[i], &word, 4);
  }
  for (size_t i = noiseAt; i < length && i < noiseAt + 200000; ++i) bytes[i] = static_cast<uint8_t>(random());
  return bytes;
}

std::vector<uint8_t> deflated(const std::vector<uint8_t>& payload) {
  DeflatedBuffer d = deflateBuffer(payload.data(), payload.size());
  EXPECT_TRUE(d.bytes);
  return {d.bytes.get(), d.bytes.get() + d.length};
}

size_t markersIn(const std::vector<uint8_t>& body) {
  static const uint8_t marker[4] = {0x00, 0x00, 0xFF, 0xFF};
  size_t count = 0;
  for (auto at = body.begin(); (at = std::search(at, body.end(), marker, marker + 4)) != body.end(); at += 4) ++count;
  return count;
}

// inflateBuffer with the exact raw size, as the scene reader calls it.
int inflateAll(const std::vector<uint8_t>& body, size_t rawLength, std::vector<uint8_t>& out) {
  out.assign(rawLength + 20, 0xCD);
  size_t produced = 0;
  const int status = inflateBuffer(body.data(), body.size(), out.data(), rawLength, produced);
  out.resize(produced);
  return status;
}

TEST(DeflateSegments, EveryInflaterReadsThePayloadAtSegmentBounds) {
  const size_t sizes[] = {kSegmentLength - 1, kSegmentLength, 2 * kSegmentLength, 2 * kSegmentLength + 1,
                          3 * kSegmentLength + 12345};
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    // Noise across the second segment's start puts stored blocks at a join.
    const std::vector<uint8_t> payload = makePayload(size, kSegmentLength - 1000);
    const std::vector<uint8_t> body = deflated(payload);

    std::vector<uint8_t> out(size);
    uLongf length = out.size();
    ASSERT_EQ(uncompress(out.data(), &length, body.data(), body.size()), Z_OK);
    EXPECT_EQ(length, size);
    EXPECT_TRUE(out == payload);

    const bool segmented = segmentCount(size) >= 2;
    EXPECT_EQ(markersIn(body), segmented ? segmentCount(size) - 1 : 0);
    std::fill(out.begin(), out.end(), 0);
    EXPECT_EQ(inflateSegments(body.data(), body.size(), out.data(), size), segmented);
    if (segmented) {
      EXPECT_TRUE(out == payload);
    }

    EXPECT_EQ(inflateAll(body, size, out), Z_OK);
    EXPECT_TRUE(out == payload);
  }
}

// zlib's own deflate, with sync flushes (00 00 FF FF) every `flushEvery` bytes.
std::vector<uint8_t> zlibDeflated(const std::vector<uint8_t>& payload, size_t flushEvery) {
  z_stream s = {};
  EXPECT_EQ(deflateInit(&s, Z_DEFAULT_COMPRESSION), Z_OK);
  std::vector<uint8_t> body(deflateBound(&s, payload.size()) + 5 * (payload.size() / flushEvery + 1));
  s.next_out = body.data();
  s.avail_out = static_cast<uInt>(body.size());
  for (size_t at = 0; at < payload.size(); at += flushEvery) {
    const size_t piece = std::min(flushEvery, payload.size() - at);
    s.next_in = const_cast<uint8_t*>(payload.data() + at);
    s.avail_in = static_cast<uInt>(piece);
    EXPECT_EQ(deflate(&s, at + piece == payload.size() ? Z_FINISH : Z_SYNC_FLUSH), at + piece == payload.size() ? Z_STREAM_END : Z_OK);
  }
  body.resize(s.total_out);
  deflateEnd(&s);
  return body;
}

TEST(DeflateSegments, StreamsItCannotSplitInflateWhole) {
  const size_t size = 3 * kSegmentLength + 999;
  const std::vector<uint8_t> payload = makePayload(size);
  // Noise deflates into stored blocks, which hold the data as it is.
  std::vector<uint8_t> strayMarker(size);
  std::mt19937 random(3);
  for (uint8_t& byte : strayMarker) byte = static_cast<uint8_t>(random());
  const uint8_t marker[4] = {0x00, 0x00, 0xFF, 0xFF};
  std::memcpy(&strayMarker[kSegmentLength + 70000], marker, 4);

  const struct {
    const char* name;
    std::vector<uint8_t> payload;
    std::vector<uint8_t> body;
  } cases[] = {
      {"zlib, one stream", payload, zlibDeflated(payload, size)},
      {"zlib, flushed at other places", payload, zlibDeflated(payload, 777777)},
      // The marker count is right, but the segments refer back across the joins.
      {"zlib, flushed at the segment bounds", payload, zlibDeflated(payload, kSegmentLength)},
      {"stray 00 00 FF FF in the data", strayMarker, deflated(strayMarker)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> out(size);
    EXPECT_FALSE(inflateSegments(c.body.data(), c.body.size(), out.data(), size));
    EXPECT_EQ(inflateAll(c.body, size, out), Z_OK);
    EXPECT_TRUE(out == c.payload);
  }
  EXPECT_EQ(markersIn(cases[2].body), segmentCount(size) - 1);
  EXPECT_GT(markersIn(cases[3].body), segmentCount(size) - 1);
}

// Segments of another writer: zlib's deflate, one stream per segment, each
// but the last ended with a sync flush. The reader splits these too.
TEST(DeflateSegments, SegmentsOfZlibsDeflateInflateInParallel) {
  const size_t size = 2 * kSegmentLength + 1;
  const std::vector<uint8_t> payload = makePayload(size);
  std::vector<uint8_t> body = {0x78, 0x9C};
  for (size_t at = 0; at < size; at += kSegmentLength) {
    const size_t piece = std::min(kSegmentLength, size - at);
    const bool last = at + piece == size;
    z_stream s = {};
    ASSERT_EQ(deflateInit2(&s, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::vector<uint8_t> part(deflateBound(&s, piece) + 16);
    s.next_in = const_cast<uint8_t*>(payload.data() + at);
    s.avail_in = static_cast<uInt>(piece);
    s.next_out = part.data();
    s.avail_out = static_cast<uInt>(part.size());
    ASSERT_EQ(deflate(&s, last ? Z_FINISH : Z_SYNC_FLUSH), last ? Z_STREAM_END : Z_OK);
    body.insert(body.end(), part.begin(), part.begin() + s.total_out);
    deflateEnd(&s);
  }
  const uLong adler = adler32(1, payload.data(), static_cast<uInt>(size));
  for (int shift = 24; shift >= 0; shift -= 8) body.push_back(static_cast<uint8_t>(adler >> shift));

  std::vector<uint8_t> out(size);
  ASSERT_TRUE(inflateSegments(body.data(), body.size(), out.data(), size));
  EXPECT_TRUE(out == payload);
}

TEST(DeflateSegments, DamagedStreamsGiveAnError) {
  const size_t size = 3 * kSegmentLength + 999;
  const std::vector<uint8_t> payload = makePayload(size);
  const std::vector<uint8_t> body = deflated(payload);
  const struct {
    const char* name;
    size_t at;  // byte to flip
    size_t cut;  // bytes taken off the end
    size_t rawLength;
  } cases[] = {
      {"second segment corrupt", body.size() / 2, 0, size},
      {"wrong Adler-32", body.size() - 2, 0, size},
      {"trailer cut short", SIZE_MAX, 3, size},
      {"truncated before a join", SIZE_MAX, body.size() / 3, size},
      {"raw size a segment short", SIZE_MAX, 0, size - kSegmentLength},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> damaged(body.begin(), body.end() - c.cut);
    if (c.at != SIZE_MAX) damaged[c.at] ^= 0x5A;
    std::vector<uint8_t> out;
    EXPECT_NE(inflateAll(damaged, c.rawLength, out), Z_OK);
  }
}

}  // namespace
}  // namespace kvx
