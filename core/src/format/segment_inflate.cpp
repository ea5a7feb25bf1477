// inflateSegments: the reader's half of format/deflate_segments.h.
#include "format/deflate_segments.h"
#include "format/parallel_tasks.h"

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace kvx {
namespace {

constexpr uint8_t kStoredEmpty[4] = {0x00, 0x00, 0xFF, 0xFF};
// A final, empty block of fixed codes: ends a segment cut out of the stream.
constexpr uint8_t kFinalEmpty[2] = {0x03, 0x00};
constexpr size_t kTrailer = 4;

bool plainZlibHeader(const uint8_t* in) {
  return (in[0] & 0x0F) == Z_DEFLATED && (in[0] >> 4) <= 7 && !(in[1] & 0x20) && (in[0] * 256 + in[1]) % 31 == 0;
}

// The ends of the segments but the last: just after each 00 00 FF FF.
// Empty when the count differs from what `count` segments need.
std::vector<size_t> segmentEnds(const uint8_t* in, size_t inLength, size_t count) {
  std::vector<size_t> ends;
  ends.reserve(count - 1);
  const uint8_t* at = in + 2;
  const uint8_t* const stop = in + inLength - kTrailer;
  while (at < stop) {
    const auto* found = static_cast<const uint8_t*>(memmem(at, stop - at, kStoredEmpty, sizeof kStoredEmpty));
    if (!found) break;
    if (ends.size() == count - 1) return {};
    at = found + sizeof kStoredEmpty;
    ends.push_back(at - in);
  }
  if (ends.size() != count - 1) return {};
  return ends;
}

struct Worker {
  libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
  std::unique_ptr<uint8_t[]> input;  // a segment with its closing block
  size_t capacity = 0;
  ~Worker() { libdeflate_free_decompressor(decompressor); }

  bool reserve(size_t length) {
    if (length <= capacity) return true;
    input.reset(new (std::nothrow) uint8_t[length]);
    capacity = input ? length : 0;
    return input != nullptr;
  }
};

bool inflateExactly(libdeflate_decompressor* d, const uint8_t* in, size_t inLength, uint8_t* out, size_t outLength) {
  size_t consumed = 0, produced = 0;
  return libdeflate_deflate_decompress_ex(d, in, inLength, out, outLength, &consumed, &produced) ==
             LIBDEFLATE_SUCCESS &&
         consumed == inLength && produced == outLength;
}

}  // namespace

bool inflateSegments(const uint8_t* in, size_t inLength, uint8_t* out, size_t rawLength) {
  const size_t count = segmentCount(rawLength);
  if (count < 2 || inLength < 2 + kTrailer + 1 || !plainZlibHeader(in)) return false;
  std::vector<size_t> ends;
  std::vector<uint32_t> adlers;
  try {
    ends = segmentEnds(in, inLength, count);
    adlers.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (ends.empty()) return false;

  const bool inflated = runParallelTasks(
      count, [] { return std::make_unique<Worker>(); },
      [&](std::unique_ptr<Worker>& w, size_t i) {
        if (!w->decompressor) return false;
        const size_t start = i == 0 ? 2 : ends[i - 1];
        uint8_t* raw = out + i * kSegmentLength;
        const size_t rawPart = std::min(kSegmentLength, rawLength - i * kSegmentLength);
        bool ok = false;
        if (i + 1 == count) {
          ok = inflateExactly(w->decompressor, in + start, inLength - kTrailer - start, raw, rawPart);
        } else {
          const size_t length = ends[i] - start;
          if (!w->reserve(length + sizeof kFinalEmpty)) return false;
          std::memcpy(w->input.get(), in + start, length);
          std::memcpy(w->input.get() + length, kFinalEmpty, sizeof kFinalEmpty);
          ok = inflateExactly(w->decompressor, w->input.get(), length + sizeof kFinalEmpty, raw, rawPart);
        }
        if (!ok) return false;
        adlers[i] = libdeflate_adler32(1, raw, rawPart);
        return true;
      });
  if (!inflated) return false;

  uLong adler = adlers[0];
  for (size_t i = 1; i < count; ++i)
    adler = adler32_combine(adler, adlers[i], static_cast<z_off_t>(std::min(kSegmentLength, rawLength - i * kSegmentLength)));
  const uint8_t* trailer = in + inLength - kTrailer;
  const uint32_t stored = uint32_t(trailer[0]) << 24 | uint32_t(trailer[1]) << 16 | uint32_t(trailer[2]) << 8 | trailer[3];
  return adler == stored;
}

}  // namespace kvx
