#pragma once
// zlib streams of whole buffers in one call each way. The scene reader knows
// the payload's size and holds the whole body, and the writer gathers the
// whole payload, so neither needs a streaming inflater or deflater.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace kvx {

// Inflates the zlib stream at `in` into out[0, capacity) and sets `produced`.
// Bytes after the end of the stream are ignored. A stream of segments that
// holds exactly `capacity` bytes inflates on all cores. Returns a zlib status:
// Z_OK, Z_DATA_ERROR for a corrupt or truncated stream, Z_BUF_ERROR when the
// stream holds more than `capacity` bytes, Z_MEM_ERROR.
int inflateBuffer(const uint8_t* in, size_t inLength, uint8_t* out, size_t capacity, size_t& produced);

struct DeflatedBuffer {
  std::unique_ptr<uint8_t[]> bytes;  // absent when memory ran short
  size_t length = 0;
};

// Deflates in[0, length) into one zlib stream that every inflater reads;
// payloads of two segments or more as segments (format/deflate_segments.h).
DeflatedBuffer deflateBuffer(const uint8_t* in, size_t length);

}  // namespace kvx
