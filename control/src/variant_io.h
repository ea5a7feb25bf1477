#pragma once
// VARTYPE-tagged values and counted UTF-16 strings on a byte stream, the
// building blocks of the control's persisted stream. Reading never goes
// past what the stream holds: a count larger than the bytes left fails.
#include "glimmer_com.h"

#include <cstdint>
#include <optional>
#include <string>

namespace glimmer {

enum VarType : uint16_t { VT_UI1 = 17, VT_UI4 = 19, VT_UINT = 23 };

class StreamWriter {
 public:
  explicit StreamWriter(IByteStream* stream) : stream_(stream) {}
  bool bytes(const void* data, size_t size);
  bool u16(uint16_t value);
  bool u32(uint32_t value);
  bool variantU8(uint8_t value) { return u16(VT_UI1) && bytes(&value, 1); }
  bool variant32(VarType type, uint32_t value) { return u16(type) && u32(value); }
  // Byte count (characters * 2 + 2, 0 for an absent string), then UTF-16 with its NUL.
  bool string(const std::optional<std::u16string>& text);

 private:
  IByteStream* stream_;
};

class StreamReader {
 public:
  explicit StreamReader(IByteStream* stream) : stream_(stream) {}
  // Reads exactly `size` bytes, in steps, so that a false count cannot make
  // it allocate more than the stream really holds.
  bool bytes(std::string& out, uint64_t size);
  bool u16(uint16_t& value);
  bool u32(uint32_t& value);
  bool variantU8(uint8_t& value);
  bool variant32(VarType type, uint32_t& value);
  // Refuses odd counts and strings without their terminating NUL.
  bool string(std::optional<std::u16string>& text, uint32_t maxBytes);
  const std::string& error() const { return error_; }
  bool fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

 private:
  IByteStream* stream_;
  std::string error_;
};

}  // namespace glimmer
