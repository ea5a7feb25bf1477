// A version byte, then arbitrary bytes as the payload of that version.
#include "scene/scene.h"
#include "services/capture_options.h"

#include <algorithm>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  kvx::resetCaptureOptions();
  kvx::setCaptureOption(kvx::CaptureOption::NORMALIZENORMALS, data[0] & 0x80);
  kvx::scene s;
  s.ser.version = static_cast<uint8_t>(13 + (data[0] & 0x7F) % 31);
  auto payload = std::make_unique<uint8_t[]>(size);
  std::copy(data + 1, data + size, payload.get());
  s.deserialise(std::move(payload), static_cast<int32_t>(size - 1));
  return 0;
}
