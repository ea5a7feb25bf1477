// A version byte, then arbitrary bytes as the payload of that version.
#include "fuzz_entries.h"
#include "scene/scene.h"
#include "services/capture_options.h"

#include <algorithm>
#include <memory>

namespace kvx::fuzz {

int payload(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  resetCaptureOptions();
  setCaptureOption(CaptureOption::NORMALIZENORMALS, data[0] & 0x80);
  scene s;
  s.ser.version = static_cast<uint8_t>(13 + (data[0] & 0x7F) % 31);
  auto bytes = std::make_unique<uint8_t[]>(size);
  std::copy(data + 1, data + size, bytes.get());
  s.deserialise(std::move(bytes), static_cast<int32_t>(size - 1));
  return 0;
}

}  // namespace kvx::fuzz
