#pragma once
// The 8-byte header in front of every scene file body.
#include <cstdint>

namespace kvx {

enum HeaderFlag : uint8_t {
  HEADER_DEFLATED = 0x01,
  HEADER_ENCIPHERED = 0x02,
  HEADER_SHORT_KEY = 0x04,  // 7 key bytes instead of 16
};

inline constexpr uint8_t kHeaderCompat = 15;
inline constexpr uint8_t kNewestReadableVersion = 43;
inline constexpr uint8_t kHeaderlessBelow = 13;

struct FileHeader {
  uint8_t version = 0;
  uint8_t compat = 0;
  uint8_t flags = 0;
  uint8_t reserved = 0;
  uint32_t rawSize = 0;  // payload bytes before compression and encryption

  static FileHeader parse(const uint8_t bytes[8]) {
    return {bytes[0], bytes[1], bytes[2], bytes[3],
            uint32_t(bytes[4]) | (uint32_t(bytes[5]) << 8) | (uint32_t(bytes[6]) << 16) | (uint32_t(bytes[7]) << 24)};
  }
  void store(uint8_t bytes[8]) const {
    bytes[0] = version;
    bytes[1] = compat;
    bytes[2] = flags;
    bytes[3] = reserved;
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<uint8_t>(rawSize >> (8 * i));
  }
  // Version 13 to 99 and compat 3 to 25; 44 and above are newer programs' files.
  bool plausible() const { return version >= 13 && version <= 99 && compat >= 3 && compat <= 25; }
};

}  // namespace kvx
