#pragma once
// Large payloads deflate as independent segments of kSegmentLength raw bytes
// (the last one shorter), joined into ONE zlib stream that every inflater
// reads: each segment but the last ends with a non-final block and an empty
// stored block, so the next one starts byte-aligned after the bytes
// 00 00 FF FF with no back-references across the join. Segments deflate,
// and inflate again, on all cores at once.
#include "format/deflate_buffer.h"

#include <cstddef>
#include <cstdint>

namespace kvx {

constexpr size_t kSegmentLength = size_t(1) << 20;

// Segments a payload of `rawLength` bytes is cut into.
constexpr size_t segmentCount(size_t rawLength) { return (rawLength + kSegmentLength - 1) / kSegmentLength; }

// Deflates in[0, length) as segments with libdeflate at `level`. The bytes
// are absent when memory ran short.
DeflatedBuffer deflateSegments(const uint8_t* in, size_t length, int level);

// Inflates a zlib stream of segments holding exactly `rawLength` bytes into
// out[0, rawLength). Returns false, with `out` in any state, for anything
// else: streams of other writers, a stray 00 00 FF FF in the data, trailing
// bytes, corruption. Those need a whole-stream inflate.
bool inflateSegments(const uint8_t* in, size_t inLength, uint8_t* out, size_t rawLength);

}  // namespace kvx
