// deflateSegments: the writer's half of format/deflate_segments.h.
#include "format/deflate_segments.h"
#include "format/parallel_tasks.h"
#include "services/huge_pages.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace kvx {
namespace {

// CMF and FLG of a zlib stream: deflate with a 32 KiB window, no preset
// dictionary, "slowest" level; the pair is a multiple of 31 as required.
constexpr uint8_t kZlibHeader[2] = {0x78, 0xDA};
// An empty stored block's length and its complement, after the header bits.
constexpr uint8_t kStoredEmpty[4] = {0x00, 0x00, 0xFF, 0xFF};
// Room for the stored block header's byte and the four bytes above.
constexpr size_t kJoinBytes = 5;

struct Segment {
  std::unique_ptr<uint8_t[]> bytes;
  size_t length = 0;
  uint32_t adler = 1;
};

// Each thread's compressor and the raw inflater that finds block bounds.
struct Worker {
  libdeflate_compressor* compressor = nullptr;
  z_stream walker = {};
  bool walkerReady = false;
  std::unique_ptr<uint8_t[]> scratch{new uint8_t[kScratch]};
  static constexpr size_t kScratch = 1 << 16;

  explicit Worker(int level) : compressor(libdeflate_alloc_compressor(level)) {
    walkerReady = inflateInit2(&walker, -MAX_WBITS) == Z_OK;
  }
  Worker(Worker&& other) = delete;
  ~Worker() {
    libdeflate_free_compressor(compressor);
    if (walkerReady) inflateEnd(&walker);
  }
};

// Finds the bit where the last block's header starts and the bit after its
// end-of-block code, by inflating the segment a block at a time.
bool findLastBlock(Worker& w, const uint8_t* bytes, size_t length, size_t& header, size_t& end) {
  z_stream& s = w.walker;
  if (inflateReset(&s) != Z_OK) return false;
  s.next_in = const_cast<uint8_t*>(bytes);
  s.avail_in = static_cast<uInt>(length);
  header = 0;
  for (;;) {
    s.next_out = w.scratch.get();
    s.avail_out = Worker::kScratch;
    const int status = inflate(&s, Z_BLOCK);
    if (status != Z_OK) return false;
    if (s.data_type & 128) {  // stopped between blocks
      const size_t bit = (length - s.avail_in) * 8 - (s.data_type & 7);
      if (s.data_type & 64) {
        end = bit;
        return true;
      }
      header = bit;
    }
  }
}

// Turns the segment's final block into a non-final one and appends an empty
// stored block, which ends on a byte boundary.
bool endWithoutFinalBlock(Worker& w, Segment& segment) {
  size_t header = 0, end = 0;
  if (!findLastBlock(w, segment.bytes.get(), segment.length, header, end)) return false;
  uint8_t* bytes = segment.bytes.get();
  bytes[header / 8] &= static_cast<uint8_t>(~(1u << (header % 8)));
  // The stored block's three header bits are zero, as is the padding after them.
  if (end % 8) bytes[end / 8] &= static_cast<uint8_t>((1u << (end % 8)) - 1);
  const size_t aligned = (end + 3 + 7) / 8;
  for (size_t i = (end + 7) / 8; i < aligned; ++i) bytes[i] = 0;
  std::memcpy(bytes + aligned, kStoredEmpty, sizeof kStoredEmpty);
  segment.length = aligned + sizeof kStoredEmpty;
  return true;
}

}  // namespace

DeflatedBuffer deflateSegments(const uint8_t* in, size_t length, int level) {
  DeflatedBuffer result;
  const size_t count = segmentCount(length);
  std::vector<Segment> segments;
  try {
    segments.resize(count);
  } catch (const std::bad_alloc&) {
    return result;
  }
  const bool deflated = runParallelTasks(
      count, [level] { return std::make_unique<Worker>(level); },
      [&](std::unique_ptr<Worker>& w, size_t i) {
        if (!w->compressor || !w->walkerReady) return false;
        const uint8_t* raw = in + i * kSegmentLength;
        const size_t rawLength = std::min(kSegmentLength, length - i * kSegmentLength);
        Segment& segment = segments[i];
        const size_t bound = libdeflate_deflate_compress_bound(w->compressor, rawLength) + kJoinBytes;
        segment.bytes.reset(new (std::nothrow) uint8_t[bound]);
        if (!segment.bytes) return false;
        segment.length = libdeflate_deflate_compress(w->compressor, raw, rawLength, segment.bytes.get(), bound);
        segment.adler = libdeflate_adler32(1, raw, rawLength);
        return segment.length != 0 && (i + 1 == count || endWithoutFinalBlock(*w, segment));
      });
  if (!deflated) return result;

  size_t total = sizeof kZlibHeader + 4;
  for (const Segment& segment : segments) total += segment.length;
  result.bytes.reset(new (std::nothrow) uint8_t[total]);
  if (!result.bytes) return result;
  preferHugePages(result.bytes.get(), total);
  uint8_t* at = result.bytes.get();
  std::memcpy(at, kZlibHeader, sizeof kZlibHeader);
  at += sizeof kZlibHeader;
  uLong adler = 1;
  for (size_t i = 0; i < count; ++i) {
    std::memcpy(at, segments[i].bytes.get(), segments[i].length);
    at += segments[i].length;
    const size_t rawLength = std::min(kSegmentLength, length - i * kSegmentLength);
    adler = i == 0 ? segments[i].adler : adler32_combine(adler, segments[i].adler, static_cast<z_off_t>(rawLength));
  }
  for (int shift = 24; shift >= 0; shift -= 8) *at++ = static_cast<uint8_t>(adler >> shift);
  result.length = total;
  return result;
}

}  // namespace kvx
