#pragma once
// Builds payloads and scene files byte by byte, for fixtures of any version.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kvx::test {

struct Bytes {
  std::vector<uint8_t> data;

  Bytes& u8(uint8_t v) {
    data.push_back(v);
    return *this;
  }
  Bytes& u16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
  Bytes& u32(uint32_t v) { return u16(static_cast<uint16_t>(v)).u16(static_cast<uint16_t>(v >> 16)); }
  Bytes& f32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return u32(bits);
  }
  Bytes& f32s(int count, float v = 0) {
    for (int i = 0; i < count; ++i) f32(v);
    return *this;
  }
  Bytes& text(const std::string& t) {
    u8(static_cast<uint8_t>(t.size()));
    data.insert(data.end(), t.begin(), t.end());
    return *this;
  }
  Bytes& raw(const std::vector<uint8_t>& bytes) {
    data.insert(data.end(), bytes.begin(), bytes.end());
    return *this;
  }
  std::string str() const { return std::string(data.begin(), data.end()); }
};

// A scene file with a stored (not deflated, not enciphered) body.
inline std::string storedFile(uint8_t version, const Bytes& payload, uint8_t compat = 15) {
  Bytes file;
  file.u8(version).u8(compat).u8(0).u8(0).u32(static_cast<uint32_t>(payload.data.size())).raw(payload.data);
  return file.str();
}

}  // namespace kvx::test
