#include "variant_io.h"

#include <algorithm>

namespace glimmer {

bool StreamWriter::bytes(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const uint32_t step = static_cast<uint32_t>(std::min<size_t>(size, 1u << 30));
    uint32_t written = 0;
    if (stream_->Write(p, step, &written) != S_OK || written != step) return false;
    p += step;
    size -= step;
  }
  return true;
}

bool StreamWriter::u16(uint16_t value) {
  const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  return bytes(b, 2);
}

bool StreamWriter::u32(uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return bytes(b, 4);
}

bool StreamWriter::string(const std::optional<std::u16string>& text) {
  if (!text) return u32(0);
  if (text->size() > (UINT32_MAX - 2) / 2) return false;
  if (!u32(static_cast<uint32_t>(text->size() * 2 + 2))) return false;
  std::string encoded;
  encoded.reserve(text->size() * 2 + 2);
  for (char16_t c : *text) {
    encoded += static_cast<char>(c & 0xFF);
    encoded += static_cast<char>(c >> 8);
  }
  encoded.append(2, '\0');
  return bytes(encoded.data(), encoded.size());
}

bool StreamReader::bytes(std::string& out, uint64_t size) {
  constexpr uint64_t kStep = 1 << 16;
  out.clear();
  while (out.size() < size) {
    const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(kStep, size - out.size()));
    const size_t at = out.size();
    out.resize(at + want);
    uint32_t got = 0;
    const HRESULT hr = stream_->Read(out.data() + at, want, &got);
    out.resize(at + std::min(got, want));
    if (hr < 0 || got < want) return fail("the stream ends early");
  }
  return true;
}

bool StreamReader::u16(uint16_t& value) {
  std::string b;
  if (!bytes(b, 2)) return false;
  value = static_cast<uint16_t>(static_cast<uint8_t>(b[0]) | static_cast<uint8_t>(b[1]) << 8);
  return true;
}

bool StreamReader::u32(uint32_t& value) {
  std::string b;
  if (!bytes(b, 4)) return false;
  value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(b[i]);
  return true;
}

bool StreamReader::variantU8(uint8_t& value) {
  uint16_t type;
  std::string b;
  if (!u16(type)) return false;
  if (type != VT_UI1) return fail("unexpected value type " + std::to_string(type));
  if (!bytes(b, 1)) return false;
  value = static_cast<uint8_t>(b[0]);
  return true;
}

bool StreamReader::variant32(VarType expected, uint32_t& value) {
  uint16_t type;
  if (!u16(type)) return false;
  if (type != expected) return fail("unexpected value type " + std::to_string(type));
  return u32(value);
}

bool StreamReader::string(std::optional<std::u16string>& text, uint32_t maxBytes) {
  uint32_t count;
  if (!u32(count)) return false;
  text.reset();
  if (count == 0) return true;
  if (count % 2 != 0 || count < 2) return fail("a string has an odd byte count");
  if (count > maxBytes) return fail("a string is too long");
  std::string raw;
  if (!bytes(raw, count)) return false;
  if (raw[count - 1] != 0 || raw[count - 2] != 0) return fail("a string lacks its terminator");
  std::u16string decoded;
  for (uint32_t i = 0; i + 2 < count; i += 2)
    decoded += static_cast<char16_t>(static_cast<uint8_t>(raw[i]) | static_cast<uint8_t>(raw[i + 1]) << 8);
  text = std::move(decoded);
  return true;
}

}  // namespace glimmer
