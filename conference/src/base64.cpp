#include "base64.h"

#include <cstdint>

namespace kvx::conf {

std::string base64Encode(std::string_view bytes) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  constexpr size_t kBytesPerLine = 300;
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    if (i > 0 && i % kBytesPerLine == 0) text += "\r\n";
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t j = 0; j < 3; ++j)
      group = (group << 8) | (j < n ? static_cast<uint8_t>(bytes[i + j]) : 0);
    text += alphabet[(group >> 18) & 63];
    text += alphabet[(group >> 12) & 63];
    text += n > 1 ? alphabet[(group >> 6) & 63] : '=';
    text += n > 2 ? alphabet[group & 63] : '=';
  }
  return text;
}

}  // namespace kvx::conf
