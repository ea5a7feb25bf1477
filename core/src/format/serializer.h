#pragma once
// The payload's primitives: little-endian, unaligned, unpadded fields.
// The writing side forwards every field to a sink at once; the reading side
// walks an owned buffer with a cursor.
#include "format/kvx_sink.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace kvx {

class serializer {
 public:
  // ---- Writing side.
  void setSink(KvxSink* sink) { sink_ = sink; }
  void put_u8(uint8_t value) { sink_->put(&value, 1); }
  void put_u16(uint16_t value) {
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    sink_->put(b, 2);
  }
  void put_u32(uint32_t value) {
    uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    sink_->put(b, 4);
  }
  void put_f32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    put_u32(bits);
  }
  void put_bytes(const void* data, int32_t length) { sink_->put(data, length); }
  // u8 length, then the bytes, cut to `maxLength`.
  void put_text(std::string_view text, size_t maxLength = 255) {
    text = text.substr(0, std::min<size_t>(maxLength, 255));
    put_u8(static_cast<uint8_t>(text.size()));
    put_bytes(text.data(), static_cast<int32_t>(text.size()));
  }

  uint8_t vertexMode = 1;  // 1: vertices interleaved; other: by component
  bool bake = false;       // write positions and normals through the object matrix

  // ---- Reading side.
  // Takes the payload (freeing one still held); fails for an empty one.
  bool start_de(std::unique_ptr<uint8_t[]> buffer, int32_t size);
  // The next n bytes, or nothing (logged; cursor unchanged) when fewer remain.
  const uint8_t* getdataptr(int32_t n) {
    if (n < 0 || n > size_ - cursor_) return overrun(n);
    const uint8_t* at = buffer_.get() + cursor_;
    cursor_ += n;
    return at;
  }
  // Each read leaves `value` unchanged when the payload is exhausted.
  bool get_u8(uint8_t& value) {
    const uint8_t* p = getdataptr(1);
    if (p) value = p[0];
    return p;
  }
  bool get_u16(uint16_t& value) {
    const uint8_t* p = getdataptr(2);
    if (p) value = load_u16(p);
    return p;
  }
  bool get_u32(uint32_t& value) {
    const uint8_t* p = getdataptr(4);
    if (p) value = load_u32(p);
    return p;
  }
  bool get_f32(float& value) {
    const uint8_t* p = getdataptr(4);
    if (p) value = load_f32(p);
    return p;
  }

  // Decoding of fields already taken with getdataptr.
  static uint16_t load_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
  static uint32_t load_u32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  }
  static float load_f32(const uint8_t* p) {
    const uint32_t bits = load_u32(p);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  // Short text: u8 length and the bytes.
  bool get_text(std::string& text);
  // Fails unless every byte was consumed and no read ran past the end; then
  // frees the buffer.
  bool end_deser();
  void reset();

  int32_t remaining() const { return size_ - cursor_; }
  int32_t cursor() const { return cursor_; }
  int32_t size() const { return size_; }
  // False once a read has run past the end.
  bool intact() const { return !overrun_; }

  uint8_t version = 0;          // file version deciding the layout
  uint8_t readVertexMode = 1;   // 1: interleaved, 2: by component

 private:
  const uint8_t* overrun(int32_t n);

  KvxSink* sink_ = nullptr;  // not owned
  std::unique_ptr<uint8_t[]> buffer_;
  int32_t size_ = 0;
  int32_t cursor_ = 0;
  bool overrun_ = false;
};

}  // namespace kvx
