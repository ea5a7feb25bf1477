#include "byte_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "mem_buf.h"

namespace kvx::conf {

ByteStreamOut::ByteStreamOut(MemBuf* sink, bool ownsSink, bool littleEndian)
    : ByteStream(littleEndian), sink_(sink), ownsSink_(ownsSink) {}

ByteStreamOut::~ByteStreamOut() {
  if (ownsSink_) delete sink_;
}

int ByteStreamOut::putBytes(const void* bytes, size_t n) {
  if (n > static_cast<size_t>(INT32_MAX)) return -1;
  return sink_->write(bytes, static_cast<int>(n)) < 0 ? -1 : 0;
}

int ByteStreamOut::put(uint64_t value, int width) {
  uint8_t bytes[8];
  for (int i = 0; i < width; ++i) {
    const int shift = littleEndian_ ? 8 * i : 8 * (width - 1 - i);
    bytes[i] = static_cast<uint8_t>(value >> shift);
  }
  return putBytes(bytes, width);
}

int ByteStreamOut::int32(int32_t& value) { return put(static_cast<uint32_t>(value), 4); }
int ByteStreamOut::int16(int16_t& value) { return put(static_cast<uint16_t>(value), 2); }
int ByteStreamOut::uint32(uint32_t& value) { return put(value, 4); }
int ByteStreamOut::uint16(uint16_t& value) { return put(value, 2); }
int ByteStreamOut::float32(float& value) { return put(std::bit_cast<uint32_t>(value), 4); }
int ByteStreamOut::float64(double& value) { return put(std::bit_cast<uint64_t>(value), 8); }

int ByteStreamOut::stringRef(const char*& text) {
  const char* s = text ? text : "";
  return putBytes(s, std::strlen(s) + 1);
}

int ByteStreamOut::stringInto(char* buffer, int n) {
  // Stops at the string's end even when n is larger, so that the reader's
  // scan for the zero byte lands where the writer ended.
  const size_t length = n < 1 ? std::strlen(buffer) : strnlen(buffer, n);
  if (putBytes(buffer, length) < 0) return -1;
  const char zero = 0;
  return putBytes(&zero, 1);
}

int ByteStreamOut::rawRef(const uint8_t*& bytes, int n) {
  if (n < 0) return -1;
  return putBytes(bytes, n);
}

int ByteStreamOut::rawInto(uint8_t* buffer, int n) {
  if (n < 0) return -1;
  return putBytes(buffer, n);
}

ByteStreamIn::ByteStreamIn(const uint8_t* start, size_t length, bool littleEndian)
    : ByteStream(littleEndian), start_(start), length_(length) {}

int ByteStreamIn::get(uint64_t& value, int width) {
  if (remaining() < static_cast<size_t>(width)) return -1;
  value = 0;
  const uint8_t* bytes = start_ + cursor_;
  for (int i = 0; i < width; ++i) {
    const int shift = littleEndian_ ? 8 * i : 8 * (width - 1 - i);
    value |= static_cast<uint64_t>(bytes[i]) << shift;
  }
  cursor_ += width;
  return 0;
}

int ByteStreamIn::int32(int32_t& value) {
  uint64_t v;
  if (get(v, 4) < 0) return -1;
  value = static_cast<int32_t>(static_cast<uint32_t>(v));
  return 0;
}

int ByteStreamIn::int16(int16_t& value) {
  uint64_t v;
  if (get(v, 2) < 0) return -1;
  value = static_cast<int16_t>(static_cast<uint16_t>(v));
  return 0;
}

int ByteStreamIn::uint32(uint32_t& value) {
  uint64_t v;
  if (get(v, 4) < 0) return -1;
  value = static_cast<uint32_t>(v);
  return 0;
}

int ByteStreamIn::uint16(uint16_t& value) {
  uint64_t v;
  if (get(v, 2) < 0) return -1;
  value = static_cast<uint16_t>(v);
  return 0;
}

int ByteStreamIn::float32(float& value) {
  uint64_t v;
  if (get(v, 4) < 0) return -1;
  value = std::bit_cast<float>(static_cast<uint32_t>(v));
  return 0;
}

int ByteStreamIn::float64(double& value) {
  uint64_t v;
  if (get(v, 8) < 0) return -1;
  value = std::bit_cast<double>(v);
  return 0;
}

long ByteStreamIn::stringLength() const {
  const void* zero = std::memchr(start_ + cursor_, 0, remaining());
  if (!zero) return -1;
  return static_cast<const uint8_t*>(zero) - (start_ + cursor_);
}

int ByteStreamIn::stringRef(const char*& text) {
  const long length = stringLength();
  if (length < 0) return -1;
  text = reinterpret_cast<const char*>(start_ + cursor_);
  cursor_ += length + 1;
  return 0;
}

int ByteStreamIn::stringInto(char* buffer, int n) {
  const long length = stringLength();
  if (length < 0 || n < 0) return -1;
  const size_t copied = std::min(static_cast<size_t>(length), static_cast<size_t>(n));
  std::memcpy(buffer, start_ + cursor_, copied);
  buffer[copied] = 0;
  cursor_ += length + 1;
  return 0;
}

int ByteStreamIn::rawRef(const uint8_t*& bytes, int n) {
  if (n < 0 || remaining() < static_cast<size_t>(n)) return -1;
  bytes = start_ + cursor_;
  cursor_ += n;
  return 0;
}

int ByteStreamIn::rawInto(uint8_t* buffer, int n) {
  if (n < 0 || remaining() < static_cast<size_t>(n)) return -1;
  std::memcpy(buffer, start_ + cursor_, n);
  cursor_ += n;
  return 0;
}

}  // namespace kvx::conf
